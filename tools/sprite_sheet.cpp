// Asset generator: the sprite sheet CHARA, crosshair and three shaded balls on the colour key.
#include "tools/sprite_sheet.h"

#include <array>
#include <cmath>

#include "tools/asset_math.h"

namespace assets {
namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

double Smooth(double t) {
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    return t * t * (3 - 2 * t);
}

// A ball's colours from its shadow through its body to its lit side; the third ball changes
// body colour from top left to bottom right, so it has a second ramp.
struct Ramp {
    Rgb dark, body, light;
};
struct BallLook {
    Ramp from, to;
};

const std::array<BallLook, 3> kBalls = {{
    // yellow
    {{{0.50, 0.22, 0.00}, {1.00, 0.82, 0.08}, {1.00, 0.98, 0.62}},
     {{0.50, 0.22, 0.00}, {1.00, 0.82, 0.08}, {1.00, 0.98, 0.62}}},
    // pink
    {{{0.42, 0.04, 0.22}, {0.98, 0.42, 0.68}, {1.00, 0.84, 0.93}},
     {{0.42, 0.04, 0.22}, {0.98, 0.42, 0.68}, {1.00, 0.84, 0.93}}},
    // red into yellow-green
    {{{0.38, 0.00, 0.02}, {0.92, 0.10, 0.06}, {1.00, 0.62, 0.52}},
     {{0.16, 0.32, 0.00}, {0.62, 0.86, 0.12}, {0.90, 1.00, 0.60}}},
}};

// Cells are 48 pixels; a pixel's centre is at its index, so the cell's centre is 23.5 and a
// radius of 22 covers pixels 2 to 45 across the middle rows and columns.
constexpr double kCentre = 23.5;
constexpr double kRadius = 22.0;

struct Vec {
    double x, y, z;
};
Vec Normalise(Vec v) {
    double n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / n, v.y / n, v.z / n};
}
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Light from the upper left and in front (y points down); bounce light from the lower right.
const Vec kLight = Normalise({-0.45, -0.62, 0.64});
const Vec kHalf = Normalise({kLight.x, kLight.y, kLight.z + 1});
const Vec kBounce = Normalise({0.55, 0.75, 0.15});

// Colour of the sphere at offset (dx, dy) from the centre, in units of the radius.
Rgb ShadeSphere(const BallLook& look, double dx, double dy) {
    double zz = 1 - dx * dx - dy * dy;
    Vec n{dx, dy, zz > 0 ? std::sqrt(zz) : 0};
    double lambert = Dot(n, kLight);
    // Wrapped diffuse keeps the shadow side readable on a black background.
    double lit = (lambert + 0.35) / 1.35;
    lit = lit < 0 ? 0 : lit;
    double body = Smooth((dx + dy + 0.9) / 1.8);
    Ramp ramp{Mix(look.from.dark, look.to.dark, body), Mix(look.from.body, look.to.body, body),
              Mix(look.from.light, look.to.light, body)};
    Rgb c = lit < 0.62 ? Mix(ramp.dark, ramp.body, lit / 0.62) : Mix(ramp.body, ramp.light, (lit - 0.62) / 0.38);
    // Rim: the silhouette darkens a little where the surface turns away from the viewer ...
    double rim = 1 - 0.28 * PowInt(1 - n.z, 3);
    // ... except on the lower right, where light bounced off the floor catches it.
    double bounce = Dot(n, kBounce);
    bounce = bounce > 0 ? 0.30 * PowInt(bounce, 2) * PowInt(1 - n.z, 2) : 0;
    c = {c.r * rim + bounce * ramp.body.r, c.g * rim + bounce * ramp.body.g, c.b * rim + bounce * ramp.body.b};
    // Glossy highlight: a sharp spot inside a soft sheen.
    double nh = Dot(n, kHalf);
    double gloss = nh > 0 ? 0.90 * PowInt(nh, 96) + 0.14 * PowInt(nh, 12) : 0;
    return {c.r + gloss, c.g + gloss, c.b + gloss};
}

std::uint32_t Pack(Rgb c) {
    auto r = static_cast<std::uint32_t>(RoundClamp(c.r * 255, 0, 255));
    auto g = static_cast<std::uint32_t>(RoundClamp(c.g * 255, 0, 255));
    auto b = static_cast<std::uint32_t>(RoundClamp(c.b * 255, 0, 255));
    std::uint32_t rgb = r << 16 | g << 8 | b;
    // A sprite pixel that came out as the key would turn transparent: nudge it off.
    return rgb == kKeyRgb ? 0x01FF00 : rgb;
}

