// Platform: the display object and its software surfaces, shaped after the classic display
// interface the framework was written against (result codes and flags keep their numbers).
#pragma once
#include <cstdint>

#include "platform/video/gdi.h"
#include "platform/video/pixels.h"
#include "platform/window/system.h"
#include "platform/window/window.h"

namespace platform {

// ---------------------------------------------------------------- result codes

using HResult = std::int32_t;
constexpr HResult hresult(std::uint32_t bits) { return static_cast<HResult>(bits); }

constexpr HResult DD_OK = 0;
constexpr HResult E_FAIL = hresult(0x80004005u);
constexpr HResult E_NOTIMPL = hresult(0x80004001u);
constexpr HResult E_OUTOFMEMORY = hresult(0x8007000Eu);
constexpr HResult E_INVALIDARG = hresult(0x80070057u);
constexpr HResult DDERR_GENERIC = E_FAIL;
constexpr HResult DDERR_UNSUPPORTED = E_NOTIMPL;
constexpr HResult DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HResult DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HResult DDERR_INVALIDMODE = hresult(0x88760050u);
constexpr HResult DDERR_INVALIDCAPS = hresult(0x88760064u);
constexpr HResult DDERR_INVALIDOBJECT = hresult(0x88760082u);
constexpr HResult DDERR_INVALIDPIXELFORMAT = hresult(0x88760091u);
constexpr HResult DDERR_INVALIDRECT = hresult(0x88760096u);
constexpr HResult DDERR_NOCOLORKEY = hresult(0x887600D7u);
constexpr HResult DDERR_NOEXCLUSIVEMODE = hresult(0x887600E1u);
constexpr HResult DDERR_NOTFOUND = hresult(0x887600FFu);
constexpr HResult DDERR_SURFACEBUSY = hresult(0x887601AEu);
constexpr HResult DDERR_SURFACELOST = hresult(0x887601C2u);
constexpr HResult DDERR_WASSTILLDRAWING = hresult(0x8876021Cu);
constexpr HResult DDERR_PRIMARYSURFACEALREADYEXISTS = hresult(0x88760234u);
constexpr HResult DDERR_CANTCREATEDC = hresult(0x88760245u);
constexpr HResult DDERR_NOTFLIPPABLE = hresult(0x88760246u);
constexpr HResult DDERR_NOTLOCKED = hresult(0x88760248u);
constexpr HResult DDERR_DCALREADYCREATED = hresult(0x8876026Cu);

constexpr bool failed(HResult r) { return r < 0; }

// ---------------------------------------------------------------- flags

constexpr std::uint32_t DDSD_CAPS = 0x1;
constexpr std::uint32_t DDSD_HEIGHT = 0x2;
constexpr std::uint32_t DDSD_WIDTH = 0x4;
constexpr std::uint32_t DDSD_PITCH = 0x8;
constexpr std::uint32_t DDSD_BACKBUFFERCOUNT = 0x20;
constexpr std::uint32_t DDSD_LPSURFACE = 0x800;
constexpr std::uint32_t DDSD_PIXELFORMAT = 0x1000;

constexpr std::uint32_t DDSCAPS_BACKBUFFER = 0x4;
constexpr std::uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr std::uint32_t DDSCAPS_FLIP = 0x10;
constexpr std::uint32_t DDSCAPS_FRONTBUFFER = 0x20;
constexpr std::uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr std::uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr std::uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr std::uint32_t DDSCAPS_3DDEVICE = 0x2000;
constexpr std::uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;

constexpr std::uint32_t DDBLTFAST_NOCOLORKEY = 0x0;
constexpr std::uint32_t DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr std::uint32_t DDBLTFAST_DESTCOLORKEY = 0x2;
constexpr std::uint32_t DDBLTFAST_WAIT = 0x10;

constexpr std::uint32_t DDBLT_COLORFILL = 0x400;
constexpr std::uint32_t DDBLT_KEYSRC = 0x8000;
constexpr std::uint32_t DDBLT_WAIT = 0x1000000;

constexpr std::uint32_t DDCKEY_DESTBLT = 0x2;
constexpr std::uint32_t DDCKEY_SRCBLT = 0x8;

constexpr std::uint32_t DDFLIP_WAIT = 0x1;
constexpr std::uint32_t DDLOCK_WAIT = 0x1;

constexpr std::uint32_t DDSCL_FULLSCREEN = 0x1;
constexpr std::uint32_t DDSCL_ALLOWREBOOT = 0x2;
constexpr std::uint32_t DDSCL_NORMAL = 0x8;
constexpr std::uint32_t DDSCL_EXCLUSIVE = 0x10;

constexpr std::uint32_t DDCAPS_3D = 0x1;
constexpr std::uint32_t DDPCAPS_8BIT = 0x4;

// The largest surface side and the most pixels one surface may hold (a 64 MB 32-bit surface).
constexpr int kMaxSurfaceSide = 16384;
constexpr std::int64_t kMaxSurfacePixels = 16 * 1024 * 1024;

// ---------------------------------------------------------------- records

struct ColorKey {
    std::uint32_t low = 0;    // a raw pixel value of the surface; low = high for a single colour
    std::uint32_t high = 0;
};

struct SurfaceDesc {
    std::uint32_t flags = 0;          // DDSD_*: which members are meant
    int width = 0;
    int height = 0;
    int pitch = 0;                    // bytes from one row to the next (filled in by the surface)
    int backBufferCount = 0;
    void* surface = nullptr;          // Lock: the first pixel of the locked rectangle
    std::uint32_t caps = 0;           // DDSCAPS_*
    PixelFormat format = PixelFormat::XRGB8888;
    int bitsPerPixel = 0;
};

struct BltFx {
    std::uint32_t size = sizeof(BltFx);
    std::uint32_t fillColor = 0;      // DDBLT_COLORFILL: a raw pixel value, cut to the format's bits
};

// The driver capability record in its 316-byte form.
struct DDCaps {
    std::uint32_t size = 0;           // must be 316
    std::uint32_t caps = 0;           // DDCAPS_*
    std::uint8_t rest[308] = {};
};
static_assert(sizeof(DDCaps) == 316, "the capability record is 316 bytes");

struct PaletteEntry {
    std::uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

struct Guid {
    std::uint8_t bytes[16] = {};
};

// ---------------------------------------------------------------- surfaces

class DirectDraw;

// A rectangle of pixels in memory. Every operation checks its rectangles against the surface and
// never reads or writes outside it; a lost surface answers DDERR_SURFACELOST until Restore.
class Surface {
public:
    // Copies a rectangle of `source` (nullptr rect: all of it) to (x, y). DDBLTFAST_SRCCOLORKEY
    // leaves the pixels that equal the source's key untouched. A rectangle that does not lie
    // inside both surfaces answers DDERR_INVALIDRECT and changes nothing; an empty one does
    // nothing and succeeds. Called by the framework's sprite blits, the presentation and grabs.
    HResult BltFast(int x, int y, Surface* source, const Rect* sourceRect, std::uint32_t flags);
    // DDBLT_COLORFILL fills destRect (nullptr: all) with fx->fillColor; with a source, copies a
    // rectangle of the same size (DDBLT_KEYSRC: with the source's key). No stretching.
    HResult Blt(const Rect* destRect, Surface* source, const Rect* sourceRect, std::uint32_t flags,
                const BltFx* fx);
    // Direct access to the pixels: desc->surface points at the rectangle's first pixel and
    // desc->pitch gives the row distance. Called by the colour-key helper and effects.
    HResult Lock(const Rect* rect, SurfaceDesc* desc, std::uint32_t flags);
    HResult Unlock(void* rect = nullptr);
    // A device context whose view is the surface's pixels, for the GDI-style operations; one at a
    // time per surface, returned with ReleaseDC.
    HResult GetDC(HDC* dc);
    HResult ReleaseDC(HDC dc);
    // Source key only (DDCKEY_SRCBLT); a null key removes it.
    HResult SetColorKey(std::uint32_t flags, const ColorKey* key);
    HResult GetColorKey(std::uint32_t flags, ColorKey* key);
    HResult IsLost() const;
    // Gives a lost surface its memory back: same size and format, content cleared to 0.
    HResult Restore();
    // Front of a flip chain only: exchanges the pictures of the front and back buffers and shows
    // the new front picture. The target must be null (one back buffer).
    HResult Flip(Surface* target, std::uint32_t flags);
    HResult GetSurfaceDesc(SurfaceDesc* desc);
    // The back buffer of a flip chain (DDSCAPS_BACKBUFFER). It belongs to the chain: releasing
    // the front buffer releases it too.
    HResult GetAttachedSurface(std::uint32_t caps, Surface** out);
    // Frees the surface (a front buffer with its back buffer). Returns 0.
    std::uint32_t Release();

