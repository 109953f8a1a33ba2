// elDraw: the primitives, each a short GDI sequence on Back's context.
#include "framework/draw/primitives.h"

#include "framework/draw/back_dc.h"
#include "platform/text/gdi_text.h"

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

}  // namespace elDraw
