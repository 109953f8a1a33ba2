// Platform: pens, brushes and the primitives (pixels, lines, polygons, inverted rectangles).
#include "platform/video/gdi_primitives.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/video/gdi_raster.h"

namespace platform {
namespace {

using raster::Clip;

Clip clipOf(HDC dc) { return raster::viewClip(dc->view); }

// Rounded quotient n / d for d > 0, ties upward; wide enough for any pair of int coordinates.
long long roundedDiv(__int128 n, long long d) {
    __int128 num = 2 * n + d, den = 2 * static_cast<__int128>(d);
    __int128 q = num / den;
    if (num % den != 0 && num < 0) --q;
    return static_cast<long long>(q);
}

// A one-pixel line from (x1, y1) towards (x2, y2), end point left out. Only the steps that land
// inside the clip are visited, so a line from far outside costs no more than one across it.
void thinLine(const PixelView& v, const Clip& clip, long long x1, long long y1, long long x2,
              long long y2, std::uint32_t pixel) {
    long long dx = x2 - x1, dy = y2 - y1;
    long long adx = std::llabs(dx), ady = std::llabs(dy);
    if ((adx == 0 && ady == 0) || clip.empty()) return;
    bool xMajor = adx >= ady;
    long long n = xMajor ? adx : ady;
    long long major0 = xMajor ? x1 : y1;
    long long step = (xMajor ? dx : dy) > 0 ? 1 : -1;
    long long minor0 = xMajor ? y1 : x1;
    long long minorDelta = xMajor ? dy : dx;
    long long lo = xMajor ? clip.left : clip.top, hi = (xMajor ? clip.right : clip.bottom) - 1;
    long long kLo = 0, kHi = n - 1;
    if (step > 0) {
        kLo = std::max(kLo, lo - major0);
        kHi = std::min(kHi, hi - major0);
    } else {
        kLo = std::max(kLo, major0 - hi);
        kHi = std::min(kHi, major0 - lo);
    }
    for (long long k = kLo; k <= kHi; ++k) {
        long long major = major0 + step * k;
        long long minor = minor0 + roundedDiv(static_cast<__int128>(k) * minorDelta, n);
        if (xMajor)
            raster::fillSpan(v, clip, minor, major, major + 1, pixel);
        else
            raster::fillSpan(v, clip, major, minor, minor + 1, pixel);
    }
}

// Draws one segment with a pen: thin pens step pixel by pixel, wide ones are round-ended bands
// through the pixel centres.
void penLine(HDC dc, const GdiObject& pen, long long x1, long long y1, long long x2, long long y2) {
    if (pen.style == PS_NULL) return;
    Clip clip = clipOf(dc);
    std::uint32_t pixel = colorToPixel(pen.color, dc->view.format);
    if (pen.width <= 1) {
        thinLine(dc->view, clip, x1, y1, x2, y2, pixel);
        return;
    }
    raster::Vertex a{x1 + 0.5, y1 + 0.5}, b{x2 + 0.5, y2 + 0.5};
    raster::scanThickLine(a, b, pen.width / 2.0, clip, [&](int y, int x0, int x1s) {
        raster::fillSpan(dc->view, clip, y, x0, x1s, pixel);
    });
}

bool hatchInk(int hatch, int x, int y) {
    unsigned ux = static_cast<unsigned>(x), uy = static_cast<unsigned>(y);
    bool h = (uy & 7u) == 0, v = (ux & 7u) == 0;
    bool f = ((ux - uy) & 7u) == 0, b = ((ux + uy) & 7u) == 7;
    switch (hatch) {
        case HS_HORIZONTAL: return h;
        case HS_VERTICAL: return v;
        case HS_FDIAGONAL: return f;
        case HS_BDIAGONAL: return b;
        case HS_CROSS: return h || v;
        default: return f || b;
    }
}

bool insideView(HDC dc, int x, int y) {
    return dc != nullptr && dc->view.pixels != nullptr && x >= 0 && y >= 0 && x < dc->view.width &&
           y < dc->view.height;
}

}  // namespace

HGDIOBJ createPen(int style, int width, std::uint32_t color) {
    auto* pen = new GdiObject;
    pen->kind = GdiKind::Pen;
    pen->style = style;
    pen->width = width;
    pen->color = color & 0x00FFFFFFu;
    return pen;
}

HGDIOBJ createBrushIndirect(const LogBrush* brush) {
    if (brush == nullptr) return nullptr;
    int style = static_cast<int>(brush->lbStyle);
    if (style != BS_SOLID && style != BS_NULL && style != BS_HATCHED) return nullptr;
    if (style == BS_HATCHED && brush->lbHatch > static_cast<std::uintptr_t>(HS_DIAGCROSS)) return nullptr;
    auto* b = new GdiObject;
    b->kind = GdiKind::Brush;
    b->style = style;
    b->hatch = static_cast<int>(brush->lbHatch);
    b->color = brush->lbColor & 0x00FFFFFFu;
    return b;
}

std::uint32_t setPixel(HDC dc, int x, int y, std::uint32_t color) {
    if (!insideView(dc, x, y)) return CLR_INVALID;
    std::uint32_t pixel = colorToPixel(color & 0x00FFFFFFu, dc->view.format);
    writePixel(dc->view, x, y, pixel);
    return pixelToColor(pixel, dc->view.format);
}

std::uint32_t getPixel(HDC dc, int x, int y) {
    if (!insideView(dc, x, y)) return CLR_INVALID;
    return pixelToColor(readPixel(dc->view, x, y), dc->view.format);
}

bool moveToEx(HDC dc, int x, int y, Point* previous) {
    if (dc == nullptr) return false;
    if (previous != nullptr) *previous = Point{dc->curX, dc->curY};
    dc->curX = x;
    dc->curY = y;
    return true;
}

bool lineTo(HDC dc, int x, int y) {
    if (dc == nullptr) return false;
    penLine(dc, currentPen(dc), dc->curX, dc->curY, x, y);
    dc->curX = x;
    dc->curY = y;
    return true;
}

bool polygon(HDC dc, const Point* points, int count) {
    if (dc == nullptr || points == nullptr || count < 2) return false;
    const GdiObject& brush = currentBrush(dc);
    const GdiObject& pen = currentPen(dc);
    Clip clip = clipOf(dc);
    if (brush.style != BS_NULL && count >= 3 && !clip.empty()) {
        std::vector<raster::Vertex> vs(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) vs[i] = {static_cast<double>(points[i].x), static_cast<double>(points[i].y)};
        const PixelView& v = dc->view;
        std::uint32_t ink = colorToPixel(brush.color, v.format);
        std::uint32_t gap = colorToPixel(dc->bkColor, v.format);
        bool paintGaps = dc->bkMode != TRANSPARENT;
        raster::scanPolygon(vs.data(), count, clip, [&](int y, int x0, int x1) {
            if (brush.style != BS_HATCHED) {
                raster::fillSpan(v, clip, y, x0, x1, ink);
                return;
            }
            for (int x = x0; x < x1; ++x) {
                if (hatchInk(brush.hatch, x, y))
                    writePixel(v, x, y, ink);
                else if (paintGaps)
                    writePixel(v, x, y, gap);
            }
        });
    }
    for (int i = 0; i < count; ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % count];
        penLine(dc, pen, a.x, a.y, b.x, b.y);
    }
    return true;
}

bool invertRect(HDC dc, const Rect* rect) {
    if (dc == nullptr || rect == nullptr) return false;
    Clip clip = clipOf(dc);
    long long top = std::max<long long>(rect->top, clip.top);
    long long bottom = std::min<long long>(rect->bottom, clip.bottom);
    for (long long y = top; y < bottom; ++y) raster::invertSpan(dc->view, clip, y, rect->left, rect->right);
    return true;
}

}  // namespace platform
