// elDraw: the turned and scaled put (nearest neighbour, colour key or kept alpha) and the
// blended put of objects that kept their alpha.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "framework/draw/blit.h"
#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "platform/video/surface.h"

namespace elDraw {
namespace {

using namespace platform;

constexpr int kFraction = 32;                    // source positions in 32.32 fixed point
constexpr double kOne = 4294967296.0;            // 1 << kFraction

// sin and cos of an angle in degrees, exact at multiples of 90 so that quarter turns map pixel
// centres onto pixel centres without rounding.
void SinCos(double degrees, double& s, double& c) {
    double a = std::fmod(degrees, 360.0);
    if (a < 0) a += 360.0;
    if (a == 0) { s = 0; c = 1; }
    else if (a == 90) { s = 1; c = 0; }
    else if (a == 180) { s = 0; c = -1; }
    else if (a == 270) { s = -1; c = 0; }
    else {
        const double r = a * (3.14159265358979323846 / 180.0);
        s = std::sin(r);
        c = std::cos(r);
    }
}

template <int B>
std::uint32_t Load(const std::uint8_t* p) {
    std::uint32_t v = 0;
    std::memcpy(&v, p, B);
    return v;
}
template <int B>
void Store(std::uint8_t* p, std::uint32_t v) {
    std::memcpy(p, &v, B);
}

// One channel of (s * a + d * (255 - a)) / 255, rounded.
std::uint32_t Mix(std::uint32_t s, std::uint32_t d, std::uint32_t a) {
    const std::uint32_t t = s * a + d * (255 - a) + 128;
    return (t + (t >> 8)) >> 8;
}

// A picture pixel (0xAARRGGBB) over a raw pixel of Back.
std::uint32_t Blend(std::uint32_t argb, std::uint32_t dst, PixelFormat f) {
    const std::uint32_t a = argb >> 24, d = pixelToColor(dst, f);   // d: 0x00BBGGRR
    const std::uint32_t c = Mix((argb >> 16) & 0xFF, d & 0xFF, a) | Mix((argb >> 8) & 0xFF, (d >> 8) & 0xFF, a) << 8 |
                            Mix(argb & 0xFF, (d >> 16) & 0xFF, a) << 16;
    return colorToPixel(c, f);
}

struct Mapping {
    // The destination pixels to visit (right, bottom exclusive).
    int x0, y0, x1, y1;
    // Pixel (x, y) samples source (u, v) = (u0 + (x - x0) * dux + (y - y0) * duy, ...), fixed point,
    // relative to the source rectangle's top-left.
    std::int64_t u0, v0, dux, dvx, duy, dvy;
    int w, h;
};

// The destination extent and the inverse mapping; false when nothing is to be drawn.
bool Map(int cx, int cy, int w, int h, double degrees, double scale, Mapping& m) {
    const ClipRect area = DrawableArea();
    if (area.right <= area.left || area.bottom <= area.top) return false;
    double s, c;
    SinCos(degrees, s, c);
    // The pivot: the rectangle's centre lands here (a half pixel in along an odd side).
    const double px = cx + (w & 1) * 0.5, py = cy + (h & 1) * 0.5;
    const double ex = (std::fabs(c) * w + std::fabs(s) * h) * 0.5 * scale;
    const double ey = (std::fabs(s) * w + std::fabs(c) * h) * 0.5 * scale;
    const double left = std::max<double>(std::floor(px - ex), area.left);
    const double top = std::max<double>(std::floor(py - ey), area.top);
    const double right = std::min<double>(std::ceil(px + ex), area.right);
    const double bottom = std::min<double>(std::ceil(py + ey), area.bottom);
    if (!(right > left && bottom > top)) return false;
    m.x0 = static_cast<int>(left);
    m.y0 = static_cast<int>(top);
    m.x1 = static_cast<int>(right);
    m.y1 = static_cast<int>(bottom);
    m.w = w;
    m.h = h;
    // Inverse of a clockwise turn on a y-down screen, then of the scale.
    const double dx = m.x0 + 0.5 - px, dy = m.y0 + 0.5 - py;
    const double u = (dx * c + dy * s) / scale + w * 0.5;
    const double v = (-dx * s + dy * c) / scale + h * 0.5;
    m.u0 = std::llround(u * kOne);
    m.v0 = std::llround(v * kOne);
    m.dux = std::llround(c / scale * kOne);
    m.dvx = std::llround(-s / scale * kOne);
    m.duy = std::llround(s / scale * kOne);
    m.dvy = std::llround(c / scale * kOne);
    return true;
}

bool Inside(const Mapping& m, std::int64_t u, std::int64_t v) {
    const std::int64_t x = u >> kFraction, y = v >> kFraction;   // floor, negatives included
    return x >= 0 && y >= 0 && x < m.w && y < m.h;
}

// The pixels k0 <= k < k1 of a row of n, starting at (u, v), whose samples fall inside the
// source. They are one run (the source is convex): a guess from the row's line is set right
// pixel by pixel, so that the run is exactly the pixels Inside accepts.
bool Span(const Mapping& m, std::int64_t u, std::int64_t v, int n, int& k0, int& k1) {
    double lo = 0, hi = n;
    auto limit = [&](std::int64_t start, std::int64_t step, int size) {
        const double top = static_cast<double>(size) * kOne;
        if (step == 0) {
            if (start < 0 || static_cast<double>(start) >= top) hi = -1;
            return;
        }
        double a = -static_cast<double>(start) / static_cast<double>(step);
        double b = (top - static_cast<double>(start)) / static_cast<double>(step);
        if (a > b) std::swap(a, b);
        lo = std::max(lo, a);
        hi = std::min(hi, b);
    };
    limit(u, m.dux, m.w);
    limit(v, m.dvx, m.h);
    auto in = [&](int k) { return Inside(m, u + k * m.dux, v + k * m.dvx); };
    k0 = static_cast<int>(std::clamp(std::ceil(lo), 0.0, static_cast<double>(n)));
    if (hi < lo) k0 = n;   // no run on this line; a run the guess missed is still found below
    if (k0 < n && in(k0)) {
        while (k0 > 0 && in(k0 - 1)) --k0;
    } else {
        if (hi < lo) k0 = 0;
        while (k0 < n && !in(k0)) ++k0;
    }
    if (k0 == n) return false;
    k1 = static_cast<int>(std::clamp(std::floor(hi) + 1, static_cast<double>(k0 + 1), static_cast<double>(n)));
    if (in(k1 - 1)) {
        while (k1 < n && in(k1)) ++k1;
    } else {
        while (k1 > k0 + 1 && !in(k1 - 1)) --k1;
    }
    return true;
}

// Mode: 0 opaque, 1 colour key, 2 kept alpha; fixed per instance so the pixel loop has no
// branch on it.
template <int B, int Mode>
void Draw(const Mapping& m, const SurfaceDesc& back, const SurfaceDesc& src, int left, int top,
          std::uint32_t key, const std::uint32_t* alpha, int alphaPitch) {
    auto* const backBytes = static_cast<std::uint8_t*>(back.surface);
    // The source rectangle's top-left pixel.
    const auto* const srcBytes = static_cast<const std::uint8_t*>(src.surface) +
                                 static_cast<std::ptrdiff_t>(top) * src.pitch + static_cast<std::ptrdiff_t>(left) * B;
    if (alpha != nullptr) alpha += static_cast<std::ptrdiff_t>(top) * alphaPitch + left;
    const int n = m.x1 - m.x0;
    for (int y = m.y0; y < m.y1; ++y) {
        const std::int64_t ur = m.u0 + (y - m.y0) * m.duy, vr = m.v0 + (y - m.y0) * m.dvy;
        int k0, k1;
        if (!Span(m, ur, vr, n, k0, k1)) continue;
        std::int64_t u = ur + k0 * m.dux, v = vr + k0 * m.dvx;
        std::uint8_t* out = backBytes + static_cast<std::ptrdiff_t>(y) * back.pitch + static_cast<std::ptrdiff_t>(m.x0 + k0) * B;
        for (int k = k0; k < k1; ++k, u += m.dux, v += m.dvx, out += B) {
            const std::ptrdiff_t sx = static_cast<std::ptrdiff_t>(u >> kFraction), sy = static_cast<std::ptrdiff_t>(v >> kFraction);
            const std::uint32_t p = Load<B>(srcBytes + sy * src.pitch + sx * B);
            if constexpr (Mode == 2) {
                // Solid pixels are on the surface already in Back's format; the rest are mixed.
                const std::uint32_t argb = alpha[sy * alphaPitch + sx];
                if (argb >> 24 == 0) continue;
                Store<B>(out, argb >> 24 == 255 ? p : Blend(argb, Load<B>(out), back.format));
            } else if (Mode == 0 || p != key) {
                Store<B>(out, p);
            }
        }
    }
}

}  // namespace

void PutObjectRotated(int cx, int cy, int index, int left, int top, int right, int bottom,
                      double degrees, double scale) {
    if (!ValidObject(index) || Display.Back == nullptr) return;
    const DrawObject& slot = Objects.Slot[index];
    Surface* source = slot.Surface;
    if (source == nullptr || source->format() != Display.Back->format()) return;
    if (!std::isfinite(degrees) || !(scale >= 1.0 / 1024 && scale <= 1024)) return;
    if (left < 0 || top < 0 || right > source->width() || bottom > source->height() || right <= left ||
        bottom <= top)
        return;
    Mapping m;
    if (!Map(cx, cy, right - left, bottom - top, degrees, scale, m)) return;
    SurfaceDesc back, src;
    if (Display.Back->Lock(nullptr, &back, 0) == DDERR_SURFACELOST) {
        RestoreObjects();   // as PutObject: this frame goes without the sprite
        return;
    }
    const HResult locked = source->Lock(nullptr, &src, 0);
    if (failed(locked)) {
        Display.Back->Unlock(nullptr);
        if (locked == DDERR_SURFACELOST) RestoreObjects();
        return;
    }
    ColorKey key;
    const bool keyed = !failed(source->GetColorKey(DDCKEY_SRCBLT, &key));
    const bool blended = slot.Alpha.size() == static_cast<std::size_t>(source->width()) * source->height();
    const std::uint32_t* alpha = blended ? slot.Alpha.data() : nullptr;
    switch (bytesPerPixel(back.format) * 3 + (alpha != nullptr ? 2 : keyed ? 1 : 0)) {
        case 6: Draw<2, 0>(m, back, src, left, top, key.low, alpha, source->width()); break;
        case 7: Draw<2, 1>(m, back, src, left, top, key.low, alpha, source->width()); break;
        case 8: Draw<2, 2>(m, back, src, left, top, key.low, alpha, source->width()); break;
        case 9: Draw<3, 0>(m, back, src, left, top, key.low, alpha, source->width()); break;
        case 10: Draw<3, 1>(m, back, src, left, top, key.low, alpha, source->width()); break;
        case 11: Draw<3, 2>(m, back, src, left, top, key.low, alpha, source->width()); break;
        case 12: Draw<4, 0>(m, back, src, left, top, key.low, alpha, source->width()); break;
        case 13: Draw<4, 1>(m, back, src, left, top, key.low, alpha, source->width()); break;
        default: Draw<4, 2>(m, back, src, left, top, key.low, alpha, source->width()); break;
    }
    source->Unlock(nullptr);
    Display.Back->Unlock(nullptr);
}

}  // namespace elDraw
