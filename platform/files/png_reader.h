// Platform: the PNG decoder (files and PNG resources), through libpng on every system (the web
// build's is built for WebAssembly from the same source as the desktop's: scripts/web-deps).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/files/bmp.h"

namespace platform {

// Called by loadPngPicture (platform/video/gdi_bitmap.h) and by the fuzz target. Decodes a
// whole PNG file held in memory: every colour type and depth, palettes and their transparency,
// interlaced or not, 16-bit samples cut to 8 (16-bit files without a gAMA or sRGB chunk are
// taken as linear light, as libpng reads them, and brought to sRGB). Pixels come out as 0xAARRGGBB words, top row
// first: alpha 0 is clear, 255 solid, the colour not multiplied by it. Pictures larger than the
// BMP decoder's limits (kMaxBitmapSide a side, kMaxBitmapPixels in all) are refused before
// their pixels are read. Anything malformed (not a PNG, cut short, a bad checksum or stream)
// fails with a one-line reason in `error` and leaves `out` empty; nothing is read outside
// [data, data + size).
bool decodePng(const std::uint8_t* data, std::size_t size, DecodedBitmap& out, std::string& error);

// Called by the picture loaders: true when the bytes start with the PNG signature.
inline bool looksLikePng(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return data != nullptr && size >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

}  // namespace platform
