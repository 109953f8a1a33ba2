// The raster effects, pixel for pixel on the headless backend: waves and their phases, endless
// tiling and its wrap, the scrolling wave, the wavy band, mosaic, mirror, scan lines, jitter,
// and the sizes that must draw nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/bmp_builder.h"
#include "tests/framework/draw/effect_support.h"
#include "framework/draw/raster_effects.h"
#include "framework/system/random.h"

using namespace elDraw;
using namespace effects_test;

namespace {

std::string Row(int row, int shift, int from, int to) {
    return "row " + std::to_string(row) + " shift " + std::to_string(shift) + " x " + std::to_string(from) + ".." +
           std::to_string(to);
}

// x to a 64-bit significand, the precision of x86-64's long double: on arm64, whose long double
// is wider, the formula below is held to the same bits.
long double Significand64(long double x) {
    int exponent = 0;
    const long double m = std::frexp(x, &exponent);
    return std::ldexp(std::nearbyint(std::ldexp(m, 64)), exponent - 64);
}

bool BackIsBlack() {
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x)
            if (SourceOf(x, y).found()) return false;
    return true;
}

}  // namespace

TEST(RasterEffects, WaveShiftsEachRowByTheCosineOfItsAbsoluteRow) {
    OpenEffectsDisplay();
    const int pic = CodedObject();
    // Amplitude 20, one degree per row, phase 0: row 0 goes right by 20, row 90 stays, row 180
    // goes left by 20. The rectangle starts at row 100, yet row 100 is waved as degree 100.
    WaveObject(40, 0, 20, 1, 0.0f, pic, 0, 0, 400, 360);
    struct Case { const char* name; int y; std::string expected; } cases[] = {
        {"row 0, +amplitude", 0, Row(0, 60, 60, 459)},
        {"row 60, cos 60 = 0.5", 60, Row(60, 50, 50, 449)},
        {"row 90, zero", 90, Row(90, 40, 40, 439)},
        {"row 180, -amplitude", 180, Row(180, 20, 20, 419)},
        {"row 270, zero", 270, Row(270, 40, 40, 439)},
        {"row 359", 359, Row(359, 59, 59, 458)},
    };
    for (const Case& c : cases) EXPECT_EQ(DescribeRow(c.y), c.expected) << c.name;

    FillBlack();
    WaveObject(40, 200, 20, 2, 0.0f, pic, 0, 100, 400, 110);   // two rows per degree
    // 20 cos 50 degrees = 12.86: the row goes right by 12, to x 52.
    EXPECT_EQ(DescribeRow(200), Row(100, 52, 52, 451)) << "source row 100 is degree 50, drawn at y + 0";
    EXPECT_EQ(DescribeRow(199), "-");
    EXPECT_EQ(DescribeRow(210), "-");
}

TEST(RasterEffects, WavePhaseAdvancesPerCallAndWrapsAt360) {
    OpenEffectsDisplay(0.5f);
    const int pic = CodedObject();
    // Amplitude 0 draws the rectangle unchanged, row by row, whatever the phase.
    std::vector<float> phases;
    for (int i = 0; i < 9; ++i) {
        WaveObject(10, 20, 0, 1, 90.0f, pic, 5, 5, 105, 55);
        phases.push_back(Effects.WavePhase);
    }
    const std::vector<float> expected{45, 90, 135, 180, 225, 270, 315, 0, 45};
    EXPECT_EQ(phases, expected);
    for (int y : {20, 44, 69}) EXPECT_EQ(DescribeRow(y), Row(y - 15, 5, 10, 109)) << "unchanged row at " << y;

    // Speed 0 stands still; the first frame after a long pause keeps the phase in [0, 360);
    // a speed that is not a number leaves it.
    struct Case { const char* name; float delta, speed, expected; } cases[] = {
        {"speed 0", 0.5f, 0.0f, 45.0f},
        {"a pause of 1000.5 s at 1 degree/s", 1000.5f, 1.0f, std::fmod(45.0f + 1000.5f, 360.0f)},
        {"negative speeds go below 0", 4.0f, -100.0f, -74.5f},
        {"infinite speed", 0.5f, INFINITY, -74.5f},
        {"NaN speed", 0.5f, NAN, -74.5f},
    };
    for (const Case& c : cases) {
        elSystem::Clock.FrameDelta = c.delta;
        WaveObject(10, 20, 30, 1, c.speed, pic, 5, 5, 105, 55);
        EXPECT_FLOAT_EQ(Effects.WavePhase, c.expected) << c.name;
    }
}

