// Tests: a device context over a memory bitmap of any pixel format, and ways to look at it.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/video/gdi.h"
#include "platform/video/pixels.h"

// A memory context with its own bitmap, filled with one colour (COLORREF) to start.
struct MemoryDC {
    platform::GdiObject bitmap;
    platform::HDC dc = nullptr;

    MemoryDC(int width, int height, platform::PixelFormat format, std::uint32_t fill = 0) {
        bitmap.kind = platform::GdiKind::Bitmap;
        int pitch = width * platform::bytesPerPixel(format);
        bitmap.bits.assign(static_cast<std::size_t>(pitch) * height, 0);
        bitmap.view = platform::PixelView{bitmap.bits.data(), width, height, pitch, format};
        dc = platform::createCompatibleDC(nullptr);
        platform::selectObject(dc, &bitmap);
        Fill(fill);
    }
    ~MemoryDC() { platform::deleteDC(dc); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    const platform::PixelView& view() const { return bitmap.view; }
    void Fill(std::uint32_t color) {
        for (int y = 0; y < view().height; ++y)
            for (int x = 0; x < view().width; ++x)
                platform::writePixel(view(), x, y, platform::colorToPixel(color, view().format));
    }
    std::uint32_t At(int x, int y) const {
        return platform::pixelToColor(platform::readPixel(view(), x, y), view().format);
    }
    // Pixels that are not `background`.
    int CountNot(std::uint32_t background) const {
        int n = 0;
        for (int y = 0; y < view().height; ++y)
            for (int x = 0; x < view().width; ++x) n += At(x, y) != background;
        return n;
    }
    // Rows drawn as text for a failure message: '#' for `ink`, '.' for anything else.
    std::string Picture(std::uint32_t ink, int top, int bottom) const {
        std::string s;
        for (int y = top; y < bottom && y < view().height; ++y) {
            for (int x = 0; x < view().width; ++x) s += At(x, y) == ink ? '#' : '.';
            s += '\n';
        }
        return s;
    }
};

// The box around every pixel that is not `background`; empty (right <= left) when there is none.
struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -(1 << 30), bottom = -(1 << 30);
    bool empty() const { return right <= left; }
};
inline InkBox FindInk(const MemoryDC& m, std::uint32_t background) {
    InkBox b;
    for (int y = 0; y < m.view().height; ++y)
        for (int x = 0; x < m.view().width; ++x)
            if (m.At(x, y) != background) {
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x + 1);
                b.bottom = std::max(b.bottom, y + 1);
            }
    return b;
}

// True when two contexts hold the same colours everywhere.
inline bool SamePicture(const MemoryDC& a, const MemoryDC& b) {
    if (a.view().width != b.view().width || a.view().height != b.view().height) return false;
    for (int y = 0; y < a.view().height; ++y)
        for (int x = 0; x < a.view().width; ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}
