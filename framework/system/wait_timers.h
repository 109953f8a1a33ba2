// elSystem: the ten numbered wait timers, the blocking delay, the frame clock and the blink clock.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/system/wait_timers.h is the framework's own; include <quorbix/system.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdint>

namespace elSystem {

// A timer holding this deadline counts as not running. It is an ordinary tick value.
constexpr std::uint32_t WaitIdle = 999999999u;
constexpr int kWaitTimers = 10;       // numbers 1 to 10
constexpr int kDelayEntry = 11;       // the delay's own entry, no public number

// The wait timers' deadlines, the frame clock (FrameDelta: the last frame's length in seconds) and
// the blink clock.
struct ClockState {
    std::uint32_t Wait[kDelayEntry + 1] = {};   // entries 1 to 11; entry 0 is unused
    std::uint32_t LastFrameTick = 0;
    float FrameDelta = 0.0f;
    int BlinkPhase = 1;
    std::uint32_t BlinkDeadline = 0;
    std::uint32_t FpsDeadline = 0;   // first measuring deadline of the frame-rate display
    // Program-start state: every entry 0, then the start values read from the tick count.
    void reset();
};
// The clocks themselves: elSystem::Clock.FrameDelta is read by every per-second speed.
extern ClockState Clock;

// Sets the start values from the tick count, in this order: LastFrameTick, BlinkDeadline
// (+1000), the frame-rate display's first deadline. Runs before the entry point's own work.
void SetStartValues();

// Called by the display set-up: every timer idle, input no longer held.
void Init();
// Starts timer `number` (1 to 10) to run out `ms` milliseconds from now; 0 after an error box for
// another number.
int SetWait(int number, int ms);
// Stops timer `number`: it counts as not running (WaitIdle).
int InitWait(int number);
// 1 once timer `number` has run out, else 0 (also for a number outside 1 to 10).
int CheckWait(int number);
// Blocks for `ms` milliseconds, then starts the frame clock anew; answers the tick count.
std::uint32_t Delay(int ms);
// Called by the frame loop at the start of each frame: FrameDelta becomes the time since the last.
std::uint32_t UpdateFrameClock();

// Called by the frame loop once per frame: flips BlinkPhase at its deadline
// (1000 ms lit, 200 ms dark).
void AdvanceBlink();

}  // namespace elSystem