TEST(RasterEffects, WaveOffsetsFollowTheExtendedPrecisionFormula) {
    // Every row's offset is trunc(amplitude x cos((row div d + phase) x pi x 2 / 360)) with the
    // cosine in extended precision, also where the product lies on a whole number (cos 60,
    // cos 90, ...), for phases the per-second advance gives and for ones set by hand. Extended
    // precision is a 64-bit significand on every build that has one.
    OpenEffectsDisplay(0.0f);
    const int pic = CodedObject();
    int wrong = 0, checked = 0;
    std::string first;
    for (int amplitude : {7, 16, 200})
        for (int d : {1, 3})
            for (float phase : {0.0f, 4.5f, 45.0f, 123.25f, -30.0f, 1000.5f}) {
                FillBlack();
                Effects.WavePhase = phase;
                WaveObject(240, 0, amplitude, d, 0.0f, pic, 0, 0, 4, 360);
                for (int row = 0; row < 360; ++row) {
                    const long double angle =
                        Significand64((static_cast<long double>(row / d) + phase) * 3.141592653589793L * 2 / 360);
                    const int expected = static_cast<int>(Significand64(amplitude * std::cos(angle)));
                    int x = 0;
                    while (x < 480 && !SourceOf(x, row).found()) ++x;
                    ++checked;
                    if (x - 240 != expected) {
                        ++wrong;
                        if (first.empty())
                            first = "amplitude " + std::to_string(amplitude) + ", d " + std::to_string(d) + ", phase " +
                                    std::to_string(phase) + ", row " + std::to_string(row) + ": expected " +
                                    std::to_string(expected) + ", got " + std::to_string(x - 240);
                    }
                }
            }
    EXPECT_EQ(checked, 3 * 2 * 6 * 360);
    EXPECT_EQ(wrong, 0) << first;
}

TEST(RasterEffects, TileCoversTheScreenAndWrapsWithoutASeam) {
    OpenEffectsDisplay(0.5f);
    const int pic = CodedObject();
    // A 64 x 48 tile drifting left at 20 pixels per second: 10 pixels per frame here.
    std::vector<int> offsets;
    for (int frame = 0; frame < 9; ++frame) {
        const int ox = static_cast<int>(Effects.TileOffsetX);
        FillBlack();
        TileObject(-20.0f, 0.0f, pic, 100, 50, 164, 98);
        offsets.push_back(static_cast<int>(Effects.TileOffsetX));
        // Every pixel shows the tile at ((x - ox) mod 64, y mod 48): no gap, no seam.
        int wrong = 0;
        for (int y = 0; y < 360; y += 7)
            for (int x = 0; x < 480; ++x) {
                Source s = SourceOf(x, y);
                const int tx = ((x - ox) % 64 + 64) % 64;
                if (s.x != 100 + tx || s.y != 50 + y % 48) ++wrong;
            }
        EXPECT_EQ(wrong, 0) << "frame " << frame << " drawn at offset " << ox;
    }
    const std::vector<int> expected{-10, -20, -30, -40, -50, -60, -6, -16, -26};
    EXPECT_EQ(offsets, expected) << "past -64 the offset jumps back by the tile width";

    // After a pause of an hour the offsets are still within one tile and the screen is covered.
    elSystem::Clock.FrameDelta = 3600.0f;
    TileObject(-20.0f, 35.0f, pic, 100, 50, 164, 98);
    EXPECT_GE(Effects.TileOffsetX, -64.0f);
    EXPECT_LE(Effects.TileOffsetX, 0.0f);
    EXPECT_GE(Effects.TileOffsetY, -48.0f);
    EXPECT_LE(Effects.TileOffsetY, 0.0f);
    FillBlack();
    elSystem::Clock.FrameDelta = 0.0f;
    TileObject(0.0f, 0.0f, pic, 100, 50, 164, 98);
    int black = 0;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) black += SourceOf(x, y).found() ? 0 : 1;
    EXPECT_EQ(black, 0);
}

