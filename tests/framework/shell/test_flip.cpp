// The end of the frame: presentation in a window and in full screen, the scene transitions of
// every style over their ten frames, and the scrolling page with its limits and drift.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "framework/shell/flip.h"
#include "framework/shell/frame_loop.h"
#include "tests/support/bmp_builder.h"
#include "tests/support/display_support.h"
#include "framework/draw/blit.h"
#include "framework/system/wait_timers.h"
#include "platform/files/png_writer.h"

using namespace elDraw;

namespace {

constexpr std::uint32_t kBack = 0x202020;

// Screen (object 1) shows a picture in which every pixel names its place: red x, green y, blue
// the high bits of both.
std::uint32_t ScreenPixel(int x, int y) {
    return (static_cast<std::uint32_t>(x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x40u | ((x >> 8) << 2) | (y >> 8);
}

void PaintScreenObject() {
    platform::PixelView v = Objects.Slot[1].Surface->view();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) {
            std::uint32_t c = ScreenPixel(x, y);
            platform::writePixel(v, x, y, c);   // XRGB8888: the raw value is 0x00RRGGBB
        }
}

void PaintBack(std::uint32_t rgb) {
    platform::PixelView v = BackView();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) platform::writePixel(v, x, y, rgb);
}

// Where a row of Back came from: the Screen row it shows and its shift, or false when the row
// is untouched background.
bool RowSource(int y, int& srcRow, int& shift) {
    const platform::PixelView v = BackView();   // 32 bits: the raw value is 0x00RRGGBB
    for (int x = 0; x < 480; ++x) {
        std::uint32_t p = platform::readPixel(v, x, y);
        if (p == kBack) continue;
        int sx = static_cast<int>(((p >> 16) & 0xFF) | (((p >> 2) & 3) << 8));
        srcRow = static_cast<int>(((p >> 8) & 0xFF) | ((p & 3) << 8));
        shift = x - sx;
        return true;
    }
    return false;
}

std::string PictureIsBack() {
    const auto& pic = platform::headless::shownPicture();
    if (pic.width != 480 || pic.height != 360) return "picture is " + std::to_string(pic.width) + "x" + std::to_string(pic.height);
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x)
            if (ShownRgb(x, y) != BackRgb(x, y)) return "differs at " + std::to_string(x) + "," + std::to_string(y);
    return "";
}

}  // namespace

TEST(Flip, PresentsBackUnderTheWindowWhereverItIs) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    PaintScreenObject();
    PutObjectOpaque(0, 0, 1, 0, 0, 480, 360);
    const int before = platform::headless::presentCount();
    Flip();
    EXPECT_EQ(platform::headless::presentCount(), before + 1);
    EXPECT_EQ(PictureIsBack(), "") << "centred window";
    // Dragged partly beyond each edge of the screen, the window still shows its whole picture.
    int shift = 0;
    for (auto [x, y] : {std::pair{-100, -50}, {700, 600}, {-479, 200}}) {
        platform::headless::moveWindow(x, y);
        EXPECT_EQ(Shell.ClientOriginX, x);
        FillBlack();
        shift += 7;   // a picture the window has not shown before
        PutObjectOpaque(shift, shift, 1, 0, 0, 480, 360);
        const int presented = platform::headless::presentCount();
        Flip();
        EXPECT_EQ(platform::headless::presentCount(), presented + 1) << "window at " << x << "," << y;
        EXPECT_EQ(PictureIsBack(), "") << "window at " << x << "," << y;
    }
}

TEST(Flip, FullScreenFlipsAndGivesUpOnAFlipThatKeepsFailing) {
    OpenDisplay(32, 1);
    ASSERT_EQ(Screen(480, 360), 1);
    FillWhite();
    Flip();
    EXPECT_EQ(ShownRgb(479, 359), 0xFFFFFFu);
    const int shown = platform::headless::presentCount();
    for (platform::HResult failure : {platform::E_FAIL, platform::DDERR_SURFACELOST}) {
        platform::injectFlipFailure(failure);
        Flip();   // returns: the frame is dropped
        EXPECT_EQ(platform::headless::presentCount(), shown);
    }
    platform::injectFlipFailure(platform::DD_OK);
    FillBlack();
    Flip();
    EXPECT_EQ(ShownRgb(0, 0), 0u);
}

