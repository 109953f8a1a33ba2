// The filled shapes and the turned, scaled put on Back: pictures and counts worked out by hand,
// and the clip window at every edge.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "tests/support/bmp_builder.h"
#include "tests/support/display_support.h"
#include "framework/draw/blit.h"
#include "framework/draw/primitives.h"

using namespace elDraw;

namespace {

constexpr std::uint32_t kBackground = 0x203040;   // 0x00RRGGBB, as BackRgb reads
constexpr std::uint32_t kKeyRgb = 0x00FF00;

void Clear() {
    SetClipWindow(0, 0, 480, 360);
    FillRect(0, 0, 480, 360, 0x403020);   // COLORREF of kBackground
}

void Open(int depth = 32) {
    OpenDisplay(depth);
    ASSERT_EQ(Screen(480, 360), 1);
    Clear();
}

int CountOf(std::uint32_t rgb) {
    int n = 0;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) n += BackRgb(x, y) == InBackFormat(rgb);
    return n;
}

// A sprite whose every pixel differs (none the key), with one key pixel at (1, 0).
std::uint32_t Px(int x, int y) { return 0x800000u | static_cast<std::uint32_t>(x) << 8 | static_cast<std::uint32_t>(y * 16 + 1); }
std::uint32_t Src(int x, int y) { return x == 1 && y == 0 ? kKeyRgb : Px(x, y); }
int LoadSprite(testbmp::Resources& res, const char* name, int w, int h) {
    std::vector<std::uint32_t> px;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px.push_back(Src(x, y));
    res.Add(name, testbmp::Rgb24(w, h, px));
    SetDefaultKey(0x00FF00);
    return LoadObject(name);
}

// Back must show `at(x, y)` (kBackground where it answers the key) inside the box, and kBackground
// outside; the first wrong pixel is reported.
std::string Expect(int bx, int by, int bw, int bh, const std::function<std::uint32_t(int, int)>& at) {
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) {
            std::uint32_t want = kBackground;
            if (x >= bx && x < bx + bw && y >= by && y < by + bh) want = at(x - bx, y - by);
            if (want == kKeyRgb) want = kBackground;
            if (BackRgb(x, y) != InBackFormat(want)) {
                char buf[96];
                std::snprintf(buf, sizeof buf, "at (%d, %d): expected %06X, got %06X", x, y, want, BackRgb(x, y));
                return buf;
            }
        }
    return "";
}

std::vector<std::uint32_t> Picture() {
    std::vector<std::uint32_t> p;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) p.push_back(BackRgb(x, y));
    return p;
}

}  // namespace

TEST(FilledShapes, RectangleAndCircleCoverThePixelsWorkedOutByHand) {
    Open();
    FillRect(10, 20, 13, 22, 0x0000FF);   // red
    EXPECT_EQ(Expect(10, 20, 3, 2, [](int, int) { return 0xFF0000u; }), "");
    Clear();
    FillRect(13, 22, 10, 20, 0x0000FF);
    FillRect(10, 20, 10, 30, 0x0000FF);
    EXPECT_EQ(CountOf(0xFF0000), 0) << "inside-out and empty rectangles fill nothing";

    // Radius 3 about (50, 50): 29 pixels (1 + 4 * 3 on the axes, and 16 off them: (1,1), (1,2),
    // (2,1), (2,2) in each quarter; (1,3) and (3,1) lie at 10 > 9, outside).
    FillCircle(50, 50, 3, 0xFF0000);   // blue
    EXPECT_EQ(CountOf(0x0000FF), 29);
    for (auto [x, y] : {std::pair{53, 50}, {47, 50}, {50, 47}, {50, 53}, {52, 52}, {48, 48}, {51, 52}})
        EXPECT_EQ(BackRgb(x, y), 0x0000FFu) << x << "," << y;
    for (auto [x, y] : {std::pair{54, 50}, {53, 51}, {51, 53}, {47, 47}, {53, 53}})
        EXPECT_EQ(BackRgb(x, y), kBackground) << x << "," << y;
    Clear();
    FillCircle(100, 100, 0, 0xFFFFFF);
    FillCircle(200, 100, 1, 0xFFFFFF);
    FillCircle(300, 100, -1, 0xFFFFFF);
    EXPECT_EQ(CountOf(0xFFFFFF), 1 + 5) << "radius 0 is one pixel, radius 1 a plus of five";
    // A huge radius off the screen, far out of int's square: no overflow, the whole area filled.
    FillCircle(240, 180, std::numeric_limits<int>::max(), 0xFFFFFF);
    EXPECT_EQ(CountOf(0xFFFFFF), 480 * 360);
}