TEST(RasterEffects, WaveScrollRepeatsThePictureVertically) {
    OpenEffectsDisplay(1.0f);
    const int pic = CodedObject();
    // One row per second upwards-negative: after one call the position is rows - 1.
    WaveScrollObject(0, 0, 0, 1, 0.0f, 1.0f, pic, 0, 0, 100, 40);
    EXPECT_FLOAT_EQ(Effects.WaveScrollPos, 39.0f);
    FillBlack();
    elSystem::Clock.FrameDelta = 0.0f;
    WaveScrollObject(0, 0, 0, 1, 0.0f, 0.0f, pic, 0, 0, 100, 40);
    struct Case { int y; std::string expected; } cases[] = {
        {0, Row(39, 0, 0, 99)},   // line top shows row bottom - 1
        {1, Row(0, 0, 0, 99)},    // and line top + 1 shows row top
        {39, Row(38, 0, 0, 99)},
        {40, "-"},
    };
    for (const Case& c : cases) EXPECT_EQ(DescribeRow(c.y), c.expected) << "line " << c.y;

    // A rectangle whose top is not 0 lands top rows below y; the position left by a taller
    // rectangle is taken modulo this one's height.
    FillBlack();
    WaveScrollObject(0, 100, 0, 1, 0.0f, 0.0f, pic, 0, 200, 100, 210);
    EXPECT_EQ(DescribeRow(299), "-");
    EXPECT_EQ(DescribeRow(300), Row(209, 0, 0, 99)) << "39 rows of scroll on a 10-row picture is 9";
    EXPECT_EQ(DescribeRow(301), Row(200, 0, 0, 99));
    EXPECT_EQ(DescribeRow(310), "-");

    // Long pauses and both directions keep the position within the picture.
    for (float delta : {3600.0f, -7.5f}) {
        elSystem::Clock.FrameDelta = delta;
        WaveScrollObject(0, 0, 0, 1, 0.0f, 3.0f, pic, 0, 0, 100, 40);
        EXPECT_GE(Effects.WaveScrollPos, 0.0f) << delta;
        EXPECT_LT(Effects.WaveScrollPos, 40.0f) << delta;
    }
}

TEST(RasterEffects, WaveTileBandFillsItsRowsWithAWavedScrolledTile) {
    OpenEffectsDisplay(0.0f);
    const int pic = CodedObject();
    Effects.BandScroll = 5.0f;
    Effects.BandPhase = 0.9f;   // cut to 0 whole degrees
    WaveTileBand(100, 200, 8, 1, 0.0f, 0.0f, pic, 200, 10, 264, 58);
    EXPECT_EQ(DescribeRow(99), "-");
    EXPECT_EQ(DescribeRow(200), "-");
    // Band row i shows tile row (i mod 48) + 5, wrapped, shifted by trunc(8 cos(i degrees)) - 8:
    // 8 cos 42 = 5.95 and 8 cos 43 = 5.85 give -3; 8 cos 99 = -1.25 gives -9.
    struct Case { int i; int tileRow; int shift; } cases[] = {
        {0, 5, 0}, {42, 47, -3}, {43, 0, -3}, {90, 47, -8}, {99, 8, -9},
    };
    for (const Case& c : cases) {
        const int y = 100 + c.i;
        int wrong = 0;
        for (int x = 0; x < 480; ++x) {
            Source s = SourceOf(x, y);
            const int tx = ((x - c.shift) % 64 + 64) % 64;
            if (s.x != 200 + tx || s.y != 10 + c.tileRow) ++wrong;
        }
        EXPECT_EQ(wrong, 0) << "band row " << c.i;
    }
}

TEST(RasterEffects, MosaicRepeatsTheFirstRowOfEachStrip) {
    OpenEffectsDisplay();
    const int pic = CodedObject();
    MosaicObject(0, 0, 1, pic, 0, 0, 50, 10);
    for (int y = 0; y < 10; ++y) EXPECT_EQ(DescribeRow(y), Row(y, 0, 0, 49)) << "block height 1, row " << y;
    EXPECT_EQ(DescribeRow(10), "-");

    FillBlack();
    MosaicObject(10, 100, 4, pic, 0, 20, 50, 30);   // 10 rows in strips of 4: 12 rows drawn
    std::vector<std::string> got, expected;
    for (int line = 0; line < 13; ++line) {
        got.push_back(DescribeRow(100 + line));
        expected.push_back(line < 12 ? Row(20 + line / 4 * 4, 10, 10, 59) : "-");
    }
    EXPECT_EQ(got, expected);
}

