// The clip-window wipes: every type opening and closing with a steady frame delta, odd sizes,
// the random type, refused starts, CloseClipWindow, drawing through a wiped window, and the
// frame loop ending a running wipe on a scene change.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "framework/shell/frame_loop.h"
#include "tests/framework/draw/effect_support.h"
#include "framework/draw/clip_wipes.h"
#include "framework/system/random.h"

using namespace elDraw;
using namespace effects_test;

namespace {

std::string Text(const ClipRect& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

std::string Window() { return Text(Display.ClipWindow); }

std::string WipeText() {
    const ClipWipeStatus& w = Wipe;
    return "state " + std::to_string(w.ClipWipeState) + " saved " + Text(w.SavedClipWindow) + " closing " +
           std::to_string(w.ClipWipeClosing) + " type " + std::to_string(w.ClipWipeType) + " speed " +
           std::to_string(w.ClipWipeSpeed) + " size " + std::to_string(w.ClipWipeSize) + " opened " +
           std::to_string(w.ClipWipeOpened) + " closed " + std::to_string(w.ClipWipeClosed) + " window " + Window();
}

// Runs updates until the wipe reports itself done; the number of updates, or -1 past `limit`.
int RunToEnd(int limit = 1000) {
    for (int n = 1; n <= limit; ++n) {
        if (UpdateClipWipe() != 1) return -1;
        if (Wipe.ClipWipeOpened == 1 || Wipe.ClipWipeClosed == 1) return n;
    }
    return -1;
}

}  // namespace

TEST(ClipWipes, OpeningTypeFourMovesTheRightEdgeByTwentyFivePixels) {
    OpenEffectsDisplay(0.1f);
    ASSERT_EQ(StartClipWipe(0, 4, 240.0f, 0), 1);
    EXPECT_EQ(Window(), "(0,0,0,360)");
    std::vector<int> rights;
    while (Wipe.ClipWipeOpened == 0 && rights.size() < 30) {
        EXPECT_EQ(UpdateClipWipe(), 1);
        rights.push_back(Display.ClipWindow.right);
    }
    std::vector<int> expected;
    for (int n = 1; n < 20; ++n) expected.push_back(25 * n);
    expected.push_back(480);   // 500 >= 480: the edge is set to 480 and the wipe completes
    EXPECT_EQ(rights, expected);
    EXPECT_EQ(Wipe.ClipWipeState, kWipeIdle);
    EXPECT_EQ(UpdateClipWipe(), 0) << "no wipe runs any more";
}

TEST(ClipWipes, EveryTypeOpensAndClosesOverItsUpdates) {
    // Window 480 x 360, 100 pixels per second at 0.1 s: 11 pixels per update; strips of 40.
    struct Case {
        int closing, type;
        const char* first;   // the window after the first update
        int updates;
        const char* last;    // the window when the wipe completes
    } cases[] = {
        {0, 1, "(0,349,480,360)", 33, "(0,0,480,360)"},
        {0, 2, "(0,0,480,11)", 33, "(0,0,480,360)"},
        {0, 3, "(469,0,480,360)", 44, "(0,0,480,360)"},
        {0, 4, "(0,0,11,360)", 44, "(0,0,480,360)"},
        {0, 5, "(0,169,480,191)", 17, "(0,0,480,360)"},
        {0, 6, "(229,0,251,360)", 22, "(0,0,480,360)"},
        {0, 7, "(229,169,251,191)", 22, "(0,0,480,360)"},
        {0, 8, "(220,169,260,191)", 17 + 20, "(0,0,480,360)"},
        {0, 9, "(229,160,251,200)", 22 + 15, "(0,0,480,360)"},
        {1, 1, "(0,11,480,360)", 33, "(0,363,480,360)"},
        {1, 2, "(0,0,480,349)", 33, "(0,0,480,-3)"},
        {1, 3, "(11,0,480,360)", 44, "(484,0,480,360)"},
        {1, 4, "(0,0,469,360)", 44, "(0,0,-4,360)"},
        {1, 5, "(0,11,480,349)", 17, "(0,187,480,173)"},
        {1, 6, "(11,0,469,360)", 22, "(242,0,238,360)"},
        {1, 7, "(11,11,469,349)", 22, "(240,180,240,180)"},   // collapsed to the point (cx, cy)
        {1, 8, "(11,0,469,360)", 20 + 17, "(220,187,260,173)"},  // the column cx - 20 .. cx + 20
        {1, 9, "(0,11,480,349)", 15 + 22, "(242,160,238,200)"},
    };
    for (const Case& c : cases) {
        const std::string name = (c.closing ? "closing type " : "opening type ") + std::to_string(c.type);
        OpenEffectsDisplay(0.1f);
        ASSERT_EQ(StartClipWipe(c.closing, c.type, 100.0f, 40), 1) << name;
        ASSERT_EQ(UpdateClipWipe(), 1) << name;
        EXPECT_EQ(Window(), c.first) << name;
        // Each update's window lies within the last one (closing) or holds it (opening).
        ClipRect before = Display.ClipWindow;
        bool monotonic = true;
        int updates = 1;
        while (Wipe.ClipWipeOpened == 0 && Wipe.ClipWipeClosed == 0 && updates < 200) {
            UpdateClipWipe();
            ++updates;
            const ClipRect& now = Display.ClipWindow;
            const ClipRect& outer = c.closing ? before : now;
            const ClipRect& inner = c.closing ? now : before;
            const bool empty = inner.left >= inner.right || inner.top >= inner.bottom;
            if (!empty && (inner.left < outer.left || inner.top < outer.top || inner.right > outer.right ||
                           inner.bottom > outer.bottom))
                monotonic = false;
            before = now;
        }
        EXPECT_TRUE(monotonic) << name;
        EXPECT_EQ(updates, c.updates) << name;
        EXPECT_EQ(Window(), c.last) << name;
        EXPECT_EQ(Wipe.ClipWipeState, c.closing ? kWipeClosed : kWipeIdle) << name;
        EXPECT_EQ(Wipe.ClipWipeOpened + 2 * Wipe.ClipWipeClosed, c.closing ? 2 : 1) << name;
    }
}

TEST(ClipWipes, StepSizesAndOddWindows) {
    // Speed 0 moves every edge one pixel per update.
    OpenEffectsDisplay(0.1f);
    StartClipWipe(1, 7, 0.0f, 0);
    UpdateClipWipe();
    EXPECT_EQ(Window(), "(1,1,479,359)");

    // An odd height: cy is rounded toward the top, so the bottom edge jumps the last pixel when
    // the top arrives.
    OpenEffectsDisplay(0.1f);
    SetClipWindow(0, 10, 480, 101);
    StartClipWipe(0, 5, 0.0f, 0);
    EXPECT_EQ(Window(), "(0,55,480,55)");
    for (int n = 0; n < 44; ++n) UpdateClipWipe();
    EXPECT_EQ(Window(), "(0,11,480,99)");
    UpdateClipWipe();
    EXPECT_EQ(Window(), "(0,10,480,101)");
    EXPECT_EQ(Wipe.ClipWipeOpened, 1);

    // A huge speed or a long frame completes in one update without overflowing an edge.
    for (float speed : {1e30f, INFINITY}) {
        OpenEffectsDisplay(1000.0f);
        StartClipWipe(1, 1, speed, 0);
        EXPECT_EQ(RunToEnd(), 1) << speed;
        EXPECT_EQ(Window(), "(0,2147483647,480,360)") << speed;
        elSystem::Clock.FrameDelta = 0.0f;   // 0 x infinity is no number: still one pixel
        StartClipWipe(0, 4, speed, 0);
        UpdateClipWipe();
        EXPECT_EQ(Window(), "(0,0,1,360)") << speed;
    }

    // A strip wider than the window is kept to the window's width.
    OpenEffectsDisplay(0.1f);
    StartClipWipe(0, 8, 100.0f, 2000);
    EXPECT_EQ(Wipe.ClipWipeSize, 480);
    EXPECT_EQ(Window(), "(0,180,480,180)");
    StartClipWipe(0, 9, 100.0f, -50);   // refused: the last one still runs
    RunToEnd();
    StartClipWipe(1, 9, 100.0f, -50);
    EXPECT_EQ(Wipe.ClipWipeSize, 0);
    EXPECT_EQ(RunToEnd(), 17 + 22) << "a band of no height, then closed from the sides";
}

TEST(ClipWipes, RandomTypeAndRefusedStarts) {
    OpenEffectsDisplay(0.1f);
    // Type 0 draws one value: from seed 12345 the generator's seed becomes 12345 * 214013 +
    // 2531011 = 2644521496, its value (2644521496 >> 16) & 0x7FFF = 7584, and 7584 % 9 + 1 = 7.
    elSystem::SeedRandom(12345);
    ASSERT_EQ(StartClipWipe(0, 0, 50.0f, 10), 1);
    EXPECT_EQ(Wipe.ClipWipeType, 7);
    EXPECT_EQ(Wipe.ClipWipeState, kWipeOpening);

    // While it runs, every start is refused and nothing changes.
    UpdateClipWipe();
    const std::string before = WipeText();
    const std::uint32_t seed = elSystem::RandomGen.Seed;
    for (int closing : {0, 1}) EXPECT_EQ(StartClipWipe(closing, 0, 10.0f, 5), 0);
    EXPECT_EQ(WipeText(), before);
    EXPECT_EQ(elSystem::RandomGen.Seed, seed) << "a refused start draws no random number";

    // A type without a pattern or a speed that moves nothing is refused too, even when idle.
    RunToEnd();
    const std::string idle = WipeText();
    struct Case { const char* name; int type; float speed; } cases[] = {
        {"type -1", -1, 10.0f}, {"type 10", 10, 10.0f}, {"speed -1", 3, -1.0f}, {"speed NaN", 3, NAN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StartClipWipe(1, c.type, c.speed, 0), 0) << c.name;
        EXPECT_EQ(WipeText(), idle) << c.name;
    }
}

TEST(ClipWipes, AClosedWindowShowsNothingUntilTheNextOpening) {
    OpenEffectsDisplay(0.1f);
    const int pic = CodedObject();
    StartClipWipe(1, 5, 1000.0f, 0);
    RunToEnd();
    PutObject(0, 0, pic, 0, 0, 480, 360);
    int shown = 0;
    for (int y = 0; y < 360; y += 3)
        for (int x = 0; x < 480; x += 3) shown += SourceOf(x, y).found() ? 1 : 0;
    EXPECT_EQ(shown, 0);

    // Opening from closed first restores the saved window, then collapses it to the start shape.
    SetClipWindow(5, 5, 6, 6);   // whatever the window became meanwhile
    ASSERT_EQ(StartClipWipe(0, 7, 100.0f, 0), 1);
    EXPECT_EQ(Text(Wipe.SavedClipWindow), "(0,0,480,360)");
    EXPECT_EQ(Window(), "(240,180,240,180)");
    UpdateClipWipe();
    PutObject(0, 0, pic, 0, 0, 480, 360);
    // Exactly the window (229, 169) to (251, 191) shows the picture.
    int wrong = 0;
    for (int y = 160; y < 200; ++y)
        for (int x = 220; x < 260; ++x) {
            const bool inside = x >= 229 && x < 251 && y >= 169 && y < 191;
            Source s = SourceOf(x, y);
            if (inside != s.found() || (inside && (s.x != x || s.y != y))) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(ClipWipes, CloseClipWindowKeepsTheFullSizeToOpenTo) {
    OpenEffectsDisplay(0.1f);
    SetClipWindow(10, 20, 400, 300);
    CloseClipWindow();
    EXPECT_EQ(Window(), "(10,20,10,20)");
    EXPECT_EQ(Wipe.ClipWipeState, kWipeClosed);
    EXPECT_EQ(Wipe.ClipWipeClosed, 0) << "no completion flag";
    CloseClipWindow();   // again: the full size is not lost
    EXPECT_EQ(Text(Wipe.SavedClipWindow), "(10,20,400,300)");

    // During a running wipe it stops the wipe; the next opening opens to the full size.
    ASSERT_EQ(StartClipWipe(0, 6, 100.0f, 0), 1);
    UpdateClipWipe();
    CloseClipWindow();
    EXPECT_EQ(Wipe.ClipWipeState, kWipeClosed);
    EXPECT_EQ(UpdateClipWipe(), 0);
    ASSERT_EQ(StartClipWipe(0, 1, 1e9f, 0), 1);
    RunToEnd();
    EXPECT_EQ(Window(), "(10,20,400,300)");
}

namespace {
int sceneFrames = 0;
bool closeAtOnce = false;
void WipingScene() {
    ++sceneFrames;
    if (sceneFrames == 1) {
        if (closeAtOnce)
            CloseClipWindow();
        else
            StartClipWipe(1, 4, 100.0f, 0);
    }
    UpdateClipWipe();
    if (sceneFrames == 3) Shell.SceneId = 3;
}
void QuietScene() {}
}  // namespace

TEST(ClipWipes, ASceneChangeEndsARunningWipeButNotAClosedWindow) {
    struct Seen { int state, right, opened, closed; };
    static std::vector<Seen> seen;
    for (bool closed : {false, true}) {
        closeAtOnce = closed;
        sceneFrames = 0;
        seen.clear();
        platform::headless::Config cfg;
        cfg.frames = 4;
        StartFresh(cfg);
        SceneFunctions[2] = WipingScene;
        SceneFunctions[3] = QuietScene;
        platform::headless::setSlotEndHook(
            [](int, void*) {
                seen.push_back({Wipe.ClipWipeState, Display.ClipWindow.right, Wipe.ClipWipeOpened, Wipe.ClipWipeClosed});
            },
            nullptr);
        WinMain("", platform::SW_SHOWNORMAL);
        platform::headless::setSlotEndHook(nullptr, nullptr);
        ResetProgramState();
        ASSERT_EQ(seen.size(), 4u);
        // 50 ms frames at 100 pixels per second: 6 pixels per update.
        const std::vector<std::vector<int>> expected =
            closed ? std::vector<std::vector<int>>{{-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}}
                   : std::vector<std::vector<int>>{{2, 474}, {2, 468}, {0, 480}, {0, 480}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(seen[i].state, expected[i][0]) << (closed ? "closed" : "closing") << ", frame " << i + 1;
            EXPECT_EQ(seen[i].right, expected[i][1]) << (closed ? "closed" : "closing") << ", frame " << i + 1;
            EXPECT_EQ(seen[i].opened + seen[i].closed, 0) << "frame " << i + 1;
        }
    }
}
