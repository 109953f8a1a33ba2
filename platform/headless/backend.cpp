// Headless backend: virtual clock, scripted input, logged message boxes, a window on a virtual
// screen. Leaves out: real sleeping (the clock jumps a frame at a time), sound from a beep.
#include <mutex>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/headless/audio.h"
#include "platform/headless/headless.h"
#include "platform/headless/script.h"
#include "platform/surface.h"
#include "platform/system.h"

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
    int clientX = 0, clientY = 0, clientW = 0, clientH = 0;
    Picture shown;
    PendingPicture pending;   // presented, not yet read from the desktop surface
    int presents = 0;
    std::mutex boxLock;
};

HeadlessState hs;

// Leaves the current frame number and enters the next: the clock moves on and the next
// frame's scripted events are posted.
void advanceFrame() {
    if (hs.frame > 0 && hs.hook != nullptr) hs.hook(hs.frame, hs.hookUser);
    if (hs.frame >= hs.config.frames) {
        hs.limitReached = true;
        hs.framePending = false;
        platform::postMessage(0, WM_QUIT, 0, 0);
        return;
    }
    ++hs.frame;
    hs.tick = hs.config.startTick + static_cast<std::uint32_t>(hs.frame) * hs.config.frameMs;
    advanceAudio(hs.config.frameMs);   // the sound of the time that just passed
    hs.framePending = true;
    while (hs.nextEvent < hs.script.events.size() &&
           hs.script.events[hs.nextEvent].frame == hs.frame)
        applyEvent(hs.script.events[hs.nextEvent++]);
}

}  // namespace

void setCursorFromClient(int x, int y) {
    hs.cursorX = hs.clientX + x;
    hs.cursorY = hs.clientY + y;
}

void configure(const Config& config) {
    std::lock_guard<std::mutex> lock(hs.boxLock);
    hs.config = config;
    hs.tick = config.startTick;
    hs.frame = 0;
    hs.framePending = false;
    hs.limitReached = false;
    hs.hook = nullptr;
    hs.hookUser = nullptr;
    hs.script = Script{};
    hs.nextEvent = 0;
    hs.boxes.clear();
    hs.beeps = 0;
    hs.cursorVisible = true;
    hs.cursorX = hs.cursorY = 0;
    hs.windowOpen = hs.windowShown = hs.topmost = false;
    resetInput();
    hs.shown = Picture{};
    hs.pending = PendingPicture{};
    hs.presents = 0;
    resetAudio();
}

const Config& config() { return hs.config; }

bool loadScript(const std::string& text, std::string& error) {
    Script parsed;
    if (!parseScript(text, parsed, error)) return false;
    hs.script = std::move(parsed);
    hs.nextEvent = 0;
    // Frame 0 describes the machine at start-up (a joystick already plugged in): it takes
    // effect now, before the program reads anything.
    while (hs.nextEvent < hs.script.events.size() && hs.script.events[hs.nextEvent].frame <= hs.frame) {
        const ScriptEvent& ev = hs.script.events[hs.nextEvent++];
        if (ev.frame == 0 && hs.frame == 0) applyEvent(ev);
    }
    return true;
}

void setSlotEndHook(SlotHook hook, void* user) {
    hs.hook = hook;
    hs.hookUser = user;
}

int currentFrame() { return hs.frame; }
bool frameLimitReached() { return hs.limitReached; }
void setTick(std::uint32_t tick) { hs.tick = tick; }
void advanceTick(std::uint32_t ms) { hs.tick += ms; }

std::vector<Box> takeBoxes() {
    std::lock_guard<std::mutex> lock(hs.boxLock);
    std::vector<Box> out;
    out.swap(hs.boxes);
    return out;
}

int beepCount() { return hs.beeps; }
bool cursorVisible() { return hs.cursorVisible; }
int clientOriginX() { return hs.clientX; }
int clientOriginY() { return hs.clientY; }
bool windowOpen() { return hs.windowOpen; }
bool windowTopmost() { return hs.topmost; }

