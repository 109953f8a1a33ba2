// Platform: the frame schedule of the real-time backends (platform/ only): one frame every
// period, kept to the clock.
#pragma once
#include <cstdint>

namespace platform {

struct FrameSchedule {
    std::uint32_t nextDue = 0;      // when the next frame is due on the schedule
    std::uint32_t lastStart = 0;    // when the last frame started
    bool started = false;
    // How many milliseconds after its time on the schedule the last frame started (0 on time,
    // and for the first after a restart that is not a late frame: a start or a clock gone back).
    std::uint32_t lastLateMs = 0;

    // Milliseconds from `now` until the next frame may start; at 0 or less it starts now and is
    // counted. Frames keep to the schedule, and after a late one catch up without coming closer
    // than four fifths of a period to each other. After a pause (inactive, a box, a slow frame)
    // the schedule restarts from now rather than running the missed frames back to back; so it
    // does after any gap longer than a period, weeks included. The tick count wraps after 49.7
    // days: a gap within a period of a whole number of wraps looks short, and waits at most two
    // periods.
    std::int32_t untilNext(std::uint32_t now, std::uint32_t periodMs);
};

}  // namespace platform
