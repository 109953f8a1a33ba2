// Asset generator: the byte vector the generators fill, and the headers of the assets' BMP files.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/files/bmp_writer.h"
#include "platform/files/bytes.h"

namespace assets {

using Bytes = std::vector<std::uint8_t>;

// The file header and the 40-byte info header of an uncompressed bottom-up BMP at 72 dots per
// inch whose palette of `colours` entries follows (the caller appends it, then the pixels).
inline void PutBmpHeaders(Bytes& out, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                          std::uint32_t pixelBytes, std::uint32_t colours) {
    platform::BmpInfo info;
    info.width = static_cast<std::int32_t>(width);
    info.height = static_cast<std::int32_t>(height);   // positive: rows are stored bottom-up
    info.bitsPerPixel = static_cast<int>(bitsPerPixel);
    info.imageBytes = pixelBytes;
    info.pixelsPerMetre = platform::kBmpPixelsPerMetre72Dpi;
    info.colorsUsed = info.colorsImportant = colours;
    const std::uint32_t headerBytes = platform::kBmpFileHeaderBytes + 40 + 4 * colours;
    platform::putBmpFileHeader(out, headerBytes + pixelBytes, headerBytes);
    platform::putBmpInfoHeader(out, info);
}

}  // namespace assets