    // The visible pixels (the desktop area of the primary surface), for tests and the platform.
    PixelView view() const;
    int width() const { return width_; }
    int height() const { return height_; }
    PixelFormat format() const { return format_; }
    bool isPrimary() const { return primary_; }

private:
    friend class DirectDraw;
    friend bool readDesktop(int, int, int, int, std::uint32_t*);
    friend void loseAllSurfaces();
    // How far the memory reaches beyond each edge (the primary's, around the desktop).
    struct Reach {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    // nullptr when the memory cannot be had.
    static Surface* make(int width, int height, PixelFormat format, Reach reach, std::uint32_t caps);
    Surface() = default;
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool inside(const Rect& r) const;
    std::uint8_t* at(int x, int y) const;
    PixelView storeView() const;
    void changed() const;

    int width_ = 0, height_ = 0;
    Reach reach_;                     // the primary reaches beyond the desktop's edges
    int pitch_ = 0;
    PixelFormat format_ = PixelFormat::XRGB8888;
    std::uint8_t* store_ = nullptr;
    std::size_t storeSize_ = 0;
    std::uint32_t caps_ = 0;
    bool primary_ = false;
    bool lost_ = false;
    bool hasKey_ = false;
    ColorKey key_;
    int locks_ = 0;
    bool dcOut_ = false;
    DeviceContext dc_;
    Surface* back_ = nullptr;         // the attached back buffer of a flip chain
    Surface* front_ = nullptr;        // for a back buffer: its front buffer
};

// ---------------------------------------------------------------- the display object

class Palette {
public:
    PaletteEntry entries[256];
    std::uint32_t Release();
};

class DirectDraw {
public:
    // Both records must be 316 bytes (size member set); the software driver has no 3D caps.
    HResult GetCaps(DDCaps* driver, DDCaps* emulation);
    // DDSCL_NORMAL (windowed: the primary is the desktop) or DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN
    // (the window covers a screen of the display mode's size).
    HResult SetCooperativeLevel(WindowId window, std::uint32_t flags);
    // Width, height and 16, 24 or 32 bits per pixel; the backend may refuse a mode.
    HResult SetDisplayMode(int width, int height, int bitsPerPixel);
    // DDSCAPS_PRIMARYSURFACE (with DDSCAPS_FLIP | DDSCAPS_COMPLEX and one back buffer in full
    // screen), or DDSCAPS_OFFSCREENPLAIN with DDSD_WIDTH and DDSD_HEIGHT; in the display's format.
    HResult CreateSurface(const SurfaceDesc* desc, Surface** out);
    HResult CreatePalette(std::uint32_t flags, const PaletteEntry* entries, Palette** out);
    // Shows the desktop surface (called before a message box, so that it can be seen).
    HResult FlipToGDISurface();
    // Surfaces made by the object are plain memory: they stay usable until they are released.
    std::uint32_t Release();