TEST(FilledShapes, ClippedAtEveryEdgeOfTheClipWindowAndOfBack) {
    for (int depth : {32, 16}) {
        Open(depth);
        struct Edge {
            const char* name;
            int cx, cy;
            int rectPixels;   // the 20 x 20 square about the centre, cut at the edge
        } edges[] = {{"left", 100, 100, 10 * 20}, {"right", 299, 100, 11 * 20}, {"top", 200, 50, 20 * 10},
                     {"bottom", 200, 149, 20 * 11}};
        for (const Edge& e : edges) {
            Clear();
            SetClipWindow(100, 50, 300, 150);
            // Centred on the edge's outermost row or column inside: that line and the half
            // beyond it inward, (29 + 7) / 2 = 18 pixels.
            FillCircle(e.cx, e.cy, 3, 0xFFFFFF);
            EXPECT_EQ(CountOf(0xFFFFFF), 18) << e.name << " at depth " << depth;
            FillRect(e.cx - 10, e.cy - 10, e.cx + 10, e.cy + 10, 0x0000FF);
            EXPECT_EQ(CountOf(0xFF0000), e.rectPixels) << e.name;
        }
        // A clip window beyond Back: cut to Back, as nothing is drawn outside it.
        Clear();
        SetClipWindow(-100, -100, 1000, 1000);
        FillRect(-5, -5, 3, 2, 0xFFFFFF);
        FillCircle(479, 359, 1, 0xFFFFFF);
        EXPECT_EQ(CountOf(0xFFFFFF), 3 * 2 + 3);
    }
}

