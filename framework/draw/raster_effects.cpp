// elDraw: the raster effects. Each is a loop of one-row PutObject calls (the mirror goes through
// Buffer); the loops only visit rows that can land on Back, so a huge rectangle costs no more
// than a screenful.
#include "framework/draw/raster_effects.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>

#include "framework/draw/blit.h"
#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "framework/system/random.h"
#include "framework/system/wait_timers.h"
#include "platform/video/gdi_bitmap.h"
#include "platform/video/surface.h"
#include "framework/core/program_state.h"

namespace elDraw {

RasterEffectState Effects;
const ProgramStateRegistration kEffectsReset{ResetStage::Effects, [] { Effects.reset(); }};

namespace {

using i64 = std::int64_t;

// Rows whose wave offsets are worked out together before they are blitted: the arithmetic of
// one row then overlaps with that of the next.
constexpr int kBatch = 64;

// The wave's exact formula is worked out with a 64-bit significand, rounded after every step:
// long double on x86-64 (and MinGW). Where long double is wider (128 bits on arm64) each step is
// rounded back to 64 bits, or the extra bits would see that 3.141592653589793 is not quite pi
// where the product lies on a whole number: 20 cos 180 degrees would come out as -19.999...,
// which truncates to -19 on arm64 and to -20 (the product rounded to exactly -20) on x86-64.
// (Veltkamp's split: x times 2^(p-64) + 1, less that less x, is x to 64 bits.)
constexpr long double Extended(long double x) {
    if constexpr (LDBL_MANT_DIG <= 64) {
        return x;
    } else {
        constexpr long double kSplit = static_cast<long double>(1ULL << (LDBL_MANT_DIG - 64)) + 1;
        const long double c = x * kSplit;
        return c - (c - x);
    }
}
constexpr long double kDegree = Extended(Extended(3.141592653589793L) * 2 / 360);

// Positions far outside the screen are cut into int's range: they are clipped away anyway.
int ToInt(i64 v) { return static_cast<int>(std::clamp<i64>(v, INT_MIN, INT_MAX)); }

// Truncation toward zero that stays defined for any value (NaN counts as 0).
i64 Trunc(long double v) {
    if (!(v == v)) return 0;
    if (v <= -9.2e18L) return INT64_MIN / 2;
    if (v >= 9.2e18L) return INT64_MAX / 2;
    return static_cast<i64>(v);
}

// A half-open range of rows.
struct Rows {
    i64 first = 0;
    i64 last = 0;   // exclusive
    Rows shifted(i64 by) const { return {first + by, last + by}; }
    Rows within(const Rows& o) const { return {std::max(first, o.first), std::min(last, o.last)}; }
};

// The rows of an object's picture: a row outside them can never be blitted.
Rows SourceRows(int index) {
    if (!ValidObject(index) || Objects.Slot[index].Surface == nullptr) return {};
    return {0, Objects.Slot[index].Surface->height()};
}

// The rows of Back that a blit can reach: inside the ClipWindow and inside Back itself.
Rows BackRows() {
    if (Display.Back == nullptr) return {};
    return {std::max<i64>(Display.ClipWindow.top, 0),
            std::min<i64>(Display.ClipWindow.bottom, Display.Back->height())};
}

void PutRow(i64 x, i64 y, int index, int left, i64 row, int right) {
    PutObject(ToInt(x), ToInt(y), index, left, static_cast<int>(row), right, static_cast<int>(row + 1));
}

// The wave term trunc(amplitude x cos((row div rowsPerDegree + phase) degrees)), with the angle
// in radians taken as degrees x 3.141592653589793 x 2 / 360 in extended precision. That cosine
// costs a slow argument reduction, once per row; so each row is first worked out in double
// precision from a table of whole degrees, and the exact formula is used only when that value
// lies so near a whole number that the two could truncate differently (cos 60, 90, 180, ...).
class WaveTerm {
public:
    WaveTerm(int amplitude, int rowsPerDegree, long double phase)
        : amplitude_(amplitude), rowsPerDegree_(rowsPerDegree), phase_(phase) {
        // Within these bounds (and rows up to kFastRows) the double value lies within 2e-7 of the
        // exact one, so a value 1e-6 or more from a whole number truncates the same way.
        fast_ = amplitude >= -1000000 && amplitude <= 1000000 && phase >= -100000.0L && phase <= 100000.0L;
        if (fast_) {
            const double radians = static_cast<double>(phase) * (3.141592653589793 / 180);
            cosPhase_ = std::cos(radians);
            sinPhase_ = std::sin(radians);
        }
    }

