// Headless backend: virtual clock, scripted input, logged message boxes, a window on a virtual
// screen. Leaves out: real sleeping (the clock jumps a frame at a time), sound from a beep.
#include <mutex>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/headless/audio.h"
#include "platform/headless/headless.h"
#include "platform/headless/script.h"
#include "platform/video/surface.h"
#include "platform/window/system.h"

namespace platform::headless {
namespace {

struct PendingPicture {
    bool waiting = false;
    int x = 0, y = 0, w = 0, h = 0;
};

struct HeadlessState {
    Config config;
    std::uint32_t tick = 0;
    int frame = 0;
    // The clock's reference: the tick count at frame number tickBaseFrame (start-up: 0), and the
    // calendar time at tick count timeBaseTick. The script's tick and time events move them.
    std::uint32_t tickBase = 0;
    int tickBaseFrame = 0;
    std::int64_t timeBase = 0;
    std::uint32_t timeBaseTick = 0;
    bool framePending = false;   // frame `frame` has been entered but has not run yet
    bool limitReached = false;
    SlotHook hook = nullptr;
    void* hookUser = nullptr;
    Script script;
    std::size_t nextEvent = 0;
    std::vector<Box> boxes;
    int beeps = 0;
    bool cursorVisible = true;
    int cursorX = 0, cursorY = 0;
    bool windowOpen = false, windowShown = false, topmost = false;
    std::size_t iconBytes = 0;   // the window's icon, as the class named it
    int clientX = 0, clientY = 0, clientW = 0, clientH = 0;
    Picture shown;
    PendingPicture pending;   // presented, not yet read from the desktop surface
    int presents = 0;
    std::mutex boxLock;
};

HeadlessState machine;

// Leaves the current frame number and enters the next: the clock moves on and the next
// frame's scripted events are posted.
void advanceFrame() {
    if (machine.frame > 0 && machine.hook != nullptr) machine.hook(machine.frame, machine.hookUser);
    if (machine.frame >= machine.config.frames) {
        machine.limitReached = true;
        machine.framePending = false;
        platform::postMessage(0, WM_QUIT, 0, 0);
        return;
    }
    ++machine.frame;
    machine.tick = frameTick(machine.frame);
    advanceAudio(machine.config.frameMs);   // the sound of the time that just passed
    machine.framePending = true;
    while (machine.nextEvent < machine.script.events.size() &&
           machine.script.events[machine.nextEvent].frame == machine.frame)
        applyEvent(machine.script.events[machine.nextEvent++]);
}

}  // namespace

std::uint32_t frameTick(int frame) {
    if (frame < machine.tickBaseFrame) return machine.config.startTick + static_cast<std::uint32_t>(frame) * machine.config.frameMs;
    return machine.tickBase + static_cast<std::uint32_t>(frame - machine.tickBaseFrame) * machine.config.frameMs;
}

void setScriptedTick(std::uint32_t tick) {
    machine.tick = tick;
    machine.tickBase = tick;
    machine.tickBaseFrame = machine.frame;
    // At start-up the tick count is where the clock starts: the calendar time starts there too.
    if (machine.frame == 0) machine.timeBaseTick = tick;
}

void setScriptedTime(std::int64_t seconds) {
    machine.timeBase = seconds;
    machine.timeBaseTick = machine.tick;
}

void setCursorFromClient(int x, int y) {
    machine.cursorX = machine.clientX + x;
    machine.cursorY = machine.clientY + y;
}

void configure(const Config& config) {
    std::lock_guard<std::mutex> lock(machine.boxLock);
    machine.config = config;
    machine.tick = config.startTick;
    machine.frame = 0;
    machine.tickBase = config.startTick;
    machine.tickBaseFrame = 0;
    machine.timeBase = config.time;
    machine.timeBaseTick = config.startTick;
    machine.framePending = false;
    machine.limitReached = false;
    machine.hook = nullptr;
    machine.hookUser = nullptr;
    machine.script = Script{};
    machine.nextEvent = 0;
    machine.boxes.clear();
    machine.beeps = 0;
    machine.cursorVisible = true;
    machine.cursorX = machine.cursorY = 0;
    machine.windowOpen = machine.windowShown = machine.topmost = false;
    machine.iconBytes = 0;
    resetInput();
    machine.shown = Picture{};
    machine.pending = PendingPicture{};
    machine.presents = 0;
    resetAudio();
}

const Config& config() { return machine.config; }

bool loadScript(const std::string& text, std::string& error) {
    Script parsed;
    if (!parseScript(text, parsed, error)) return false;
    machine.script = std::move(parsed);
    machine.nextEvent = 0;
    // Frame 0 describes the machine at start-up (a joystick already plugged in): it takes
    // effect now, before the program reads anything.
    while (machine.nextEvent < machine.script.events.size() && machine.script.events[machine.nextEvent].frame <= machine.frame) {
        const ScriptEvent& ev = machine.script.events[machine.nextEvent++];
        if (ev.frame == 0 && machine.frame == 0) applyEvent(ev);
    }
    return true;
}

void setSlotEndHook(SlotHook hook, void* user) {
    machine.hook = hook;
    machine.hookUser = user;
}

int currentFrame() { return machine.frame; }
bool frameLimitReached() { return machine.limitReached; }
void setTick(std::uint32_t tick) { machine.tick = tick; }
void advanceTick(std::uint32_t ms) { machine.tick += ms; }

std::vector<Box> takeBoxes() {
    std::lock_guard<std::mutex> lock(machine.boxLock);
    std::vector<Box> out;
    out.swap(machine.boxes);
    return out;
}

int beepCount() { return machine.beeps; }
bool cursorVisible() { return machine.cursorVisible; }
int clientOriginX() { return machine.clientX; }
int clientOriginY() { return machine.clientY; }
bool windowOpen() { return machine.windowOpen; }
bool windowTopmost() { return machine.topmost; }
std::size_t windowIconBytes() { return machine.iconBytes; }

void moveWindow(int x, int y) {
    machine.clientX = x;
    machine.clientY = y;
    sendMessage(mainWindow(), WM_MOVE, 0, makePosition(x, y));
}

void captureShownPicture() {
    PendingPicture& p = machine.pending;
    if (!p.waiting) return;
    p.waiting = false;
    machine.shown.width = p.w;
    machine.shown.height = p.h;
    machine.shown.pixels.resize(static_cast<std::size_t>(p.w) * p.h);
    if (!readDesktop(p.x, p.y, p.w, p.h, machine.shown.pixels.data())) machine.shown = Picture{};
}

const Picture& shownPicture() {
    captureShownPicture();
    return machine.shown;
}
int presentCount() { return machine.presents; }

}  // namespace platform::headless

