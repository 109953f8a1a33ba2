// The game on the real SDL backend in this process, under a private X server with no window
// manager: its message boxes (over the middle of the game window, answering Enter and Escape,
// the game going on after them) and its two full-screen views (the program's own full-screen
// mode, and the F11 switch), each with the picture centred at a whole scale and the pointer
// reaching the game at the same client coordinates.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "framework/draw/display.h"
#include "framework/core/app_state.h"
#include "framework/shell/frame_loop.h"
#include "framework/system/system_utils.h"
#include "game/scenes.h"
#include "platform/video/surface.h"
#include "platform/window/window.h"
#include "x_session.h"

namespace {

struct Rect4 {
    int x = 0, y = 0, w = 0, h = 0;
};

Rect4 GeometryOf(XSession& x, unsigned long window) {
    Rect4 r;
    x.Geometry(window, r.x, r.y, r.w, r.h);
    return r;
}

// SDL keeps its first display for the process: one game per test process (ctest runs each test
// in a process of its own).
bool StartGame(XSession& x, const std::string& screen, std::string& why) {
    static bool gameStarted = false;
    if (gameStarted) {
        why = "one game per process: run this test on its own (ctest does)";
        return false;
    }
    if (!x.Start(why, screen)) return false;
    gameStarted = true;
    setenv("DISPLAY", x.DisplayName().c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return true;
}

constexpr int kPictureW = 480, kPictureH = 360;

// A 32-bit surface of the picture's size as 0x00RRGGBB rows.
std::vector<std::uint32_t> Rows(platform::Surface* surface) {
    std::vector<std::uint32_t> out;
    if (surface == nullptr) return out;
    const platform::PixelView v = surface->view();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x)
            out.push_back(reinterpret_cast<const std::uint32_t*>(v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch)[x] &
                          0xFFFFFFu);
    return out;
}

// Every pixel of the 480 x 360 picture against the window's capture, where the picture should lie
// at (left, top) at scale k; the bars around it black. Returns the number of wrong pixels.
int PictureMismatches(const std::vector<std::uint32_t>& shot, int shotW, int shotH,
                      const std::vector<std::uint32_t>& picture, int left, int top, int k) {
    if (picture.size() != static_cast<std::size_t>(kPictureW) * kPictureH || shot.empty()) return -1;
    int wrong = 0;
    for (int y = 0; y < kPictureH; ++y)
        for (int x = 0; x < kPictureW; ++x) {
            const std::uint32_t want = picture[static_cast<std::size_t>(y) * kPictureW + x];
            for (int dy : {0, k - 1})
                for (int dx : {0, k - 1}) {
                    const int sx = left + x * k + dx, sy = top + y * k + dy;
                    if (sx < 0 || sy < 0 || sx >= shotW || sy >= shotH ||
                        shot[static_cast<std::size_t>(sy) * shotW + sx] != want)
                        ++wrong;
                }
        }
    for (int y = 0; y < shotH; y += 7)
        for (int x = 0; x < shotW; x += 7) {
            const bool inside = x >= left && x < left + kPictureW * k && y >= top && y < top + kPictureH * k;
            if (!inside && shot[static_cast<std::size_t>(y) * shotW + x] != 0) ++wrong;
        }
    return wrong;
}

// ---------------------------------------------------------------- message boxes

struct BoxSeen {
    bool found = false;
    std::string title;
    Rect4 box, game;
    bool closed = false;
};

struct BoxRun {
    XSession x;
    unsigned long game = 0;
    int frames = 0;
    int framesAfterBoxes = 0;
    BoxSeen version, error;
    std::atomic<int> boxesDone{0};
};
BoxRun* boxRun = nullptr;

// What a player does with a box: waits for it, looks at it and presses the key.
void AnswerBox(BoxSeen& seen, const char* key) {
    XSession& x = boxRun->x;
    const unsigned long box = x.FindTransient(boxRun->game, 10000);
    if (box == 0) return;
    seen.found = true;
    SleepMs(150);   // the box is moved over the game window once it is shown
    seen.title = x.Title(box);
    seen.box = GeometryOf(x, box);
    seen.game = GeometryOf(x, boxRun->game);
    x.Xdo(std::string("key ") + key);
    for (int waited = 0; waited < 3000 && !seen.closed; waited += 20) {
        seen.closed = !x.Viewable(box);
        SleepMs(20);
    }
    if (!seen.closed) x.Close(box);   // so that the game, waiting for the box, can end
}

void OnBoxFrame(bool quit) {
    if (quit) return;
    ++boxRun->frames;
    if (boxRun->frames == 3) {
        boxRun->game = boxRun->x.FindWindow("Quorbix v1.0", 2000);
        // The result scene's version box and the framework's error box, one after the other,
        // both in the middle of a frame as the game opens them.
        std::thread player([] {
            AnswerBox(boxRun->version, "Return");
            AnswerBox(boxRun->error, "Escape");
        });
        elSystem::Message("Quorbix v1.0");
        elDraw::ShowError("TestOperation", "test message");
        player.join();
        boxRun->boxesDone = 1;
    } else if (boxRun->boxesDone && ++boxRun->framesAfterBoxes == 10) {
        platform::postMessage(Shell.MainWindow, platform::WM_KEYDOWN, 27, 1);   // Escape ends the program
    }
}

void ExpectCentred(const BoxSeen& seen, const char* which) {
    const double boxX = seen.box.x + seen.box.w / 2.0, boxY = seen.box.y + seen.box.h / 2.0;
    const double gameX = seen.game.x + seen.game.w / 2.0, gameY = seen.game.y + seen.game.h / 2.0;
    EXPECT_NEAR(boxX, gameX, 3) << which << " box at " << seen.box.x << "," << seen.box.y << " " << seen.box.w << "x"
                                << seen.box.h << ", game window " << seen.game.x << "," << seen.game.y << " "
                                << seen.game.w << "x" << seen.game.h;
    EXPECT_NEAR(boxY, gameY, 3) << which;
    EXPECT_GT(seen.box.w, 0) << which;
}

TEST(SdlViews, MessageBoxesSitOverTheGameAndAnswerEnterAndEscape) {
    BoxRun run;
    boxRun = &run;
    std::string why;
    if (!StartGame(run.x, "1024x768x24", why)) GTEST_SKIP() << why;
    UseProgram(GameProgram());
    ResetProgramState();
    SetFrameObserver(OnBoxFrame);
    WinMain("", platform::SW_SHOWNORMAL);
    SetFrameObserver(nullptr);
    boxRun = nullptr;

    ASSERT_NE(run.game, 0ul);
    ASSERT_TRUE(run.version.found) << "no box owned by the game window (a server without core fonts cannot show one)";
    EXPECT_EQ(run.version.title, "Message");
    ExpectCentred(run.version, "version");
    EXPECT_TRUE(run.version.closed) << "Enter did not close the version box";
    ASSERT_TRUE(run.error.found) << "no error box";
    EXPECT_EQ(run.error.title, "エラー発生");
    ExpectCentred(run.error, "error");
    EXPECT_TRUE(run.error.closed) << "Escape did not close the error box";
    EXPECT_EQ(run.framesAfterBoxes, 10) << "the game did not go on after the boxes";
}

// ---------------------------------------------------------------- full screen

struct ViewRun {
    XSession x;
    unsigned long game = 0;
    int frames = 0;
    bool programFullScreen = false;
    Rect4 before, full, after;
    int mismatches = -2;
    int mouseAX = -1, mouseAY = -1, mouseBX = -1, mouseBY = -1;
};
ViewRun* viewRun = nullptr;

// The picture on a 1920 x 1080 screen: scale 3 (1080 / 360), centred: 240 pixels of bar each side.
constexpr int kScale = 3, kLeft = 240, kTop = 0;

void MoveTo(int x, int y) { viewRun->x.Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y)); }

