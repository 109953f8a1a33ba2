// Headless backend: a virtual clock that moves a frame length per frame number, input from a
// script, and the window, its pictures, boxes and sound kept for the runner and the tests to
// read (headless.h, audio.h). Leaves out: real sleeping (the clock jumps a frame at a time),
// sound from a beep (it is counted), a real pointer (the cursor is a position kept here).
//
// Its files, as in every backend (platform/backend.h), each in the contract's order:
//   backend.cpp  identity, events and pacing, time; here also the run: set-up, clock, script
//   window.cpp   window, cursor, message box
//   video.cpp    screen and presentation
//   input.cpp    the script's events as window messages, joysticks, key state
//   audio.cpp    audio outputs, rendered by the clock
// There is no keys.cpp: the script names virtual-key codes, so no key names are translated.
#include <algorithm>
#include <string>

#include "platform/backend.h"
#include "platform/headless/audio.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_backend.h"
#include "platform/window/window.h"

namespace platform::headless {
namespace {

// The run: its configuration, the virtual clock, the frame numbers and how far the script is.
struct VirtualClock {
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
};

VirtualClock virtualClock;

// Leaves the current frame number and enters the next: the clock moves on and the next
// frame's scripted events are posted.
void advanceFrame() {
    VirtualClock& c = virtualClock;
    if (c.frame > 0 && c.hook != nullptr) c.hook(c.frame, c.hookUser);
    if (c.frame >= c.config.frames) {
        c.limitReached = true;
        c.framePending = false;
        platform::postMessage(0, WM_QUIT, 0, 0);
        return;
    }
    ++c.frame;
    c.tick = frameTick(c.frame);
    advanceAudio(c.config.frameMs);   // the sound of the time that just passed
    c.framePending = true;
    while (c.nextEvent < c.script.events.size() && c.script.events[c.nextEvent].frame == c.frame)
        applyEvent(c.script.events[c.nextEvent++]);
}

}  // namespace

void configure(const Config& config) {
    virtualClock = VirtualClock{};
    virtualClock.config = config;
    virtualClock.tick = config.startTick;
    virtualClock.tickBase = config.startTick;
    virtualClock.timeBase = config.time;
    virtualClock.timeBaseTick = config.startTick;
    resetWindow();
    resetPresentation();
    resetInput();
    resetAudio();
}

const Config& config() { return virtualClock.config; }

void setFrameMs(std::uint32_t ms) { virtualClock.config.frameMs = ms > 0 ? ms : 1; }

bool loadScript(const std::string& text, std::string& error) {
    Script parsed;
    if (!parseScript(text, parsed, error)) return false;
    VirtualClock& c = virtualClock;
    c.script = std::move(parsed);
    c.nextEvent = 0;
    // A recording longer than the default limit replays whole.
    if (c.config.framesCoverScript && !c.script.events.empty())
        c.config.frames = std::max(c.config.frames, c.script.events.back().frame);
    // Frame 0 describes the machine at start-up (a joystick already plugged in): it takes
    // effect now, before the program reads anything.
    while (c.nextEvent < c.script.events.size() && c.script.events[c.nextEvent].frame <= c.frame) {
        const ScriptEvent& ev = c.script.events[c.nextEvent++];
        if (ev.frame == 0 && c.frame == 0) applyEvent(ev);
    }
    return true;
}

void setSlotEndHook(SlotHook hook, void* user) {
    virtualClock.hook = hook;
    virtualClock.hookUser = user;
}

int currentFrame() { return virtualClock.frame; }

std::uint32_t frameTick(int frame) {
    const VirtualClock& c = virtualClock;
    if (frame < c.tickBaseFrame) return c.config.startTick + static_cast<std::uint32_t>(frame) * c.config.frameMs;
    return c.tickBase + static_cast<std::uint32_t>(frame - c.tickBaseFrame) * c.config.frameMs;
}

bool frameLimitReached() { return virtualClock.limitReached; }

std::size_t eventsNotPlayed(int& firstFrame) {
    const VirtualClock& c = virtualClock;
    const std::size_t left = c.script.events.size() - c.nextEvent;
    firstFrame = left == 0 ? 0 : c.script.events[c.nextEvent].frame;
    return left;
}
void setTick(std::uint32_t tick) { virtualClock.tick = tick; }
void advanceTick(std::uint32_t ms) { virtualClock.tick += ms; }

void setScriptedTick(std::uint32_t tick) {
    VirtualClock& c = virtualClock;
    c.tick = tick;
    c.tickBase = tick;
    c.tickBaseFrame = c.frame;
    // At start-up the tick count is where the clock starts: the calendar time starts there too.
    if (c.frame == 0) c.timeBaseTick = tick;
}

void setScriptedTime(std::int64_t seconds) {
    virtualClock.timeBase = seconds;
    virtualClock.timeBaseTick = virtualClock.tick;
}

}  // namespace platform::headless

namespace platform::backend {

using headless::virtualClock;

// ---------------------------------------------------------------- identity

const Capabilities& describe() {
#ifdef __EMSCRIPTEN__
    // Built for WebAssembly (the tests' runner, without threads): the sound font and the faces
    // load on the program's thread, where they are first asked for.
    static const Capabilities capabilities{"headless", false, false, false};
#else
    static const Capabilities capabilities{"headless", false, false, true};
#endif
    return capabilities;
}

// ---------------------------------------------------------------- events and pacing

void pumpEvents() {}

void waitEvents() {
    // Inactive: frame numbers pass without frames until a scripted event arrives.
    do {
        headless::advanceFrame();
    } while (!virtualClock.limitReached && shared::queueEmpty());
}

bool waitFrame(std::uint32_t) {
    if (!virtualClock.framePending) {
        headless::advanceFrame();
        if (virtualClock.limitReached || !shared::queueEmpty()) return false;
    }
    virtualClock.framePending = false;
    return true;
}

void wake() {}

// ---------------------------------------------------------------- time

std::uint32_t tickCount() { return virtualClock.tick; }

std::int64_t calendarSeconds() {
    return virtualClock.timeBase + static_cast<std::int64_t>((virtualClock.tick - virtualClock.timeBaseTick) / 1000u);
}

void sleep(std::uint32_t ms) { virtualClock.tick += ms; }
void spinWait() { ++virtualClock.tick; }

}  // namespace platform::backend
