// Primitives on Back and on memory contexts: lines and their left-out end point, polygons and
// their hatch, inverted rectangles, pixels outside the surface.
#include <gtest/gtest.h>

#include <string>

#include "tests/framework/draw/back_support.h"
#include "framework/draw/back_dc.h"
#include "framework/draw/primitives.h"
#include "tests/support/memory_dc.h"
#include "platform/video/gdi_primitives.h"
#include "platform/text/gdi_text.h"
#include "tests/support/test_support.h"

namespace {

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kMarker = 0x00FF00;

std::uint32_t BackAt(int x, int y) {
    platform::PixelView v = elDraw::BackPixels();
    return platform::pixelToColor(platform::readPixel(v, x, y), v.format);
}

void Start(std::uint32_t fill) {
    StartFresh();
    elDraw::ResetBackPixels();
    platform::PixelView v = elDraw::BackPixels();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) platform::writePixel(v, x, y, platform::colorToPixel(fill, v.format));
}

std::string Points(const std::vector<std::pair<int, int>>& ps) {
    std::string s;
    for (auto [x, y] : ps) s += "(" + std::to_string(x) + "," + std::to_string(y) + ")";
    return s;
}

}  // namespace

TEST(Line, OnePixelLinesLeaveOutTheirEndPoint) {
    struct Case {
        const char* name;
        int x1, y1, x2, y2;
        std::vector<std::pair<int, int>> lit;
    } cases[] = {
        {"right", 10, 10, 14, 10, {{10, 10}, {11, 10}, {12, 10}, {13, 10}}},
        {"left", 14, 10, 10, 10, {{14, 10}, {13, 10}, {12, 10}, {11, 10}}},
        {"down", 10, 10, 10, 13, {{10, 10}, {10, 11}, {10, 12}}},
        {"diagonal up-left", 13, 13, 10, 10, {{13, 13}, {12, 12}, {11, 11}}},
        {"shallow", 10, 10, 14, 12, {{10, 10}, {11, 11}, {12, 11}, {13, 12}}},
        {"a point draws nothing", 10, 10, 10, 10, {}},
        {"from outside, clipped", -3, 0, 3, 0, {{0, 0}, {1, 0}, {2, 0}}},
    };
    for (const Case& c : cases) {
        MemoryDC m(20, 20, platform::PixelFormat::XRGB8888, kMarker);
        platform::HGDIOBJ pen = platform::createPen(platform::PS_SOLID, 1, kRed);
        platform::HGDIOBJ old = platform::selectObject(m.dc, pen);
        platform::moveToEx(m.dc, c.x1, c.y1, nullptr);
        platform::lineTo(m.dc, c.x2, c.y2);
        platform::selectObject(m.dc, old);
        platform::deleteObject(pen);
        std::vector<std::pair<int, int>> got;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                if (m.At(x, y) == kRed) got.push_back({x, y});
        auto want = c.lit;
        std::sort(want.begin(), want.end(), [](auto a, auto b) { return a.second != b.second ? a.second < b.second : a.first < b.first; });
        EXPECT_EQ(Points(got), Points(want)) << c.name;
    }
}

TEST(Line, WidePensAndLinesFromFarAway) {
    Start(0);
    elDraw::Line(100, 50, 200, 50, kRed, 5);
    int rows = 0;
    for (int y = 40; y < 60; ++y) rows += BackAt(150, y) == kRed;
    EXPECT_EQ(rows, 5) << "a 5-pixel pen across x = 150";
    EXPECT_EQ(BackAt(202, 50), kRed) << "round end past the end point";
    EXPECT_EQ(BackAt(204, 50), 0u);

    // Coordinates at the ends of the int range: only what crosses Back is visited and drawn.
    elDraw::Line(-2147483647 - 1, 300, 2147483647, 300, kRed, 1);
    int lit = 0;
    for (int x = 0; x < 480; ++x) lit += BackAt(x, 300) == kRed;
    EXPECT_EQ(lit, 480);
    elDraw::Line(240, -2000000000, 240, 2000000000, kRed, 3);
    EXPECT_EQ(BackAt(240, 0), kRed);
    EXPECT_EQ(BackAt(240, 359), kRed);
}