TEST(Flip, TileTransitionCoversInTenFramesAndUncoversInTen) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    // Ten frames of 64 x 48: frame k has colour k in its left half and black (transparent) in
    // its right half.
    auto colour = [](int k) { return 0x100000u * static_cast<std::uint32_t>(k + 1) + 0x0F; };
    std::vector<std::uint32_t> strip;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 640; ++x) strip.push_back(x % 64 < 32 ? colour(x / 64) : 0);
    testbmp::Resources res;
    res.Add("WIPE", testbmp::Rgb24(640, 48, strip));
    LoadWipePattern("WIPE");
    EXPECT_EQ(Present.TransitionPattern, 2);

    Shell.SceneId = 2;
    Shell.PrevSceneId = 2;
    Shell.NextSceneId = 3;
    PaintBack(kBack);
    TransitionOut();
    for (int frame = 1; frame <= 10; ++frame) {
        RunFrame();
        EXPECT_EQ(Shell.LastFrame.Scene, 0) << "no scene runs while covering, frame " << frame;
        EXPECT_EQ(ShownRgb(64 * 3 + 5, 48 * 2 + 5), colour(frame - 1)) << "frame " << frame;
        EXPECT_EQ(ShownRgb(64 * 3 + 40, 48 * 2 + 5), kBack) << "black is transparent, frame " << frame;
        EXPECT_EQ(ShownRgb(64 * 6 + 40, 359), kBack) << "frame " << frame;   // in a right half
        EXPECT_EQ(ShownRgb(448 + 20, 336 + 20), colour(frame - 1)) << "the grid reaches the corner";
    }
    EXPECT_EQ(Shell.SceneId, 3) << "the scene changes right after the tenth";
    EXPECT_EQ(Present.TransitionStep, 0);

    TransitionIn();
    for (int frame = 1; frame <= 10; ++frame) {
        Flip();   // the new scene's own frames
        EXPECT_EQ(ShownRgb(5, 5), colour(10 - frame)) << "uncovering frame " << frame;
    }
    EXPECT_EQ(Present.TransitionStep, 0);
    EXPECT_EQ(Present.TransitionDirection, 0);
}

TEST(Flip, ScreenStylesOverTenFrames) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    PaintScreenObject();
    struct Case {
        const char* name;
        int style, period;
    } cases[] = {
        {"every row but each S-th", 1, 0},  {"bands", 2, 45},         {"jittered rows", 3, 12},
        {"jittered bands", 4, 45},          {"jitter with a short period", 3, 5},
        {"from above", 5, 45},              {"from below", 6, 45},    {"from the left", 7, 45},
        {"from the right", 8, 45},          {"bands without a period", 2, 0},
        {"slide without a period", 5, 0},   {"jitter with a negative period", 4, -3},
        {"no such style", 9, 45},
    };
    for (const Case& c : cases) {
        Present.TransitionStyle = c.style;
        Present.TransitionPeriod = c.period;
        TransitionOut();
        for (int S = 1; S <= 10; ++S) {
            PaintBack(kBack);
            Flip();
            const std::int64_t P = c.period, range = P - S + 1;
            const bool period = P >= 1;
            for (int y = 0; y < 360; ++y) {
                int src = 0, shift = 0;
                bool drawn = RowSource(y, src, shift);
                bool want = false;
                int wantSrc = y, lo = 0, hi = 0;   // the shift must lie in [lo, hi]
                switch (c.style) {
                    case 1: want = y % S != 0; break;
                    case 2: case 4:
                        want = period && y % P <= S;
                        if (c.style == 4 && range > 0) { lo = static_cast<int>(-range); hi = static_cast<int>(range - 1); }
                        break;
                    case 3:
                        want = period && y % S != 0;
                        if (range > 0) { lo = static_cast<int>(-range); hi = static_cast<int>(range - 1); }
                        break;
                    case 5: case 6: case 7: case 8: {
                        if (!period) break;
                        const int s = static_cast<int>((c.style <= 6 ? 360 / P : 480 / P) * range);
                        const int dy = c.style == 5 ? -s : c.style == 6 ? s : 0;
                        lo = hi = c.style == 7 ? -s : c.style == 8 ? s : 0;
                        wantSrc = y - dy;
                        want = wantSrc >= 0 && wantSrc < 360 && (lo > -480 && lo < 480);
                        break;
                    }
                    default: break;
                }
                ASSERT_EQ(drawn, want) << c.name << ", step " << S << ", row " << y;
                if (!drawn) continue;
                ASSERT_EQ(src, wantSrc) << c.name << ", step " << S << ", row " << y;
                ASSERT_TRUE(shift >= lo && shift <= hi) << c.name << ", step " << S << ", row " << y << ": shift " << shift;
            }
        }
        EXPECT_EQ(Present.TransitionStep, 0) << c.name << ": over after ten frames";
    }
}

