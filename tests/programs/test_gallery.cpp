// The effects gallery run headless through the runner: one whole tour with its demonstration
// input (every page reaches its showcase, in order, with the pictures the pages promise), and
// stepping between pages with clicks and the arrow keys, leaving the display as it found it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "framework/shell/flip.h"
#include "tests/support/display_support.h"
#include "framework/draw/clip_wipes.h"
#include "framework/input/joystick.h"
#include "gallery/gallery.h"
#include "gallery/headless_tour.h"
#include "platform/files/resources.h"

namespace {

struct Seen {
    std::vector<int> showcases;     // the page of every showcase frame, in order
    std::vector<std::string> failures;
    std::vector<int> pages;         // the page after every frame number
};

// Checks made on the picture a page shows at its showcase frame.
void CheckShowcase(Seen& seen) {
    const std::string file = GalleryPageAt(Gallery.Page).file;
    auto fail = [&](const std::string& what) { seen.failures.push_back(file + ": " + what); };
    if (file == "wipe-open-4") {
        // Nine updates of 16 pixels: the picture ends at x 144; beyond it Back stays black.
        const elDraw::ClipRect& w = elDraw::Display.ClipWindow;
        if (w.left != 0 || w.top != 0 || w.right != 144 || w.bottom != 360) fail("window is not (0, 0, 144, 360)");
        int lit = 0, beyond = 0;
        for (int y = 40; y < 320; y += 3)
            for (int x = 0; x < 480; ++x) (x < 144 ? lit : beyond) += ShownRgb(x, y) != 0 ? 1 : 0;
        if (beyond != 0) fail(std::to_string(beyond) + " lit pixels right of the window");
        if (lit == 0) fail("nothing drawn inside the window");
    } else if (file == "mirror-object") {
        // Mode 1 (at 240, 60) is mode 0 (at 0, 60) mirrored; mode 3 (at 240, 190) is mode 0 turned.
        int differ = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 240; ++x) {
                differ += ShownRgb(240 + x, 60 + y) != ShownRgb(239 - x, 60 + y) ? 1 : 0;
                differ += ShownRgb(240 + x, 190 + y) != ShownRgb(239 - x, 119 - y) ? 1 : 0;
            }
        if (differ != 0) fail(std::to_string(differ) + " pixels differ from the turned label");
    } else if (file == "input") {
        // Right for 5 frames and up-right for 7 (capped at 100), then left for 7 at 10 a frame;
        // button 4 held for 7 frames at 100 a second.
        const elJoystick::JoystickState& pad = elJoystick::Joysticks.Pad[0];
        if (static_cast<int>(pad.AnalogX) != 30) fail("analogue x " + std::to_string(pad.AnalogX) + ", not 30");
        if (static_cast<int>(pad.HoldTimer[3]) != 35) fail("hold timer 4 " + std::to_string(pad.HoldTimer[3]) + ", not 35");
        if (pad.Buttons[3] != kButtonHeld) fail("button 4 is not held");
    } else if (file == "scroll-page") {
        // Down for 30 frames at 100 rows a second, then Right for 6 at 300.
        if (static_cast<int>(Present.ScrollPos + 0.5f) != 240) fail("scroll position " + std::to_string(Present.ScrollPos));
    }
}

void OnFrame(int, void* user) {
    Seen& seen = *static_cast<Seen*>(user);
    seen.pages.push_back(Gallery.Page);
    if (Gallery.ShowcaseReady == 0) return;
    Gallery.ShowcaseReady = 0;
    seen.showcases.push_back(Gallery.Page);
    CheckShowcase(seen);
}

Seen RunGallery(const std::string& script, int frames, std::string& trace) {
    Seen seen;
    RunOptions options;
    options.config.frames = frames;
    options.script = script;
    options.prepare = UseGallery;
    options.frameEnd = OnFrame;
    options.frameEndUser = &seen;
    std::ostringstream out;
    options.trace = &out;
    std::string error;
    EXPECT_EQ(RunHeadless(options, error), 0) << error;
    trace = out.str();
    ResetProgramState();
    platform::setExtraResources(nullptr, 0);
    return seen;
}

}  // namespace

