// Platform: clipped pixel runs in every format and the scan conversion behind polygons and lines.
#include "platform/video/gdi_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform::raster {
namespace {

// Clamps a run to the clip; false when nothing of it remains.
bool clipRun(const Clip& c, long long y, long long& x0, long long& x1) {
    if (y < c.top || y >= c.bottom) return false;
    if (x0 < c.left) x0 = c.left;
    if (x1 > c.right) x1 = c.right;
    return x0 < x1;
}

std::uint8_t* rowStart(const PixelView& v, long long y) {
    return v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch;
}

// Clamps a coordinate to a range that int conversion can take.
double clampCoord(double v) { return std::clamp(v, -1e9, 1e9); }

}  // namespace

Clip viewClip(const PixelView& v) {
    if (v.pixels == nullptr || v.width <= 0 || v.height <= 0) return Clip{};
    return Clip{0, 0, v.width, v.height};
}

Clip intersect(const Clip& a, const Clip& b) {
    Clip c{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (c.empty()) return Clip{};
    return c;
}

namespace {

// Writes a run of one pixel value sixteen pixels at a time: fixed-size copies become plain
// vector stores, far quicker than a pixel at a time for the long runs of backgrounds and fills.
template <int Bpp>
void repeatPixel(std::uint8_t* p, std::size_t count, std::uint32_t pixel) {
    std::uint8_t one[4] = {static_cast<std::uint8_t>(pixel & 0xFF), static_cast<std::uint8_t>((pixel >> 8) & 0xFF),
                           static_cast<std::uint8_t>((pixel >> 16) & 0xFF), static_cast<std::uint8_t>(pixel >> 24)};
    std::uint8_t block[16 * Bpp];
    for (int i = 0; i < 16; ++i) std::memcpy(block + i * Bpp, one, Bpp);
    for (; count >= 16; count -= 16, p += 16 * Bpp) std::memcpy(p, block, 16 * Bpp);
    for (; count > 0; --count, p += Bpp) std::memcpy(p, one, Bpp);
}

}  // namespace

void fillSpan(const PixelView& v, const Clip& clip, long long y, long long x0, long long x1,
              std::uint32_t pixel) {
    if (!clipRun(clip, y, x0, x1)) return;
    std::uint8_t* p = rowStart(v, y);
    std::size_t n = static_cast<std::size_t>(x1 - x0);
    switch (v.format) {
        case PixelFormat::RGB565: repeatPixel<2>(p + x0 * 2, n, pixel & 0xFFFFu); break;
        case PixelFormat::RGB888: repeatPixel<3>(p + x0 * 3, n, pixel); break;
        case PixelFormat::XRGB8888: repeatPixel<4>(p + x0 * 4, n, pixel & 0x00FFFFFFu); break;
    }
}

void fillRect(const PixelView& v, const Clip& clip, long long left, long long top, long long right,
              long long bottom, std::uint32_t pixel) {
    if (top < clip.top) top = clip.top;
    if (bottom > clip.bottom) bottom = clip.bottom;
    for (long long y = top; y < bottom; ++y) fillSpan(v, clip, y, left, right, pixel);
}

void invertSpan(const PixelView& v, const Clip& clip, long long y, long long x0, long long x1) {
    if (!clipRun(clip, y, x0, x1)) return;
    std::uint32_t mask = v.format == PixelFormat::RGB565 ? 0xFFFFu : 0xFFFFFFu;
    for (long long x = x0; x < x1; ++x) {
        int xi = static_cast<int>(x), yi = static_cast<int>(y);
        writePixel(v, xi, yi, readPixel(v, xi, yi) ^ mask);
    }
}

void rowCrossings(const Vertex* pts, int count, double yc, std::vector<double>& out) {
    out.clear();
    for (int i = 0; i < count; ++i) {
        const Vertex& a = pts[i];
        const Vertex& b = pts[(i + 1) % count];
        if ((a.y <= yc && yc < b.y) || (b.y <= yc && yc < a.y))
            out.push_back(a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(out.begin(), out.end());
}

void rowRange(const Vertex* pts, int count, const Clip& clip, int& first, int& last) {
    double lo = pts[0].y, hi = pts[0].y;
    for (int i = 1; i < count; ++i) {
        lo = std::min(lo, pts[i].y);
        hi = std::max(hi, pts[i].y);
    }
    // Rows whose centres may lie in [lo, hi]; each row is tested exactly by the caller.
    double f = std::floor(clampCoord(lo) - 0.5), l = std::ceil(clampCoord(hi));
    first = std::max(clip.top, static_cast<int>(f));
    last = std::min(clip.bottom - 1, static_cast<int>(l));
}

bool centresIn(double lo, double hi, const Clip& clip, int& x0, int& x1) {
    double a = std::ceil(clampCoord(lo) - 0.5), b = std::ceil(clampCoord(hi) - 0.5);
    a = std::max(a, static_cast<double>(clip.left));
    b = std::min(b, static_cast<double>(clip.right));
    if (!(a < b)) return false;
    x0 = static_cast<int>(a);
    x1 = static_cast<int>(b);
    return true;
}

bool capsuleRow(Vertex a, Vertex b, double r, double yc, double& lo, double& hi) {
    bool any = false;
    auto take = [&](double l, double h) {
        if (!(l < h)) return;
        lo = any ? std::min(lo, l) : l;
        hi = any ? std::max(hi, h) : h;
        any = true;
    };
    // The round ends.
    for (const Vertex& c : {a, b}) {
        double dy = yc - c.y;
        if (dy * dy < r * r) {
            double half = std::sqrt(r * r - dy * dy);
            take(c.x - half, c.x + half);
        }
    }
    // The body: within r of the line through a and b, and between the ends.
    double dx = b.x - a.x, dy = b.y - a.y;
    double len2 = dx * dx + dy * dy;
    if (len2 > 0) {
        double len = std::sqrt(len2);
        double l1 = -1e18, h1 = 1e18;   // |cross| < r * len
        double c0 = dx * (yc - a.y);
        if (dy != 0) {
            double p = (c0 - r * len) / dy + a.x, q = (c0 + r * len) / dy + a.x;
            l1 = std::min(p, q);
            h1 = std::max(p, q);
        } else if (!(std::fabs(yc - a.y) < r)) {
            l1 = 1, h1 = 0;
        }
        double l2 = -1e18, h2 = 1e18;   // 0 <= dot <= len2
        double d0 = dy * (yc - a.y);
        if (dx != 0) {
            double p = a.x - d0 / dx, q = a.x + (len2 - d0) / dx;
            l2 = std::min(p, q);
            h2 = std::max(p, q);
        } else if (d0 < 0 || d0 > len2) {
            l2 = 1, h2 = 0;
        }
        take(std::max(l1, l2), std::min(h1, h2));
    }
    return any;
}

}  // namespace platform::raster