    i64 operator()(i64 row) {
        if (amplitude_ == 0) return 0;
        if (!fast_ || row < -kFastRows || row > kFastRows) return Exact(row / rowsPerDegree_);
        const int degree = DegreeOf(static_cast<int>(row));
        int d = degree % 360;
        if (d < 0) d += 360;
        const double v = amplitude_ * (table_.cos[d] * cosPhase_ - table_.sin[d] * sinPhase_);
        const i64 whole = static_cast<i64>(v);
        const double fraction = std::fabs(v - static_cast<double>(whole));
        if (fraction < 1e-6 || fraction > 1.0 - 1e-6) return Exact(degree);
        return whole;
    }

private:
    // row div rowsPerDegree. The effects ask for rows in ascending order, so the degree is
    // counted along instead of divided out for every row.
    int DegreeOf(int row) {
        if (row == nextRow_ && row > 0) {
            if (++rowInDegree_ == rowsPerDegree_) {
                rowInDegree_ = 0;
                ++degree_;
            }
        } else {
            degree_ = row / rowsPerDegree_;
            rowInDegree_ = row % rowsPerDegree_;
        }
        nextRow_ = row + 1;
        return degree_;
    }

    struct Degrees {
        double cos[360], sin[360];
        Degrees() {
            for (int d = 0; d < 360; ++d) {
                cos[d] = std::cos(d * (3.141592653589793 / 180));
                sin[d] = std::sin(d * (3.141592653589793 / 180));
            }
        }
    };
    static const Degrees& Table() {
        static const Degrees table;
        return table;
    }
    static constexpr i64 kFastRows = 100000;

    i64 Exact(i64 degree) const {
        const long double angle = Extended(Extended(static_cast<long double>(degree) + phase_) * kDegree);
        return Trunc(Extended(amplitude_ * Cosine(angle)));
    }

    // cos x in extended precision. The library reduces every argument beyond a quarter turn
    // with its slow general method; up to a few thousand radians a three-part quarter turn
    // (the first two parts short enough that q times them is exact) does the same to within
    // a few units in the last place.
    // Every step is rounded to 64 bits (Extended) where long double is wider.
    static long double Cosine(long double x) {
        if (!(std::fabs(x) <= 3000.0L)) return Extended(std::cos(x));
        constexpr long double kQuarter1 = 0x1.921fb54442p+0L;
        constexpr long double kQuarter2 = 0x1.a308d31318p-41L;
        constexpr long double kQuarter3 = Extended(6.36831716351095013961776675768502361e-25L);
        constexpr long double kQuarter12 = Extended(kQuarter1 + kQuarter2);
        const long double q = std::nearbyint(Extended(x / kQuarter12));
        const long double r = Extended(Extended(Extended(x - q * kQuarter1) - Extended(q * kQuarter2)) -
                                       Extended(q * kQuarter3));
        switch (static_cast<int>(q) & 3) {
            case 0: return Extended(std::cos(r));
            case 1: return -Extended(std::sin(r));
            case 2: return -Extended(std::cos(r));
            default: return Extended(std::sin(r));
        }
    }

