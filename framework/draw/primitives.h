// elDraw: the primitives on Back: pixels, lines, polygons and inverted rectangles. Each takes
// Back's context and gives it back within the call, so none is called inside a text bracket.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/draw/primitives.h is the framework's own; include <quorbix/draw.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdint>

#include "platform/video/gdi_primitives.h"

namespace elDraw {

// A point of a polygon: x, y.
using Point = platform::Point;

// Sets one pixel of Back. Colours are COLORREF 0x00BBGGRR.
void SetPixel(int x, int y, std::uint32_t color);
// The pixel's colour split into its parts; outside Back (or without Back) 255, 255, 255.
void GetPixel(int x, int y, int& red, int& green, int& blue);
// A solid line of `width` pixels; a one-pixel line leaves out its end point.
void Line(int x1, int y1, int x2, int y2, std::uint32_t color, int width);
// A polygon of `count` points, its outline `width` pixels wide. Fill 0: outline only. Fill 2:
// the inside cross-hatched in the colour with transparent gaps. Any other fill: cross-hatched
// over the background colour.
void Polygon(const Point* points, int count, std::uint32_t color, std::uint32_t background, int width,
             int fill);
// Inverts the colours of a rectangle of Back, right and bottom exclusive.
void InvertRect(int left, int top, int right, int bottom);

// Filled shapes in one solid colour (COLORREF 0x00BBGGRR, as every colour above), for programs
// that draw their own bars, panels and dots. Unlike the calls above they take no context: they
// fill Back's pixels directly, clipped to the clip window (SetClipWindow) and to Back, as the
// object blits are, so they may be called inside a text bracket too. Nothing is drawn without
// a display.
//
// The rectangle left <= x < right, top <= y < bottom; an empty or inside-out one fills nothing.
void FillRect(int left, int top, int right, int bottom, std::uint32_t color);
// Every pixel (x, y) with (x - cx)^2 + (y - cy)^2 <= radius^2: radius 0 is the one pixel
// (cx, cy), radius r reaches r pixels left, right, up and down of it (2r + 1 across). A negative
// radius fills nothing.
void FillCircle(int cx, int cy, int radius, std::uint32_t color);

}  // namespace elDraw
