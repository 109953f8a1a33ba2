// The frame loop through the headless runner: scene entry, click flags, pacing, activation,
// shutdown paths and the system cursor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/app_state.h"
#include "framework/input/typed_text.h"
#include "framework/shell/flip.h"
#include "framework/shell/frame_loop.h"
#include "framework/shell/window_proc.h"
#include "framework/system/system_utils.h"
#include "framework/system/wait_timers.h"
#include "platform/headless/headless.h"
#include "platform/window/window.h"
#include "tests/support/test_support.h"

namespace hl = platform::headless;

namespace {
// A title scene that moves to the result scene in its third frame, and a result scene that
// assigns its own number every frame.
int titleFrames = 0;
void TitleThatLeaves() {
    if (++titleFrames == 3) Shell.SceneId = 3;
}
void ResultThatStays() { Shell.SceneId = 3; }
}  // namespace

TEST(FrameLoop, SceneEntryProtocol) {
    titleFrames = 0;
    platform::headless::Config cfg;
    cfg.frames = 6;
    StartFresh(cfg);
    SceneFunctions[2] = TitleThatLeaves;
    SceneFunctions[3] = ResultThatStays;
    struct Seen { int scene, entered; };
    static std::vector<Seen> seen;
    seen.clear();
    hl::setSlotEndHook([](int, void*) { seen.push_back({Shell.LastFrame.Scene, Shell.LastFrame.Entered}); },
                       nullptr);
    WinMain("", platform::SW_SHOWNORMAL);
    hl::setSlotEndHook(nullptr, nullptr);
    ResetProgramState();
    ASSERT_EQ(seen.size(), 6u);
    // The first frame enters the title; leaving in frame 3 gives the result its entry frame;
    // a scene assigning its own number gets none.
    const Seen expected[] = {{2, 1}, {2, 0}, {2, 0}, {3, 1}, {3, 0}, {3, 0}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(seen[i].scene, expected[i].scene) << "frame " << i + 1;
        EXPECT_EQ(seen[i].entered, expected[i].entered) << "frame " << i + 1;
    }
}

// The scene-left hook: once per change, after the frame that made it and before the next scene's
// entry frame, with both numbers; a change through a covering transition when the cover is done.
namespace {
struct Left { int frame, scene, next, sceneIdSeen; };
std::vector<Left> lefts;
int sceneFrames = 0;
void LeavesAtOnceForThree() { Shell.SceneId = 3; }
void CoversTowardOne() {
    if (Shell.SceneEntered) {
        sceneFrames = 0;
        return;
    }
    if (++sceneFrames == 1) {
        Shell.NextSceneId = 1;
        elDraw::TransitionOut();
    }
}
void Stays() {}
}  // namespace

TEST(FrameLoop, SceneLeftHookOncePerChangeBeforeTheEntryFrame) {
    platform::headless::Config cfg;
    cfg.frames = 16;
    StartFresh(cfg);
    lefts.clear();
    SceneFunctions[2] = LeavesAtOnceForThree;
    SceneFunctions[3] = CoversTowardOne;
    SceneFunctions[1] = Stays;
    Program.SceneLeft = [](int scene, int next) {
        lefts.push_back({Shell.LastFrame.Count, scene, next, Shell.SceneId});
    };
    struct Seen { int scene, entered; };
    static std::vector<Seen> seen;
    seen.clear();
    hl::setSlotEndHook([](int, void*) { seen.push_back({Shell.LastFrame.Scene, Shell.LastFrame.Entered}); },
                       nullptr);
    WinMain("", platform::SW_SHOWNORMAL);
    hl::setSlotEndHook(nullptr, nullptr);
    ResetProgramState();
    // Frame 1 runs scene 2, which leaves; frames 2 and 3 run scene 3, which starts covering in
    // its second frame; frames 4 to 13 cover; frame 14 enters scene 1.
    ASSERT_EQ(lefts.size(), 2u);
    EXPECT_EQ(lefts[0].frame, 1);
    EXPECT_EQ(lefts[0].scene, 2);
    EXPECT_EQ(lefts[0].next, 3);
    EXPECT_EQ(lefts[0].sceneIdSeen, 3);
    EXPECT_EQ(lefts[1].frame, 13);
    EXPECT_EQ(lefts[1].scene, 3);
    EXPECT_EQ(lefts[1].next, 1);
    ASSERT_EQ(seen.size(), 16u);
    EXPECT_EQ(seen[13].scene, 1);
    EXPECT_EQ(seen[13].entered, 1);
    EXPECT_EQ(seen[12].scene, 0) << "the last covering frame";
}

