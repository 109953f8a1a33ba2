// Platform: GDI-style bitmaps: loading (resources and BMP files), GetObject, StretchBlt, BitBlt.
#include "platform/video/gdi_bitmap.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "platform/files/bmp.h"
#include "platform/files/os.h"
#include "platform/files/png_reader.h"
#include "platform/files/resources.h"
#include "platform/window/program_name.h"

namespace platform {
namespace {

// Any non-null value does: there is one module, the executable.
const int kModuleToken = 0;

// Picture files larger than this are refused before they are read.
constexpr long kMaxBmpFileBytes = 256L * 1024 * 1024;

bool readFile(const char* path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::FILE* f = os::openFile(path, "rb");
    if (f == nullptr) return false;   // no such file: not an error worth a line
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(f) : -1;
    if (!ok || size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        error = "cannot be read";
    } else if (size > kMaxBmpFileBytes) {
        error = "larger than 256 MB";
    } else {
        bytes.resize(static_cast<std::size_t>(size));
        if (size > 0 && std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
            error = "cannot be read";
    }
    std::fclose(f);
    return error.empty();
}

GdiObject* makeBitmap(int width, int height) {
    auto* b = new (std::nothrow) GdiObject;
    if (b == nullptr) return nullptr;
    b->kind = GdiKind::Bitmap;
    b->bits.assign(static_cast<std::size_t>(width) * height * 4, 0);
    b->view = PixelView{b->bits.data(), width, height, width * 4, PixelFormat::XRGB8888};
    return b;
}

// One pixel from one view's format to another's.
std::uint32_t convertPixel(std::uint32_t raw, PixelFormat from, PixelFormat to) {
    if (from == to) return raw;
    return colorToPixel(pixelToColor(raw, from), to);
}

// The destination indices i (0 <= i < |extent|) whose pixel origin + step * i lies in [0, size).
void visibleRange(std::int64_t origin, std::int64_t extent, int size, std::int64_t& first,
                  std::int64_t& last) {
    const std::int64_t n = extent < 0 ? -extent : extent;
    if (extent > 0) {
        first = std::max<std::int64_t>(0, -origin);
        last = std::min<std::int64_t>(n, size - origin);
    } else {
        first = std::max<std::int64_t>(0, origin - size + 1);
        last = std::min<std::int64_t>(n, origin + 1);
    }
}

}  // namespace

HINSTANCE getModuleHandle() { return &kModuleToken; }

HGDIOBJ loadImage(HINSTANCE instance, const char* name, unsigned type, int width, int height,
                  unsigned flags) {
    if (name == nullptr || type != IMAGE_BITMAP || width < 0 || height < 0) return nullptr;
    DecodedBitmap pic;
    std::string error;
    if (instance != nullptr) {
        if (instance != getModuleHandle()) return nullptr;
        std::size_t size = 0;
        const unsigned char* data = lockResource(findResource(name, "BITMAP"), size);
        if (data == nullptr) return nullptr;
        if (!decodePackedDib(data, size, pic, error)) {
            platform::say("bitmap resource %s: %s\n", name, error.c_str());
            return nullptr;
        }
    } else {
        if ((flags & LR_LOADFROMFILE) == 0) return nullptr;
        std::vector<std::uint8_t> bytes;
        if (!readFile(name, bytes, error)) {
            if (!error.empty()) platform::say("%s: %s\n", name, error.c_str());
            return nullptr;
        }
        if (!decodeBmpFile(bytes.data(), bytes.size(), pic, error)) {
            platform::say("%s: %s\n", name, error.c_str());
            return nullptr;
        }
    }
    GdiObject* b = makeBitmap(pic.width, pic.height);
    if (b == nullptr) return nullptr;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x)
            writePixel(b->view, x, y, pic.pixels[static_cast<std::size_t>(y) * pic.width + x]);
    if ((width == 0 || width == pic.width) && (height == 0 || height == pic.height)) return b;

