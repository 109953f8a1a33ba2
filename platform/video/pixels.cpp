// Platform: pixel format conversions and single-pixel access.
#include "platform/video/pixels.h"

#include <cstddef>
#include <cstring>

namespace platform {

std::uint32_t colorToPixel(std::uint32_t c, PixelFormat format) {
    std::uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    if (format == PixelFormat::RGB565) return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    return (r << 16) | (g << 8) | b;
}

std::uint32_t pixelToColor(std::uint32_t p, PixelFormat format) {
    std::uint32_t r, g, b;
    if (format == PixelFormat::RGB565) {
        // Widen each field so that full intensity stays full (31 -> 255, 63 -> 255).
        r = ((p >> 11) & 0x1F) * 255 / 31;
        g = ((p >> 5) & 0x3F) * 255 / 63;
        b = (p & 0x1F) * 255 / 31;
    } else {
        r = (p >> 16) & 0xFF;
        g = (p >> 8) & 0xFF;
        b = p & 0xFF;
    }
    return r | (g << 8) | (b << 16);
}

std::uint32_t readPixel(const PixelView& v, int x, int y) {
    const std::uint8_t* p = v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch;
    switch (v.format) {
        case PixelFormat::RGB565: {
            std::uint16_t w;
            std::memcpy(&w, p + x * 2, 2);
            return w;
        }
        case PixelFormat::RGB888:
            p += x * 3;
            return p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
        case PixelFormat::XRGB8888: {
            std::uint32_t w;
            std::memcpy(&w, p + x * 4, 4);
            return w & 0x00FFFFFFu;
        }
    }
    return 0;
}

void writePixel(const PixelView& v, int x, int y, std::uint32_t value) {
    std::uint8_t* p = v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch;
    switch (v.format) {
        case PixelFormat::RGB565: {
            std::uint16_t w = static_cast<std::uint16_t>(value);
            std::memcpy(p + x * 2, &w, 2);
            break;
        }
        case PixelFormat::RGB888:
            p += x * 3;
            p[0] = value & 0xFF;
            p[1] = (value >> 8) & 0xFF;
            p[2] = (value >> 16) & 0xFF;
            break;
        case PixelFormat::XRGB8888: {
            std::uint32_t w = value & 0x00FFFFFFu;
            std::memcpy(p + x * 4, &w, 4);
            break;
        }
    }
}

}  // namespace platform
