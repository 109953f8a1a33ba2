// System utilities: message box text, the random generator, machine queries at their limits, the
// executable's directory, the command line, window position, the cursor and its confinement, the
// shutdown.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/support/display_support.h"
#include "framework/core/app_state.h"
#include "framework/shell/frame_loop.h"
#include "framework/shell/window_proc.h"
#include "framework/draw/display.h"
#include "framework/core/code_page.h"
#include "framework/system/random.h"
#include "framework/draw/text.h"
#include "framework/sound/sound_objects.h"
#include "framework/system/system_utils.h"
#include "platform/headless/headless.h"
#include "platform/window/system.h"
#include "tests/support/test_support.h"

namespace hl = platform::headless;

TEST(SystemMessage, FormatsAppendsLineBreakAndCutsToTheBuffer) {
    StartFresh();
    elSystem::Message("Quorbix v1.0");
    elSystem::Message("%s %d", "score", 420);
    std::string longText(400, 'x');
    elSystem::Message("%s", longText.c_str());
    // A two-byte character straddling the cut is dropped whole, never halved.
    const elSystem::CodePageText kana("ア");
    std::string kanas;
    for (int i = 0; i < 200; ++i) kanas += kana.c_str();
    elSystem::Message("x%s", kanas.c_str());
    auto boxes = hl::takeBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].caption, "Message");
    EXPECT_EQ(boxes[0].text, "Quorbix v1.0\r\n");
    EXPECT_EQ(boxes[1].text, "score 420\r\n");
    EXPECT_EQ(boxes[2].text, std::string(253, 'x') + "\r\n") << "text, line break and terminator fit 256";
    std::string expected = "x";
    for (int i = 0; i < 126; ++i) expected += "ア";
    EXPECT_EQ(boxes[3].text, expected + "\r\n");
}

TEST(SystemRandom, FirstValuesForFixedSeeds) {
    // Worked out from the rule seed = seed * 214013 + 2531011 (mod 2^32), value = (seed >> 16)
    // & 0x7FFF. Seed 1: 1 * 214013 + 2531011 = 2745024, and 2745024 >> 16 = 41. Seed 0xFFFFFFFF
    // is -1: -214013 + 2531011 = 2316998 wraps the product, 2316998 >> 16 = 35. Seed 1700000000
    // becomes 4012821443, whose top bit the mask drops: 61230 & 0x7FFF = 28462.
    struct Case { std::uint32_t seed; int values[3]; std::uint32_t seedAfterFirst; } cases[] = {
        {1, {41, 18467, 6334}, 2745024u},
        {0, {38, 7719, 21238}, 2531011u},
        {0xFFFFFFFFu, {35, 29739, 3374}, 2316998u},
        {1700000000u, {28462, 1027, 22663}, 4012821443u},
    };
    StartFresh();
    EXPECT_EQ(elSystem::Random(), 41) << "the program starts with seed 1";
    for (const Case& c : cases) {
        elSystem::SeedRandom(c.seed);
        EXPECT_EQ(elSystem::Random(), c.values[0]) << c.seed;
        EXPECT_EQ(elSystem::RandomGen.Seed, c.seedAfterFirst) << c.seed;
        EXPECT_EQ(elSystem::Random(), c.values[1]) << c.seed;
        EXPECT_EQ(elSystem::Random(), c.values[2]) << c.seed;
    }
}

TEST(SystemQueries, DiskAndMemoryFiguresClampAtIntMax) {
    StartFresh();
    struct Case {
        const char* what;
        platform::MachineFigures figures;
        int drive;
        int disk;
    } cases[] = {
        {"small disk", {false, 8, 512, 1000, 2000, 0}, 'C', 4096000},
        {"exactly INT_MAX", {false, 1, 1, 0x7FFFFFFFu, 0x7FFFFFFFu, 0}, 'C', INT_MAX},
        {"2 GiB free", {false, 8, 512, 524288, 600000, 0}, 'C', INT_MAX},
        {"terabytes free", {false, 64, 4096, 0xFFFFFFFFu, 0xFFFFFFFFu, 0}, 'D', INT_MAX},
        {"failed query", {true, 0, 0, 0, 0, 0}, 'C', 0},
        {"not a drive letter", {false, 8, 512, 1000, 2000, 0}, '1', 0},
        {"only the low byte counts", {false, 8, 512, 1000, 2000, 0}, 0x4100 | 'C', 4096000},
    };
    for (const auto& c : cases) {
        platform::overrideMachineFigures(&c.figures);
        EXPECT_EQ(elSystem::GetDiskFree(c.drive), c.disk) << c.what;
    }
    platform::MachineFigures mem{};
    mem.availablePhysicalMemory = 1u << 30;
    platform::overrideMachineFigures(&mem);
    EXPECT_EQ(elSystem::GetFreeMemory(), 1 << 30);
    mem.availablePhysicalMemory = 24ull << 30;
    platform::overrideMachineFigures(&mem);
    EXPECT_EQ(elSystem::GetFreeMemory(), INT_MAX);
    platform::overrideMachineFigures(nullptr);
    EXPECT_GT(elSystem::GetFreeMemory(), 0) << "the real machine";
}