TEST(RasterEffects, MirrorTurnsTheRectangleByMode) {
    OpenEffectsDisplay();
    const int pic = CodedObject();
    // Rectangle (10, 20) to (110, 80) drawn at (200, 100); where pixel (i, j) of the result
    // comes from in each mode.
    struct Case { int mode; std::function<Source(int, int)> from; } cases[] = {
        {0, [](int i, int j) { return Source{10 + i, 20 + j}; }},
        {1, [](int i, int j) { return Source{109 - i, 20 + j}; }},
        {2, [](int i, int j) { return Source{10 + i, 79 - j}; }},
        {3, [](int i, int j) { return Source{109 - i, 79 - j}; }},
    };
    for (const Case& c : cases) {
        FillBlack();
        MirrorObject(200, 100, c.mode, pic, 10, 20, 110, 80);
        int wrong = 0;
        for (int j = 0; j < 60; ++j)
            for (int i = 0; i < 100; ++i) {
                Source s = SourceOf(200 + i, 100 + j), e = c.from(i, j);
                if (s.x != e.x || s.y != e.y) ++wrong;
            }
        EXPECT_EQ(wrong, 0) << "mode " << c.mode;
        EXPECT_FALSE(SourceOf(199, 100).found()) << "mode " << c.mode;
        EXPECT_FALSE(SourceOf(300, 159).found()) << "mode " << c.mode;
    }
    // Another mode copies nothing new: Buffer still holds the last turn.
    FillBlack();
    MirrorObject(0, 0, 7, pic, 0, 0, 100, 60);
    EXPECT_EQ(SourceOf(0, 0).x, 109);
    EXPECT_EQ(SourceOf(0, 0).y, 79);
}

TEST(RasterEffects, MirrorWiderThanTheScreenIsCutToBuffer) {
    OpenEffectsDisplay();
    testbmp::Resources res;
    std::vector<std::uint32_t> rgb(600 * 400);
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 600; ++x) rgb[y * 600 + x] = CodedPixel(x, y);
    res.Add("WIDE", testbmp::Rgb24(600, 400, rgb));
    const int wide = LoadObject("WIDE");
    ASSERT_NE(wide, 0);
    // Mirrored left to right: screen column i shows source column 599 - i, for the 480 columns
    // Buffer holds; rows beyond 360 are left out.
    MirrorObject(0, 0, 1, wide, 0, 0, 600, 400);
    EXPECT_EQ(DescribeRow(0), "mixed") << "a mirrored row has no single shift";
    int wrong = 0;
    for (int y = 0; y < 360; y += 11)
        for (int x = 0; x < 480; ++x) {
            Source s = SourceOf(x, y);
            if (s.x != 599 - x || s.y != y) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    FillBlack();
    MirrorObject(-100, 0, 2, wide, 0, 0, 600, 400);   // upside down, moved left
    EXPECT_EQ(SourceOf(0, 0).x, 100);
    EXPECT_EQ(SourceOf(0, 0).y, 399);
    EXPECT_EQ(SourceOf(379, 359).x, 479);
    EXPECT_FALSE(SourceOf(380, 0).found()) << "Buffer's 480 columns end at screen x 380";
}

