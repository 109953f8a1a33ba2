// A program of its own picture size on the real SDL backend in this process, under a private X
// server with no window manager: the window takes the 640 x 480 picture around the centre it
// opened with, shows it whole, and the pointer near its far corner reaches the program as such.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/core/app_state.h"
#include "framework/draw/blit.h"
#include "framework/draw/display.h"
#include "framework/draw/primitives.h"
#include "framework/shell/flip.h"
#include "framework/shell/frame_loop.h"
#include "platform/window/window.h"
#include "x_session.h"

namespace {

constexpr int kW = 640, kH = 480;

struct SizeRun {
    XSession x;
    unsigned long window = 0;
    int frames = 0;
    int wx = 0, wy = 0, ww = 0, wh = 0;
    std::vector<std::uint32_t> shot;
    int shotW = 0, shotH = 0;
    int mouseX = -1, mouseY = -1;
};
SizeRun* sizeRun = nullptr;

void CornersInit() {
    elDraw::Screen(kW, kH);
    Shell.SceneId = 2;
}
void CornersScene() {
    elDraw::FillBlack();
    elDraw::FillRect(0, 0, 10, 10, 0x0000FF);          // red, COLORREF
    elDraw::FillRect(kW - 10, kH - 10, kW, kH, 0x00FF00);   // green
    elDraw::Flip();
}

void OnFrame(bool quit) {
    if (quit) return;
    SizeRun& r = *sizeRun;
    ++r.frames;
    if (r.frames == 3) {
        r.window = r.x.FindWindow("Corners", 2000);
        r.x.Geometry(r.window, r.wx, r.wy, r.ww, r.wh);
        r.shot = r.x.Capture(r.window, r.shotW, r.shotH);
        r.x.Xdo("mousemove " + std::to_string(r.wx + 635) + " " + std::to_string(r.wy + 475));
    } else if (r.frames == 8) {
        r.mouseX = Input.MouseX;
        r.mouseY = Input.MouseY;
        platform::postMessage(Shell.MainWindow, platform::WM_KEYDOWN, 27, 1);   // Escape ends it
    }
}

std::uint32_t ShotAt(const SizeRun& r, int x, int y) {
    return r.shot[static_cast<std::size_t>(y) * r.shotW + x];
}

TEST(SdlPictureSize, TheWindowTakesThePicturesSizeAndThePointerReachesItsCorner) {
    SizeRun run;
    std::string why;
    if (!run.x.Start(why, "1024x768x24")) GTEST_SKIP() << why;
    setenv("DISPLAY", run.x.DisplayName().c_str(), 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    sizeRun = &run;
    ProgramSetup setup;
    setup.Title = "Corners";
    setup.Init = CornersInit;
    setup.Scenes[2] = CornersScene;
    UseProgram(setup);
    ResetProgramState();
    SetFrameObserver(OnFrame);
    WinMain("", platform::SW_SHOWNORMAL);
    SetFrameObserver(nullptr);
    sizeRun = nullptr;

    ASSERT_GE(run.frames, 8) << "the program ended early";
    ASSERT_NE(run.window, 0ul);
    // Scale 1 on a 1024 x 768 screen; the 480 x 360 window it opened as had its centre at
    // (512, 393), and keeps it.
    EXPECT_EQ(run.ww, kW);
    EXPECT_EQ(run.wh, kH);
    EXPECT_EQ(run.wx, 512 - kW / 2);
    EXPECT_EQ(run.wy, 393 - kH / 2);
    ASSERT_EQ(run.shotW, kW);
    ASSERT_EQ(run.shotH, kH);
    EXPECT_EQ(ShotAt(run, 0, 0), 0xFF0000u);
    EXPECT_EQ(ShotAt(run, 10, 10), 0u);
    EXPECT_EQ(ShotAt(run, kW - 1, kH - 1), 0x00FF00u) << "the far corner is shown, not cut off";
    EXPECT_EQ(ShotAt(run, kW - 11, kH - 11), 0u);
    EXPECT_EQ(run.mouseX, 635);
    EXPECT_EQ(run.mouseY, 475);
}

}  // namespace