TEST(Gallery, ATourShowsEveryPageInTurn) {
    std::string trace;
    Seen seen = RunGallery(GalleryDemoScript(), GalleryTourFrames(), trace);
    std::vector<int> expected;
    for (int i = 0; i < GalleryPageCount(); ++i) expected.push_back(i);
    EXPECT_EQ(seen.showcases, expected);
    EXPECT_EQ(seen.failures, std::vector<std::string>{});
    EXPECT_EQ(trace.find("\"boxes\":[{"), std::string::npos) << "an error box was shown";
    EXPECT_EQ(GalleryPageCount(), 8 + 9 + 1 + 18 + 1);
}

TEST(Gallery, ClicksAndArrowKeysStepBetweenPages) {
    const int last = GalleryPageCount() - 1;
    struct Case { int frame; int page; const char* why; } cases[] = {
        {2, 0, "the first page"},
        {3, 1, "left click: next"},
        {5, 0, "right click: back"},
        {7, 1, "Right arrow: next"},
        {8, 1, "held, not pressed again"},
        {11, 0, "Left arrow: back"},
        {14, last, "back from the first page is the last"},
        {16, 0, "next from the last page is the first"},
    };
    std::string trace;
    Seen seen = RunGallery("3 ldown\n3 lup\n5 rdown\n5 rup\n7 key 39\n10 keyup 39\n11 key 37\n12 keyup 37\n"
                           "14 rdown\n14 rup\n16 ldown\n16 lup\n18 key 27\n",
                           30, trace);
    for (const Case& c : cases) {
        ASSERT_GE(static_cast<int>(seen.pages.size()), c.frame);
        EXPECT_EQ(seen.pages[c.frame - 1], c.page) << "frame " << c.frame << ": " << c.why;
    }
    EXPECT_NE(trace.find("\"quit\":1"), std::string::npos) << "Escape ends the gallery";
}

TEST(Gallery, LeavingEachPageLeavesTheDisplayAsItWas) {
    // A click every other frame, through every page and round to the first again.
    std::string script;
    const int pages = GalleryPageCount();
    for (int i = 0; i < pages; ++i) {
        const int frame = 3 + 2 * i;
        script += std::to_string(frame) + " ldown\n" + std::to_string(frame) + " lup\n";
    }
    struct After { int scroll, step, wipe, left, top, right, bottom; };
    static After after;
    std::string trace;
    RunOptions options;
    Seen seen;
    options.config.frames = 3 + 2 * pages + 2;
    options.script = script;
    options.prepare = UseGallery;
    options.frameEnd = [](int, void* user) {
        static_cast<Seen*>(user)->pages.push_back(Gallery.Page);
        const elDraw::ClipRect& w = elDraw::Display.ClipWindow;
        after = {Present.ScrollMode, Present.TransitionStep, elDraw::Wipe.ClipWipeState, w.left, w.top, w.right, w.bottom};
    };
    options.frameEndUser = &seen;
    std::string error;
    ASSERT_EQ(RunHeadless(options, error), 0) << error;
    std::vector<int> visited;
    for (int p : seen.pages)
        if (visited.empty() || visited.back() != p) visited.push_back(p);
    std::vector<int> expected;
    for (int i = 0; i <= pages; ++i) expected.push_back(i % pages);
    EXPECT_EQ(visited, expected);
    EXPECT_EQ(after.scroll, 0);
    EXPECT_EQ(after.step, 0);
    EXPECT_EQ(after.wipe, 0);
    EXPECT_EQ(std::vector<int>({after.left, after.top, after.right, after.bottom}), std::vector<int>({0, 0, 480, 360}));
    ResetProgramState();
    platform::setExtraResources(nullptr, 0);
}
