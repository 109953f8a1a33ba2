// Asset generator: the program's icon as PNG files and as a BMP with alpha.
#include "tools/icon.h"

#include <stdexcept>
#include <zlib.h>

#include "tools/sprite_sheet.h"

namespace assets {
namespace {

void Chunk(Bytes& out, const char* type, const Bytes& data) {
    PutBE(out, static_cast<std::uint32_t>(data.size()), 4);
    Bytes body;
    PutText(body, type);
    if (!data.empty()) body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutBE(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))), 4);
}

}  // namespace

Bytes MakeIconPng(int size) {
    const std::vector<std::uint32_t> pixels = BallIcon(size);
    Bytes raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0);   // no filter
        for (int x = 0; x < size; ++x) {
            std::uint32_t p = pixels[static_cast<std::size_t>(y) * size + x];
            raw.push_back(static_cast<std::uint8_t>(p >> 16));
            raw.push_back(static_cast<std::uint8_t>(p >> 8));
            raw.push_back(static_cast<std::uint8_t>(p));
            raw.push_back(static_cast<std::uint8_t>(p >> 24));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        throw std::runtime_error("the icon could not be compressed");
    packed.resize(packedSize);

    Bytes out;
    const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (std::uint8_t b : signature) out.push_back(b);
    Bytes header;
    PutBE(header, static_cast<std::uint32_t>(size), 4);
    PutBE(header, static_cast<std::uint32_t>(size), 4);
    header.push_back(8);   // bits per channel
    header.push_back(6);   // RGBA
    header.push_back(0);
    header.push_back(0);
    header.push_back(0);
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", packed);
    Chunk(out, "IEND", {});
    return out;
}

Bytes MakeIconBmp() {
    constexpr int kSize = 48;
    constexpr std::uint32_t kHeaderBytes = 14 + 108, kPixelBytes = kSize * kSize * 4;
    const std::vector<std::uint32_t> pixels = BallIcon(kSize);
    Bytes out;
    PutText(out, "BM");
    PutLE(out, kHeaderBytes + kPixelBytes, 4);
    PutLE(out, 0, 4);
    PutLE(out, kHeaderBytes, 4);
    PutLE(out, 108, 4);   // BITMAPV4HEADER
    PutLE(out, kSize, 4);
    PutLE(out, static_cast<std::uint32_t>(-kSize), 4);   // negative: top row first
    PutLE(out, 1, 2);
    PutLE(out, 32, 2);
    PutLE(out, 3, 4);     // bit fields
    PutLE(out, kPixelBytes, 4);
    PutLE(out, 2835, 4);
    PutLE(out, 2835, 4);
    PutLE(out, 0, 4);
    PutLE(out, 0, 4);
    PutLE(out, 0x00FF0000, 4);   // red, green, blue and alpha masks
    PutLE(out, 0x0000FF00, 4);
    PutLE(out, 0x000000FF, 4);
    PutLE(out, 0xFF000000, 4);
    PutText(out, "BGRs");        // sRGB
    for (int i = 0; i < 12; ++i) PutLE(out, 0, 4);   // end points and gamma (unused for sRGB)
    for (std::uint32_t p : pixels) PutLE(out, p, 4);
    return out;
}

}  // namespace assets