TEST(SystemQueries, ExeDirEndsWithTheSeparatorOfThisSystem) {
    StartFresh();
    std::string dir = elSystem::GetExeDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), platform::kPathSeparator);
    EXPECT_EQ(dir, std::string(QRB_BINARY_DIR) + "/bin/");
    struct Case { std::string module; std::string dir; } cases[] = {
        {"/quorbix", "/"},
        {"quorbix", ""},
        {"/opt/games/quorbix", "/opt/games/"},
        {"/" + std::string(250, 'd') + "/quorbix", ""},   // does not fit 256 bytes: no directory
        {"/" + std::string(252, 'd') + "/q", "/" + std::string(252, 'd') + "/"},   // 255 bytes fit
    };
    for (const auto& c : cases) {
        platform::MachineFigures figures{};
        figures.modulePath = c.module.c_str();
        platform::overrideMachineFigures(&figures);
        EXPECT_EQ(std::string(elSystem::GetExeDir()), c.dir) << c.module;
    }
    platform::overrideMachineFigures(nullptr);
    EXPECT_EQ(elSystem::IsWindowed(), 0) << "FullScreen starts at 1";
    Shell.FullScreen = 0;
    EXPECT_EQ(elSystem::IsWindowed(), 1);
}

TEST(SystemQueries, CommandLineIsCutTo255Characters) {
    struct Case { std::string given; std::string kept; } cases[] = {
        {"", ""},
        {"-x level", "-x level"},
        {std::string(255, 'a'), std::string(255, 'a')},
        {std::string(300, 'b'), std::string(255, 'b')},
    };
    for (const auto& c : cases) {
        platform::headless::Config cfg;
        cfg.frames = 1;
        StartFresh(cfg);
        WinMain(c.given.c_str(), platform::SW_SHOWNORMAL);
        EXPECT_EQ(std::string(elSystem::GetCommandLine()), c.kept) << c.given.size() << " characters";
    }
    ResetProgramState();
}

TEST(WindowMessages, MoveKeepsNegativePositionsAndClickIgnoresMessagePosition) {
    StartFresh();
    struct Case { int x, y; } cases[] = {{100, 200}, {-30, 40}, {-1, -1}, {2000, -600}};
    for (const auto& c : cases) {
        WndProc(1, platform::WM_MOVE, 0, platform::makePosition(c.x, c.y));
        EXPECT_EQ(Shell.ClientOriginX, c.x);
        EXPECT_EQ(Shell.ClientOriginY, c.y);
    }
    // Mouse positions stay unsigned 16-bit, as the message carries them.
    WndProc(1, platform::WM_MOUSEMOVE, 0, platform::makePosition(65535, 3));
    EXPECT_EQ(Input.MouseX, 65535);
    EXPECT_EQ(Input.MouseY, 3);
}

TEST(WindowMessages, KeysReleaseOnlyTheirOwnCodes) {
    StartFresh();
    WndProc(1, platform::WM_KEYDOWN, 'A', 0);
    WndProc(1, platform::WM_KEYUP, 'B', 0);
    EXPECT_EQ(Input.LastKey, 'A') << "another key's release leaves LastKey";
    WndProc(1, platform::WM_KEYUP, 'A', 0);
    EXPECT_EQ(Input.LastKey, 0);
    WndProc(1, platform::WM_KEYUP, 16, 0);
    WndProc(1, platform::WM_KEYUP, 16, 0);
    WndProc(1, platform::WM_KEYUP, 16, 0);
    EXPECT_EQ(Input.ShiftToggle, 1);
}

