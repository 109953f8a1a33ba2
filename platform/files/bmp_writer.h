// Platform: the headers of BMP files, written for the generators of assets and seed corpora and
// for test pictures (the program itself only reads BMP). Header-only, as platform/files/bytes.h.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/files/bytes.h"

namespace platform {

constexpr std::uint32_t kBmpFileHeaderBytes = 14;
constexpr std::uint32_t kBmpPixelsPerMetre72Dpi = 2835;
constexpr std::uint32_t kBmpColorSpaceSrgb = 0x73524742;   // "sRGB", stored "BGRs"

// The fields of a bitmap header. Only the core header (12 bytes) leaves out everything after
// the bit count; the larger headers write the masks and the colour space as far as they reach
// and zeros after them.
struct BmpInfo {
    int headerSize = 40;                // 12, 40, 52, 56, 108 or 124
    std::int32_t width = 0;
    std::int32_t height = 0;            // negative: the top row is stored first (not in 12)
    int bitsPerPixel = 24;
    std::uint32_t compression = 0;      // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
    std::uint32_t imageBytes = 0;       // may be 0 for uncompressed pixels
    std::uint32_t pixelsPerMetre = 0;   // across and down
    std::uint32_t colorsUsed = 0;
    std::uint32_t colorsImportant = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};   // red, green, blue (from 52 bytes on), alpha (56)
    std::uint32_t colorSpace = 0;       // from 108 bytes on
};

// Called first for a file: "BM", the file's size, two reserved words and where the pixels start.
inline void putBmpFileHeader(ByteVector& out, std::uint32_t fileBytes, std::uint32_t pixelsAt) {
    putText(out, "BM");
    putLe32(out, fileBytes);
    putLe32(out, 0);
    putLe32(out, pixelsAt);
}

// The bitmap header, and after a 40-byte header with bit fields the three masks that follow it:
// the start of a packed bitmap, which the colour table and the pixels complete.
inline void putBmpInfoHeader(ByteVector& out, const BmpInfo& h) {
    const std::size_t start = out.size();
    putLe32(out, static_cast<std::uint32_t>(h.headerSize));
    if (h.headerSize == 12) {
        putLe16(out, static_cast<std::uint32_t>(h.width));
        putLe16(out, static_cast<std::uint32_t>(h.height));
        putLe16(out, 1);   // planes
        putLe16(out, static_cast<std::uint32_t>(h.bitsPerPixel));
        return;
    }
    putLe32(out, static_cast<std::uint32_t>(h.width));
    putLe32(out, static_cast<std::uint32_t>(h.height));
    putLe16(out, 1);   // planes
    putLe16(out, static_cast<std::uint32_t>(h.bitsPerPixel));
    putLe32(out, h.compression);
    putLe32(out, h.imageBytes);
    putLe32(out, h.pixelsPerMetre);
    putLe32(out, h.pixelsPerMetre);
    putLe32(out, h.colorsUsed);
    putLe32(out, h.colorsImportant);
    if (h.headerSize >= 52)
        for (int i = 0; i < 3; ++i) putLe32(out, h.masks[i]);
    if (h.headerSize >= 56) putLe32(out, h.masks[3]);
    if (h.headerSize >= 108) putLe32(out, h.colorSpace);
    out.resize(start + static_cast<std::size_t>(h.headerSize), 0);
    if (h.headerSize == 40 && h.compression == 3)
        for (int i = 0; i < 3; ++i) putLe32(out, h.masks[i]);
}

// One colour table entry of a 0x00RRGGBB colour: blue, green, red, and a zero byte except after
// the core header.
inline void putBmpTableEntry(ByteVector& out, std::uint32_t rgb, bool coreHeader = false) {
    putLe24(out, rgb);
    if (!coreHeader) out.push_back(0);
}

}  // namespace platform
