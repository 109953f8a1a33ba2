// Asset generator: the wipe pattern strip, discs growing frame by frame.
#include "tools/wipe_pattern.h"

namespace assets {
namespace {

// Whether the pixel's centre lies inside frame f's disc. Worked in half pixels, so that it is
// whole numbers throughout: the centre of pixel x is 2x + 1 and the frame's centre 64 (or 48).
bool InDisc(int f, int x, int y) {
    const int dx = 2 * x + 1 - kWipeFrameWidth, dy = 2 * y + 1 - kWipeFrameHeight;
    const int r = 8 * (f + 1);
    return dx * dx + dy * dy <= r * r;
}

}  // namespace

Bytes MakeWipePattern() {
    constexpr std::uint32_t kWidth = kWipeFrames * kWipeFrameWidth;   // 640
    constexpr std::uint32_t kRowBytes = (kWidth + 31) / 32 * 4;        // 80
    constexpr std::uint32_t kPixelBytes = kRowBytes * kWipeFrameHeight;
    constexpr std::uint32_t kHeaderBytes = 14 + 40 + 2 * 4;            // and the two palette entries

    Bytes out;
    out.reserve(kHeaderBytes + kPixelBytes);
    PutBmpHeaders(out, kWidth, kWipeFrameHeight, 1, kPixelBytes, 2);
    platform::putBmpTableEntry(out, 0x000000);
    platform::putBmpTableEntry(out, kWipeDiscRgb);

    for (int y = kWipeFrameHeight - 1; y >= 0; --y) {
        std::uint8_t row[kRowBytes] = {};
        for (std::uint32_t x = 0; x < kWidth; ++x)
            if (InDisc(static_cast<int>(x) / kWipeFrameWidth, static_cast<int>(x) % kWipeFrameWidth, y))
                row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row, row + kRowBytes);
    }
    return out;
}

}  // namespace assets