    int amplitude_, rowsPerDegree_;
    long double phase_;
    bool fast_ = false;
    double cosPhase_ = 1.0, sinPhase_ = 0.0;
    const Degrees& table_ = Table();
    int nextRow_ = -1, degree_ = 0, rowInDegree_ = 0;
};

// phase += FrameDelta x speed, brought back below 360. A jump of many turns (the first frame
// after a long pause) is reduced whole; a negative speed is left below 0. A speed that gives no
// finite phase leaves the phase as it was.
void AdvancePhase(float& phase, float speed) {
    float next = phase + elSystem::Clock.FrameDelta * speed;
    if (!std::isfinite(next)) return;
    if (next >= 360.0f) next = std::fmod(next, 360.0f);
    phase = next;
}

// Keeps a tile offset in [-size, 0] after it moved by `by`, however far it moved.
void MoveTileOffset(float& offset, float by, int size) {
    float next = offset + by;
    if (!std::isfinite(next)) return;
    const float s = static_cast<float>(size);
    if (next < -s) {
        next += s;
        if (next < -s) next = std::fmod(next, s);
    }
    if (next > 0.0f) {
        next -= s;
        if (next > 0.0f) next = std::fmod(next, s) - s;
    }
    offset = next;
}

// Keeps a scroll position in [0, rows) after it moved by -by rows, however far it moved.
void MoveScroll(float& pos, float by, i64 rows) {
    float next = pos - by;
    if (!std::isfinite(next)) return;
    const float r = static_cast<float>(rows);
    if (next < 0.0f) {
        next += r;
        if (next < 0.0f) next = std::fmod(next, r) + r;
    }
    if (next >= r) {
        next -= r;
        if (next >= r) next = std::fmod(next, r);
    }
    pos = next;
}

// The whole rows a scroll position stands for, within 0 to rows - 1 even when the position was
// left by a taller rectangle (the state is shared by every picture the effect draws).
i64 ScrollRows(float pos, i64 rows) {
    i64 s = Trunc(pos);
    if (s < 0 || s >= rows) s = ((s % rows) + rows) % rows;
    return s;
}

}  // namespace

void WaveObject(int x, int y, int amplitude, int rowsPerDegree, float speed, int index, int left,
                int top, int right, int bottom) {
    if (rowsPerDegree < 1) return;
    // Source row `row` lands on y + row - top.
    const i64 toDest = static_cast<i64>(y) - top;
    const Rows rows = Rows{top, bottom}.within(SourceRows(index)).within(BackRows().shifted(-toDest));
    WaveTerm wave(amplitude, rowsPerDegree, Effects.WavePhase);
    i64 offsets[kBatch];
    for (i64 first = rows.first; first < rows.last; first += kBatch) {
        const int n = static_cast<int>(std::min<i64>(kBatch, rows.last - first));
        for (int i = 0; i < n; ++i) offsets[i] = wave(first + i);
        for (int i = 0; i < n; ++i) PutRow(x + offsets[i], first + i + toDest, index, left, first + i, right);
    }
    AdvancePhase(Effects.WavePhase, speed);
}

void TileObject(float speedX, float speedY, int index, int left, int top, int right, int bottom) {
    const i64 tw = static_cast<i64>(right) - left, th = static_cast<i64>(bottom) - top;
    if (tw < 1 || th < 1) return;
    const i64 ox = Trunc(Effects.TileOffsetX), oy = Trunc(Effects.TileOffsetY);
    // Two spare tiles each way, so that the drifting pattern always covers the screen.
    for (i64 n = 0; n <= Display.ScreenHeight / th + 1; ++n)
        for (i64 k = 0; k <= Display.ScreenWidth / tw + 1; ++k)
            PutObject(ToInt(k * tw + ox), ToInt(n * th + oy), index, left, top, right, bottom);
    const float delta = elSystem::Clock.FrameDelta;
    // Sizes beyond int's range cannot pass the checks above with a real screen; the tile sizes
    // are cut only for the wrap.
    MoveTileOffset(Effects.TileOffsetX, delta * speedX, static_cast<int>(std::min<i64>(tw, INT_MAX)));
    MoveTileOffset(Effects.TileOffsetY, delta * speedY, static_cast<int>(std::min<i64>(th, INT_MAX)));
}

void WaveScrollObject(int x, int y, int amplitude, int rowsPerDegree, float waveSpeed,
                      float scrollSpeed, int index, int left, int top, int right, int bottom) {
    if (rowsPerDegree < 1) return;
    const i64 rows = static_cast<i64>(bottom) - top;
    if (rows < 1) return;
    const i64 scroll = ScrollRows(Effects.WaveScrollPos, rows);
    // Here the destination is y plus the source row itself, not relative to top.
    const Rows visible = Rows{top, bottom}.within(BackRows().shifted(-static_cast<i64>(y)));
    WaveTerm wave(amplitude, rowsPerDegree, Effects.WaveScrollPhase);
    i64 offsets[kBatch];
    for (i64 first = visible.first; first < visible.last; first += kBatch) {
        const int n = static_cast<int>(std::min<i64>(kBatch, visible.last - first));
        for (int i = 0; i < n; ++i) offsets[i] = wave(first + i);
        for (int i = 0; i < n; ++i) {
            const i64 row = first + i;
            i64 s = row + scroll;
            if (s >= bottom) s -= rows;   // the picture repeats with a period of `rows`
            PutRow(x + offsets[i], y + row, index, left, s, right);
        }
    }
    AdvancePhase(Effects.WaveScrollPhase, waveSpeed);
    MoveScroll(Effects.WaveScrollPos, elSystem::Clock.FrameDelta * scrollSpeed, rows);
}

void WaveTileBand(int bandTop, int bandBottom, int amplitude, int rowsPerDegree, float waveSpeed,
                  float scrollSpeed, int index, int left, int top, int right, int bottom) {
    const i64 rows = static_cast<i64>(bottom) - top, tw = static_cast<i64>(right) - left;
    if (rowsPerDegree < 1 || rows < 1 || tw < 1) return;
    const i64 scroll = ScrollRows(Effects.BandScroll, rows);
    // The phase is cut to whole degrees before it is added.
    WaveTerm wave(amplitude, rowsPerDegree, static_cast<long double>(Trunc(Effects.BandPhase)));
    const Rows band = Rows{0, static_cast<i64>(bandBottom) - bandTop}.within(BackRows().shifted(-static_cast<i64>(bandTop)));
    for (i64 i = band.first; i < band.last; ++i) {
        i64 r = i % rows + scroll;
        if (r > rows - 1) r -= rows;
        // Shifting every row left by the amplitude keeps the left edge covered for any offset.
        const i64 offset = wave(i) - amplitude;
        for (i64 k = 0; k <= Display.ScreenWidth / tw + 1; ++k)
            PutRow(k * tw + offset, bandTop + i, index, left, top + r, right);
    }
    AdvancePhase(Effects.BandPhase, waveSpeed);
    MoveScroll(Effects.BandScroll, elSystem::Clock.FrameDelta * scrollSpeed, rows);
}

void MosaicObject(int x, int y, int blockHeight, int index, int left, int top, int right, int bottom) {
    if (blockHeight < 1) return;
    const i64 h = blockHeight, toDest = static_cast<i64>(y) - top;
    const Rows starts = Rows{top, bottom}.within(SourceRows(index));
    const Rows lines = BackRows().shifted(-toDest);
    // The first block start on the grid top, top + h, ... that lies in the picture.
    i64 b = top + (std::max<i64>(starts.first - top, 0) + h - 1) / h * h;
    for (; b < starts.last; b += h) {
        const Rows strip = Rows{b, b + h}.within(lines);
        for (i64 line = strip.first; line < strip.last; ++line) PutRow(x, line + toDest, index, left, b, right);
    }
}

void MirrorObject(int x, int y, int mode, int index, int left, int top, int right, int bottom) {
    using namespace platform;
    if (!ValidObject(index)) return;
    Surface* buffer = Objects.Slot[0].Surface;
    Surface* source = Objects.Slot[index].Surface;
    const i64 w = static_cast<i64>(right) - left, h = static_cast<i64>(bottom) - top;
    if (buffer == nullptr || w < 1 || h < 1) return;
    // Buffer has the screen's size: a larger rectangle is cut to it (its right and lower part
    // after the turn is not shown), so nothing is read or written outside Buffer.
    const int cw = static_cast<int>(std::min<i64>(w, buffer->width()));
    const int ch = static_cast<int>(std::min<i64>(h, buffer->height()));
    HDC bufferDC = nullptr, sourceDC = nullptr;
    const bool haveBuffer = !failed(buffer->GetDC(&bufferDC));
    const bool haveSource = source != nullptr && !failed(source->GetDC(&sourceDC));
    if (haveBuffer && haveSource) {
        // A negative extent reads from its origin leftwards (upwards), origin included.
        switch (mode) {
            case 0: stretchBlt(bufferDC, 0, 0, cw, ch, sourceDC, left, top, cw, ch, SRCCOPY); break;
            case 1: stretchBlt(bufferDC, 0, 0, cw, ch, sourceDC, right - 1, top, -cw, ch, SRCCOPY); break;
            case 2: stretchBlt(bufferDC, 0, 0, cw, ch, sourceDC, left, bottom - 1, cw, -ch, SRCCOPY); break;
            case 3: stretchBlt(bufferDC, 0, 0, cw, ch, sourceDC, right - 1, bottom - 1, -cw, -ch, SRCCOPY); break;
            default: break;   // Buffer keeps what it holds
        }
    }
    if (haveBuffer) buffer->ReleaseDC(bufferDC);
    if (haveSource) source->ReleaseDC(sourceDC);
    PutObject(x, y, 0, 0, 0, cw, ch);
}

void ScanLineObject(int x, int y, int spacing, int index, int left, int top, int right, int bottom) {
    const i64 toDest = static_cast<i64>(y) - top;
    const Rows picture = Rows{top, bottom}.within(SourceRows(index));
    if (spacing > 0) {
        const i64 g = spacing;
        const Rows rows = picture.within(BackRows().shifted(-toDest));
        // Rows top + g, top + 2g, ...: row top itself is never drawn.
        for (i64 row = top + std::max<i64>(1, (rows.first - top + g - 1) / g) * g; row < rows.last; row += g)
            PutRow(x, row + toDest, index, left, row, right);
    } else if (spacing < 0) {
        // Random gaps of 1 to -spacing rows, one random number per step; the walk runs over the
        // rows of the picture only.
        const i64 g = -static_cast<i64>(spacing);
        for (i64 row = picture.first + elSystem::Random() % g + 1; row < picture.last;
             row += elSystem::Random() % g + 1)
            PutRow(x, row + toDest, index, left, row, right);
    }
}

void JitterObject(int x, int y, int jitter, int index, int left, int top, int right, int bottom) {
    if (jitter <= 0) {
        PutObject(x, y, index, left, top, right, bottom);
        return;
    }
    const i64 j = jitter, toDest = static_cast<i64>(y) - top;
    // A new shift for every row of the picture, also for rows that fall outside the screen.
    const Rows rows = Rows{top, bottom}.within(SourceRows(index));
    for (i64 row = rows.first; row < rows.last; ++row)
        PutRow(x + elSystem::Random() % (2 * j) - j, row + toDest, index, left, row, right);
}

}  // namespace elDraw
