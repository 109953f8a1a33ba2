// elDraw: bitmap and colour-key helpers (bitmaps into surfaces, colours into keys, palettes).
#include "framework/draw/bitmap_helpers.h"

#include <cstdio>
#include <cstring>

#include "platform/video/gdi_bitmap.h"
#include "platform/video/pixels.h"
#include "platform/files/bytes.h"
#include "platform/files/os.h"
#include "platform/files/resources.h"
#include "platform/window/system.h"

namespace elDraw {
namespace {

using namespace platform;

// The GDI's GetPixel and SetPixel at (0, 0) of a context, as COLORREF values.
std::uint32_t CornerColor(HDC dc) {
    if (dc->view.pixels == nullptr || dc->view.width < 1 || dc->view.height < 1) return CLR_INVALID;
    return pixelToColor(readPixel(dc->view, 0, 0), dc->view.format);
}

void SetCornerColor(HDC dc, std::uint32_t color) {
    if (dc->view.pixels == nullptr || dc->view.width < 1 || dc->view.height < 1 || color == CLR_INVALID)
        return;
    writePixel(dc->view, 0, 0, colorToPixel(color, dc->view.format));
}

HGDIOBJ FindBitmap(const char* name, int width, int height) {
    HGDIOBJ bitmap = loadImage(getModuleHandle(), name, IMAGE_BITMAP, width, height, LR_CREATEDIBSECTION);
    if (bitmap == nullptr)
        bitmap = loadImage(nullptr, name, IMAGE_BITMAP, width, height, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
    return bitmap;
}

// The colour count of a bitmap header: 0 unless it is an info header of 8 bits or fewer.
// More than 256 colours cannot be told apart by an 8-bit palette: the count is cut to 256.
std::uint32_t ColorCount(const std::uint8_t* header, bool exactInfoHeader) {
    std::uint32_t size = platform::readLe32(header);
    int bits = platform::readLe16(header + 14);
    if (size < 40 || (exactInfoHeader && size != 40) || bits > 8) return 0;
    std::uint32_t used = platform::readLe32(header + 32);
    std::uint32_t n = used != 0 ? used : (1u << bits);
    return n > 256 ? 256 : n;
}

// A new off-screen surface of that size in the display's format; null when it cannot be made.
Surface* NewOffScreen(DirectDraw* dd, int width, int height) {
    SurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.caps = DDSCAPS_OFFSCREENPLAIN;
    desc.width = width;
    desc.height = height;
    Surface* surface = nullptr;
    if (failed(dd->CreateSurface(&desc, &surface))) return nullptr;
    return surface;
}

}  // namespace

Surface* LoadBitmapSurface(DirectDraw* dd, const char* name, int width, int height) {
    if (dd == nullptr) return nullptr;
    const BitmapHandle bitmap(FindBitmap(name, width, height));
    return SurfaceFromBitmap(dd, bitmap.get());
}

Surface* SurfaceFromBitmap(DirectDraw* dd, HGDIOBJ bitmap, HResult* copied) {
    if (dd == nullptr || bitmap == nullptr) return nullptr;
    BitmapDesc bm;
    getObject(bitmap, sizeof bm, &bm);
    Surface* surface = NewOffScreen(dd, bm.bmWidth, bm.bmHeight);
    if (surface == nullptr) return nullptr;
    const HResult hr = CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    if (copied != nullptr) *copied = hr;
    return surface;
}

Surface* SurfaceFromPicture(DirectDraw* dd, const DecodedBitmap& picture, std::uint32_t clearColor) {
    if (dd == nullptr || picture.pixels.size() != static_cast<std::size_t>(picture.width) * picture.height)
        return nullptr;
    Surface* surface = NewOffScreen(dd, picture.width, picture.height);
    if (surface == nullptr) return nullptr;
    SurfaceDesc locked;
    if (failed(surface->Lock(nullptr, &locked, 0))) {
        surface->Release();
        return nullptr;
    }
    const PixelView view{static_cast<std::uint8_t*>(locked.surface), locked.width, locked.height, locked.pitch,
                         locked.format};
    const std::uint32_t clear = colorToPixel(clearColor, locked.format);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t c = picture.pixels[static_cast<std::size_t>(y) * picture.width + x];
            // 0xAARRGGBB to a COLORREF, 0x00BBGGRR.
            const std::uint32_t ref = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
            writePixel(view, x, y, (c >> 24) >= 128 ? colorToPixel(ref, locked.format) : clear);
        }
    surface->Unlock(nullptr);
    return surface;
}

HResult CopyBitmapToSurface(Surface* surface, HGDIOBJ bitmap, int x, int y, int w, int h) {
    if (bitmap == nullptr || surface == nullptr) return E_FAIL;
    surface->Restore();
    HDC memory = createCompatibleDC(nullptr);
    if (memory == nullptr) outputDebugString("createcompatible dc failed\n");
    if (memory != nullptr) selectObject(memory, bitmap);
    BitmapDesc bm;
    getObject(bitmap, sizeof bm, &bm);
    if (w == 0) w = bm.bmWidth;
    if (h == 0) h = bm.bmHeight;
    SurfaceDesc desc;
    desc.flags = DDSD_HEIGHT | DDSD_WIDTH;
    surface->GetSurfaceDesc(&desc);
    HDC dc = nullptr;
    HResult hr = surface->GetDC(&dc);
    if (!failed(hr)) {
        stretchBlt(dc, 0, 0, desc.width, desc.height, memory, x, y, w, h, SRCCOPY);
        surface->ReleaseDC(dc);
    }
    deleteDC(memory);
    return hr;
}

HResult ReloadBitmap(Surface* surface, const char* name) {
    const BitmapHandle bitmap(FindBitmap(name, 0, 0));
    if (bitmap == nullptr) {
        outputDebugString("handle is null\n");
        return E_FAIL;
    }
    HResult hr = CopyBitmapToSurface(surface, bitmap.get(), 0, 0, 0, 0);
    if (failed(hr)) outputDebugString("ddcopybitmap failed\n");
    return hr;
}

std::uint32_t MatchSurfaceColor(Surface* surface, std::uint32_t color) {
    std::uint32_t result = 0xFFFFFFFFu;
    if (surface == nullptr) return result;
    std::uint32_t saved = CLR_INVALID;
    HDC dc = nullptr;
    // Let the surface's own drawing turn the colour into a pixel, then read that pixel's bits.
    if (color != CornerKey && !failed(surface->GetDC(&dc))) {
        saved = CornerColor(dc);
        SetCornerColor(dc, color);
        surface->ReleaseDC(dc);
    }
    SurfaceDesc desc;
    HResult hr;
    while ((hr = surface->Lock(nullptr, &desc, 0)) == DDERR_WASSTILLDRAWING) {
    }
    if (!failed(hr)) {
        // Only the first pixel's bytes are read: the low bits-per-pixel bits of the first word.
        std::uint32_t word = 0;
        std::memcpy(&word, desc.surface, static_cast<std::size_t>(desc.bitsPerPixel / 8));
        result = word;
        surface->Unlock(nullptr);
    }
    if (color != CornerKey && !failed(surface->GetDC(&dc))) {
        SetCornerColor(dc, saved);
        surface->ReleaseDC(dc);
    }
    return result;
}

HResult SetSurfaceColorKey(Surface* surface, std::uint32_t color) {
    if (surface == nullptr) return E_FAIL;
    ColorKey key;
    key.low = key.high = MatchSurfaceColor(surface, color);
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

Palette* LoadBitmapPalette(DirectDraw* dd, const char* name) {
    PaletteEntry entries[256];
    for (int i = 0; i < 256; ++i) {
        entries[i].red = static_cast<std::uint8_t>(((i >> 5) & 7) * 255 / 7);
        entries[i].green = static_cast<std::uint8_t>(((i >> 2) & 7) * 255 / 7);
        entries[i].blue = static_cast<std::uint8_t>((i & 3) * 255 / 3);
        entries[i].flags = 0;
    }
    const ResourceEntry* resource = name != nullptr ? findResource(name, "BITMAP") : nullptr;
    if (resource != nullptr) {
        std::size_t size = 0;
        const std::uint8_t* header = lockResource(resource, size);
        if (header == nullptr) outputDebugString("lock resource failed\n");
        std::uint32_t n = header != nullptr && size >= 40 ? ColorCount(header, false) : 0;
        const std::uint64_t table = header != nullptr && size >= 40 ? platform::readLe32(header) : 0;
        // Entries that lie beyond the resource's bytes keep the default table.
        for (std::uint32_t i = 0; i < n && table + 4ull * i + 4 <= size; ++i) {
            const std::uint8_t* q = header + table + 4ull * i;
            entries[i].red = q[2];
            entries[i].green = q[1];
            entries[i].blue = q[0];
            entries[i].flags = 0;
        }
    } else if (name != nullptr) {
        if (std::FILE* f = platform::os::openFile(name, "rb")) {
            std::uint8_t head[14 + 40] = {};
            std::uint8_t table[1024] = {};
            std::size_t headRead = std::fread(head, 1, sizeof head, f);
            std::size_t tableRead = headRead == sizeof head ? std::fread(table, 1, sizeof table, f) : 0;
            std::fclose(f);
            std::uint32_t n = headRead == sizeof head ? ColorCount(head + 14, true) : 0;
            // Only the colours the file has and that were read replace the default entries.
            for (std::uint32_t i = 0; i < n && 4 * i + 4 <= tableRead; ++i) {
                entries[i].red = table[4 * i + 2];
                entries[i].green = table[4 * i + 1];
                entries[i].blue = table[4 * i];
                entries[i].flags = 0;
            }
        }
    }
    if (dd == nullptr) return nullptr;
    Palette* palette = nullptr;
    if (failed(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette))) return nullptr;
    return palette;
}

}  // namespace elDraw