void moveWindow(int x, int y) {
    hs.clientX = x;
    hs.clientY = y;
    sendMessage(mainWindow(), WM_MOVE, 0, makePosition(x, y));
}

void captureShownPicture() {
    PendingPicture& p = hs.pending;
    if (!p.waiting) return;
    p.waiting = false;
    hs.shown.width = p.w;
    hs.shown.height = p.h;
    hs.shown.pixels.resize(static_cast<std::size_t>(p.w) * p.h);
    if (!readDesktop(p.x, p.y, p.w, p.h, hs.shown.pixels.data())) hs.shown = Picture{};
}

const Picture& shownPicture() {
    captureShownPicture();
    return hs.shown;
}
int presentCount() { return hs.presents; }

}  // namespace platform::headless

// ---------------------------------------------------------------- the backend's side of the platform

namespace platform {

using headless::hs;

std::uint32_t getTickCount() { return hs.tick; }

std::int64_t calendarTime() {
    return hs.config.time + static_cast<std::int64_t>((hs.tick - hs.config.startTick) / 1000u);
}

int getColorDepth() { return hs.config.colorDepth; }

bool getCursorPos(int& x, int& y) {
    x = hs.cursorX;
    y = hs.cursorY;
    return true;
}

bool setCursorPos(int x, int y) {
    hs.cursorX = x;
    hs.cursorY = y;
    return true;
}

bool clipCursor(const Rect*) { return true; }

namespace backend {

bool openWindow(const char*, int x, int y, int width, int height, std::uint32_t) {
    hs.windowOpen = true;
    hs.clientX = x;
    hs.clientY = y;
    hs.clientW = width;
    hs.clientH = height;
    return true;
}

void showWindow(bool show) { hs.windowShown = show; }
void setTopmost() { hs.topmost = true; }
void closeWindow() { hs.windowOpen = false; }

void pumpEvents() {}

void waitEvents() {
    // Inactive: frame numbers pass without frames until a scripted event arrives.
    do {
        headless::advanceFrame();
    } while (!hs.limitReached && shared::queueEmpty());
}

bool waitFrame(std::uint32_t) {
    if (!hs.framePending) {
        headless::advanceFrame();
        if (hs.limitReached || !shared::queueEmpty()) return false;
    }
    hs.framePending = false;
    return true;
}

void wake() {}

int showMessageBox(const char* utf8Text, const char* utf8Caption, std::uint32_t) {
    std::lock_guard<std::mutex> lock(hs.boxLock);
    hs.boxes.push_back(headless::Box{utf8Caption, utf8Text});
    return IDOK;
}

void beep(std::uint32_t) { ++hs.beeps; }
void setCursorVisible(bool visible) { hs.cursorVisible = visible; }
int screenWidth() { return hs.config.screenWidth; }
int screenHeight() { return hs.config.screenHeight; }

void presentPrimary() {
    int x = hs.clientX, y = hs.clientY, w = hs.clientW, h = hs.clientH;
    int fw = 0, fh = 0;
    if (desktopIsFullScreen(fw, fh)) {
        x = y = 0;
        w = fw;
        h = fh;
    }
    if (w < 1 || h < 1) return;
    // The picture stays on the desktop surface until the next presentation: it is read from
    // there only when someone looks at it, so that a run without output pays nothing for it.
    hs.pending = headless::PendingPicture{true, x, y, w, h};
    ++hs.presents;
}

bool setDisplayMode(int, int, int bitsPerPixel) {
    return bitsPerPixel != hs.config.refusedDepth;
}

void restoreDisplayMode() {}

void desktopArea(int& left, int& top, int& right, int& bottom) {
    left = top = 0;
    right = hs.config.screenWidth;
    bottom = hs.config.screenHeight;
}

}  // namespace backend
}  // namespace platform

namespace platform {
void spinWait() { ++hs.tick; }
}  // namespace platform