TEST(FrameLoop, EachPressIsSeenByExactlyOneFrame) {
    auto t = RunScript(
        "2 ldown\n2 lup\n2 ldown\n"   // two presses before frame 2 count once
        "4 rdown\n"
        "6 ldown\n6 ldbl\n"           // a quick second press arrives as a double-click
        "7 rdbl\n",
        8);
    ASSERT_EQ(t.size(), 8u);
    struct Case { int frame, left, right; } cases[] = {
        {1, 0, 0}, {2, 1, 0}, {3, 0, 0}, {4, 0, 1}, {5, 0, 0}, {6, 1, 0}, {7, 0, 1}, {8, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Field(t[c.frame - 1], "left_click"), c.left) << t[c.frame - 1];
        EXPECT_EQ(Field(t[c.frame - 1], "right_click"), c.right) << t[c.frame - 1];
    }
}

TEST(FrameLoop, ClockAdvancesOneFrameLengthPerFrame) {
    auto t = RunScript("", 3, 0xFFFFFFA0u);   // frame 2 spans the wrap of the tick count
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(Field(t[0], "tick"), 0xFFFFFFD2);
    EXPECT_EQ(Field(t[1], "tick"), 0x4);
    for (const auto& line : t) EXPECT_EQ(Field(line, "delta_ms"), 50) << line;
}

TEST(FrameLoop, InactiveApplicationRunsNoFramesAndTheNextFrameSpansThePause) {
    auto t = RunScript("3 activate 0\n7 activate 1\n", 8);
    ASSERT_EQ(t.size(), 8u);
    for (int f = 1; f <= 8; ++f) {
        bool ran = f < 3 || f >= 7;
        EXPECT_EQ(Field(t[f - 1], "ran"), ran ? 1 : 0) << t[f - 1];
    }
    EXPECT_EQ(Field(t[6], "delta_ms"), 250) << "frame 7 follows frame 2";
    EXPECT_EQ(Field(t[7], "delta_ms"), 50);
}

TEST(FrameLoop, EscapeShutsDownOncePostingOneClose) {
    StartFresh();
    // Escape runs the shutdown from the key handler: one WM_CLOSE is queued.
    Shell.MainWindow = 1;
    OnKeyDown(27);
    EXPECT_EQ(elSystem::System.CloseState, 2);
    platform::Message m;
    int closes = 0;
    while (platform::peekMessage(m)) closes += m.message == platform::WM_CLOSE;
    EXPECT_EQ(closes, 1);

    auto t = RunScript("3 key 27\n", 10);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(Field(t[2], "quit"), 1);
    EXPECT_EQ(Field(t[2], "ran"), 0) << "no frame runs after the shutdown";
    EXPECT_EQ(elSystem::System.CloseState, 2);
    EXPECT_FALSE(hl::windowOpen());
    EXPECT_FALSE(platform::peekMessage(m)) << "nothing left queued, no second close";
}

TEST(FrameLoop, WindowCloseShutsDownWithoutPostingAnother) {
    auto t = RunScript("2 close\n", 10);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(Field(t[1], "quit"), 1);
    EXPECT_EQ(elSystem::System.CloseState, 2);
    platform::Message m;
    EXPECT_FALSE(platform::peekMessage(m));
    EXPECT_FALSE(hl::windowOpen());
    EXPECT_TRUE(hl::windowTopmost()) << "a windowed program keeps its window above the others";
}

TEST(FrameLoop, HeldInputBlocksClicksAndEscape) {
    StartFresh();
    elSystem::HoldInput();
    Shell.MainWindow = 1;
    struct Case { std::uint32_t msg; platform::WParam w; } cases[] = {
        {platform::WM_LBUTTONDOWN, 1}, {platform::WM_LBUTTONDBLCLK, 1}, {platform::WM_RBUTTONDOWN, 2},
        {platform::WM_RBUTTONDBLCLK, 2}, {platform::WM_KEYDOWN, 27},
    };
    for (const auto& c : cases) WndProc(1, c.msg, c.w, 0);
    EXPECT_EQ(Input.LeftClick, 0);
    EXPECT_EQ(Input.RightClick, 0);
    EXPECT_EQ(Input.HoldLeftDown, 1);
    EXPECT_EQ(Input.HoldKey, 27);
    EXPECT_EQ(elSystem::System.CloseState, 0) << "Escape while input is held does not shut down";
}