// ---------------------------------------------------------------- the backend's side of the platform

namespace platform::backend {

using headless::machine;

const Capabilities& describe() {
    static const Capabilities capabilities{"headless", false, false, true};
    return capabilities;
}

std::uint32_t tickCount() { return machine.tick; }

std::int64_t calendarSeconds() {
    return machine.timeBase + static_cast<std::int64_t>((machine.tick - machine.timeBaseTick) / 1000u);
}

int colorDepth() { return machine.config.colorDepth; }

bool cursorPosition(int& x, int& y) {
    x = machine.cursorX;
    y = machine.cursorY;
    return true;
}

bool moveCursor(int x, int y) {
    machine.cursorX = x;
    machine.cursorY = y;
    return true;
}

bool confineCursor(const Rect*) { return true; }

void spinWait() { ++machine.tick; }
void sleep(std::uint32_t ms) { machine.tick += ms; }



bool openWindow(const char*, int x, int y, int width, int height, std::uint32_t) {
    machine.windowOpen = true;
    machine.clientX = x;
    machine.clientY = y;
    machine.clientW = width;
    machine.clientH = height;
    return true;
}

void setWindowIcon(const unsigned char*, std::size_t size) { machine.iconBytes = size; }
void showWindow(bool show) { machine.windowShown = show; }
void setTopmost() { machine.topmost = true; }
void closeWindow() { machine.windowOpen = false; }

void pumpEvents() {}

void waitEvents() {
    // Inactive: frame numbers pass without frames until a scripted event arrives.
    do {
        headless::advanceFrame();
    } while (!machine.limitReached && shared::queueEmpty());
}

bool waitFrame(std::uint32_t) {
    if (!machine.framePending) {
        headless::advanceFrame();
        if (machine.limitReached || !shared::queueEmpty()) return false;
    }
    machine.framePending = false;
    return true;
}

void wake() {}

int showMessageBox(const char* utf8Text, const char* utf8Caption, std::uint32_t) {
    std::lock_guard<std::mutex> lock(machine.boxLock);
    machine.boxes.push_back(headless::Box{utf8Caption, utf8Text});
    return IDOK;
}

void beep(std::uint32_t) { ++machine.beeps; }
void setCursorVisible(bool visible) { machine.cursorVisible = visible; }
int screenWidth() { return machine.config.screenWidth; }
int screenHeight() { return machine.config.screenHeight; }

void presentPrimary() {
    int x = machine.clientX, y = machine.clientY, w = machine.clientW, h = machine.clientH;
    int fw = 0, fh = 0;
    if (desktopIsFullScreen(fw, fh)) {
        x = y = 0;
        w = fw;
        h = fh;
    }
    if (w < 1 || h < 1) return;
    // The picture stays on the desktop surface until the next presentation: it is read from
    // there only when someone looks at it, so that a run without output pays nothing for it.
    machine.pending = headless::PendingPicture{true, x, y, w, h};
    ++machine.presents;
}

bool setDisplayMode(int, int, int bitsPerPixel) {
    return bitsPerPixel != machine.config.refusedDepth;
}

void restoreDisplayMode() {}

void desktopArea(int& left, int& top, int& right, int& bottom) {
    left = top = 0;
    right = machine.config.screenWidth;
    bottom = machine.config.screenHeight;
}

}  // namespace platform::backend
