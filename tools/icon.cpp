// Asset generator: the program's icon as PNG files and as a BMP with alpha.
#include "tools/icon.h"

#include <stdexcept>
#include <zlib.h>

#include "tools/sprite_sheet.h"

namespace assets {
namespace {

void Chunk(Bytes& out, const char* type, const Bytes& data) {
    platform::putBe32(out, static_cast<std::uint32_t>(data.size()));
    Bytes body;
    platform::putText(body, type);
    if (!data.empty()) body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    platform::putBe32(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
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
    platform::putBe32(header, static_cast<std::uint32_t>(size));
    platform::putBe32(header, static_cast<std::uint32_t>(size));
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
    platform::BmpInfo info;
    info.headerSize = 108;   // the fourth version: bit fields with alpha, and a colour space
    info.width = kSize;
    info.height = -kSize;    // negative: top row first
    info.bitsPerPixel = 32;
    info.compression = 3;    // bit fields
    info.imageBytes = kPixelBytes;
    info.pixelsPerMetre = platform::kBmpPixelsPerMetre72Dpi;
    info.masks[0] = 0x00FF0000;   // red, green, blue and alpha
    info.masks[1] = 0x0000FF00;
    info.masks[2] = 0x000000FF;
    info.masks[3] = 0xFF000000;
    info.colorSpace = platform::kBmpColorSpaceSrgb;   // its end points and gamma stay zero
    Bytes out;
    platform::putBmpFileHeader(out, kHeaderBytes + kPixelBytes, kHeaderBytes);
    platform::putBmpInfoHeader(out, info);
    for (std::uint32_t p : pixels) platform::putLe32(out, p);
    return out;
}

Bytes MakeIconIco() {
    // An icon directory of six entries, each image a PNG as MakeIconPng draws it (Windows reads
    // PNG images in icons); a width or height of 256 is written as 0.
    std::vector<Bytes> images;
    for (int size : kIconSizes) images.push_back(MakeIconPng(size));
    Bytes out;
    platform::putLe16(out, 0);   // reserved
    platform::putLe16(out, 1);   // an icon, not a cursor
    platform::putLe16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::uint8_t side = static_cast<std::uint8_t>(kIconSizes[i] >= 256 ? 0 : kIconSizes[i]);
        out.push_back(side);
        out.push_back(side);
        out.push_back(0);            // no palette
        out.push_back(0);            // reserved
        platform::putLe16(out, 1);   // planes
        platform::putLe16(out, 32);  // bits per pixel
        platform::putLe32(out, static_cast<std::uint32_t>(images[i].size()));
        platform::putLe32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const Bytes& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

}  // namespace assets
