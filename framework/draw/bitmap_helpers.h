// elDraw: the helpers beneath the object table: bitmaps into surfaces, colours into colour keys,
// and a palette from a bitmap. They never show a box; they report through their result.
#pragma once
#include <cstdint>
#include <memory>

#include "platform/files/bmp.h"
#include "platform/video/gdi.h"
#include "platform/video/surface.h"

namespace elDraw {

// A bitmap handle from loadImage, deleted when it goes out of scope.
struct BitmapDelete {
    void operator()(platform::GdiObject* bitmap) const { platform::deleteObject(bitmap); }
};
using BitmapHandle = std::unique_ptr<platform::GdiObject, BitmapDelete>;

// Asks for a colour key taken from the surface's own top-left pixel (the GDI's invalid colour).
constexpr std::uint32_t CornerKey = 0xFFFFFFFFu;

// A bitmap resource, else a BMP file, of that name in a new off-screen surface of its size
// (width, height 0: the bitmap's own; anything else scales it). Null when there is none.
platform::Surface* LoadBitmapSurface(platform::DirectDraw* dd, const char* name, int width, int height);
// A new off-screen surface of the bitmap's size with the bitmap copied onto it; null when there
// is no bitmap or the surface cannot be made. The copy's result goes to `copied` (when given):
// a surface is returned even when the copy failed.
platform::Surface* SurfaceFromBitmap(platform::DirectDraw* dd, platform::HGDIOBJ bitmap,
                                     platform::HResult* copied = nullptr);
// Stretches the bitmap's rectangle (x, y, w, h; w, h 0: the bitmap's size) over the whole
// surface. Returns the surface's GetDC result, E_FAIL for a null argument.
platform::HResult CopyBitmapToSurface(platform::Surface* surface, platform::HGDIOBJ bitmap, int x,
                                      int y, int w, int h);
// A new off-screen surface holding a decoded PNG picture (0xAARRGGBB): the pixels of alpha 128
// and more in their colour, the others in `clearColor` (a COLORREF), so that a colour key of
// that colour leaves them out. Null when the surface cannot be made or filled.
platform::Surface* SurfaceFromPicture(platform::DirectDraw* dd, const platform::DecodedBitmap& picture,
                                      std::uint32_t clearColor);
// Copies the named bitmap over an existing surface.
platform::HResult ReloadBitmap(platform::Surface* surface, const char* name);
// The surface's raw pixel value for a COLORREF (CornerKey: its top-left pixel's value);
// 0xFFFFFFFF when the surface cannot be locked.
std::uint32_t MatchSurfaceColor(platform::Surface* surface, std::uint32_t color);
// Makes that value the surface's source colour key.
platform::HResult SetSurfaceColorKey(platform::Surface* surface, std::uint32_t color);
// A 256-entry palette from the colour table of a bitmap resource or BMP file, over a default
// 3-3-2 table. Null when the palette cannot be made.
platform::Palette* LoadBitmapPalette(platform::DirectDraw* dd, const char* name);

}  // namespace elDraw
