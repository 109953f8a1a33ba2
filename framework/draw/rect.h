// elDraw's neighbour: rectangles on the picture, with the overlap and inside tests a game's
// collisions and buttons are made of.
#pragma once
#include <algorithm>
#include <cstdint>

namespace quorbix {

// The pixels X to X + W - 1 across and Y to Y + H - 1 down: the right and bottom edges are not
// in it, so that two rectangles side by side (one's X + W the other's X) touch without
// overlapping. A rectangle with W or H of 0 or less is empty: it overlaps nothing and is inside
// nothing, and nothing but an empty one is inside it.
struct Rect {
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;

    // Whether it holds no pixel.
    constexpr bool Empty() const { return W <= 0 || H <= 0; }
    // Whether the pixel (x, y) is in it.
    constexpr bool Contains(int x, int y) const {
        return !Empty() && x >= X && y >= Y && x - std::int64_t{X} < W && y - std::int64_t{Y} < H;
    }
    // Whether every pixel of `inner` is in it (false for an empty `inner`).
    constexpr bool Contains(const Rect& inner) const {
        return !Empty() && !inner.Empty() && inner.X >= X && inner.Y >= Y && inner.Right() <= Right() &&
               inner.Bottom() <= Bottom();
    }
    // Whether the two share a pixel.
    constexpr bool Overlaps(const Rect& other) const {
        return !Empty() && !other.Empty() && X < other.Right() && other.X < Right() && Y < other.Bottom() &&
               other.Y < Bottom();
    }
    // The first column and row past it, wide enough never to overflow.
    constexpr std::int64_t Right() const { return std::int64_t{X} + W; }
    constexpr std::int64_t Bottom() const { return std::int64_t{Y} + H; }
};

// The pixels the two share; an empty rectangle (W and H 0) when none.
constexpr Rect Intersection(const Rect& a, const Rect& b) {
    if (!a.Overlaps(b)) return Rect{};
    const int x = std::max(a.X, b.X), y = std::max(a.Y, b.Y);
    return Rect{x, y, static_cast<int>(std::min(a.Right(), b.Right()) - x),
                static_cast<int>(std::min(a.Bottom(), b.Bottom()) - y)};
}

}  // namespace quorbix