TEST(WindowMessages, RightDoubleClickTogglesConfinementOnlyWhenEnabled) {
    StartFresh();
    elDraw::Display.ScreenWidth = 480;
    elDraw::Display.ScreenHeight = 360;
    Shell.FullScreen = 0;
    WndProc(1, platform::WM_RBUTTONDBLCLK, 2, 0);
    EXPECT_EQ(elSystem::IsCursorClipped(), 0);
    Shell.CursorClipMode = 1;
    WndProc(1, platform::WM_RBUTTONDBLCLK, 2, 0);
    EXPECT_EQ(elSystem::IsCursorClipped(), 1);
    WndProc(1, platform::WM_RBUTTONDBLCLK, 2, 0);
    EXPECT_EQ(elSystem::IsCursorClipped(), 0);
    EXPECT_EQ(Input.RightClick, 1) << "the double-click is a press too";
}

TEST(SystemQueries, ColourDepthIsTheDesktops) {
    for (int depth : {16, 24, 32}) {
        OpenDisplay(depth);
        EXPECT_EQ(elSystem::GetColorDepth(), depth);
    }
}

TEST(SystemCursor, MovedAndConfinedToThePicture) {
    OpenDisplay();
    ASSERT_EQ(elDraw::Screen(480, 360), 1);
    WndProc(Shell.MainWindow, platform::WM_MOVE, 0, platform::makePosition(272, 213));
    auto asked = [] {
        platform::Rect r;
        if (!platform::askedCursorClip(r)) return std::string("free");
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    };

    // The cursor goes where it is told, and the frame loop hides it inside the client area.
    EXPECT_NE(elSystem::SetCursorPos(300, 250), 0);
    int x = 0, y = 0;
    platform::getCursorPos(x, y);
    EXPECT_EQ(x * 10000 + y, 300 * 10000 + 250);
    RunFrame();
    EXPECT_FALSE(hl::cursorVisible());
    elSystem::SetCursorPos(5, 5);
    RunFrame();
    EXPECT_TRUE(hl::cursorVisible());

    elSystem::ClipCursor(10, 20, 30, 40);
    EXPECT_EQ(asked(), "10,20,30,40");
    EXPECT_EQ(elSystem::IsCursorClipped(), 1);
    elSystem::FreeCursor();
    EXPECT_EQ(asked(), "free");
    EXPECT_EQ(elSystem::IsCursorClipped(), 0);

    // Windowed: the picture where the client area is now; the window procedure renews it on a
    // move while confinement is on. Full screen: the screen of the display's size.
    elSystem::ClipCursorToScreen();
    EXPECT_EQ(asked(), "272,213,752,573");
    Shell.CursorClipMode = 1;
    WndProc(Shell.MainWindow, platform::WM_MOVE, 0, platform::makePosition(100, 50));
    EXPECT_EQ(asked(), "100,50,580,410");
    Shell.FullScreen = 1;
    elSystem::ClipCursorToScreen();
    EXPECT_EQ(asked(), "0,0,480,360");
    EXPECT_EQ(elSystem::IsCursorClipped(), 1);
}

TEST(SystemShutdown, ReleasesScreenSoundAndFontOnceAndPostsOneClose) {
    OpenDisplay();
    ASSERT_EQ(elDraw::Screen(480, 360), 1);   // which also opens the sound and makes the font
    ASSERT_NE(elSound::Sound.Device, nullptr);
    ASSERT_NE(elDraw::Text.Font, nullptr);
    EXPECT_EQ(elSystem::Shutdown(), 1);
    EXPECT_EQ(elDraw::Display.DirectDraw, nullptr);
    EXPECT_EQ(elDraw::Display.Back, nullptr);
    EXPECT_EQ(elSound::Sound.Device, nullptr);
    EXPECT_EQ(elDraw::Text.Font, nullptr);
    // A second shutdown finds everything gone and posts nothing more.
    EXPECT_EQ(elSystem::Shutdown(), 1);
    platform::Message m;
    int closes = 0;
    while (platform::peekMessage(m)) closes += m.message == platform::WM_CLOSE;
    EXPECT_EQ(closes, 1);
}