void OnViewFrame(bool quit) {
    if (quit) return;
    ViewRun& r = *viewRun;
    ++r.frames;
    if (r.frames == 2) {
        if (!r.programFullScreen) {
            r.game = r.x.FindWindow("Quorbix v1.0", 2000);
            r.before = GeometryOf(r.x, r.game);
            r.x.Xdo("key F11");
        }
    } else if (r.frames == 8) {
        r.full = GeometryOf(r.x, r.game);
        int w = 0, h = 0;
        const std::vector<std::uint32_t> shot = r.x.Capture(r.game, w, h);
        // Windowed, the window shows the back buffer the frame blitted to the desktop. Full
        // screen, the program flips to a primary of the mode's depth, read here as the
        // presentation reads it.
        std::vector<std::uint32_t> shown = Rows(elDraw::Display.Back);
        if (r.programFullScreen) {
            shown.assign(static_cast<std::size_t>(kPictureW) * kPictureH, 0);
            platform::readDesktop(0, 0, kPictureW, kPictureH, shown.data());
        }
        r.mismatches = PictureMismatches(shot, w, h, shown, kLeft, kTop, kScale);
        // A point in the first third of pixel (100, 50), and the last third of the far corner.
        MoveTo(kLeft + kScale * 100, kTop + kScale * 50);
    } else if (r.frames == 11) {
        r.mouseAX = Input.MouseX;
        r.mouseAY = Input.MouseY;
        MoveTo(kLeft + kScale * 479 + kScale - 1, kTop + kScale * 359 + kScale - 1);
    } else if (r.frames == 14) {
        r.mouseBX = Input.MouseX;
        r.mouseBY = Input.MouseY;
        if (r.programFullScreen) {
            // Leaving the program's full-screen mode (as its shutdown does), then closing.
            elDraw::ReleaseScreen();
            r.after = GeometryOf(r.x, r.game);
            platform::postMessage(Shell.MainWindow, platform::WM_CLOSE, 0, 0);
        } else {
            r.x.Xdo("key F11");
        }
    } else if (r.frames == 20) {
        r.after = GeometryOf(r.x, r.game);
        platform::postMessage(Shell.MainWindow, platform::WM_KEYDOWN, 27, 1);
    }
}