TEST(TurnedPut, QuarterTurnsHalfTurnsAndScaleTwoGiveTheExpectedCopies) {
    for (int depth : {32, 16}) {
        Open(depth);
        testbmp::Resources res;
        const int even = LoadSprite(res, "EVEN", 4, 2), odd = LoadSprite(res, "ODD", 3, 5);
        ASSERT_NE(even, 0);
        ASSERT_NE(odd, 0);
        struct Case {
            const char* name;
            int index, w, h;
            double degrees, scale;
            int bw, bh;   // the box Back shows, its top-left at (cx - bw / 2, cy - bh / 2)
            std::function<std::uint32_t(int, int)> at;
        } cases[] = {
            {"even, no turn", even, 4, 2, 0, 1, 4, 2, [](int i, int j) { return Src(i, j); }},
            // A quarter turn clockwise: the transposed copy mirrored left to right.
            {"even, 90", even, 4, 2, 90, 1, 2, 4, [](int i, int j) { return Src(j, 1 - i); }},
            {"odd, 90", odd, 3, 5, 90, 1, 5, 3, [](int i, int j) { return Src(j, 4 - i); }},
            {"odd, -270", odd, 3, 5, -270, 1, 5, 3, [](int i, int j) { return Src(j, 4 - i); }},
            {"odd, 270", odd, 3, 5, 270, 1, 5, 3, [](int i, int j) { return Src(2 - j, i); }},
            {"even, 180", even, 4, 2, 180, 1, 4, 2, [](int i, int j) { return Src(3 - i, 1 - j); }},
            {"odd, 540", odd, 3, 5, 540, 1, 3, 5, [](int i, int j) { return Src(2 - i, 4 - j); }},
            {"even, scale 2", even, 4, 2, 0, 2, 8, 4, [](int i, int j) { return Src(i / 2, j / 2); }},
            {"even, 90 at scale 2", even, 4, 2, 90, 2, 4, 8, [](int i, int j) { return Src(j / 2, 1 - i / 2); }},
        };
        for (const Case& c : cases) {
            Clear();
            PutObjectRotated(200, 100, c.index, 0, 0, c.w, c.h, c.degrees, c.scale);
            EXPECT_EQ(Expect(200 - c.bw / 2, 100 - c.bh / 2, c.bw, c.bh, c.at), "") << c.name << " at depth " << depth;
        }
        // At no turn and scale 1 the put is PutObject's, odd sides included.
        Clear();
        PutObject(199, 98, odd, 0, 0, 3, 5);
        const auto put = Picture();
        Clear();
        PutObjectRotated(200, 100, odd, 0, 0, 3, 5, 0, 1);
        EXPECT_EQ(Picture(), put);
        // Calls that cannot draw: a bad scale or angle, a rectangle not inside the object.
        Clear();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        PutObjectRotated(200, 100, even, 0, 0, 4, 2, 0, 0);
        PutObjectRotated(200, 100, even, 0, 0, 4, 2, 0, nan);
        PutObjectRotated(200, 100, even, 0, 0, 4, 2, nan, 1);
        PutObjectRotated(200, 100, even, 0, 0, 4, 2, std::numeric_limits<double>::infinity(), 1);
        PutObjectRotated(200, 100, even, 0, 0, 5, 2, 0, 1);
        PutObjectRotated(200, 100, even, -1, 0, 4, 2, 0, 1);
        PutObjectRotated(200, 100, 1023, 0, 0, 4, 2, 0, 1);
        PutObjectRotated(200, 100, -1, 0, 0, 4, 2, 0, 1);
        EXPECT_EQ(CountOf(kBackground), 480 * 360);
    }
}

TEST(TurnedPut, ClippedAtEveryEdgeOfTheClipWindowAndOfBack) {
    Open();
    testbmp::Resources res;
    const int big = LoadSprite(res, "BIG", 40, 30);
    // Each place straddles one edge of the clip window (100, 50)-(300, 150), at an angle that
    // touches no special case and a scale that repeats pixels.
    for (auto [cx, cy] : {std::pair{100, 100}, {300, 100}, {200, 50}, {200, 150}, {100, 50}, {300, 150}}) {
        Clear();
        PutObjectRotated(cx, cy, big, 0, 0, 40, 30, 33, 1.5);
        auto whole = Picture();
        Clear();
        SetClipWindow(100, 50, 300, 150);
        PutObjectRotated(cx, cy, big, 0, 0, 40, 30, 33, 1.5);
        auto clipped = Picture();
        int drawn = 0;
        for (int y = 0; y < 360; ++y)
            for (int x = 0; x < 480; ++x) {
                const bool inside = x >= 100 && x < 300 && y >= 50 && y < 150;
                const std::uint32_t want = inside ? whole[y * 480 + x] : kBackground;
                ASSERT_EQ(clipped[y * 480 + x], want) << "(" << x << ", " << y << ") for centre " << cx << "," << cy;
                drawn += inside && want != kBackground;
            }
        EXPECT_GT(drawn, 100) << "the part inside was drawn";
    }
    // Off Back's edges with a clip window beyond it, and far away: nothing outside is touched.
    Clear();
    SetClipWindow(-1000, -1000, 2000, 2000);
    for (auto [cx, cy] : {std::pair{0, 0}, {479, 0}, {0, 359}, {479, 359}, {-100000, 5}, {5, 2000000000}})
        PutObjectRotated(cx, cy, big, 0, 0, 40, 30, 45, 1024);
    EXPECT_LT(CountOf(kBackground), 480 * 360);
}