TEST(Flip, ScrollPageMovesByKeyStopsAtItsEndsAndItsTilesDrift) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    testbmp::Resources res;
    // The page: 480 x 1000, each row a colour naming it; the tile: 64 x 48, black but for its
    // top-left pixel, which is white.
    std::vector<std::uint32_t> page;
    for (int y = 0; y < 1000; ++y)
        for (int x = 0; x < 480; ++x) page.push_back(x < 400 ? (0x010000u * static_cast<std::uint32_t>(y & 0xFF)) | 0x000100u * static_cast<std::uint32_t>(y >> 8) | 0x80u : 0);
    std::vector<std::uint32_t> tile(64 * 48, 0);
    tile[0] = 0xFFFFFF;
    res.Add("PAGE", testbmp::Rgb24(480, 1000, page));
    res.Add("TILE", testbmp::Rgb24(64, 48, tile));
    LoadScrollPage("PAGE", "TILE", 1000);
    ToggleScrollPage();
    ASSERT_EQ(Present.ScrollMode, 1);
    elSystem::Clock.FrameDelta = 0.05f;   // 20 frames a second

    auto shownRow = [] { std::uint32_t p = BackRgb(10, 0); return static_cast<int>(((p >> 16) & 0xFF) | (((p >> 8) & 0xFF) << 8)); };
    struct Step { const char* name; int key; int frames; float pos; } steps[] = {
        {"Down for a second", 40, 20, 100.0f},  {"Right for a second", 39, 20, 400.0f},
        {"Up for a second", 38, 20, 300.0f},    {"Left for two seconds", 37, 40, 0.0f},
        {"Right until the end", 39, 100, 640.0f}, {"no key", 0, 5, 640.0f},
    };
    for (const Step& s : steps) {
        Input.ScrollKey = s.key;
        for (int i = 0; i < s.frames; ++i) {
            FillBlack();
            Flip();
            ASSERT_GE(Present.ScrollPos, 0.0f) << s.name;
            ASSERT_LE(Present.ScrollPos, 640.0f) << s.name;
        }
        EXPECT_NEAR(Present.ScrollPos, s.pos, 0.01f) << s.name;
    }
    // The page is drawn before it moves: this frame shows the row it started at.
    Input.ScrollKey = 0;
    FillBlack();
    Flip();
    EXPECT_EQ(shownRow(), 640);

    // Drift: 10 pixels a second up and to the left, wrapping at 64 and 48.
    Present.ScrollTileX = Present.ScrollTileY = 0.0f;
    for (int i = 0; i < 20 * 7; ++i) {
        Flip();
        ASSERT_GT(Present.ScrollTileX, -64.0f);
        ASSERT_LE(Present.ScrollTileX, 0.0f);
        ASSERT_GT(Present.ScrollTileY, -48.0f);
    }
    EXPECT_NEAR(Present.ScrollTileX, -70.0f + 64.0f, 0.01f);
    EXPECT_NEAR(Present.ScrollTileY, -70.0f + 48.0f, 0.01f);
    FillBlack();
    Flip();   // tiles at trunc(-6), trunc(-22): right of the page, white corners at 442, 26 + 48m
    EXPECT_EQ(BackRgb(442, 26 + 48), 0xFFFFFFu);
    EXPECT_EQ(BackRgb(443, 26 + 48), 0u);

    // After a long pause (a frame delta of minutes) the tiles stay on the screen.
    elSystem::Clock.FrameDelta = 250.0f;
    Flip();
    EXPECT_GT(Present.ScrollTileX, -64.0f);
    EXPECT_GT(Present.ScrollTileY, -48.0f);
    ToggleScrollPage();
    EXPECT_EQ(Present.ScrollMode, 0);
}