ProgramSetup gameSetup;

void RunViews(ViewRun& run) {
    viewRun = &run;
    gameSetup = GameProgram();
    ProgramSetup setup = gameSetup;
    if (run.programFullScreen)   // the entry point opens a window; the start-up asks for full screen
        setup.Init = [] {
            viewRun->game = viewRun->x.FindWindow("Quorbix v1.0", 2000);
            viewRun->before = GeometryOf(viewRun->x, viewRun->game);
            Shell.FullScreen = 1;
            gameSetup.Init();
        };
    UseProgram(setup);
    ResetProgramState();
    SetFrameObserver(OnViewFrame);
    WinMain("", platform::SW_SHOWNORMAL);
    SetFrameObserver(nullptr);
    viewRun = nullptr;
}

void ExpectCoversScreen(const ViewRun& run) {
    EXPECT_EQ(run.full.x, 0);
    EXPECT_EQ(run.full.y, 0);
    EXPECT_EQ(run.full.w, 1920);
    EXPECT_EQ(run.full.h, 1080);
    EXPECT_EQ(run.mismatches, 0) << "the picture is not at scale 3 in the middle with black bars";
    EXPECT_EQ(run.mouseAX, 100);
    EXPECT_EQ(run.mouseAY, 50);
    EXPECT_EQ(run.mouseBX, 479);
    EXPECT_EQ(run.mouseBY, 359);
}

TEST(SdlViews, F11CoversTheScreenAndGoesBack) {
    ViewRun run;
    std::string why;
    if (!StartGame(run.x, "1920x1080x24", why)) GTEST_SKIP() << why;
    RunViews(run);
    ASSERT_GE(run.frames, 20) << "the game ended early";
    ASSERT_NE(run.game, 0ul);
    EXPECT_EQ(run.before.w, 960) << "scale 2 on a 1920 x 1080 screen";
    ExpectCoversScreen(run);
    EXPECT_EQ(run.after.x, run.before.x);
    EXPECT_EQ(run.after.y, run.before.y);
    EXPECT_EQ(run.after.w, run.before.w);
    EXPECT_EQ(run.after.h, run.before.h);
}

TEST(SdlViews, TheProgramsOwnFullScreenModeIsCentredAndLeavesTheWindow) {
    ViewRun run;
    run.programFullScreen = true;
    std::string why;
    if (!StartGame(run.x, "1920x1080x24", why)) GTEST_SKIP() << why;
    RunViews(run);
    ASSERT_GE(run.frames, 14) << "the game ended early";
    ASSERT_NE(run.game, 0ul);
    EXPECT_EQ(run.before.w, 960);
    ExpectCoversScreen(run);
    // Leaving the mode puts the window back at the size and place it opened with.
    EXPECT_EQ(run.after.x, run.before.x);
    EXPECT_EQ(run.after.y, run.before.y);
    EXPECT_EQ(run.after.w, run.before.w);
    EXPECT_EQ(run.after.h, run.before.h);
}

}  // namespace
