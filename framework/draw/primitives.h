// elDraw: the primitives on Back: pixels, lines, polygons and inverted rectangles. Each takes
// Back's context and gives it back within the call, so none is called inside a text bracket.
#pragma once
#include <cstdint>

#include "platform/video/gdi_primitives.h"

namespace elDraw {

using Point = platform::Point;

// Colours are COLORREF 0x00BBGGRR.
void SetPixel(int x, int y, std::uint32_t color);
// The pixel's colour split into its parts; outside Back (or without Back) 255, 255, 255.
void GetPixel(int x, int y, int& red, int& green, int& blue);
// A solid line of `width` pixels; a one-pixel line leaves out its end point.
void Line(int x1, int y1, int x2, int y2, std::uint32_t color, int width);
// Fill 0: outline only. Fill 2: the inside cross-hatched in the colour with transparent gaps.
// Any other fill: cross-hatched over the background colour.
void Polygon(const Point* points, int count, std::uint32_t color, std::uint32_t background, int width,
             int fill);
// Right and bottom exclusive.
void InvertRect(int left, int top, int right, int bottom);

}  // namespace elDraw
