// Wait timers and the frame clock on the headless tick count, including its wrap-around.
#include <gtest/gtest.h>

#include "framework/system/wait_timers.h"
#include "platform/headless/headless.h"
#include "platform/window/system.h"
#include "tests/support/test_support.h"

using namespace elSystem;
namespace hl = platform::headless;

TEST(WaitTimers, RangeErrorsShowTheBoxAndChangeNothing) {
    StartFresh(5000);
    Init();
    ASSERT_EQ(SetWait(1, 100), 1);
    std::uint32_t timer1 = Clock.Wait[1];
    std::uint32_t delayEntry = Clock.Wait[kDelayEntry];
    hl::takeBoxes();
    struct Case { const char* what; int result; } cases[] = {
        {"SetWait 0", SetWait(0, 10)}, {"SetWait 11", SetWait(11, 10)}, {"InitWait 0", InitWait(0)},
        {"InitWait 11", InitWait(11)},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, 0) << c.what;
    auto boxes = hl::takeBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].caption, "エラー発生");
    EXPECT_EQ(boxes[0].text, "elSystem::SetWait : ウェイトNoが範囲外です");
    EXPECT_EQ(boxes[2].text, "elSystem::InitWait : ウェイトNoが範囲外です");
    EXPECT_EQ(Clock.Wait[1], timer1);
    EXPECT_EQ(Clock.Wait[kDelayEntry], delayEntry);
    // Out-of-range numbers are never read from the table.
    EXPECT_EQ(CheckWait(0), 0);
    EXPECT_EQ(CheckWait(11), 0);
    EXPECT_EQ(CheckWait(-5), 0);
}

TEST(WaitTimers, OverOnlyStrictlyAfterTheDeadline) {
    StartFresh(1000);
    Init();
    SetWait(3, 0);
    EXPECT_EQ(CheckWait(3), 0) << "same tick as SetWait";
    hl::advanceTick(1);
    EXPECT_EQ(CheckWait(3), 1);
    SetWait(3, 50);
    hl::advanceTick(50);
    EXPECT_EQ(CheckWait(3), 0);
    hl::advanceTick(1);
    EXPECT_EQ(CheckWait(3), 1);
    hl::advanceTick(100000);
    EXPECT_EQ(CheckWait(3), 1) << "stays over until set again";
    InitWait(3);
    EXPECT_EQ(CheckWait(3), 0);
}

TEST(WaitTimers, IdleAndWrappedDeadlines) {
    StartFresh(999999999u);
    Init();
    EXPECT_EQ(CheckWait(5), 0) << "idle at exactly the idle value";
    hl::advanceTick(1);
    EXPECT_EQ(CheckWait(5), 1) << "idle timers read as over after 11.6 days of uptime";

    // A timer started just before the tick count wraps has a small deadline: over at once.
    StartFresh(0xFFFFFFF0u);
    Init();
    SetWait(2, 100);
    EXPECT_EQ(Clock.Wait[2], 0x54u);
    EXPECT_EQ(CheckWait(2), 1);
}

TEST(FrameClock, DeltaIsUnsignedAcrossTheWrap) {
    StartFresh(0xFFFFFFCEu);   // 50 ms before the wrap
    UpdateFrameClock();
    EXPECT_FLOAT_EQ(Clock.FrameDelta, 0.0f) << "two readings in one tick";
    hl::advanceTick(100);      // now 50 ms past the wrap
    UpdateFrameClock();
    EXPECT_FLOAT_EQ(Clock.FrameDelta, 0.1f);
    EXPECT_EQ(Clock.LastFrameTick, 0x32u);
}

TEST(FrameClock, DelayWaitsPastItsDeadlineAndRestartsTheClock) {
    StartFresh(100);
    Init();
    Delay(0);
    EXPECT_GT(platform::getTickCount(), 100u);
    EXPECT_EQ(Clock.LastFrameTick, platform::getTickCount());
    std::uint32_t before = platform::getTickCount();
    Delay(30);
    EXPECT_EQ(platform::getTickCount(), before + 31);
    EXPECT_FLOAT_EQ(Clock.FrameDelta, 0.031f);
}

TEST(FrameClock, DelayAcrossTheWrapEndsJustPastItsDeadline) {
    // The deadline is the last tick before the wrap: a plain comparison never found it passed.
    StartFresh(0xFFFFFFFFu - 20);
    Init();
    Delay(20);
    EXPECT_EQ(platform::getTickCount(), 0u);
    EXPECT_FLOAT_EQ(Clock.FrameDelta, 0.021f);
    // A deadline past the wrap: a plain comparison found it passed at once.
    hl::setTick(0xFFFFFFF0u);
    UpdateFrameClock();
    Delay(30);
    EXPECT_EQ(platform::getTickCount(), 0x0Fu);
}

TEST(FrameClock, InitStopsEveryTimerAndResumesInput) {
    StartFresh(0);
    for (int i = 1; i <= kDelayEntry; ++i) EXPECT_EQ(Clock.Wait[i], 0u);
    Init();
    for (int i = 1; i <= kDelayEntry; ++i) EXPECT_EQ(Clock.Wait[i], WaitIdle) << "entry " << i;
}
