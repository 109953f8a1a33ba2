// A picture of the program's own size: the window's client area, the frames shown and dumped,
// the pointer and the cursor follow elDraw::Screen's size; a size out of range is refused.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/display_support.h"
#include "framework/draw/primitives.h"
#include "tests/support/test_support.h"

namespace hl = platform::headless;
namespace fs = std::filesystem;

namespace {

constexpr int kW = 640, kH = 480;
constexpr std::uint32_t kRed = 0x0000FF, kGreen = 0x00FF00;   // COLORREF 0x00BBGGRR

// A program that opens a 640 x 480 picture and fills a 10-pixel square in two far corners.
void CornersInit() {
    elDraw::Screen(kW, kH);
    Shell.SceneId = 2;
}
void CornersScene() {
    elDraw::FillBlack();
    elDraw::FillRect(0, 0, 10, 10, kRed);
    elDraw::FillRect(kW - 10, kH - 10, kW, kH, kGreen);
    elDraw::Flip();
}
void UseCornersProgram() {
    ProgramSetup setup;
    setup.Title = "Corners";
    setup.Init = CornersInit;
    setup.Scenes[2] = CornersScene;
    UseProgram(setup);
}

// What the program and the backend saw after frames 1 to 4.
struct Seen {
    int shownW = 0, shownH = 0;
    std::uint32_t topLeft = 1, bottomRight = 1, beyondRed = 1, beforeGreen = 1;
    int clientW = 0, clientH = 0, shellW = 0, shellH = 0;
    int originX = 0, originY = 0, shellOriginX = 0, shellOriginY = 0;
    elDraw::ClipRect clip;
    bool cursorVisible[5] = {};
};

void NoteFrame(int frame, void* user) {
    Seen& s = *static_cast<Seen*>(user);
    if (frame >= 1 && frame <= 4) s.cursorVisible[frame] = hl::cursorVisible();
    if (frame != 1) return;
    const hl::Picture& p = hl::shownPicture();
    s.shownW = p.width;
    s.shownH = p.height;
    if (p.width == kW && p.height == kH) {
        auto at = [&](int x, int y) { return p.pixels[static_cast<std::size_t>(y) * kW + x]; };
        s.topLeft = at(0, 0);
        s.beyondRed = at(10, 10);
        s.bottomRight = at(kW - 1, kH - 1);
        s.beforeGreen = at(kW - 11, kH - 11);
    }
    platform::clientSize(Shell.MainWindow, s.clientW, s.clientH);
    s.shellW = Shell.ClientWidth;
    s.shellH = Shell.ClientHeight;
    s.originX = hl::clientOriginX();
    s.originY = hl::clientOriginY();
    s.shellOriginX = Shell.ClientOriginX;
    s.shellOriginY = Shell.ClientOriginY;
    s.clip = elDraw::Display.ClipWindow;
}

// Width and height from a PNG file's header.
bool PngSize(const std::string& path, int& width, int& height) {
    std::ifstream in(path, std::ios::binary);
    unsigned char h[24] = {};
    if (!in.read(reinterpret_cast<char*>(h), sizeof h)) return false;
    width = h[16] << 24 | h[17] << 16 | h[18] << 8 | h[19];
    height = h[20] << 24 | h[21] << 16 | h[22] << 8 | h[23];
    return true;
}

}  // namespace