TEST(Polygon, FillModesOfTheHatch) {
    elDraw::Point square[4] = {{100, 100}, {140, 100}, {140, 140}, {100, 140}};
    struct Case {
        const char* name;
        int fill;
        bool hatchLines, backgroundGaps, untouchedGaps;
    } cases[] = {
        {"0: outline only", 0, false, false, true},
        {"1: hatch over the background colour", 1, true, true, false},
        {"2: hatch with transparent gaps", 2, true, false, true},
        {"3: like 1", 3, true, true, false},
    };
    for (const Case& c : cases) {
        Start(kMarker);
        elDraw::Polygon(square, 4, kRed, 0xFF0000, 1, c.fill);
        int red = 0, blue = 0, marker = 0;
        for (int y = 102; y < 138; ++y)
            for (int x = 102; x < 138; ++x) {
                std::uint32_t p = BackAt(x, y);
                red += p == kRed;
                blue += p == 0xFF0000;
                marker += p == kMarker;
            }
        EXPECT_EQ(red > 0, c.hatchLines) << c.name << ": red " << red;
        EXPECT_EQ(blue > 0, c.backgroundGaps) << c.name << ": blue " << blue;
        EXPECT_EQ(marker > 0, c.untouchedGaps) << c.name << ": untouched " << marker;
        if (c.hatchLines) {
            // Diagonal cross: about a quarter of the pixels are on a hatch line.
            EXPECT_NEAR(red, 36 * 36 / 4, 36 * 36 / 16) << c.name;
        }
        for (auto [x, y] : {std::pair{100, 100}, {140, 100}, {140, 140}, {100, 140}, {120, 100}, {140, 120}})
            EXPECT_EQ(BackAt(x, y), kRed) << c.name << ": outline at " << x << "," << y;
        EXPECT_EQ(BackAt(99, 120), kMarker) << c.name;
        EXPECT_EQ(BackAt(141, 120), kMarker) << c.name;
    }
}

TEST(Polygon, AlternateFillLeavesTheOverlapOfAStarEmpty) {
    MemoryDC m(60, 60, platform::PixelFormat::RGB565, kMarker);
    platform::LogBrush lb{platform::BS_SOLID, kRed, 0};
    platform::HGDIOBJ brush = platform::createBrushIndirect(&lb);
    platform::HGDIOBJ oldBrush = platform::selectObject(m.dc, brush);
    platform::HGDIOBJ pen = platform::createPen(platform::PS_NULL, 1, 0);
    platform::HGDIOBJ oldPen = platform::selectObject(m.dc, pen);
    // A five-pointed star drawn in one stroke: its pentagon in the middle is inside twice.
    platform::Point star[5] = {{30, 2}, {47, 55}, {2, 22}, {58, 22}, {13, 55}};
    EXPECT_TRUE(platform::polygon(m.dc, star, 5));
    EXPECT_EQ(m.At(30, 32), kMarker) << "the middle";
    EXPECT_EQ(m.At(30, 10), kRed) << "the top point";
    EXPECT_EQ(m.At(30, 1), kMarker) << "above the top point";
    EXPECT_FALSE(platform::polygon(m.dc, star, 1)) << "one point";
    EXPECT_FALSE(platform::polygon(m.dc, nullptr, 5));
    platform::LogBrush bad{platform::BS_HATCHED, kRed, 9};
    EXPECT_EQ(platform::createBrushIndirect(&bad), nullptr) << "unknown hatch";
    platform::selectObject(m.dc, oldPen);
    platform::deleteObject(pen);
    platform::selectObject(m.dc, oldBrush);
    platform::deleteObject(brush);
}

TEST(Pixels, GetPixelOutsideIsTheInvalidColourAndInvertRectIsItsOwnUndo) {
    Start(0x336699);
    struct Case {
        const char* name;
        int x, y;
        int r, g, b;
    } cases[] = {
        {"inside", 10, 10, 0x99, 0x66, 0x33}, {"left of Back", -1, 10, 255, 255, 255},
        {"right of Back", 480, 10, 255, 255, 255}, {"above", 10, -1, 255, 255, 255},
        {"below", 10, 360, 255, 255, 255}, {"far away", -2147483647 - 1, 2147483647, 255, 255, 255},
    };
    for (const Case& c : cases) {
        int r = -1, g = -1, b = -1;
        elDraw::GetPixel(c.x, c.y, r, g, b);
        EXPECT_EQ(r, c.r) << c.name;
        EXPECT_EQ(g, c.g) << c.name;
        EXPECT_EQ(b, c.b) << c.name;
    }
    elDraw::SetPixel(479, 359, 0x010203);
    elDraw::SetPixel(480, 359, 0x010203);   // outside: ignored
    int r, g, b;
    elDraw::GetPixel(479, 359, r, g, b);
    EXPECT_EQ((r << 16) | (g << 8) | b, 0x030201);

    elDraw::InvertRect(470, 350, 500, 400);   // partly outside
    EXPECT_EQ(BackAt(475, 355), 0xFFFFFFu ^ 0x336699u);
    EXPECT_EQ(BackAt(469, 355), 0x336699u);
    EXPECT_EQ(BackAt(479, 359), 0xFFFFFFu ^ 0x010203u);
    elDraw::InvertRect(470, 350, 500, 400);
    EXPECT_EQ(BackAt(475, 355), 0x336699u);
    elDraw::InvertRect(100, 100, 50, 50);   // inside out: nothing
    EXPECT_EQ(BackAt(75, 75), 0x336699u);

    MemoryDC m(4, 4, platform::PixelFormat::RGB565, 0);
    EXPECT_EQ(platform::setPixel(m.dc, 1, 1, 0x123456), 0x103452u) << "the nearest RGB565 colour";
}
