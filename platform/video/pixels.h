// Platform: the pixel formats of display surfaces and a plain view of a surface's pixels, the
// common ground of the blitters, the BMP decoder, the text renderer and the primitives.
#pragma once
#include <cstdint>

namespace platform {

enum class PixelFormat {
    RGB565,     // 16-bit: rrrrrggg gggbbbbb, little-endian
    RGB888,     // 24-bit: bytes B, G, R
    XRGB8888,   // 32-bit: 0x00RRGGBB in a little-endian word (bytes B, G, R, X)
};

constexpr int bytesPerPixel(PixelFormat f) {
    return f == PixelFormat::RGB565 ? 2 : f == PixelFormat::RGB888 ? 3 : 4;
}

// A rectangle of pixels in memory: `pitch` bytes from one row to the next. Whoever draws
// through a view stays inside 0 <= x < width, 0 <= y < height.
struct PixelView {
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int pitch = 0;
    PixelFormat format = PixelFormat::XRGB8888;
};

// A COLORREF (0x00BBGGRR) as the raw pixel value of a format, and back.
std::uint32_t colorToPixel(std::uint32_t colorref, PixelFormat format);
std::uint32_t pixelToColor(std::uint32_t pixel, PixelFormat format);

// Reads and writes one pixel's raw value; the caller has checked the coordinates.
std::uint32_t readPixel(const PixelView& view, int x, int y);
void writePixel(const PixelView& view, int x, int y, std::uint32_t value);

}  // namespace platform
