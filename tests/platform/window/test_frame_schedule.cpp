// The real-time backends' frame schedule: one frame every period, late frames caught up without
// crowding, pauses not replayed, and the tick count's wrap.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <vector>

#include "platform/window/frame_schedule.h"

namespace {

// The start times of the frames a schedule gives when asked at every millisecond from `from`,
// the program taking `work(n)` milliseconds for frame n.
template <typename Work>
std::vector<std::uint32_t> Starts(std::uint32_t from, int frames, Work work) {
    platform::FrameSchedule s;
    std::vector<std::uint32_t> starts;
    std::uint32_t now = from;
    while (static_cast<int>(starts.size()) < frames) {
        if (s.untilNext(now, 50) <= 0) {
            starts.push_back(now);
            now += work(static_cast<int>(starts.size()));
        } else {
            ++now;
        }
    }
    return starts;
}

TEST(FrameSchedule, KeepsToThePeriodCatchesUpWithoutCrowdingAndRestartsAfterAPause) {
    auto steady = Starts(1000, 5, [](int) { return 5u; });
    EXPECT_EQ(steady, (std::vector<std::uint32_t>{1000, 1050, 1100, 1150, 1200}));

    // Frame 2 takes 80 ms: frame 3 starts at once (late), the next ones 40 ms apart until they
    // are back on the schedule at frame 6.
    auto late = Starts(1000, 7, [](int n) { return n == 2 ? 80u : 5u; });
    EXPECT_EQ(late, (std::vector<std::uint32_t>{1000, 1050, 1130, 1170, 1210, 1250, 1300}));

    // A frame of 500 ms (a box was open): the schedule starts afresh from its end.
    auto paused = Starts(1000, 4, [](int n) { return n == 2 ? 500u : 5u; });
    EXPECT_EQ(paused, (std::vector<std::uint32_t>{1000, 1050, 1550, 1600}));

    // The tick count wraps after 49.7 days: the frames keep their period across it.
    auto wrap = Starts(0xFFFFFFC0u, 4, [](int) { return 5u; });
    EXPECT_EQ(wrap, (std::vector<std::uint32_t>{0xFFFFFFC0u, 0xFFFFFFF2u, 0x24u, 0x56u}));
}

// How late each frame started against the schedule, as the window counts its late frames: a
// frame after an 80 ms one starts 30 ms late and its catching up less so; after a pause of
// 500 ms, 450 ms; on time, 0.
TEST(FrameSchedule, SaysHowLateEachFrameStarted) {
    platform::FrameSchedule s;
    std::vector<std::uint32_t> lateness;
    const std::uint32_t work[] = {5, 80, 5, 5, 5, 5, 500, 5};
    std::uint32_t now = 1000;
    for (std::size_t n = 0; n < std::size(work);) {
        if (s.untilNext(now, 50) <= 0) {
            lateness.push_back(s.lastLateMs);
            now += work[n++];
        } else {
            ++now;
        }
    }
    EXPECT_EQ(lateness, (std::vector<std::uint32_t>{0, 0, 30, 20, 10, 0, 0, 450}));
}

// Inactive for weeks, nobody asks; the first frame after it starts at once and the next keep the
// period. A gap past half the tick range reads as a negative difference; across the 32-bit wrap
// too. Before this was mended, 25 days of inactivity left the next frame due 24.7 days later.
TEST(FrameSchedule, RestartsAfterWeeksOfInactivity) {
    constexpr std::uint32_t kDay = 24u * 60 * 60 * 1000;
    struct Case {
        const char* what;
        std::uint32_t from, gap;
    } cases[] = {
        {"25 days", 1000, 25 * kDay},
        {"40 days", 1000, 40 * kDay},
        {"25 days across the wrap", 0xF0000000u, 25 * kDay},
        {"40 days across the wrap", 0xC0000000u, 40 * kDay},
    };
    for (const Case& c : cases) {
        platform::FrameSchedule s;
        EXPECT_LE(s.untilNext(c.from, 50), 0) << c.what;
        EXPECT_EQ(s.untilNext(c.from + 5, 50), 45) << c.what;
        const std::uint32_t back = c.from + c.gap;
        EXPECT_LE(s.untilNext(back, 50), 0) << c.what << ": the first frame after the gap starts at once";
        EXPECT_EQ(s.untilNext(back + 5, 50), 45) << c.what;
        EXPECT_LE(s.untilNext(back + 50, 50), 0) << c.what;
    }
}

TEST(FrameSchedule, TellsHowLongToWait) {
    platform::FrameSchedule s;
    EXPECT_LE(s.untilNext(1000, 50), 0);
    EXPECT_EQ(s.untilNext(1010, 50), 40);
    EXPECT_EQ(s.untilNext(1049, 50), 1);
    EXPECT_LE(s.untilNext(1050, 50), 0);
}

}  // namespace
