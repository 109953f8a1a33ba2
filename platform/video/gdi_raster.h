// Platform: the rasteriser under GDI-style text and primitives: clipped runs of pixels in every
// pixel format, and scan conversion of polygons and round-ended thick lines (platform/ only).
#pragma once
#include <cstdint>
#include <vector>

#include "platform/video/pixels.h"

namespace platform::raster {

// A rectangle of pixels that drawing may touch; right and bottom are exclusive.
struct Clip {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
};

// The whole view, or an empty clip when the view has no pixels.
Clip viewClip(const PixelView& view);
Clip intersect(const Clip& a, const Clip& b);

// Paints pixels x0 .. x1 - 1 of row y with a raw pixel value; whatever lies outside `clip` is left
// alone. Coordinates may be anywhere in the 64-bit range.
void fillSpan(const PixelView& view, const Clip& clip, long long y, long long x0, long long x1,
              std::uint32_t pixel);
void fillRect(const PixelView& view, const Clip& clip, long long left, long long top, long long right,
              long long bottom, std::uint32_t pixel);
// Inverts every colour bit of the pixels of a run (white becomes black, and so on).
void invertSpan(const PixelView& view, const Clip& clip, long long y, long long x0, long long x1);

// A point in pixel coordinates, where pixel (x, y) covers x .. x + 1 and y .. y + 1.
struct Vertex {
    double x, y;
};

// Scan-converts a polygon with the even-odd (alternate) rule: a pixel is inside when its centre
// is. Calls span(y, x0, x1) for every run of inside pixels x0 .. x1 - 1 within `clip`.
template <typename SpanFn>
void scanPolygon(const Vertex* points, int count, const Clip& clip, SpanFn span);

// The runs of pixels whose centres lie within `radius` of the segment a-b: a line drawn with a
// round pen. Calls span(y, x0, x1) for each row within `clip`.
template <typename SpanFn>
void scanThickLine(Vertex a, Vertex b, double radius, const Clip& clip, SpanFn span);

// ---------------------------------------------------------------- implementation

// Crossings of the row centre y + 0.5 with the polygon's edges, sorted. Shared scratch space.
void rowCrossings(const Vertex* points, int count, double yc, std::vector<double>& out);
// Vertical extent of a set of points, clipped, as a row range.
void rowRange(const Vertex* points, int count, const Clip& clip, int& first, int& last);
// The interval of x on row centre yc within `radius` of segment a-b; false when none.
bool capsuleRow(Vertex a, Vertex b, double radius, double yc, double& lo, double& hi);
// Pixels whose centres lie in [lo, hi), clipped to the clip's columns; false when none.
bool centresIn(double lo, double hi, const Clip& clip, int& x0, int& x1);

template <typename SpanFn>
void scanPolygon(const Vertex* points, int count, const Clip& clip, SpanFn span) {
    if (points == nullptr || count < 3 || clip.empty()) return;
    int first = 0, last = -1;
    rowRange(points, count, clip, first, last);
    thread_local std::vector<double> crossings;
    for (int y = first; y <= last; ++y) {
        rowCrossings(points, count, y + 0.5, crossings);
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            int x0, x1;
            if (centresIn(crossings[i], crossings[i + 1], clip, x0, x1)) span(y, x0, x1);
        }
    }
}

template <typename SpanFn>
void scanThickLine(Vertex a, Vertex b, double radius, const Clip& clip, SpanFn span) {
    if (clip.empty() || !(radius > 0)) return;
    // A hair's shift upward settles ties the same way on every row: a pen of even width covers
    // as many rows as columns.
    a.y -= 1e-7;
    b.y -= 1e-7;
    Vertex box[2] = {{a.x, (a.y < b.y ? a.y : b.y) - radius}, {b.x, (a.y < b.y ? b.y : a.y) + radius}};
    int first = 0, last = -1;
    rowRange(box, 2, clip, first, last);
    for (int y = first; y <= last; ++y) {
        double lo, hi;
        int x0, x1;
        if (capsuleRow(a, b, radius, y + 0.5, lo, hi) && centresIn(lo, hi, clip, x0, x1)) span(y, x0, x1);
    }
}

}  // namespace platform::raster
