// elSystem: wait timers and the frame clock, all on the 32-bit millisecond tick count, which
// wraps after 49.7 days: every comparison and difference here is unsigned 32-bit.
#include "framework/system/wait_timers.h"

#include "framework/core/code_page.h"
#include "framework/core/texts.h"
#include "framework/core/error_box.h"
#include "framework/core/program_state.h"
#include "framework/system/system_utils.h"
#include "platform/window/system.h"

namespace elSystem {

ClockState Clock;
const ProgramStateRegistration kClockReset{ResetStage::System, [] { Clock.reset(); }};

namespace {
const quorbix::LocalText kWaitNoOutOfRange("ウェイトNoが範囲外です", "The wait number is out of range");

bool ValidNumber(int number) { return number >= 1 && number <= kWaitTimers; }
}  // namespace

void ClockState::reset() {
    *this = ClockState{};
    SetStartValues();
}

void SetStartValues() {
    Clock.LastFrameTick = platform::getTickCount();
    Clock.BlinkDeadline = platform::getTickCount() + 1000u;
    Clock.FpsDeadline = platform::getTickCount();
}

void Init() {
    for (int i = 1; i <= kDelayEntry; ++i) Clock.Wait[i] = WaitIdle;
    ResumeInput();
}

int SetWait(int number, int ms) {
    if (!ValidNumber(number)) return elDraw::ShowError("elSystem::SetWait", kWaitNoOutOfRange);
    Clock.Wait[number] = platform::getTickCount() + static_cast<std::uint32_t>(ms);
    return 1;
}

int InitWait(int number) {
    if (!ValidNumber(number)) return elDraw::ShowError("elSystem::InitWait", kWaitNoOutOfRange);
    Clock.Wait[number] = WaitIdle;
    return 1;
}

int CheckWait(int number) {
    // Numbers outside 1 to 10 are the caller's fault; they read as "not over" rather than
    // reading outside the table.
    if (!ValidNumber(number)) return 0;
    return platform::getTickCount() > Clock.Wait[number] ? 1 : 0;
}

std::uint32_t Delay(int ms) {
    Clock.Wait[kDelayEntry] = platform::getTickCount() + static_cast<std::uint32_t>(ms);
    // Over once the tick count is past the deadline. The distance is taken signed, so that a
    // deadline at or just past the wrap is reached like any other; the wait sleeps.
    for (;;) {
        const std::int32_t left = static_cast<std::int32_t>(Clock.Wait[kDelayEntry] - platform::getTickCount());
        if (left < 0) break;
        platform::sleepMs(static_cast<std::uint32_t>(left) + 1);
    }
    return UpdateFrameClock();
}

std::uint32_t UpdateFrameClock() {
    std::uint32_t now = platform::getTickCount();
    std::uint32_t elapsed = now - Clock.LastFrameTick;
    Clock.FrameDelta = static_cast<float>(static_cast<double>(elapsed) / 1000.0);
    Clock.LastFrameTick = platform::getTickCount();
    return Clock.LastFrameTick;
}

void AdvanceBlink() {
    std::uint32_t now = platform::getTickCount();
    // "At or past the deadline", on a clock that wraps: the deadline is reached when the
    // distance from it is less than half the range.
    if (static_cast<std::int32_t>(now - Clock.BlinkDeadline) >= 0) {
        Clock.BlinkPhase = 1 - Clock.BlinkPhase;
        Clock.BlinkDeadline = platform::getTickCount() + (Clock.BlinkPhase == 1 ? 1000u : 200u);
    }
}

}  // namespace elSystem