TEST(Flip, FramesOfSpritesATransitionAndTheScrollPageAsPng) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    testbmp::Resources res;
    // A shaded ball on pure green, 47 x 47.
    std::vector<std::uint32_t> ball(47 * 47, 0x00FF00);
    for (int y = 0; y < 47; ++y)
        for (int x = 0; x < 47; ++x) {
            int dx = x - 23, dy = y - 23;
            if (dx * dx + dy * dy <= 23 * 23) ball[y * 47 + x] = 0x3030C0u + 0x010100u * static_cast<std::uint32_t>(std::max(0, 120 - 4 * (dx + dy + 46) / 2));
        }
    res.Add("BALL", testbmp::Rgb24(47, 47, ball));
    SetDefaultKey(0x00FF00);
    int k = LoadObject("BALL");
    const std::string dir = std::string(QRB_BINARY_DIR) + "/test-frames";
    std::filesystem::create_directories(dir);
    auto save = [&](const char* name) {
        const auto& pic = platform::headless::shownPicture();
        std::string error;
        ASSERT_TRUE(platform::writePng(dir + "/" + name, pic.pixels.data(), pic.width, pic.height, error)) << error;
        std::ifstream in(dir + "/" + name, std::ios::binary);
        char magic[4] = {};
        in.read(magic, 4);
        EXPECT_EQ(std::string(magic + 1, 3), "PNG");
    };

    // Sprites, three of them cut by the window's edges.
    FillBlack();
    for (auto [x, y] : {std::pair{100, 100}, {460, 20}, {-20, 300}, {200, 340}})
        PutObject(x, y, k, 0, 0, 47, 47);
    Flip();
    save("sprites.png");
    EXPECT_EQ(ShownRgb(123, 123), InBackFormat(ball[23 * 47 + 23]));
    EXPECT_EQ(ShownRgb(100, 100), 0u) << "the green corner is transparent";
    EXPECT_EQ(ShownRgb(479, 43), InBackFormat(ball[23 * 47 + 19]));
    EXPECT_EQ(ShownRgb(3, 323), InBackFormat(ball[23 * 47 + 23]));
    EXPECT_EQ(ShownRgb(223, 359), InBackFormat(ball[19 * 47 + 23]));

    // Half way through a slide from the right.
    GrabObject(1, 0, 0, 480, 360);
    Present.TransitionStyle = 8;
    Present.TransitionPeriod = 10;
    TransitionOut();
    FillWhite();
    for (int i = 0; i < 5; ++i) Flip();
    save("transition.png");
    EXPECT_EQ(ShownRgb(10, 10), 0xFFFFFFu) << "uncovered strip on the left";
    EXPECT_EQ(ShownRgb(300, 10), 0u) << "the picture slid in up to x = 288";
    EXPECT_EQ(ShownRgb(100 + 23 + 48 * 6, 123), InBackFormat(ball[23 * 47 + 23])) << "the ball moved right by 288";
    for (int i = 0; i < 5; ++i) Flip();

    // The scroll page over the sprites.
    std::vector<std::uint32_t> page(480 * 720, 0), tile(64 * 48, 0);
    for (int y = 0; y < 720; ++y)
        for (int x = 180; x < 300; ++x) page[y * 480 + x] = 0x808080;
    for (int i = 0; i < 64; ++i) tile[i] = 0x4040FF;
    res.Add("PAGE", testbmp::Rgb24(480, 720, page));
    res.Add("TILE", testbmp::Rgb24(64, 48, tile));
    LoadScrollPage("PAGE", "TILE", 720);
    ToggleScrollPage();
    FillBlack();
    PutObject(100, 100, k, 0, 0, 47, 47);
    Flip();
    save("scroll-page.png");
    EXPECT_EQ(ShownRgb(200, 5), 0x808080u) << "the page";
    EXPECT_EQ(ShownRgb(5, 0), 0x4040FFu) << "a tile's top row";
    EXPECT_EQ(ShownRgb(123, 123), InBackFormat(ball[23 * 47 + 23])) << "the scene shows through";
}