TEST(PictureSize, A640By480PictureIsShownDumpedAndPointedAtWhole) {
    const fs::path dir = fs::temp_directory_path() / ("qrb-picture-size-" + std::to_string(getpid()));
    Seen seen;
    RunOptions options;
    options.config.frames = 4;
    // The pointer near the far corner, a click there, then beside the picture (right of it, at a
    // height inside it), where a 480 x 360 client area would already have ended.
    options.script = "1 move 635 475\n2 ldown\n2 lup\n4 move 700 100\n";
    options.prepare = UseCornersProgram;
    options.framesDir = dir.string();
    options.dump.ranges = {{1, 1}};
    options.frameEnd = NoteFrame;
    options.frameEndUser = &seen;
    const std::vector<std::string> trace = RunTrace(options);
    ASSERT_EQ(trace.size(), 4u);

    EXPECT_EQ(seen.shownW, kW);
    EXPECT_EQ(seen.shownH, kH);
    EXPECT_EQ(seen.topLeft, 0xFF0000u) << "red square at (0, 0)";
    EXPECT_EQ(seen.beyondRed, 0u);
    EXPECT_EQ(seen.bottomRight, 0x00FF00u) << "green square at the far corner";
    EXPECT_EQ(seen.beforeGreen, 0u);
    int pngW = 0, pngH = 0;
    ASSERT_TRUE(PngSize((dir / "frame-000001.png").string(), pngW, pngH));
    EXPECT_EQ(pngW, kW);
    EXPECT_EQ(pngH, kH);
    fs::remove_all(dir);

    EXPECT_EQ(seen.clientW, kW);
    EXPECT_EQ(seen.clientH, kH);
    EXPECT_EQ(seen.shellW, kW);
    EXPECT_EQ(seen.shellH, kH);
    EXPECT_EQ(seen.clip.right, kW);
    EXPECT_EQ(seen.clip.bottom, kH);
    // Opened at 480 x 360 with its client at (272, 213) on the 1024 x 768 screen, the window
    // keeps its centre (512, 393), and the program is told where its client area went.
    EXPECT_EQ(seen.originX, 192);
    EXPECT_EQ(seen.originY, 153);
    EXPECT_EQ(seen.shellOriginX, 192);
    EXPECT_EQ(seen.shellOriginY, 153);

    EXPECT_EQ(TraceList(trace[0], "mouse"), (std::vector<long long>{635, 475}));
    EXPECT_EQ(Field(trace[1], "left_click"), 1) << trace[1];
    EXPECT_EQ(TraceList(trace[3], "mouse"), (std::vector<long long>{700, 100}));
    EXPECT_FALSE(seen.cursorVisible[1]) << "(635, 475) is inside the picture: the crosshair's";
    EXPECT_TRUE(seen.cursorVisible[4]) << "(700, 100) is right of the picture";
}

TEST(PictureSize, SidesOutOfRangeAreRefusedAndLeaveTheWindowAlone) {
    struct Case {
        int width, height;
    };
    for (const Case c : {Case{0, 480}, Case{640, 0}, Case{-640, 480}, Case{4097, 480}, Case{640, 4097},
                         Case{1 << 30, 1 << 30}}) {
        OpenDisplay();
        const std::string size = std::to_string(c.width) + " x " + std::to_string(c.height);
        EXPECT_EQ(elDraw::Screen(c.width, c.height), 0) << size;
        EXPECT_EQ(TakeBoxTexts(), "エラー発生|elDraw::Screen : 画面サイズが範囲外です\n") << size;
        EXPECT_EQ(elDraw::Display.DirectDraw, nullptr) << size << ": nothing is made";
        EXPECT_EQ(elDraw::Display.ScreenWidth, 0) << size;
        int w = 0, h = 0;
        platform::clientSize(Shell.MainWindow, w, h);
        EXPECT_EQ(w, 480) << size;
        EXPECT_EQ(h, 360) << size;
        EXPECT_EQ(platform::headless::clientOriginX(), 272) << size;
        // The platform refuses the same sides by itself.
        EXPECT_FALSE(platform::setClientSize(Shell.MainWindow, c.width, c.height)) << size;
    }
    OpenDisplay();
    EXPECT_FALSE(platform::setClientSize(0, 640, 480)) << "no such window";
}

TEST(PictureSize, TheLargestSideOpensAndTheEntryPointsSizeMovesNothing) {
    OpenDisplay();
    ASSERT_EQ(elDraw::Screen(480, 360), 1);
    EXPECT_EQ(platform::headless::clientOriginX(), 272);
    EXPECT_EQ(platform::headless::clientOriginY(), 213);
    EXPECT_EQ(TakeBoxTexts(), "");

    OpenDisplay();
    ASSERT_EQ(elDraw::Screen(elDraw::kMaxScreenSide, 16), 1);
    EXPECT_EQ(TakeBoxTexts(), "");
    EXPECT_EQ(elDraw::Display.Back->width(), 4096);
    int w = 0, h = 0;
    platform::clientSize(Shell.MainWindow, w, h);
    EXPECT_EQ(w, 4096);
    EXPECT_EQ(h, 16);
    // Wider than the 1024-pixel screen, centred on it all the same: it starts left of the screen.
    EXPECT_EQ(platform::headless::clientOriginX(), 512 - 2048);
    EXPECT_EQ(Shell.ClientOriginX, 512 - 2048);
    elDraw::ReleaseScreen();
}
