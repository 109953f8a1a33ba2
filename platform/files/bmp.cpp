// Platform: the BMP decoder. Every read goes through a bounds-checked reader; sizes are worked
// out in 64 bits before anything is allocated.
#include "platform/files/bmp.h"

#include <cstring>

#include "platform/files/bytes.h"

namespace platform {
namespace {

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;

struct Bytes {
    const std::uint8_t* data;
    std::size_t size;

    bool has(std::uint64_t offset, std::uint64_t count) const {
        return offset <= size && count <= size - offset;
    }
    std::uint16_t u16(std::size_t o) const { return readLe16(data + o); }
    std::uint32_t u32(std::size_t o) const { return readLe32(data + o); }
};

// A mask of one colour channel of the bit-field formats.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    std::uint32_t extract(std::uint32_t p) const {
        if (bits == 0) return 0;
        std::uint32_t v = (p & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        std::uint32_t maxv = (1u << bits) - 1;
        return (v * 255 + maxv / 2) / maxv;
    }
};

bool makeChannel(std::uint32_t mask, int depth, Channel& c) {
    c = Channel{};
    if (mask == 0) return true;
    if (depth < 32 && (mask >> depth) != 0) return false;   // bits the pixel does not have
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    std::uint32_t v = mask >> shift;
    int bits = 0;
    while (bits < 32 && ((v >> bits) & 1) != 0) ++bits;
    if (bits < 32 && (v >> bits) != 0) return false;   // not one run of bits
    c.mask = mask;
    c.shift = shift;
    c.bits = bits;
    return true;
}

struct Header {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;        // negative: top-down
    int depth = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    bool core = false;
};

bool fail(std::string& error, const char* why) {
    error = why;
    return false;
}

// Reads the header at `at` and the bit-field masks that follow an info header. `tableAt` is set
// to where the colour table starts.
bool readHeader(const Bytes& b, std::size_t at, Header& h, std::size_t& tableAt, std::string& error) {
    if (!b.has(at, 4)) return fail(error, "cut short inside the bitmap header");
    h.headerSize = b.u32(at);
    const std::uint32_t hs = h.headerSize;
    if (hs != 12 && hs != 40 && hs != 52 && hs != 56 && hs != 108 && hs != 124)
        return fail(error, "unknown bitmap header size");
    if (!b.has(at, hs)) return fail(error, "cut short inside the bitmap header");
    int planes;
    if (hs == 12) {
        h.core = true;
        h.width = b.u16(at + 4);
        h.height = b.u16(at + 6);
        planes = b.u16(at + 8);
        h.depth = b.u16(at + 10);
    } else {
        h.width = static_cast<std::int32_t>(b.u32(at + 4));
        h.height = static_cast<std::int32_t>(b.u32(at + 8));
        planes = b.u16(at + 12);
        h.depth = b.u16(at + 14);
        h.compression = b.u32(at + 16);
        h.colorsUsed = b.u32(at + 32);
    }
    tableAt = at + hs;
    if (planes != 1) return fail(error, "bitmap with more than one plane");
    if (h.width <= 0 || h.height == 0) return fail(error, "bitmap width or height is zero or negative");
    const std::int64_t absH = h.height < 0 ? -h.height : h.height;
    if (h.width > kMaxBitmapSide || absH > kMaxBitmapSide || h.width * absH > kMaxBitmapPixels)
        return fail(error, "bitmap too large");
    switch (h.depth) {
        case 1: case 4: case 8: case 16: case 24: case 32: break;
        default: return fail(error, "unsupported bits per pixel");
    }
    switch (h.compression) {
        case BI_RGB: break;
        case BI_RLE8:
            if (h.depth != 8) return fail(error, "RLE8 needs 8 bits per pixel");
            break;
        case BI_RLE4:
            if (h.depth != 4) return fail(error, "RLE4 needs 4 bits per pixel");
            break;
        case BI_BITFIELDS:
            if (h.depth != 16 && h.depth != 32) return fail(error, "bit fields need 16 or 32 bits per pixel");
            break;
        default: return fail(error, "unsupported compression");
    }
    if ((h.compression == BI_RLE8 || h.compression == BI_RLE4) && h.height < 0)
        return fail(error, "a compressed bitmap cannot be top-down");
    if (h.compression == BI_BITFIELDS) {
        if (hs == 40) {
            // The three masks follow the short header.
            if (!b.has(tableAt, 12)) return fail(error, "cut short inside the colour masks");
            for (int i = 0; i < 3; ++i) h.masks[i] = b.u32(tableAt + 4 * i);
            tableAt += 12;
        } else {
            for (int i = 0; i < 3; ++i) h.masks[i] = b.u32(at + 40 + 4 * i);
        }
    } else if (h.depth == 16) {
        h.masks[0] = 0x7C00;
        h.masks[1] = 0x03E0;
        h.masks[2] = 0x001F;
    } else if (h.depth == 32) {
        h.masks[0] = 0x00FF0000;
        h.masks[1] = 0x0000FF00;
        h.masks[2] = 0x000000FF;
    }
    return true;
}

// Reads the colour table as 0x00RRGGBB. Every declared entry must lie inside the data and the
// table ends after the last of them, but only the first 2^depth can be indexed.
bool readTable(const Bytes& b, std::size_t tableAt, const Header& h, std::uint32_t* table,
               int& count, std::size_t& tableEnd, std::string& error) {
    count = 0;
    tableEnd = tableAt;
    if (h.depth > 8) return true;
    const std::uint32_t full = 1u << h.depth;
    const std::uint32_t declared = h.core ? full : (h.colorsUsed == 0 ? full : h.colorsUsed);
    const int entry = h.core ? 3 : 4;
    const std::uint64_t tableBytes = static_cast<std::uint64_t>(declared) * entry;
    if (!b.has(tableAt, tableBytes)) return fail(error, "colour table lies outside the data");
    const std::uint32_t n = declared < full ? declared : full;
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint8_t* e = b.data + tableAt + i * entry;
        table[i] = (static_cast<std::uint32_t>(e[2]) << 16) | (e[1] << 8) | e[0];
    }
    count = static_cast<int>(n);
    tableEnd = tableAt + static_cast<std::size_t>(tableBytes);
    return true;
}

