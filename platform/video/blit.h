// Platform: the pixel loops behind surface blits and fills (opaque copy, colour-keyed copy, fill).
#pragma once
#include <cstdint>

#include "platform/video/pixels.h"

namespace platform {

// All three are called by Surface with rectangles it has already checked: (dx, dy, w, h) lies
// inside dst and (sx, sy, w, h) inside src, both views have the same format, w and h are > 0.

// Copies the block; source and destination may overlap (a blit within one surface).
void blitOpaque(const PixelView& dst, int dx, int dy, const PixelView& src, int sx, int sy, int w,
                int h);
// Copies the pixels whose value differs from `key` (compared on the format's colour bits) and
// leaves the others. Source and destination must not overlap in memory.
void blitKeyed(const PixelView& dst, int dx, int dy, const PixelView& src, int sx, int sy, int w,
               int h, std::uint32_t key);
// Sets every pixel of the block to `value`, cut to the format's bits.
void fillRect(const PixelView& dst, int x, int y, int w, int h, std::uint32_t value);

// The format's colour bits: 0xFFFF, 0xFFFFFF or 0xFFFFFF (the X byte of XRGB8888 is not colour).
std::uint32_t colorBits(PixelFormat format);

// Tests: the plain loops, so that the vector paths can be checked against them.
void blitKeyedScalar(const PixelView& dst, int dx, int dy, const PixelView& src, int sx, int sy,
                     int w, int h, std::uint32_t key);
// Tests: makes the keyed copy take one path ("avx512", "avx2", "sse2"; "neon" or "scalar" on
// 64-bit ARM) if the processor has it, answering false otherwise; nullptr goes back to the best one.
bool forceBlitPath(const char* name);
// Tests and benchmarks: which keyed copy runs ("avx512", "avx2", "sse2", "neon" or "scalar").
const char* blitPath();

}  // namespace platform
