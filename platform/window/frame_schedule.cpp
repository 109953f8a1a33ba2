// Platform: the frame schedule of the real-time backends.
#include "platform/window/frame_schedule.h"

namespace platform {

std::int32_t FrameSchedule::untilNext(std::uint32_t now, std::uint32_t periodMs) {
    if (!started || static_cast<std::int32_t>(now - nextDue) > static_cast<std::int32_t>(periodMs)) {
        nextDue = now;
        lastStart = now - periodMs;
        started = true;
    }
    std::uint32_t due = nextDue;
    const std::uint32_t earliest = lastStart + periodMs * 4 / 5;
    if (static_cast<std::int32_t>(earliest - due) > 0) due = earliest;
    const std::int32_t remaining = static_cast<std::int32_t>(due - now);
    if (remaining <= 0) {
        nextDue += periodMs;
        lastStart = now;
    }
    return remaining;
}

}  // namespace platform
