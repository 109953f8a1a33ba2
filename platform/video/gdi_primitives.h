// Platform: GDI-style pens, brushes and the primitives drawn with them on a device context:
// pixels, lines, polygons and inverted rectangles.
#pragma once
#include <cstdint>

#include "platform/video/gdi.h"
#include "platform/window/system.h"

namespace platform {

constexpr int PS_NULL = 5;
constexpr int HS_HORIZONTAL = 0;
constexpr int HS_VERTICAL = 1;
constexpr int HS_FDIAGONAL = 2;
constexpr int HS_BDIAGONAL = 3;
constexpr int HS_CROSS = 4;

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The classic brush record: style (BS_*), colour (COLORREF), hatch (HS_*) for hatched brushes.
struct LogBrush {
    std::uint32_t lbStyle = BS_SOLID;
    std::uint32_t lbColor = 0;
    std::uintptr_t lbHatch = 0;
};

// ---------------------------------------------------------------- pens and brushes

// Called by elDraw::Line and elDraw::Polygon, once per call. A width of 1 or less draws one-pixel
// lines; wider pens draw round-ended lines of that width. PS_NULL draws nothing; every other
// style is drawn solid. The caller deletes the pen with deleteObject.
HGDIOBJ createPen(int style, int width, std::uint32_t color);
// Called by elDraw::Polygon. BS_SOLID, BS_NULL and BS_HATCHED (with an HS_* hatch) are known;
// anything else gives nullptr.
HGDIOBJ createBrushIndirect(const LogBrush* brush);

// ---------------------------------------------------------------- primitives
// Each draws nothing, and answers failure, without a context; nothing is drawn outside the
// context's pixels.

// Called by elDraw::SetPixel. Sets one pixel; answers the colour the pixel got (the format's nearest), or CLR_INVALID
// outside the pixels.
std::uint32_t setPixel(HDC dc, int x, int y, std::uint32_t color);
// Called by elDraw::GetPixel. The colour of one pixel, or CLR_INVALID outside the pixels.
std::uint32_t getPixel(HDC dc, int x, int y);

// Called by elDraw::Line, then lineTo. Moves the current position (the previous one into `previous` when given).
bool moveToEx(HDC dc, int x, int y, Point* previous);
// Draws from the current position to (x, y) with the selected pen and makes (x, y) current.
// A one-pixel line leaves out its end point, so that lines joined end to start light each
// pixel once.
bool lineTo(HDC dc, int x, int y);

// Called by elDraw::Polygon. Fills the polygon's inside (alternate rule: a pixel is inside when its centre is; the right
// and bottom edges stay outside) with the selected brush, then draws its closed outline with the
// selected pen. A hatched brush paints its lines in its colour and the gaps in the background
// colour, or leaves the gaps alone in TRANSPARENT mode. Fewer than 2 points draw nothing.
bool polygon(HDC dc, const Point* points, int count);

// Called by elDraw::InvertRect. Inverts the colours of a rectangle (right and bottom exclusive); an empty or inside-out
// rectangle inverts nothing.
bool invertRect(HDC dc, const Rect* rect);

}  // namespace platform
