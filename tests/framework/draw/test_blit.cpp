// Clipped blits onto Back, pixel for pixel: the clipping cases of the clip window, the fills,
// the stretched copy through Buffer and the grab from Back.
#include <gtest/gtest.h>

#include "tests/support/bmp_builder.h"
#include "tests/support/display_support.h"
#include "framework/draw/blit.h"

using namespace elDraw;

namespace {

constexpr std::uint32_t kBackground = 0xFFFFFF;

// Every pixel of the big sprite tells where it came from, and none is pure green (the key).
std::uint32_t SpritePixel(int x, int y) {
    return (static_cast<std::uint32_t>(x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x80u | ((x >> 8) & 3) | (((y >> 8) & 3) << 2);
}

int LoadBigSprite(testbmp::Resources& res) {
    std::vector<std::uint32_t> px;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 500; ++x) px.push_back(SpritePixel(x, y));
    res.Add("BIG", testbmp::Rgb24(500, 400, px));
    SetDefaultKey(0x00FF00);
    return LoadObject("BIG");
}

struct Drawn {
    bool any = false;
    int x = 0, y = 0;              // where the source rectangle lands
    int l = 0, t = 0, r = 0, b = 0;   // the source rectangle drawn
};

// Back must show the source rectangle at (x, y) and the background everywhere else; the first
// wrong pixel is reported.
std::string Check(const Drawn& d) {
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) {
            std::uint32_t want = kBackground;
            if (d.any && x >= d.x && x < d.x + (d.r - d.l) && y >= d.y && y < d.y + (d.b - d.t))
                want = InBackFormat(SpritePixel(x - d.x + d.l, y - d.y + d.t));
            if (BackRgb(x, y) != want) {
                char buf[96];
                std::snprintf(buf, sizeof buf, "at (%d, %d): expected %06X, got %06X", x, y, want, BackRgb(x, y));
                return buf;
            }
        }
    return "";
}

}  // namespace

TEST(Blit, PutObjectClipsToTheClipWindow) {
    for (int depth : {32, 16}) {
        OpenDisplay(depth);
        ASSERT_EQ(Screen(480, 360), 1);
        testbmp::Resources res;
        int k = LoadBigSprite(res);
        ASSERT_EQ(k, 2);
        struct Case {
            const char* name;
            ClipRect clip;
            int x, y, l, t, r, b;
            Drawn want;
        } cases[] = {
            {"cut at the top and the right", {0, 0, 480, 360}, 470, -5, 0, 0, 30, 30, {true, 470, 0, 0, 5, 10, 30}},
            {"touching the bottom-right corner", {0, 0, 480, 360}, 450, 330, 0, 0, 30, 30, {true, 450, 330, 0, 0, 30, 30}},
            {"wholly left of the window", {0, 0, 480, 360}, -40, 10, 0, 0, 30, 30, {false}},
            {"wholly right of the window", {0, 0, 480, 360}, 500, 10, 0, 0, 30, 30, {false}},
            {"larger than the window on every side", {0, 0, 480, 360}, -10, -10, 0, 0, 500, 400, {true, 0, 0, 10, 10, 490, 370}},
            {"a narrowed window", {100, 0, 380, 360}, 0, 0, 0, 0, 480, 360, {true, 100, 0, 100, 0, 380, 360}},
            {"cut down to nothing at the right edge", {0, 0, 450, 360}, 450, 0, 0, 0, 30, 30, {false}},
            {"source running past the sprite", {0, 0, 480, 360}, 0, 0, 490, 0, 520, 10, {false}},
            {"far beyond int's range", {0, 0, 480, 360}, INT_MAX - 5, INT_MIN + 5, 0, 0, 30, 30, {false}},
        };
        for (const Case& c : cases) {
            SetClipWindow(c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
            FillWhite();
            PutObject(c.x, c.y, k, c.l, c.t, c.r, c.b);
            EXPECT_EQ(Check(c.want), "") << depth << " bits: " << c.name;
        }
        EXPECT_EQ(TakeBoxTexts(), "");
    }
}

TEST(Blit, FillsStretchesGrabsAndOpaqueCopies) {
    OpenDisplay();
    ASSERT_EQ(Screen(480, 360), 1);
    testbmp::Resources res;
    // 4 x 2: green, black, red, white / white, red, black, green.
    const std::vector<std::uint32_t> px = {0x00FF00, 0x000000, 0xFF0000, 0xFFFFFF, 0xFFFFFF, 0xFF0000, 0x000000, 0x00FF00};
    res.Add("SMALL", testbmp::Rgb24(4, 2, px));
    SetDefaultKey(0x00FF00);
    int k = LoadObject("SMALL");

    // Fills are not clipped: the rectangle is filled exactly, inside or outside the window.
    SetClipWindow(100, 0, 380, 360);
    FillWhite();
    FillBlackRect(10, 10, 50, 20);
    for (auto [x, y, want] : {std::tuple{10, 10, 0u}, {49, 19, 0u}, {50, 19, 0xFFFFFFu}, {49, 20, 0xFFFFFFu}, {9, 10, 0xFFFFFFu}})
        EXPECT_EQ(BackRgb(x, y), want) << "fill at " << x << "," << y;
    SetClipWindow(0, 0, 480, 360);

    // The stretched copy is keyed with Buffer's black: green shows, black does not.
    FillWhite();
    StretchObject(20, 30, k, 0, 0, 4, 2, 8, 4);
    for (auto [x, y, want] : {std::tuple{20, 30, 0x00FF00u}, {21, 31, 0x00FF00u}, {22, 30, 0xFFFFFFu}, {24, 30, 0xFF0000u},
                              {26, 33, 0x00FF00u}, {24, 32, 0xFFFFFFu}, {22, 32, 0xFF0000u}, {28, 30, 0xFFFFFFu}})
        EXPECT_EQ(BackRgb(x, y), want) << "stretched at " << x << "," << y;

    // The opaque copy shows the key colour too.
    FillBlack();
    PutObjectOpaque(0, 0, k, 0, 0, 4, 2);
    PutObject(10, 0, k, 0, 0, 4, 2);
    EXPECT_EQ(BackRgb(0, 0), 0x00FF00u);
    EXPECT_EQ(BackRgb(10, 0), 0x000000u) << "keyed: green is transparent";
    EXPECT_EQ(BackRgb(12, 0), 0xFF0000u);

    // Grab: a rectangle of Back into the object's top-left corner.
    FillWhiteRect(100, 100, 102, 101);
    GrabObject(k, 99, 100, 103, 102);
    FillBlack();
    PutObjectOpaque(0, 0, k, 0, 0, 4, 2);
    EXPECT_EQ(BackRgb(0, 0), 0x000000u);
    EXPECT_EQ(BackRgb(1, 0), 0xFFFFFFu);
    EXPECT_EQ(BackRgb(2, 0), 0xFFFFFFu);
    EXPECT_EQ(BackRgb(3, 0), 0x000000u);
    EXPECT_EQ(BackRgb(1, 1), 0x000000u);

    // Back's device context draws into Back's pixels.
    GetBackDC();
    ASSERT_NE(Display.BackDC, nullptr);
    EXPECT_EQ(Display.BackDC->view.pixels, BackView().pixels);
    ReleaseBackDC();
    EXPECT_EQ(Display.BackDC, nullptr);
}
