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

// The source pixel a sample falls on; false outside the rectangle.
bool Sample(std::int64_t u, std::int64_t v, int w, int h, int& sx, int& sy) {
    const std::int64_t x = u >> kFraction, y = v >> kFraction;   // floor, negatives included
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    sx = static_cast<int>(x);
    sy = static_cast<int>(y);
    return true;
}

template <int B>
void Draw(const Mapping& m, const SurfaceDesc& back, const SurfaceDesc& src, int left, int top,
          bool keyed, std::uint32_t key, const std::uint32_t* alpha, int alphaPitch) {
    auto* const backBytes = static_cast<std::uint8_t*>(back.surface);
    const auto* const srcBytes = static_cast<const std::uint8_t*>(src.surface);
    for (int y = m.y0; y < m.y1; ++y) {
        std::int64_t u = m.u0 + (y - m.y0) * m.duy, v = m.v0 + (y - m.y0) * m.dvy;
        std::uint8_t* out = backBytes + static_cast<std::ptrdiff_t>(y) * back.pitch + static_cast<std::ptrdiff_t>(m.x0) * B;
        for (int x = m.x0; x < m.x1; ++x, u += m.dux, v += m.dvx, out += B) {
            int sx, sy;
            if (!Sample(u, v, m.w, m.h, sx, sy)) continue;
            const std::uint32_t p = Load<B>(srcBytes + static_cast<std::ptrdiff_t>(top + sy) * src.pitch +
                                            static_cast<std::ptrdiff_t>(left + sx) * B);
            if (alpha != nullptr) {
                // Solid pixels are on the surface already in Back's format; the rest are mixed.
                const std::uint32_t argb = alpha[static_cast<std::ptrdiff_t>(top + sy) * alphaPitch + left + sx];
                if (argb >> 24 == 0) continue;
                Store<B>(out, argb >> 24 == 255 ? p : Blend(argb, Load<B>(out), back.format));
            } else if (!keyed || p != key) {
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
    switch (bytesPerPixel(back.format)) {
        case 2: Draw<2>(m, back, src, left, top, keyed, key.low, alpha, source->width()); break;
        case 3: Draw<3>(m, back, src, left, top, keyed, key.low, alpha, source->width()); break;
        default: Draw<4>(m, back, src, left, top, keyed, key.low, alpha, source->width()); break;
    }
    source->Unlock(nullptr);
    Display.Back->Unlock(nullptr);
}

}  // namespace elDraw