    PixelFormat format() const;

private:
    friend HResult directDrawCreate(const Guid*, DirectDraw**);
    DirectDraw() = default;
    ~DirectDraw() = default;
    bool fullScreen_ = false;
    bool modeSet_ = false;
    int modeWidth_ = 0, modeHeight_ = 0, modeBits_ = 0;
};

// Called by the display set-up: lists the drivers. The backend's one driver is the primary
// display driver, reported with a null GUID. The callback answers false to stop.
using DDEnumCallback = bool (*)(const Guid* guid, const char* description, const char* name,
                                void* context);
HResult directDrawEnumerate(DDEnumCallback callback, void* context);
// Null GUID: the primary display driver; any other GUID names no driver here.
HResult directDrawCreate(const Guid* guid, DirectDraw** out);

// ---------------------------------------------------------------- for the backends and tests

// Called by the backends when the device holding the pictures was lost (SDL renderer reset) and
// by the headless script's lose-surfaces: every surface answers DDERR_SURFACELOST until restored.
void loseAllSurfaces();
// Called by the backends to show the picture: copies the screen rectangle (x, y, width, height)
// of the primary surface as 0x00RRGGBB words (row after row, `width` words each) into out, black
// where the primary does not reach. False when there is no primary surface.
bool readDesktop(int x, int y, int width, int height, std::uint32_t* out);
// The primary's screen: true in full screen (with the display mode's size), false windowed or
// without a primary.
bool desktopIsFullScreen(int& width, int& height);
// Tests: every Flip answers `code` while it is not DD_OK, as a driver in trouble would.
void injectFlipFailure(HResult code);
// Tests: how many surfaces exist (a released display leaves none behind).
int liveSurfaceCount();

}  // namespace platform