std::uint32_t colourAt(const std::uint32_t* table, int count, unsigned index) {
    return index < static_cast<unsigned>(count) ? table[index] : 0;   // beyond the table: black
}

std::uint64_t rowBytesOf(std::int64_t width, int depth) {
    return (static_cast<std::uint64_t>(width) * depth + 31) / 32 * 4;
}

// Before the picture is made: the rows are all in the data (the last without its padding) and
// the masks of 16 and 32 bits are runs of bits the pixel has.
bool checkUncompressed(const Bytes& b, std::size_t pixelsAt, const Header& h, int w, int hgt, Channel* ch,
                       std::string& error) {
    const std::uint64_t lastRow = (static_cast<std::uint64_t>(w) * h.depth + 7) / 8;
    if (!b.has(pixelsAt, rowBytesOf(w, h.depth) * (hgt - 1) + lastRow)) return fail(error, "pixel data cut short");
    if (h.depth == 16 || h.depth == 32) {
        for (int i = 0; i < 3; ++i)
            if (!makeChannel(h.masks[i], h.depth, ch[i])) return fail(error, "invalid colour mask");
    }
    return true;
}

// The rows checkUncompressed let through, into `out`.
void drawUncompressed(const Bytes& b, std::size_t pixelsAt, const Header& h, const Channel* ch,
                      const std::uint32_t* table, int count, DecodedBitmap& out) {
    const int w = out.width, hgt = out.height;
    const std::uint64_t rowBytes = rowBytesOf(w, h.depth);
    for (int row = 0; row < hgt; ++row) {
        const int y = h.height < 0 ? row : hgt - 1 - row;
        const std::uint8_t* src = b.data + pixelsAt + rowBytes * row;
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * w;
        for (int x = 0; x < w; ++x) {
            switch (h.depth) {
                case 1: dst[x] = colourAt(table, count, (src[x >> 3] >> (7 - (x & 7))) & 1); break;
                case 4: dst[x] = colourAt(table, count, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF); break;
                case 8: dst[x] = colourAt(table, count, src[x]); break;
                case 24: {
                    const std::uint8_t* p = src + 3 * x;
                    dst[x] = (static_cast<std::uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
                    break;
                }
                case 16:
                case 32: {
                    const std::uint8_t* p = src + (h.depth / 8) * x;
                    std::uint32_t v = p[0] | (p[1] << 8);
                    if (h.depth == 32) v |= (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
                    dst[x] = (ch[0].extract(v) << 16) | (ch[1].extract(v) << 8) | ch[2].extract(v);
                    break;
                }
            }
        }
    }
}

// RLE8 and RLE4: runs and literal groups, rows from the bottom up. Pixels the data skips keep
// colour 0 of the table; runs past the right edge are cut there. Without `out` the data is only
// walked, so that a picture is made only for data that is all there: a few bytes can declare
// the largest picture.
bool walkRle(const Bytes& b, std::size_t pixelsAt, const Header& h, int w, int hgt, const std::uint32_t* table,
             int count, DecodedBitmap* out, std::string& error) {
    const bool four = h.compression == BI_RLE4;
    if (out != nullptr) {
        const std::uint32_t background = colourAt(table, count, 0);
        for (auto& p : out->pixels) p = background;
    }
    std::size_t at = pixelsAt;
    std::int64_t x = 0, row = 0;   // row 0 is the bottom row
    auto put = [&](unsigned index) {
        if (x < w && row < hgt)
            out->pixels[static_cast<std::size_t>(hgt - 1 - row) * w + static_cast<std::size_t>(x)] =
                colourAt(table, count, index);
        ++x;
    };
    for (;;) {
        if (row >= hgt) return true;   // every row is done; a missing end mark does no harm
        if (!b.has(at, 2)) return fail(error, "compressed pixel data cut short");
        const unsigned n = b.data[at], v = b.data[at + 1];
        at += 2;
        if (n > 0) {
            for (unsigned i = 0; out != nullptr && i < n; ++i) put(four ? ((i & 1) ? (v & 0xF) : (v >> 4)) : v);
            continue;
        }
        switch (v) {
            case 0:   // end of line
                x = 0;
                ++row;
                break;
            case 1:   // end of bitmap
                return true;
            case 2:   // move right and up
                if (!b.has(at, 2)) return fail(error, "compressed pixel data cut short");
                x += b.data[at];
                row += b.data[at + 1];
                at += 2;
                break;
            default: {   // v literal pixels, padded to a whole number of 16-bit words
                const std::size_t bytes = four ? (v + 1) / 2 : v;
                if (!b.has(at, bytes)) return fail(error, "compressed pixel data cut short");
                for (unsigned i = 0; out != nullptr && i < v; ++i) {
                    unsigned byte = b.data[at + (four ? i / 2 : i)];
                    put(four ? ((i & 1) ? (byte & 0xF) : (byte >> 4)) : byte);
                }
                at += bytes + (bytes & 1);
                break;
            }
        }
    }
}

bool decode(const Bytes& b, std::size_t headerAt, bool fileForm, std::uint64_t pixelOffset,
            DecodedBitmap& out, std::string& error) {
    Header h;
    std::size_t tableAt = 0;
    if (!readHeader(b, headerAt, h, tableAt, error)) return false;
    std::uint32_t table[256] = {};
    int count = 0;
    std::size_t tableEnd = 0;
    if (!readTable(b, tableAt, h, table, count, tableEnd, error)) return false;
    std::uint64_t pixelsAt = tableEnd;
    if (fileForm) {
        if (pixelOffset < tableAt || pixelOffset >= b.size)
            return fail(error, "pixel data offset lies outside the file");
        pixelsAt = pixelOffset;
    } else if (h.depth > 8 && h.colorsUsed != 0 && !h.core) {
        // Above 8 bits a colour table is only a hint for palette displays; it is skipped.
        pixelsAt += static_cast<std::uint64_t>(h.colorsUsed) * 4;
    }
    if (pixelsAt > b.size) return fail(error, "pixel data lies outside the data");

    // The data is checked whole before the picture is made.
    const std::size_t at = static_cast<std::size_t>(pixelsAt);
    const int w = static_cast<int>(h.width), hgt = static_cast<int>(h.height < 0 ? -h.height : h.height);
    const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    Channel ch[3];
    if (rle ? !walkRle(b, at, h, w, hgt, table, count, nullptr, error) : !checkUncompressed(b, at, h, w, hgt, ch, error))
        return false;
    DecodedBitmap result;
    result.width = w;
    result.height = hgt;
    result.pixels.assign(static_cast<std::size_t>(w) * hgt, 0u);
    if (rle) {
        if (!walkRle(b, at, h, w, hgt, table, count, &result, error)) return false;
    } else {
        drawUncompressed(b, at, h, ch, table, count, result);
    }
    out = std::move(result);
    return true;
}

}  // namespace

bool decodeBmpFile(const std::uint8_t* data, std::size_t size, DecodedBitmap& out, std::string& error) {
    out = DecodedBitmap{};
    Bytes b{data, data != nullptr ? size : 0};
    if (!b.has(0, 14)) return fail(error, "too short for a BMP file");
    if (data[0] != 'B' || data[1] != 'M') return fail(error, "not a BMP file (no \"BM\" signature)");
    return decode(b, 14, true, b.u32(10), out, error);
}

bool decodePackedDib(const std::uint8_t* data, std::size_t size, DecodedBitmap& out,
                     std::string& error) {
    out = DecodedBitmap{};
    Bytes b{data, data != nullptr ? size : 0};
    return decode(b, 0, false, 0, out, error);
}

}  // namespace platform
