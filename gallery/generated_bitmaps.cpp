// Gallery: the generated bitmaps, written pixel by pixel as 24-bit BMP files in memory.
#include "gallery/generated_bitmaps.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include <quorbix/system.h>

namespace {

using Pixels = std::vector<std::uint32_t>;   // 0x00RRGGBB, top row first

struct Picture {
    int width, height;
    Pixels pixels;
    Picture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0) {}
    void set(int x, int y, std::uint32_t rgb) {
        if (x >= 0 && x < width && y >= 0 && y < height) pixels[static_cast<std::size_t>(y) * width + x] = rgb;
    }
    void fill(int left, int top, int right, int bottom, std::uint32_t rgb) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) set(x, y, rgb);
    }
};

void Put(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 24-bit bottom-up BMP file, rows padded to four bytes.
std::vector<std::uint8_t> BmpFile(const Picture& p) {
    const std::size_t rowBytes = (static_cast<std::size_t>(p.width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> b(54 + rowBytes * p.height, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put(b, 2, static_cast<std::uint32_t>(b.size()), 4);
    Put(b, 10, 54, 4);
    Put(b, 14, 40, 4);
    Put(b, 18, static_cast<std::uint32_t>(p.width), 4);
    Put(b, 22, static_cast<std::uint32_t>(p.height), 4);
    Put(b, 26, 1, 2);
    Put(b, 28, 24, 2);
    for (int y = 0; y < p.height; ++y) {
        std::uint8_t* row = b.data() + 54 + rowBytes * (p.height - 1 - y);
        for (int x = 0; x < p.width; ++x) {
            const std::uint32_t c = p.pixels[static_cast<std::size_t>(y) * p.width + x];
            row[3 * x] = c & 0xFF;
            row[3 * x + 1] = (c >> 8) & 0xFF;
            row[3 * x + 2] = (c >> 16) & 0xFF;
        }
    }
    return b;
}

// The tile pattern of transition style 0: frame k (at x = 64k) covers a diamond that grows from
// the cell's centre until frame 9 covers the whole cell. Black stays transparent.
Picture WipePattern() {
    Picture p(640, 48);
    for (int k = 0; k < 10; ++k) {
        const double reach = (k + 1) / 5.0;   // 2 reaches the corners
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const double d = std::abs(x - 31.5) / 32.0 + std::abs(y - 23.5) / 24.0;
                if (d <= reach) p.set(64 * k + x, y, d > reach - 0.15 ? 0x6088E8 : 0x243C8C);
            }
    }
    return p;
}

// Digits of a 3 x 5 pixel font, one row of three bits per line, top row first.
constexpr std::uint16_t kDigits[10] = {075557, 026222, 071747, 071717, 055711, 074717, 074757, 071111, 075757, 075717};

void DrawNumber(Picture& p, int x, int y, int value, int scale, std::uint32_t rgb) {
    char text[12];
    int n = 0;
    do {
        text[n++] = static_cast<char>(value % 10);
        value /= 10;
    } while (value > 0);
    for (int i = n - 1; i >= 0; --i, x += 4 * scale)
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if ((kDigits[static_cast<int>(text[i])] >> (3 * (4 - row) + (2 - col))) & 1)
                    p.fill(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, rgb);
}

// The scrolling page: a panel every 100 rows with its row number, a ruler down the left edge,
// and black (transparent) gaps through which the drifting tiles and the scene show.
Picture ScrollPage() {
    Picture p(480, kScrollPageHeight);
    for (int top = 0; top < kScrollPageHeight; top += 100) {
        const int hue = top / 100;
        const std::uint32_t panel = (static_cast<std::uint32_t>(60 + hue * 15) << 16) | ((200 - hue * 12) << 8) | 120;
        p.fill(40, top + 10, 440, top + 80, panel);
        p.fill(44, top + 14, 436, top + 76, panel / 2 & 0x7F7F7F);
        DrawNumber(p, 60, top + 25, top, 8, 0xFFFFFF);
    }
    for (int y = 0; y < kScrollPageHeight; y += 10) p.fill(0, y, y % 50 == 0 ? 24 : 10, y + 2, 0xE0E0E0);
    return p;
}

// The scrolling page's background tile: a small diamond and four dots on black.
Picture ScrollTile() {
    Picture p(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            if (std::abs(x - 32) + std::abs(y - 24) <= 8) p.set(x, y, 0xC05070);
    for (int i = 0; i < 4; ++i) p.fill(6 + 16 * i, 4, 8 + 16 * i, 6, 0x70C0F0);
    return p;
}

}  // namespace

void OfferGeneratedBitmaps() {
    static const std::vector<std::uint8_t> files[3] = {BmpFile(WipePattern()), BmpFile(ScrollPage()),
                                                       BmpFile(ScrollTile())};
    static const quorbix::Resource entries[3] = {
        {kWipePatternName, "BITMAP", files[0].data(), files[0].size()},
        {kScrollPageName, "BITMAP", files[1].data(), files[1].size()},
        {kScrollTileName, "BITMAP", files[2].data(), files[2].size()},
    };
    quorbix::OfferResources(entries, 3);
}
