// SDL2 backend: a real window on the desktop, its events as window messages, the wall clock,
// SDL's audio devices and joysticks. Leaves out: the beep (SDL has none; said once on standard
// error) and a joystick driver's own dead zone (positions pass on as the device reports them).
//
// Its files, as in every backend (platform/backend.h), each in the contract's order:
//   backend.cpp  identity, events and pacing, time; here also starting SDL's video
//   window.cpp   window, cursor, message box
//   video.cpp    screen and presentation: the picture scaled into the window, full screen
//   input.cpp    SDL's events as window messages, joysticks, key state
//   audio.cpp    audio outputs as SDL audio devices
// Beside them: keys.cpp (SDL's keys as virtual-key codes), pads.cpp (the pad mapping files),
// x11_desktop.cpp (what SDL leaves to a window manager, done through X) and screenshot.cpp (F12:
// the shown picture saved) and session_gif.cpp (F9: the session so far saved, its GIF made).
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/window/program_name.h"
#include "platform/backend.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window/frame_schedule.h"

namespace platform::sdl {
namespace {

// SDL's video and events as started once, the event that wakes the window's thread, and the
// frames' schedule.
struct EventLoop {
    bool videoTried = false;
    bool videoOk = false;
    Uint32 wakeEvent = 0;
    FrameSchedule frames;
};

EventLoop eventLoop;

}  // namespace

#ifdef _WIN32
constexpr bool kAlwaysDisplay = true;
// What runs the game without a window, named in the message that no window can open.
constexpr const char* kWithoutWindow = "";
#else
constexpr bool kAlwaysDisplay = false;
constexpr const char* kWithoutWindow = "; the headless runner build/bin/quorbix-headless runs the game without one";
#endif

// SDL's video drivers that show nothing on any screen.
static bool invisibleDriver(const char* driver) {
    return std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
           std::strcmp(driver, "evdev") == 0;
}

bool ensureVideo() {
    if (eventLoop.videoTried) return eventLoop.videoOk;
    eventLoop.videoTried = true;
    // Without a display server SDL would fall back to drivers that show nothing anyone sees
    // (or take over the console): say so instead, unless a driver was chosen on purpose. Windows
    // always has its desktop.
    if (!kAlwaysDisplay && std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
        std::getenv("SDL_VIDEODRIVER") == nullptr) {
        platform::say("no display to open a window on (DISPLAY is not set)%s.\n", kWithoutWindow);
        return false;
    }
#ifdef _WIN32
    // The window is sized and drawn in physical pixels at a whole scale (window.cpp, video.cpp):
    // the system must not stretch it on a scaled display. The programs' manifest declares as much
    // before anything runs; this covers a program built with the SDK without that manifest.
    SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
#endif
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        platform::say("no display to open a window on (%s)%s.\n", SDL_GetError(), kWithoutWindow);
        return false;
    }
    // When the display named in DISPLAY cannot be opened, SDL falls back on its own to a driver
    // that draws into memory: the game would run with no window anyone sees. Unless that driver
    // was chosen on purpose, it is a display that could not be opened.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (std::getenv("SDL_VIDEODRIVER") == nullptr && driver != nullptr && invisibleDriver(driver)) {
        const char* display = std::getenv("DISPLAY");
        platform::say("no display to open a window on (the display %s could not be opened)%s.\n",
                     display != nullptr ? display : "", kWithoutWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER);
        return false;
    }
    eventLoop.wakeEvent = SDL_RegisterEvents(1);
    if (eventLoop.wakeEvent == static_cast<Uint32>(-1)) {
        // Without it a notice from another thread waits for the next frame or input event.
        platform::say("no event type is left for waking the window's thread (%s)\n", SDL_GetError());
        eventLoop.wakeEvent = 0;
    }
    eventLoop.videoOk = true;
    // Which backend runs, said once at start-up (the headless trace says it in its first line).
    platform::say("sdl backend (real time, display), video driver %s\n",
                 SDL_GetCurrentVideoDriver());
    return true;
}

bool videoStarted() { return eventLoop.videoOk; }

}  // namespace platform::sdl

namespace platform::backend {

using sdl::eventLoop;

// ---------------------------------------------------------------- identity

const Capabilities& describe() {
    static const Capabilities capabilities{"sdl", true, true, true};
    return capabilities;
}

// ---------------------------------------------------------------- events and pacing

void pumpEvents() {
    if (eventLoop.videoOk) sdl::drainEvents();
    sdl::titleNoteLeft();
    sdl::pollSessionGif();
}

void waitEvents() {
    SDL_Event e;
    // A note in the title wakes the wait when its time is over, to put the title back, and a
    // GIF being made now and then, to see whether it is ready.
    Uint32 noteLeft = sdl::titleNoteLeft();
    if (const Uint32 poll = sdl::pollSessionGif(); poll > 0) noteLeft = noteLeft > 0 ? std::min(noteLeft, poll) : poll;
    if (eventLoop.videoOk && (noteLeft > 0 ? SDL_WaitEventTimeout(&e, static_cast<int>(noteLeft)) : SDL_WaitEvent(&e))) {
        sdl::translate(e);
        sdl::drainEvents();
    }
}

bool waitFrame(std::uint32_t periodMs) {
    const std::int32_t remaining = eventLoop.frames.untilNext(SDL_GetTicks(), periodMs);
    if (remaining <= 0) {
        sdl::countFrameStart(eventLoop.frames.lastLateMs, periodMs);
        return true;
    }
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, remaining)) {
        sdl::translate(e);
        sdl::drainEvents();
    }
    return false;
}

void wake() {
    if (!eventLoop.videoOk || eventLoop.wakeEvent == 0) return;
    SDL_Event e{};
    e.type = eventLoop.wakeEvent;
    SDL_PushEvent(&e);
}

// ---------------------------------------------------------------- time

// SDL starts its clock on first use, without any subsystem: reading it opens nothing.
std::uint32_t tickCount() { return SDL_GetTicks(); }

std::int64_t calendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

void sleep(std::uint32_t ms) { SDL_Delay(ms); }
void spinWait() {}

}  // namespace platform::backend
