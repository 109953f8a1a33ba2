// Platform: the frame schedule of the real-time backends.
#include "platform/window/frame_schedule.h"

namespace platform {

std::int32_t FrameSchedule::untilNext(std::uint32_t now, std::uint32_t periodMs) {
    // More than a period off the schedule either way: a pause, or one so long (inactive for
    // weeks) that the tick count's difference reads backwards past half its range.
    const std::int32_t late = static_cast<std::int32_t>(now - nextDue);
    const std::int32_t period = static_cast<std::int32_t>(periodMs);
    const bool wasStarted = started;
    if (!started || late > period || late < -period) {
        nextDue = now;
        lastStart = now - periodMs;
        started = true;
    }
    std::uint32_t due = nextDue;
    const std::uint32_t earliest = lastStart + periodMs * 4 / 5;
    if (static_cast<std::int32_t>(earliest - due) > 0) due = earliest;
    const std::int32_t remaining = static_cast<std::int32_t>(due - now);
    if (remaining <= 0) {
        // Late against the schedule before any restart: a stall longer than a period is late too.
        lastLateMs = wasStarted && late > 0 ? static_cast<std::uint32_t>(late) : 0;
        nextDue += periodMs;
        lastStart = now;
    }
    return remaining;
}

}  // namespace platform
