// elDraw: the primitives, each a short GDI sequence on Back's context.
#include "framework/draw/primitives.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "framework/draw/back_dc.h"
#include "framework/draw/display.h"
#include "platform/text/gdi_text.h"
#include "platform/video/surface.h"

namespace elDraw {

void SetPixel(int x, int y, std::uint32_t color) {
    platform::HDC dc = TakeBackDC();
    platform::setPixel(dc, x, y, color);
    GiveBackDC(dc);
}

void GetPixel(int x, int y, int& red, int& green, int& blue) {
    platform::HDC dc = TakeBackDC();
    std::uint32_t v = platform::getPixel(dc, x, y);
    GiveBackDC(dc);
    red = static_cast<int>(v & 0xFF);
    green = static_cast<int>((v >> 8) & 0xFF);
    blue = static_cast<int>((v >> 16) & 0xFF);
}

void Line(int x1, int y1, int x2, int y2, std::uint32_t color, int width) {
    platform::HDC dc = TakeBackDC();
    platform::HGDIOBJ pen = platform::createPen(platform::PS_SOLID, width, color);
    platform::HGDIOBJ previous = platform::selectObject(dc, pen);
    platform::moveToEx(dc, x1, y1, nullptr);
    platform::lineTo(dc, x2, y2);
    platform::selectObject(dc, previous);
    platform::deleteObject(pen);
    GiveBackDC(dc);
}

void Polygon(const Point* points, int count, std::uint32_t color, std::uint32_t background, int width,
             int fill) {
    platform::HDC dc = TakeBackDC();
    platform::LogBrush lb;
    lb.lbStyle = fill == 0 ? platform::BS_NULL : platform::BS_HATCHED;
    lb.lbColor = color;
    lb.lbHatch = platform::HS_DIAGCROSS;
    platform::HGDIOBJ brush = platform::createBrushIndirect(&lb);
    platform::HGDIOBJ previousBrush = platform::selectObject(dc, brush);
    platform::HGDIOBJ pen = platform::createPen(platform::PS_SOLID, width, color);
    platform::HGDIOBJ previousPen = platform::selectObject(dc, pen);
    if (fill == 2)
        platform::setBkMode(dc, platform::TRANSPARENT);
    else
        platform::setBkColor(dc, background);
    platform::polygon(dc, points, count);
    platform::selectObject(dc, previousPen);
    platform::deleteObject(pen);
    platform::selectObject(dc, previousBrush);
    platform::deleteObject(brush);
    GiveBackDC(dc);
}

void InvertRect(int left, int top, int right, int bottom) {
    platform::HDC dc = TakeBackDC();
    platform::Rect r{left, top, right, bottom};
    platform::invertRect(dc, &r);
    GiveBackDC(dc);
}

namespace {

// Fills one row span (right exclusive) already cut to the drawable area.
void FillSpan(int left, int top, int right, int bottom, std::uint32_t pixel) {
    platform::BltFx fx;
    fx.fillColor = pixel;
    const platform::Rect rect{left, top, right, bottom};
    Display.Back->Blt(&rect, nullptr, nullptr, platform::DDBLT_COLORFILL | platform::DDBLT_WAIT, &fx);
}

}  // namespace

void FillRect(int left, int top, int right, int bottom, std::uint32_t color) {
    const ClipRect area = DrawableArea();
    left = std::max(left, area.left);
    top = std::max(top, area.top);
    right = std::min(right, area.right);
    bottom = std::min(bottom, area.bottom);
    if (right <= left || bottom <= top) return;
    FillSpan(left, top, right, bottom, platform::colorToPixel(color, Display.Back->format()));
}

void FillCircle(int cx, int cy, int radius, std::uint32_t color) {
    const ClipRect area = DrawableArea();
    if (radius < 0 || area.right <= area.left || area.bottom <= area.top) return;
    const std::uint32_t pixel = platform::colorToPixel(color, Display.Back->format());
    // In 64 bits: a centre far off the screen or a huge radius must not overflow.
    const std::int64_t r = radius, x0 = cx, y0 = cy;
    const std::int64_t first = std::max<std::int64_t>(y0 - r, area.top);
    const std::int64_t last = std::min<std::int64_t>(y0 + r, area.bottom - 1);
    std::int64_t half = 0;   // the row's reach: the largest h with h^2 + dy^2 <= r^2
    for (std::int64_t y = first; y <= last; ++y) {
        const std::int64_t dy = y - y0, room = r * r - dy * dy;
        // Found from the square root, then set right in integers against its rounding.
        half = static_cast<std::int64_t>(std::sqrt(static_cast<double>(room)));
        while (half * half > room) --half;
        while ((half + 1) * (half + 1) <= room) ++half;
        const std::int64_t from = std::max<std::int64_t>(x0 - half, area.left);
        const std::int64_t to = std::min<std::int64_t>(x0 + half + 1, area.right);
        if (from < to)
            FillSpan(static_cast<int>(from), static_cast<int>(y), static_cast<int>(to), static_cast<int>(y) + 1, pixel);
    }
}

}  // namespace elDraw