TEST(FrameLoop, CursorHiddenInsideShownOutsideAndOnDeactivation) {
    StartFresh();
    struct Step { const char* script; bool visibleAfter; } steps[] = {
        {"2 move 10 10\n", false},
        {"2 move 10 10\n3 move -5 10\n", true},
        {"2 move 10 10\n3 move -5 10\n4 move 479 359\n", false},
        {"2 move 10 10\n3 move 480 10\n", true},
        {"2 move 10 10\n3 activate 0\n", true},
    };
    for (const auto& s : steps) {
        RunScript(s.script, 4);
        EXPECT_EQ(hl::cursorVisible(), s.visibleAfter) << s.script;
        EXPECT_EQ(Shell.CursorShown, s.visibleAfter ? 1 : 0) << s.script;
    }
}

TEST(FrameLoop, BlinkPhaseLitOneSecondDarkTwoHundredMilliseconds) {
    // Frames every 50 ms from tick 0: the deadline of 1000 is reached in frame 20.
    StartFresh();
    auto phaseAfter = [](std::uint32_t tick) {
        hl::setTick(tick);
        elSystem::AdvanceBlink();
        return elSystem::Clock.BlinkPhase;
    };
    EXPECT_EQ(elSystem::Clock.BlinkPhase, 1);
    EXPECT_EQ(phaseAfter(999), 1);
    EXPECT_EQ(phaseAfter(1000), 0);
    EXPECT_EQ(phaseAfter(1199), 0);
    EXPECT_EQ(phaseAfter(1200), 1);
    EXPECT_EQ(phaseAfter(2199), 1);
    EXPECT_EQ(phaseAfter(2200), 0);

    // A deadline just before the wrap is still reached after the tick count wraps.
    StartFresh(0xFFFFFF00u);
    EXPECT_EQ(elSystem::Clock.BlinkDeadline, 0x2E8u);
    EXPECT_EQ(phaseAfter(0x2E7u), 1);
    EXPECT_EQ(phaseAfter(0x2E8u), 0);
    StartFresh(0xFFFFFC00u);   // deadline 0xFFFFFFE8
    EXPECT_EQ(phaseAfter(0x10u), 0) << "a reading past the wrap is past a deadline before it";
}

// Typed text: what a script's text events typed reaches the frame after them and that frame only,
// several events of one frame in their order; a frame keeps 255 bytes, whole characters.
TEST(FrameLoop, TypedTextIsTheFramesOwnAndWholeCharacters) {
    platform::headless::Config cfg;
    cfg.frames = 5;
    StartFresh(cfg);
    std::string error;
    const std::string many = std::string(254, 'x');   // then "é" no longer fits: it is lost whole
    ASSERT_TRUE(hl::loadScript("2 text \"h\xC3\xA9llo\"\n3 text \"a\"\n3 text \"\xE3\x81\x82\"\n4 text \"" + many +
                                   "\"\n4 text \"\xC3\xA9\"\n4 text \"!\"\n",
                               error))
        << error;
    static std::vector<std::string> typed;
    typed.clear();
    SceneFunctions[2] = [] { typed.push_back(quorbix::TypedText()); };
    WinMain("", platform::SW_SHOWNORMAL);
    ResetProgramState();
    ASSERT_EQ(typed.size(), 5u);
    EXPECT_EQ(typed[0], "");
    EXPECT_EQ(typed[1], "h\xC3\xA9llo");
    EXPECT_EQ(typed[2], "a\xE3\x81\x82");
    EXPECT_EQ(typed[3], many + "!");
    EXPECT_EQ(typed[4], "") << "the next frame starts with nothing typed";
    quorbix::AddTypedCharacter(U'\n');
    quorbix::AddTypedCharacter(0xD800);
    quorbix::AddTypedCharacter(0x110000);
    EXPECT_STREQ(quorbix::TypedText(), "") << "no character typed";
}