    // A size was asked for: the picture is scaled to it.
    const int w = width == 0 ? pic.width : width, h = height == 0 ? pic.height : height;
    if (static_cast<std::int64_t>(w) * h > kMaxBitmapPixels) {
        deleteObject(b);
        return nullptr;
    }
    GdiObject* scaled = makeBitmap(w, h);
    if (scaled != nullptr) {
        DeviceContext from, to;
        from.view = b->view;
        to.view = scaled->view;
        stretchBlt(&to, 0, 0, w, h, &from, 0, 0, pic.width, pic.height, SRCCOPY);
    }
    deleteObject(b);
    return scaled;
}

bool loadPngPicture(HINSTANCE instance, const char* name, DecodedBitmap& out) {
    out = DecodedBitmap{};
    if (name == nullptr) return false;
    std::string error;
    if (instance != nullptr) {
        if (instance != getModuleHandle()) return false;
        std::size_t size = 0;
        const unsigned char* data = lockResource(findResource(name, "PNG"), size);
        if (data == nullptr) return false;
        if (decodePng(data, size, out, error)) return true;
        say("PNG resource %s: %s\n", name, error.c_str());
        return false;
    }
    std::vector<std::uint8_t> bytes;
    if (readFile(name, bytes, error) && decodePng(bytes.data(), bytes.size(), out, error)) return true;
    if (!error.empty()) say("%s: %s\n", name, error.c_str());
    return false;
}

int getObject(HGDIOBJ object, int size, void* out) {
    if (object == nullptr || out == nullptr || object->kind != GdiKind::Bitmap ||
        size < static_cast<int>(sizeof(BitmapDesc)))
        return 0;
    BitmapDesc d;
    d.bmWidth = object->view.width;
    d.bmHeight = object->view.height;
    d.bmWidthBytes = object->view.pitch;
    d.bmBitsPixel = static_cast<std::uint16_t>(bytesPerPixel(object->view.format) * 8);
    d.bmBits = object->view.pixels;
    *static_cast<BitmapDesc*>(out) = d;
    return static_cast<int>(sizeof(BitmapDesc));
}

bool stretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                std::uint32_t rop) {
    if (dst == nullptr || src == nullptr || rop != SRCCOPY) return false;
    const PixelView& dv = dst->view;
    const PixelView& sv = src->view;
    if (dv.pixels == nullptr || sv.pixels == nullptr) return false;
    if (w == 0 || h == 0 || sw == 0 || sh == 0) return true;

    const std::int64_t dw = w, dh = h, srcW = sw, srcH = sh;
    const std::int64_t nw = dw < 0 ? -dw : dw, nh = dh < 0 ? -dh : dh;
    const std::int64_t nsw = srcW < 0 ? -srcW : srcW, nsh = srcH < 0 ? -srcH : srcH;
    std::int64_t i0, i1, j0, j1;
    visibleRange(x, dw, dv.width, i0, i1);
    visibleRange(y, dh, dv.height, j0, j1);
    for (std::int64_t j = j0; j < j1; ++j) {
        const std::int64_t py = y + (dh > 0 ? j : -j);
        const std::int64_t qy = sy + (srcH > 0 ? 1 : -1) * (j * nsh / nh);
        if (qy < 0 || qy >= sv.height) continue;
        for (std::int64_t i = i0; i < i1; ++i) {
            const std::int64_t px = x + (dw > 0 ? i : -i);
            const std::int64_t qx = sx + (srcW > 0 ? 1 : -1) * (i * nsw / nw);
            if (qx < 0 || qx >= sv.width) continue;
            std::uint32_t raw = readPixel(sv, static_cast<int>(qx), static_cast<int>(qy));
            writePixel(dv, static_cast<int>(px), static_cast<int>(py), convertPixel(raw, sv.format, dv.format));
        }
    }
    return true;
}

bool bitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, std::uint32_t rop) {
    return stretchBlt(dst, x, y, w, h, src, sx, sy, w, h, rop);
}

}  // namespace platform
