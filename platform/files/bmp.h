// Platform: the BMP decoder (files and the packed form of bitmap resources).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The largest picture the decoder makes: 16384 pixels a side and 16 M pixels in all (64 MB).
constexpr int kMaxBitmapSide = 16384;
constexpr std::int64_t kMaxBitmapPixels = 16 * 1024 * 1024;

struct DecodedBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;   // 0x00RRGGBB, top row first
};

// Called by loadImage for BMP files and bitmap resources (and by the fuzz target).
// Decodes a BMP file ("BM", the file header, then as below). Accepts the core header and the
// info headers up to the fifth version; 1, 4, 8, 16, 24 and 32 bits; uncompressed, bit fields,
// RLE4 and RLE8; bottom-up and top-down. Anything malformed (cut short, sizes that overflow,
// colour table or pixel offset outside the data, unknown compression) fails with a one-line
// reason in `error` and leaves `out` empty; nothing is read outside [data, data + size).
bool decodeBmpFile(const std::uint8_t* data, std::size_t size, DecodedBitmap& out, std::string& error);

// The same for a packed bitmap (header, masks, colour table, pixels, without the file header):
// the form a bitmap resource has.
bool decodePackedDib(const std::uint8_t* data, std::size_t size, DecodedBitmap& out,
                     std::string& error);

}  // namespace platform
