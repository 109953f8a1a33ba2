// Tests: BMP files and bitmap resources made in memory, and a display opened on the headless
// backend with pictures to load.
#pragma once
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/files/bmp_writer.h"
#include "platform/files/bytes.h"
#include "platform/files/resources.h"

namespace testbmp {

struct BmpLayout {
    int headerSize = 40;          // 12, 40, 52, 56, 108, 124
    int width = 1;
    int height = 1;               // negative: top-down
    int bpp = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> palette;   // 0x00RRGGBB
    std::uint32_t masks[3] = {0, 0, 0};   // written for bit fields
};

// Packed bitmap: header, masks (after a 40-byte header with bit fields), colour table, pixels.
inline std::vector<std::uint8_t> PackedDib(const BmpLayout& s, const std::vector<std::uint8_t>& pixels) {
    platform::BmpInfo info;
    info.headerSize = s.headerSize;
    info.width = s.width;
    info.height = s.height;
    info.bitsPerPixel = s.bpp;
    info.compression = s.compression;
    info.imageBytes = static_cast<std::uint32_t>(pixels.size());
    info.colorsUsed = s.colorsUsed;
    for (int i = 0; i < 3; ++i) info.masks[i] = s.masks[i];
    std::vector<std::uint8_t> b;
    platform::putBmpInfoHeader(b, info);
    for (std::uint32_t c : s.palette) platform::putBmpTableEntry(b, c, s.headerSize == 12);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// A BMP file: the file header in front of the packed bitmap, pixels right after the table.
inline std::vector<std::uint8_t> File(const BmpLayout& s, const std::vector<std::uint8_t>& pixels) {
    std::vector<std::uint8_t> dib = PackedDib(s, pixels);
    std::vector<std::uint8_t> b;
    const auto fileBytes = static_cast<std::uint32_t>(platform::kBmpFileHeaderBytes + dib.size());
    platform::putBmpFileHeader(b, fileBytes, fileBytes - static_cast<std::uint32_t>(pixels.size()));
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

// Uncompressed rows, bottom-up unless height < 0, each padded to 4 bytes. value(x, y) is a
// palette index for 8 bits or fewer, else the raw pixel value (little-endian).
inline std::vector<std::uint8_t> Rows(int width, int height, int bpp,
                                      const std::function<std::uint32_t(int, int)>& value) {
    const int h = height < 0 ? -height : height;
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * bpp + 31) / 32 * 4;
    std::vector<std::uint8_t> out(rowBytes * h, 0);
    for (int row = 0; row < h; ++row) {
        int y = height < 0 ? row : h - 1 - row;
        std::uint8_t* r = out.data() + rowBytes * row;
        for (int x = 0; x < width; ++x) {
            std::uint32_t v = value(x, y);
            if (bpp < 8) {
                int bit = x * bpp;
                r[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bpp - bit % 8));
            } else {
                for (int i = 0; i < bpp / 8; ++i) r[x * (bpp / 8) + i] = (v >> (8 * i)) & 0xFF;
            }
        }
    }
    return out;
}

// A 24-bit uncompressed BMP file of 0x00RRGGBB pixels (top row first).
inline std::vector<std::uint8_t> Rgb24(int width, int height, const std::vector<std::uint32_t>& rgb) {
    BmpLayout s;
    s.width = width;
    s.height = height;
    s.bpp = 24;
    return File(s, Rows(width, height, 24, [&](int x, int y) { return rgb[static_cast<std::size_t>(y) * width + x]; }));
}

// Bitmap resources that live as long as the object, put in front of the built-in table.
class Resources {
public:
    // type: "BITMAP" for BMP files, "PNG" for PNG files.
    void Add(const std::string& name, std::vector<std::uint8_t> file, const char* type = "BITMAP") {
        names_.push_back(name);
        types_.push_back(type);
        data_.push_back(std::move(file));
        Publish();
    }
    ~Resources() { platform::setExtraResources(nullptr, 0); }

private:
    void Publish() {
        entries_.clear();
        for (std::size_t i = 0; i < names_.size(); ++i)
            entries_.push_back(platform::ResourceEntry{names_[i].c_str(), types_[i], data_[i].data(), data_[i].size()});
        platform::setExtraResources(entries_.data(), static_cast<int>(entries_.size()));
    }
    std::vector<std::string> names_;
    std::vector<const char*> types_;
    std::vector<std::vector<std::uint8_t>> data_;
    std::vector<platform::ResourceEntry> entries_;
};

}  // namespace testbmp
