// Web backend: the page's canvas as the window, its input as window messages, the clock of
// performance.now(), message boxes as an in-page dialog and sound through Web Audio. The page's
// script (page/quorbix-page.js) keeps what the browser delivers in Module.page; this file reads it
// there. Leaves out: joysticks (none), moving or confining the pointer (a page cannot), the beep.
//
// Waits. The program's waits (the frame loop's, a modal box, Delay, a blocking sound) return to
// the browser through Asyncify: each wait sleeps in short steps with emscripten_sleep, and every
// step renders the sound the page needs by then, so that sound never waits for a frame.
#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/sound/audio_stream.h"
#include "platform/backend.h"
#include "platform/window/frame_schedule.h"
#include "platform/window/recording.h"
#include "platform/video/surface.h"
#include "platform/window/system.h"
#include "platform/web/web_backend.h"

namespace platform::web {
namespace {

// clang-format off
EM_JS(double, pageNow, (), { return performance.now(); });
EM_JS(double, pageAudioClockMs, (), { return Module.page.audioClockMs(); });
EM_JS(double, pageCalendarMs, (), { return Module.page.calendarMs(); });
EM_JS(int, pageOpenWindow, (const char* title, int width, int height), {
    return Module.page.openWindow(UTF8ToString(title), width, height) ? 1 : 0;
});
EM_JS(void, pageShowWindow, (int show), { Module.page.showWindow(!!show); });
EM_JS(void, pagePresent, (const std::uint8_t* rgba, int width, int height), {
    Module.page.present(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});
// The next input event: its kind (0: none), numbers in out[0..3] and a key's name in code.
EM_JS(int, pageNextEvent, (int* out, char* code, int codeSize), {
    const e = Module.page.events.shift();
    if (!e) return 0;
    HEAP32[(out >> 2) + 0] = e.a | 0;
    HEAP32[(out >> 2) + 1] = e.b | 0;
    HEAP32[(out >> 2) + 2] = e.c | 0;
    HEAP32[(out >> 2) + 3] = e.d | 0;
    stringToUTF8(e.code ? e.code : "", code, codeSize);
    return e.kind;
});
EM_JS(int, pageEventsWaiting, (), { return Module.page.events.length; });
EM_JS(void, pageShowBox, (const char* text, const char* caption, int warning), {
    Module.page.showBox(UTF8ToString(text), UTF8ToString(caption), !!warning);
});
EM_JS(int, pageBoxOpen, (), { return Module.page.boxOpen() ? 1 : 0; });
EM_JS(void, pageSetCursor, (int visible), { Module.page.setCursorVisible(!!visible); });
EM_JS(void, pageAudioOpen, (), { Module.page.audioOpen(); });
EM_JS(void, pageAudioPost, (const float* frames, int count), {
    Module.page.audioPost(HEAPF32.subarray(frames >> 2, (frames >> 2) + count * 2));
});
EM_JS(int, pageProgramPath, (char* out, int size), {
    stringToUTF8(Module.page.programPath, out, size);
    return 0;
});
// clang-format on

enum EventKind { kNone, kMove, kPress, kRelease, kKeyDown, kKeyUp, kFocus };

// The page's input events as they are numbered by the page script.
struct Event {
    int kind = kNone;
    int a = 0, b = 0, c = 0, d = 0;
    char code[32] = {};
};

struct Output {
    backend::AudioRenderFn render = nullptr;
    void* user = nullptr;
};

struct WebState {
    bool windowOpen = false;
    int clientX = 0, clientY = 0, clientW = 0, clientH = 0;
    int pointerX = 0, pointerY = 0;   // client coordinates, as last reported
    std::array<bool, 256> keys{};
    FrameSchedule frames;
    // The shown picture, read from the desktop and turned into the canvas's RGBA bytes in place.
    std::vector<std::uint32_t> picture;
    // Sound: frames rendered since the first output opened, against the clock.
    Output outputs[8];
    bool audioStarted = false;
    double audioStartMs = 0;
    std::uint64_t framesRendered = 0;
    std::int16_t block[audio::kDeviceFrames * audio::kChannels] = {};
    std::int32_t sum[audio::kDeviceFrames * audio::kChannels] = {};
    float posted[audio::kDeviceFrames * audio::kChannels] = {};
    char programPath[256] = {};
};

WebState page;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// The longest step of a wait: input and sound are looked at at least this often.
constexpr std::uint32_t kWaitStepMs = 8;
// Sound is rendered this far ahead of the clock (the page's queue holds it until played).
constexpr std::uint64_t kAudioLeadFrames = 8 * audio::kDeviceFrames;
// Behind by more than this (a hidden page is woken once a second), the sound of the lost time is
// rendered, so that every sound's position keeps to the clock, but not handed to the page.
constexpr std::uint64_t kAudioMaxBehindFrames = audio::kRate / 4;

WindowId main() { return mainWindow(); }

void translate(const Event& e) {
    recording::beginInput();
    const LParam pos = makePosition(e.b, e.c);
    switch (e.kind) {
        case kMove:
            page.pointerX = e.b;
            page.pointerY = e.c;
            postMessage(main(), WM_MOUSEMOVE, 0, pos);
            break;
        case kPress: {
            page.pointerX = e.b;
            page.pointerY = e.c;
            // The browser counts quick presses on one spot; every second one is the double-click.
            const bool dbl = e.d >= 2 && e.d % 2 == 0;
            if (e.a == 0) postMessage(main(), dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, 1, pos);
            if (e.a == 2) postMessage(main(), dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN, 2, pos);
            break;
        }
        case kRelease:
            if (e.a == 0) postMessage(main(), WM_LBUTTONUP, 0, pos);
            if (e.a == 2) postMessage(main(), WM_RBUTTONUP, 0, pos);
            break;
        case kKeyDown:
        case kKeyUp: {
            const int vk = virtualKey(e.code);
            if (vk == 0) break;
            page.keys[static_cast<std::size_t>(vk)] = e.kind == kKeyDown;
            postMessage(main(), e.kind == kKeyDown ? WM_KEYDOWN : WM_KEYUP, static_cast<WParam>(vk), 1);
            break;
        }
        case kFocus:
            // Keys held when the page lost the focus are never reported released.
            if (e.a == 0) page.keys.fill(false);
            postMessage(main(), WM_ACTIVATEAPP, e.a != 0 ? 1 : 0, 0);
            break;
        default:
            break;
    }
    recording::endInput();
}

bool drainEvents() {
    bool any = false;
    Event e;
    while ((e.kind = pageNextEvent(&e.a, e.code, sizeof e.code)) != kNone) {
        translate(e);
        any = true;
    }
    return any;
}

// One step of a wait: sound first, then back to the browser for at most `ms`.
void waitStep(std::uint32_t ms) {
    pumpAudio();
    emscripten_sleep(std::max<std::uint32_t>(1, std::min(ms, kWaitStepMs)));
    pumpAudio();
}

}  // namespace

void pumpAudio() {
    if (!page.audioStarted) return;
    const double elapsedMs = pageAudioClockMs() - page.audioStartMs;
    const std::uint64_t due = static_cast<std::uint64_t>(elapsedMs * audio::kRate / 1000.0) + kAudioLeadFrames;
    const std::uint64_t quiet = due > kAudioLeadFrames + kAudioMaxBehindFrames ? due - kAudioLeadFrames - kAudioMaxBehindFrames : 0;
    constexpr int kFrames = audio::kDeviceFrames;
    while (page.framesRendered < due) {
        std::fill(std::begin(page.sum), std::end(page.sum), 0);
        for (Output& o : page.outputs) {
            if (o.render == nullptr) continue;
            o.render(o.user, page.block, kFrames, true);
            for (int i = 0; i < kFrames * audio::kChannels; ++i) page.sum[i] += page.block[i];
        }
        page.framesRendered += kFrames;
        if (page.framesRendered < quiet) continue;
        for (int i = 0; i < kFrames * audio::kChannels; ++i)
            page.posted[i] = static_cast<float>(std::clamp(page.sum[i], -32768, 32767)) / 32768.0f;
        pageAudioPost(page.posted, kFrames);
    }
}

}  // namespace platform::web

namespace platform::backend {

using web::page;

const Capabilities& describe() {
    static const Capabilities capabilities{"web", true, true, false};
    return capabilities;
}

// ---------------------------------------------------------------- window

bool openWindow(const char* title, int x, int y, int width, int height, std::uint32_t) {
    if (!web::pageOpenWindow(title, width, height)) return false;
    page.windowOpen = true;
    page.clientX = x;
    page.clientY = y;
    page.clientW = width;
    page.clientH = height;
    return true;
}

// The page shows its own icon.
void setWindowIcon(const unsigned char*, std::size_t) {}
void showWindow(bool show) { web::pageShowWindow(show ? 1 : 0); }
void setTopmost() {}
void closeWindow() {
    page.windowOpen = false;
    web::pageShowWindow(0);
}

// ---------------------------------------------------------------- events and pacing

void pumpEvents() {
    web::pumpAudio();
    web::drainEvents();
}

void waitEvents() {
    while (!web::drainEvents()) web::waitStep(web::kWaitStepMs);
}

bool waitFrame(std::uint32_t periodMs) {
    for (;;) {
        const std::int32_t remaining = page.frames.untilNext(tickCount(), periodMs);
        if (remaining <= 0) return true;
        if (web::pageEventsWaiting()) {
            web::drainEvents();
            return false;
        }
        web::waitStep(static_cast<std::uint32_t>(remaining));
    }
}

// Everything runs on the one thread of the page: nobody else posts.
void wake() {}

// ---------------------------------------------------------------- time

std::uint32_t tickCount() { return static_cast<std::uint32_t>(static_cast<std::uint64_t>(web::pageNow())); }

std::int64_t calendarSeconds() { return static_cast<std::int64_t>(web::pageCalendarMs() / 1000.0); }

void sleep(std::uint32_t ms) {
    const std::uint32_t start = tickCount();
    for (std::uint32_t passed = 0; passed < ms; passed = tickCount() - start) web::waitStep(ms - passed);
}

// A busy wait on the tick count gives the page its turn at every reading; otherwise nothing
// would be drawn or heard until it ends.
void spinWait() { web::waitStep(1); }

// ---------------------------------------------------------------- screen and presentation

int screenWidth() { return web::kScreenWidth; }
int screenHeight() { return web::kScreenHeight; }
int colorDepth() { return 32; }

void presentPrimary() {
    int x = page.clientX, y = page.clientY, w = page.clientW, h = page.clientH;
    int fw = 0, fh = 0;
    if (desktopIsFullScreen(fw, fh)) {
        x = y = 0;
        w = fw;
        h = fh;
    }
    if (w < 1 || h < 1 || !page.windowOpen) return;
    std::vector<std::uint32_t>& pixels = page.picture;
    pixels.resize(static_cast<std::size_t>(w) * h);
    if (!readDesktop(x, y, w, h, pixels.data())) return;
    // 0x00RRGGBB words become the bytes R, G, B, 255 (WebAssembly is little-endian).
    for (std::uint32_t& p : pixels) p = 0xFF000000u | (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
    web::pagePresent(reinterpret_cast<const std::uint8_t*>(pixels.data()), w, h);
}

// The program's own full screen: the canvas takes the mode's size (presentPrimary shows it).
bool setDisplayMode(int, int, int) { return true; }
void restoreDisplayMode() {}

void desktopArea(int& left, int& top, int& right, int& bottom) {
    left = top = 0;
    right = web::kScreenWidth;
    bottom = web::kScreenHeight;
}

// ---------------------------------------------------------------- cursor

void setCursorVisible(bool visible) { web::pageSetCursor(visible ? 1 : 0); }

bool cursorPosition(int& x, int& y) {
    x = page.clientX + page.pointerX;
    y = page.clientY + page.pointerY;
    return true;
}

// A page cannot move the pointer or hold it in a rectangle; a confinement's end is no change.
bool moveCursor(int, int) { return false; }
bool confineCursor(const Rect* rect) { return rect == nullptr; }

// ---------------------------------------------------------------- message box

int showMessageBox(const char* utf8Text, const char* utf8Caption, std::uint32_t style) {
    web::pageShowBox(utf8Text, utf8Caption, (style & MB_ICONEXCLAMATION) != 0 ? 1 : 0);
    while (web::pageBoxOpen()) web::waitStep(20);
    return IDOK;
}

void beep(std::uint32_t) {}

// ---------------------------------------------------------------- input devices

bool readJoystick(int, std::uint32_t&, std::uint32_t&, std::uint32_t&) { return false; }

bool keyDown(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256 && page.keys[static_cast<std::size_t>(virtualKey)];
}

// ---------------------------------------------------------------- audio

int openAudioOutput(AudioRenderFn render, void* user) {
    if (render == nullptr) return 0;
    for (int slot = 0; slot < 8; ++slot) {
        if (page.outputs[slot].render != nullptr) continue;
        page.outputs[slot] = web::Output{render, user};
        if (!page.audioStarted) {
            web::pageAudioOpen();
            page.audioStarted = true;
            page.audioStartMs = web::pageAudioClockMs();
            page.framesRendered = 0;
        }
        return slot + 1;
    }
    return 0;
}

void closeAudioOutput(int output) {
    if (output >= 1 && output <= 8) page.outputs[output - 1] = web::Output{};
}

void waitAudio(std::uint32_t ms) { sleep(ms); }

}  // namespace platform::backend

namespace platform::web {
namespace {

// The program's file lies in the page's file system, beside its data; the machine's figures are
// fixed (a page sees no disk and no memory of the machine).
struct MachineOnThePage {
    MachineOnThePage() {
        pageProgramPath(page.programPath, sizeof page.programPath);
        MachineFigures figures;
        figures.sectorsPerCluster = 8;
        figures.bytesPerSector = 512;
        figures.freeClusters = 262144;    // 1 GiB
        figures.totalClusters = 1048576;  // 4 GiB
        figures.availablePhysicalMemory = 256ull << 20;
        figures.modulePath = page.programPath;
        overrideMachineFigures(&figures);
    }
};
MachineOnThePage machineOnThePage;

}  // namespace
}  // namespace platform::web

// The C library of a WebAssembly build without threads has no timed semaphore wait. Only the
// music's render thread waits that way, and the page starts no threads (describe().threads), so
// this never runs; it is here for the link.
#include <cerrno>
#include <semaphore.h>
extern "C" int sem_timedwait(sem_t*, const struct timespec*) {
    errno = ETIMEDOUT;
    return -1;
}