bool InBall(int x, int y) {
    double dx = x - kCentre, dy = y - kCentre;
    return dx * dx + dy * dy <= kRadius * kRadius;
}

// The ball's pixel colour averages 4 x 4 samples that fall on the sphere, so the highlight is
// smooth while the silhouette stays hard: edge pixels never blend toward the key.
std::uint32_t BallPixel(const BallLook& look, int x, int y) {
    static constexpr double kOffsets[4] = {-0.375, -0.125, 0.125, 0.375};
    Rgb sum{0, 0, 0};
    int count = 0;
    for (double oy : kOffsets) {
        for (double ox : kOffsets) {
            double dx = (x + ox - kCentre) / kRadius, dy = (y + oy - kCentre) / kRadius;
            if (dx * dx + dy * dy > 1) continue;
            Rgb c = ShadeSphere(look, dx, dy);
            sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
            ++count;
        }
    }
    if (count == 0) return Pack(ShadeSphere(look, (x - kCentre) / kRadius, (y - kCentre) / kRadius));
    return Pack({sum.r / count, sum.g / count, sum.b / count});
}

// The crosshair: bars 4 pixels thick (rows and columns 22 to 25, centred on 23.5), the
// horizontal one from x 10 to 38, the vertical one from y 9 to 38; a white core of 2 pixels
// inside a 1-pixel black outline so that it shows on dark and bright balls alike.
enum class Cross { Key, Outline, Core };
Cross CrossPixel(int x, int y) {
    bool horizontal = y >= 22 && y <= 25 && x >= 10 && x <= 38;
    bool vertical = x >= 22 && x <= 25 && y >= 9 && y <= 38;
    if (!horizontal && !vertical) return Cross::Key;
    bool coreH = y >= 23 && y <= 24 && x >= 11 && x <= 37;
    bool coreV = x >= 23 && x <= 24 && y >= 10 && y <= 37;
    return coreH || coreV ? Cross::Core : Cross::Outline;
}

}  // namespace

std::vector<std::uint32_t> BallIcon(int size) {
    // The sprite's ball in the same proportions (radius 22 of a 48-pixel cell), 8 x 8 samples a
    // pixel: the icon's edge is smooth, with the coverage as its alpha.
    const double centre = (size - 1) / 2.0, radius = size * kRadius / kCellSize;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Rgb sum{0, 0, 0};
            int count = 0;
            for (int sy = 0; sy < 8; ++sy) {
                for (int sx = 0; sx < 8; ++sx) {
                    double dx = (x + (sx + 0.5) / 8 - 0.5 - centre) / radius;
                    double dy = (y + (sy + 0.5) / 8 - 0.5 - centre) / radius;
                    if (dx * dx + dy * dy > 1) continue;
                    Rgb c = ShadeSphere(kBalls[0], dx, dy);
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                    ++count;
                }
            }
            if (count == 0) continue;
            std::uint32_t rgb = Pack({sum.r / count, sum.g / count, sum.b / count});
            auto alpha = static_cast<std::uint32_t>(RoundClamp(count * 255.0 / 64, 0, 255));
            pixels[static_cast<std::size_t>(y) * size + x] = alpha << 24 | rgb;
        }
    }
    return pixels;
}

Bytes MakeSpriteSheet() {
    constexpr std::uint32_t kRowBytes = kSheetWidth * 3;  // 576, already a multiple of 4
    constexpr std::uint32_t kPixelBytes = kRowBytes * kSheetHeight;
    constexpr std::uint32_t kHeaderBytes = 14 + 40;

    Bytes out;
    out.reserve(kHeaderBytes + kPixelBytes);
    PutBmpHeaders(out, kSheetWidth, kSheetHeight, 24, kPixelBytes, 0);

    for (int y = kSheetHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kSheetWidth; ++x) {
            int cell = x / kCellSize, cx = x % kCellSize;
            std::uint32_t rgb = kKeyRgb;
            if (cell == 0) {
                Cross c = CrossPixel(cx, y);
                if (c != Cross::Key) rgb = c == Cross::Core ? 0xFFFFFF : 0x000000;
            } else if (InBall(cx, y)) {
                rgb = BallPixel(kBalls[cell - 1], cx, y);
            }
            platform::putLe24(out, rgb);  // stored blue, green, red
        }
    }
    return out;
}

}  // namespace assets
