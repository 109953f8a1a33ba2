// Tests: a picture whose every pixel names its own place, and readers that tell where a row of
// Back came from, for the raster effects and the wipes.
#pragma once
#include <cstdint>
#include <string>

#include "tests/support/display_support.h"
#include "framework/draw/blit.h"
#include "framework/draw/object_table.h"
#include "framework/system/wait_timers.h"

namespace effects_test {

// Red and green the low bits of x and y, blue 0x40 plus their high bits: never black, so Back's
// black background is never mistaken for the picture.
inline std::uint32_t CodedPixel(int x, int y) {
    return (static_cast<std::uint32_t>(x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x40u | ((x >> 8) << 2) | (y >> 8);
}

struct Source {
    int x = -1, y = -1;
    bool found() const { return x >= 0; }
};

// Where a pixel of Back came from; not found on black.
inline Source SourceOf(int x, int y) {
    const std::uint32_t p = platform::readPixel(BackView(), x, y);   // 32 bits: 0x00RRGGBB
    if (p == 0) return {};
    return {static_cast<int>(((p >> 16) & 0xFF) | (((p >> 2) & 3) << 8)),
            static_cast<int>(((p >> 8) & 0xFF) | ((p & 3) << 8))};
}

// A 480 x 360 object (CreateObject) painted with the coded picture.
inline int CodedObject() {
    const int k = elDraw::CreateObject();
    const platform::PixelView v = elDraw::Objects.Slot[k].Surface->view();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) platform::writePixel(v, x, y, CodedPixel(x, y));
    return k;
}

// The display as the game opens it, Back cleared, a steady frame delta.
inline void OpenEffectsDisplay(float frameDelta = 0.1f) {
    OpenDisplay();
    elDraw::Screen(480, 360);
    elDraw::FillBlack();
    elSystem::Clock.FrameDelta = frameDelta;
}

// What one row of Back shows: "-" when it is black, "row R shift S" when every picture pixel of
// it comes from source row R moved sideways by S, with the columns they cover, else "mixed".
inline std::string DescribeRow(int y) {
    int row = -1, shift = 0, first = -1, last = -1;
    for (int x = 0; x < 480; ++x) {
        Source s = SourceOf(x, y);
        if (!s.found()) continue;
        if (first < 0) {
            row = s.y;
            shift = x - s.x;
            first = x;
        } else if (s.y != row || x - s.x != shift || last != x - 1) {
            return "mixed";
        }
        last = x;
    }
    if (first < 0) return "-";
    return "row " + std::to_string(row) + " shift " + std::to_string(shift) + " x " + std::to_string(first) +
           ".." + std::to_string(last);
}

// The same without the columns, for rows that are cut by the screen's edges.
inline std::string RowAndShift(int y) {
    std::string d = DescribeRow(y);
    std::size_t at = d.find(" x ");
    return at == std::string::npos ? d : d.substr(0, at);
}

}  // namespace effects_test