TEST(RasterEffects, ScanLinesAndJitter) {
    OpenEffectsDisplay();
    const int pic = CodedObject();
    ScanLineObject(0, 50, 2, pic, 0, 0, 40, 10);
    std::string drawn;
    for (int y = 50; y < 62; ++y)
        if (DescribeRow(y) != "-") drawn += std::to_string(y - 50) + " ";
    EXPECT_EQ(drawn, "2 4 6 8 ") << "spacing 2 on rows 0 to 9";

    FillBlack();
    ScanLineObject(0, 0, 0, pic, 0, 0, 40, 100);
    EXPECT_TRUE(BackIsBlack()) << "spacing 0 draws nothing";

    // Negative spacing: gaps of 1 to 3 rows; the first row is at least one below top.
    FillBlack();
    elSystem::SeedRandom(7);
    ScanLineObject(0, 0, -3, pic, 0, 0, 40, 200);
    int previous = 0, rows = 0;
    bool gapsInRange = true;
    for (int y = 0; y < 202; ++y) {
        if (DescribeRow(y) == "-") continue;
        EXPECT_EQ(DescribeRow(y), Row(y, 0, 0, 39));
        if (y - previous < 1 || y - previous > 3) gapsInRange = false;
        previous = y;
        ++rows;
    }
    EXPECT_TRUE(gapsInRange);
    EXPECT_GT(rows, 200 / 3 - 1);
    EXPECT_LT(previous, 200);

    // Jitter 0 or below is one plain PutObject; jitter 5 moves each row by -5 to 4.
    for (int j : {0, -3}) {
        FillBlack();
        JitterObject(30, 40, j, pic, 0, 0, 100, 50);
        EXPECT_EQ(DescribeRow(40), Row(0, 30, 30, 129)) << "jitter " << j;
        EXPECT_EQ(DescribeRow(89), Row(49, 30, 30, 129)) << "jitter " << j;
    }
    FillBlack();
    JitterObject(30, 40, 5, pic, 0, 0, 100, 50);
    int outside = 0, distinct = 0, last = 999;
    for (int y = 40; y < 90; ++y) {
        // Column 35 lies in every row whatever its shift.
        const Source s = SourceOf(35, y);
        const int shift = 35 - s.x - 30;
        if (shift < -5 || shift > 4 || s.y != y - 40) ++outside;
        if (shift != last) ++distinct;
        last = shift;
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(distinct, 10) << "a new shift for every row";
}

TEST(RasterEffects, SizesBelowOneDrawNothingAndAdvanceNothing) {
    OpenEffectsDisplay(0.5f);
    const int pic = CodedObject();
    struct Case { const char* name; std::function<void()> draw; } cases[] = {
        {"wave, 0 rows per degree", [&] { WaveObject(0, 0, 10, 0, 90.0f, pic, 0, 0, 100, 100); }},
        {"wave, -1 rows per degree", [&] { WaveObject(0, 0, 10, -1, 90.0f, pic, 0, 0, 100, 100); }},
        {"wave scroll, 0 rows per degree", [&] { WaveScrollObject(0, 0, 10, 0, 90.0f, 9.0f, pic, 0, 0, 100, 100); }},
        {"wave scroll, no rows", [&] { WaveScrollObject(0, 0, 10, 1, 90.0f, 9.0f, pic, 0, 50, 100, 50); }},
        {"band, 0 rows per degree", [&] { WaveTileBand(0, 100, 10, 0, 90.0f, 9.0f, pic, 0, 0, 64, 48); }},
        {"band, tile height 0", [&] { WaveTileBand(0, 100, 10, 1, 90.0f, 9.0f, pic, 0, 48, 64, 48); }},
        {"band, tile width -4", [&] { WaveTileBand(0, 100, 10, 1, 90.0f, 9.0f, pic, 64, 0, 60, 48); }},
        {"tile, width 0", [&] { TileObject(10.0f, 10.0f, pic, 64, 0, 64, 48); }},
        {"tile, height -1", [&] { TileObject(10.0f, 10.0f, pic, 0, 48, 64, 47); }},
        {"mosaic, block 0", [&] { MosaicObject(0, 0, 0, pic, 0, 0, 100, 100); }},
        {"mosaic, block -2", [&] { MosaicObject(0, 0, -2, pic, 0, 0, 100, 100); }},
        {"mirror, no width", [&] { MirrorObject(0, 0, 0, pic, 50, 0, 50, 100); }},
    };
    for (const Case& c : cases) {
        FillBlack();
        c.draw();
        EXPECT_TRUE(BackIsBlack()) << c.name;
        EXPECT_EQ(Effects.WavePhase + Effects.TileOffsetX + Effects.TileOffsetY + Effects.WaveScrollPhase +
                      Effects.WaveScrollPos + Effects.BandPhase + Effects.BandScroll,
                  0.0f)
            << c.name;
    }
}

TEST(RasterEffects, HugeRectanglesAndPositionsStayInsideTheSurfaces) {
    // Rectangles and positions at the ends of int's range: nothing outside the surfaces is read
    // or written (the sanitizer build checks), and the rows that can land on Back still do.
    OpenEffectsDisplay(0.1f);
    const int pic = CodedObject();
    WaveObject(0, INT_MIN / 2, 5, 1, 1e30f, pic, 0, INT_MIN, 100, INT_MAX);
    WaveObject(INT_MAX, 0, INT_MIN, 1, 10.0f, pic, 0, 0, 100, 100);
    WaveScrollObject(INT_MIN, INT_MAX, INT_MAX, 1, 1.0f, 1e30f, pic, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    WaveTileBand(INT_MIN, INT_MAX, INT_MAX, 1, 1.0f, -1e30f, pic, 0, 0, 64, INT_MAX);
    MosaicObject(0, 0, INT_MAX, pic, 0, INT_MIN, 10, INT_MAX);
    ScanLineObject(0, 0, INT_MIN, pic, 0, INT_MIN, 10, INT_MAX);
    ScanLineObject(0, 0, 1, pic, 0, INT_MIN, 10, INT_MAX);
    JitterObject(0, 0, INT_MAX, pic, 0, INT_MIN, 10, INT_MAX);
    TileObject(1e30f, -1e30f, pic, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    MirrorObject(INT_MIN, INT_MAX, 3, pic, INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    MirrorObject(0, 0, 1, 5000, 0, 0, 10, 10);

    FillBlack();
    MosaicObject(0, 0, INT_MAX, pic, 0, 0, 10, 1000);
    EXPECT_EQ(DescribeRow(0), Row(0, 0, 0, 9));
    EXPECT_EQ(DescribeRow(359), Row(0, 0, 0, 9)) << "one strip, cut at the screen's bottom";
}
