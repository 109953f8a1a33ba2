// Platform: GDI-style bitmaps: loading a picture from a bitmap resource or a BMP file, asking
// for its size, and copying between device contexts with or without stretching.
#pragma once
#include <cstdint>

#include "platform/files/bmp.h"
#include "platform/video/gdi.h"

namespace platform {

constexpr unsigned IMAGE_BITMAP = 0;
constexpr unsigned LR_LOADFROMFILE = 0x10;
constexpr unsigned LR_CREATEDIBSECTION = 0x2000;
constexpr std::uint32_t SRCCOPY = 0x00CC0020;

// Stands for the executable's own module, where its resources are.
using HINSTANCE = const void*;
HINSTANCE getModuleHandle();

// The bitmap record GetObject fills in.
struct BitmapDesc {
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 1;
    std::uint16_t bmBitsPixel = 32;
    void* bmBits = nullptr;
};

// Called by the bitmap helpers. With the module: the bitmap resource `name`; with no module and
// LR_LOADFROMFILE: the BMP file at the path `name`. width and height 0 keep the picture's own
// size, anything else scales it. Returns a bitmap object (32-bit pixels) to be freed with
// deleteObject, or nullptr when there is no such bitmap; a file or resource that is there but
// malformed is also named with its reason on standard error.
HGDIOBJ loadImage(HINSTANCE instance, const char* name, unsigned type, int width, int height,
                  unsigned flags);

// Called by the object table for PNG pictures. With the module: the resource `name` of type
// "PNG" (its bytes a whole PNG file); with no module: the PNG file at the path `name`. Fills
// `out` with 0xAARRGGBB pixels (see decodePng) and answers true; false when there is no such
// resource or file, or when it is malformed, which is also named with its reason on standard
// error.
bool loadPngPicture(HINSTANCE instance, const char* name, DecodedBitmap& out);

// Fills in a BitmapDesc for a bitmap object; returns the bytes written, 0 for anything else or
// a size too small.
int getObject(HGDIOBJ object, int size, void* out);

// Copies the source rectangle (sx, sy, sw, sh) of src onto the destination rectangle
// (x, y, w, h) of dst, scaling by nearest pixel. A negative extent runs from its origin to the
// left (or up), origin included, and so mirrors the picture. Pixels outside either context are
// left out; nothing is read or written outside them. Only SRCCOPY. False for a bad call.
bool stretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                std::uint32_t rop);
// The same without scaling.
bool bitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, std::uint32_t rop);

}  // namespace platform
