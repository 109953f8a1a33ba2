// Rectangles (edges that touch, empty ones, coordinates near the int limits) and sprite-sheet
// animation (cells in time, a loop, a single play, odd settings).
#include <gtest/gtest.h>

#include <climits>

#include "framework/draw/animation.h"
#include "framework/draw/rect.h"

using quorbix::Animation;
using quorbix::Rect;

TEST(Rect, TouchingEdgesDoNotOverlapButOnePixelInDoes) {
    const Rect a{10, 10, 20, 10};   // x 10..29, y 10..19
    EXPECT_FALSE(a.Overlaps(Rect{30, 10, 5, 5}));    // right neighbour
    EXPECT_FALSE(a.Overlaps(Rect{5, 10, 5, 5}));     // left neighbour
    EXPECT_FALSE(a.Overlaps(Rect{10, 20, 5, 5}));    // below
    EXPECT_FALSE(a.Overlaps(Rect{10, 5, 5, 5}));     // above
    EXPECT_FALSE(a.Overlaps(Rect{30, 20, 5, 5}));    // corner to corner
    EXPECT_TRUE(a.Overlaps(Rect{29, 19, 5, 5}));     // the last pixel shared
    EXPECT_TRUE((Rect{29, 19, 5, 5}).Overlaps(a));
    EXPECT_TRUE(a.Overlaps(Rect{0, 0, 100, 100}));   // around it
    EXPECT_TRUE(a.Overlaps(a));
    EXPECT_TRUE(a.Contains(10, 10));
    EXPECT_TRUE(a.Contains(29, 19));
    EXPECT_FALSE(a.Contains(30, 15));
    EXPECT_FALSE(a.Contains(15, 20));
    EXPECT_FALSE(a.Contains(9, 15));
    EXPECT_TRUE(a.Contains(a));
    EXPECT_TRUE(a.Contains(Rect{29, 19, 1, 1}));
    EXPECT_FALSE(a.Contains(Rect{29, 19, 2, 1}));
    EXPECT_FALSE(a.Contains(Rect{9, 10, 2, 1}));
    EXPECT_EQ(quorbix::Intersection(a, Rect{25, 0, 100, 15}).W, 5);
    EXPECT_EQ(quorbix::Intersection(a, Rect{25, 0, 100, 15}).H, 5);
    EXPECT_TRUE(quorbix::Intersection(a, Rect{30, 10, 5, 5}).Empty());
}

TEST(Rect, EmptyRectanglesOverlapNothingAndHoldNothing) {
    const Rect big{0, 0, 100, 100};
    for (const Rect& empty : {Rect{10, 10, 0, 5}, Rect{10, 10, 5, 0}, Rect{10, 10, -5, 5}, Rect{}}) {
        EXPECT_TRUE(empty.Empty());
        EXPECT_FALSE(big.Overlaps(empty));
        EXPECT_FALSE(empty.Overlaps(big));
        EXPECT_FALSE(empty.Overlaps(empty));
        EXPECT_FALSE(big.Contains(empty));
        EXPECT_FALSE(empty.Contains(big));
        EXPECT_FALSE(empty.Contains(10, 10));
    }
    // A negative width is not a rectangle to the left.
    EXPECT_FALSE((Rect{50, 50, -20, 10}).Contains(40, 55));
}

TEST(Rect, CoordinatesAtTheIntLimitsDoNotWrap) {
    const Rect edge{INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX};
    EXPECT_TRUE(edge.Contains(INT_MAX, INT_MAX));
    EXPECT_TRUE(edge.Overlaps(Rect{INT_MAX - 1, INT_MAX - 1, 1, 1}));
    EXPECT_FALSE(edge.Overlaps(Rect{INT_MIN, INT_MIN, 100, 100}));
    const Rect low{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    EXPECT_TRUE(low.Contains(-2, -2));
    EXPECT_FALSE(low.Contains(-1, -1));
}

TEST(Animation, LoopsThroughTheStripCellByCell) {
    const Animation walk{Rect{0, 48, 32, 48}, 4, 100, true};
    const int expected[] = {0, 0, 1, 1, 2, 2, 3, 3, 0, 0, 1};
    for (int i = 0; i < 11; ++i) EXPECT_EQ(walk.CellAt(static_cast<std::uint32_t>(i) * 50), expected[i]) << i * 50;
    EXPECT_EQ(walk.CellAt(99), 0);
    EXPECT_EQ(walk.CellAt(100), 1);
    EXPECT_EQ(walk.CellAt(399), 3);
    EXPECT_EQ(walk.CellAt(400), 0);
    const Rect third = walk.CellRectAt(250);
    EXPECT_EQ(third.X, 64);
    EXPECT_EQ(third.Y, 48);
    EXPECT_EQ(third.W, 32);
    EXPECT_EQ(third.H, 48);
    EXPECT_FALSE(walk.FinishedAt(1000000));
    EXPECT_EQ(walk.CellAt(UINT32_MAX), static_cast<int>(UINT32_MAX / 100 % 4));
}

TEST(Animation, PlayedOnceHoldsItsLastCellAndThenIsFinished) {
    const Animation burst{Rect{16, 0, 16, 16}, 3, 40, false};
    EXPECT_EQ(burst.CellAt(0), 0);
    EXPECT_EQ(burst.CellAt(80), 2);
    EXPECT_EQ(burst.CellAt(5000), 2);
    EXPECT_EQ(burst.CellRectAt(5000).X, 16 + 2 * 16);
    EXPECT_FALSE(burst.FinishedAt(119));
    EXPECT_TRUE(burst.FinishedAt(120));
    EXPECT_TRUE(burst.FinishedAt(UINT32_MAX));
}

TEST(Animation, NoCellsOrNoTimeStillGivesACell) {
    const Animation none{Rect{0, 0, 8, 8}, 0, 0, true};
    EXPECT_EQ(none.CellAt(12345), 0);
    const Animation instant{Rect{0, 0, 8, 8}, 5, 0, false};   // 1 ms a cell
    EXPECT_EQ(instant.CellAt(3), 3);
    EXPECT_TRUE(instant.FinishedAt(5));
}
