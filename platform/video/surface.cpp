// Platform: software surfaces and the display object. Every surface is plain memory; the
// primary surface stands for the desktop, and the backend shows the part of it under the window
// (or all of it in full screen) whenever it changes.
#include "platform/video/surface.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/backend.h"
#include "platform/video/blit.h"
#include "platform/video/desktop_area.h"

namespace platform {
namespace {

struct SurfaceRegistry {
    std::vector<Surface*> live;
    Surface* primary = nullptr;
    bool primaryFullScreen = false;
    DirectDraw* modeOwner = nullptr;   // the display object whose display mode is in force
    HResult flipFailure = DD_OK;
};

SurfaceRegistry registry;

PixelFormat formatForDepth(int bits) {
    if (bits == 16) return PixelFormat::RGB565;
    if (bits == 24) return PixelFormat::RGB888;
    return PixelFormat::XRGB8888;
}

// A raw pixel as 0x00RRGGBB.
std::uint32_t pixelToRgb(std::uint32_t raw, PixelFormat format) {
    if (format != PixelFormat::RGB565) return raw & 0x00FFFFFFu;
    std::uint32_t c = pixelToColor(raw, format);   // 0x00BBGGRR
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

bool validRect(const Rect& r) { return r.left <= r.right && r.top <= r.bottom; }

}  // namespace

// ---------------------------------------------------------------- surface memory

Surface* Surface::make(int width, int height, PixelFormat format, Reach reach, std::uint32_t caps) {
    const int bpp = bytesPerPixel(format);
    const std::int64_t storeW = static_cast<std::int64_t>(width) + reach.left + reach.right;
    const std::int64_t storeH = static_cast<std::int64_t>(height) + reach.top + reach.bottom;
    // Rows start on 16-byte boundaries.
    const std::int64_t pitch = (storeW * bpp + 15) / 16 * 16;
    const std::int64_t size = pitch * storeH;
    // Zeroed by the system page by page as they are first touched: the windowed primary covers
    // the whole desktop and beyond, of which a program draws only its window's part.
    auto* store = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(std::max<std::int64_t>(size, 1)), 1));
    if (store == nullptr) return nullptr;
    auto* s = new (std::nothrow) Surface;
    if (s == nullptr) {
        std::free(store);
        return nullptr;
    }
    s->width_ = width;
    s->height_ = height;
    s->reach_ = reach;
    s->pitch_ = static_cast<int>(pitch);
    s->format_ = format;
    s->store_ = store;
    s->storeSize_ = static_cast<std::size_t>(size);
    s->caps_ = caps;
    registry.live.push_back(s);
    return s;
}

Surface::~Surface() {
    std::free(store_);
    registry.live.erase(std::remove(registry.live.begin(), registry.live.end(), this),
                        registry.live.end());
    if (registry.primary == this) registry.primary = nullptr;
}

bool Surface::inside(const Rect& r) const {
    return validRect(r) && r.left >= -reach_.left && r.top >= -reach_.top &&
           static_cast<std::int64_t>(r.right) <= static_cast<std::int64_t>(width_) + reach_.right &&
           static_cast<std::int64_t>(r.bottom) <= static_cast<std::int64_t>(height_) + reach_.bottom;
}

std::uint8_t* Surface::at(int x, int y) const {
    return store_ + (static_cast<std::ptrdiff_t>(y) + reach_.top) * pitch_ +
           (static_cast<std::ptrdiff_t>(x) + reach_.left) * bytesPerPixel(format_);
}

PixelView Surface::storeView() const {
    return PixelView{store_, width_ + reach_.left + reach_.right, height_ + reach_.top + reach_.bottom,
                     pitch_, format_};
}

PixelView Surface::view() const { return PixelView{at(0, 0), width_, height_, pitch_, format_}; }

void Surface::changed() const {
    if (primary_) backend::presentPrimary();
}

// ---------------------------------------------------------------- blits

HResult Surface::BltFast(int x, int y, Surface* source, const Rect* sourceRect, std::uint32_t flags) {
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    if (lost_ || source->lost_) return DDERR_SURFACELOST;
    if (source->format_ != format_) return DDERR_INVALIDPIXELFORMAT;
    if (flags & DDBLTFAST_DESTCOLORKEY) return DDERR_UNSUPPORTED;
    Rect sr = sourceRect != nullptr ? *sourceRect : Rect{0, 0, source->width_, source->height_};
    if (!source->inside(sr)) return DDERR_INVALIDRECT;
    const std::int64_t w = static_cast<std::int64_t>(sr.right) - sr.left;
    const std::int64_t h = static_cast<std::int64_t>(sr.bottom) - sr.top;
    // The destination is checked in 64 bits: x + w may lie beyond the range of int.
    if (x < -reach_.left || y < -reach_.top || x + w > static_cast<std::int64_t>(width_) + reach_.right ||
        y + h > static_cast<std::int64_t>(height_) + reach_.bottom)
        return DDERR_INVALIDRECT;
    if (w == 0 || h == 0) return DD_OK;

    const PixelView dst = storeView(), src = source->storeView();
    const int dx = x + reach_.left, dy = y + reach_.top;
    const int sx = sr.left + source->reach_.left, sy = sr.top + source->reach_.top;
    const int iw = static_cast<int>(w), ih = static_cast<int>(h);
    const bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) != 0 && source->hasKey_;
    if (!keyed) {
        blitOpaque(dst, dx, dy, src, sx, sy, iw, ih);
    } else if (source == this && dx < sx + iw && sx < dx + iw && dy < sy + ih && sy < dy + ih) {
        // A keyed copy within one surface whose rectangles overlap goes through a copy of the
        // source, so that no pixel is read after it was written.
        const int bpp = bytesPerPixel(format_);
        std::vector<std::uint8_t> copy(static_cast<std::size_t>(iw) * bpp * ih);
        PixelView tmp{copy.data(), iw, ih, iw * bpp, format_};
        blitOpaque(tmp, 0, 0, src, sx, sy, iw, ih);
        blitKeyed(dst, dx, dy, tmp, 0, 0, iw, ih, source->key_.low);
    } else {
        blitKeyed(dst, dx, dy, src, sx, sy, iw, ih, source->key_.low);
    }
    changed();
    return DD_OK;
}

HResult Surface::Blt(const Rect* destRect, Surface* source, const Rect* sourceRect,
                     std::uint32_t flags, const BltFx* fx) {
    if (lost_ || (source != nullptr && source->lost_)) return DDERR_SURFACELOST;
    Rect dr = destRect != nullptr ? *destRect : Rect{0, 0, width_, height_};
    if (flags & DDBLT_COLORFILL) {
        if (fx == nullptr || fx->size != sizeof(BltFx)) return DDERR_INVALIDPARAMS;
        if (!inside(dr)) return DDERR_INVALIDRECT;
        if (dr.right > dr.left && dr.bottom > dr.top)
            fillRect(storeView(), dr.left + reach_.left, dr.top + reach_.top, dr.right - dr.left,
                     dr.bottom - dr.top, fx->fillColor);
        changed();
        return DD_OK;
    }
    if (source == nullptr) return DDERR_INVALIDPARAMS;
    Rect sr = sourceRect != nullptr ? *sourceRect : Rect{0, 0, source->width_, source->height_};
    if (!validRect(dr) || !validRect(sr)) return DDERR_INVALIDRECT;
    if (static_cast<std::int64_t>(dr.right) - dr.left != static_cast<std::int64_t>(sr.right) - sr.left ||
        static_cast<std::int64_t>(dr.bottom) - dr.top != static_cast<std::int64_t>(sr.bottom) - sr.top)
        return DDERR_UNSUPPORTED;   // no stretching
    return BltFast(dr.left, dr.top, source, &sr,
                   (flags & DDBLT_KEYSRC) ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY);
}

// ---------------------------------------------------------------- direct access

HResult Surface::Lock(const Rect* rect, SurfaceDesc* desc, std::uint32_t) {
    if (desc == nullptr) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    Rect r = rect != nullptr ? *rect : Rect{0, 0, width_, height_};
    if (!inside(r)) return DDERR_INVALIDRECT;
    desc->flags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT | DDSD_CAPS;
    desc->width = r.right - r.left;
    desc->height = r.bottom - r.top;
    desc->pitch = pitch_;
    desc->surface = at(r.left, r.top);
    desc->caps = caps_;
    desc->format = format_;
    desc->bitsPerPixel = bytesPerPixel(format_) * 8;
    ++locks_;
    return DD_OK;
}

HResult Surface::Unlock(void*) {
    if (locks_ == 0) return DDERR_NOTLOCKED;
    --locks_;
    changed();
    return DD_OK;
}

HResult Surface::GetDC(HDC* dc) {
    if (dc == nullptr) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    if (dcOut_) return DDERR_DCALREADYCREATED;
    dc_ = DeviceContext{};
    dc_.view = view();
    dc_.surface = this;
    dcOut_ = true;
    *dc = &dc_;
    return DD_OK;
}

HResult Surface::ReleaseDC(HDC dc) {
    if (!dcOut_ || dc != &dc_) return DDERR_INVALIDPARAMS;
    dcOut_ = false;
    changed();
    return DD_OK;
}

// ---------------------------------------------------------------- keys, loss, description

HResult Surface::SetColorKey(std::uint32_t flags, const ColorKey* key) {
    if ((flags & DDCKEY_SRCBLT) == 0) return DDERR_UNSUPPORTED;
    if (key == nullptr) {
        hasKey_ = false;
        return DD_OK;
    }
    // The key is compared with the colour bits of a pixel, so it is kept in the same bits.
    key_.low = key->low & colorBits(format_);
    key_.high = key->high & colorBits(format_);
    hasKey_ = true;
    return DD_OK;
}

HResult Surface::GetColorKey(std::uint32_t flags, ColorKey* key) {
    if (key == nullptr) return DDERR_INVALIDPARAMS;
    if ((flags & DDCKEY_SRCBLT) == 0) return DDERR_UNSUPPORTED;
    if (!hasKey_) return DDERR_NOCOLORKEY;
    *key = key_;
    return DD_OK;
}

HResult Surface::IsLost() const { return lost_ ? DDERR_SURFACELOST : DD_OK; }

HResult Surface::Restore() {
    if (lost_) {
        std::memset(store_, 0, storeSize_);
        lost_ = false;
    }
    if (back_ != nullptr) back_->Restore();
    return DD_OK;
}

HResult Surface::Flip(Surface* target, std::uint32_t) {
    if (back_ == nullptr) return DDERR_NOTFLIPPABLE;
    if (target != nullptr && target != back_) return DDERR_INVALIDPARAMS;
    if (registry.flipFailure != DD_OK) return registry.flipFailure;
    if (lost_ || back_->lost_) return DDERR_SURFACELOST;
    // The pictures change places; the surface objects stay what they are.
    std::swap(store_, back_->store_);
    changed();
    return DD_OK;
}

HResult Surface::GetSurfaceDesc(SurfaceDesc* desc) {
    if (desc == nullptr) return DDERR_INVALIDPARAMS;
    desc->flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->width = width_;
    desc->height = height_;
    desc->pitch = pitch_;
    desc->caps = caps_;
    desc->format = format_;
    desc->bitsPerPixel = bytesPerPixel(format_) * 8;
    desc->surface = nullptr;
    desc->backBufferCount = back_ != nullptr ? 1 : 0;
    if (back_ != nullptr) desc->flags |= DDSD_BACKBUFFERCOUNT;
    return DD_OK;
}

HResult Surface::GetAttachedSurface(std::uint32_t caps, Surface** out) {
    if (out == nullptr) return DDERR_INVALIDPARAMS;
    if ((caps & DDSCAPS_BACKBUFFER) == 0 || back_ == nullptr) return DDERR_NOTFOUND;
    *out = back_;
    return DD_OK;
}

std::uint32_t Surface::Release() {
    // A back buffer lives and dies with its front buffer.
    if (front_ != nullptr) return 0;
    delete back_;
    delete this;
    return 0;
}

std::uint32_t Palette::Release() {
    delete this;
    return 0;
}

// ---------------------------------------------------------------- the display object

HResult DirectDraw::GetCaps(DDCaps* driver, DDCaps* emulation) {
    if ((driver != nullptr && driver->size != sizeof(DDCaps)) ||
        (emulation != nullptr && emulation->size != sizeof(DDCaps)))
        return DDERR_INVALIDPARAMS;
    // A software driver: blits, fills and colour keys, no 3D.
    if (driver != nullptr) driver->caps = 0;
    if (emulation != nullptr) emulation->caps = 0;
    return DD_OK;
}

HResult DirectDraw::SetCooperativeLevel(WindowId window, std::uint32_t flags) {
    const std::uint32_t exclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
    if ((flags & exclusive) == exclusive) {
        if (window == 0 || window != mainWindow()) return DDERR_INVALIDPARAMS;
        fullScreen_ = true;
        return DD_OK;
    }
    if ((flags & (DDSCL_NORMAL | exclusive)) == DDSCL_NORMAL) {
        fullScreen_ = false;
        return DD_OK;
    }
    return DDERR_INVALIDPARAMS;
}

HResult DirectDraw::SetDisplayMode(int width, int height, int bitsPerPixel) {
    if (width < 1 || height < 1 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32))
        return DDERR_INVALIDMODE;
    if (!backend::setDisplayMode(width, height, bitsPerPixel)) return DDERR_INVALIDMODE;
    modeSet_ = true;
    modeWidth_ = width;
    modeHeight_ = height;
    modeBits_ = bitsPerPixel;
    registry.modeOwner = this;
    return DD_OK;
}

PixelFormat DirectDraw::format() const {
    return formatForDepth(modeSet_ ? modeBits_ : getColorDepth());
}

HResult DirectDraw::CreateSurface(const SurfaceDesc* desc, Surface** out) {
    if (desc == nullptr || out == nullptr) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if ((desc->flags & DDSD_CAPS) == 0) return DDERR_INVALIDCAPS;
    const std::uint32_t caps = desc->caps;
    const PixelFormat fmt = format();

    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if (registry.primary != nullptr) return DDERR_PRIMARYSURFACEALREADYEXISTS;
        int w = modeSet_ ? modeWidth_ : backend::screenWidth();
        int h = modeSet_ ? modeHeight_ : backend::screenHeight();
        if (w < 1 || h < 1 || w > kMaxSurfaceSide || h > kMaxSurfaceSide) return DDERR_INVALIDMODE;
        const bool flip = (caps & DDSCAPS_FLIP) != 0;
        if (flip) {
            if ((caps & DDSCAPS_COMPLEX) == 0 || (desc->flags & DDSD_BACKBUFFERCOUNT) == 0 ||
                desc->backBufferCount != 1)
                return DDERR_INVALIDCAPS;
            if (!fullScreen_) return DDERR_NOEXCLUSIVEMODE;
        }
        // Windowed, the desktop covers every display and reaches a window's size beyond their
        // edges, so that a window dragged partly off the screen still gets its whole picture.
        Surface::Reach reach;
        if (!fullScreen_) {
            int cw = 0, ch = 0;
            clientSize(mainWindow(), cw, ch);
            const Rect area = desktopArea();
            const int l = area.left, t = area.top, r = area.right, b = area.bottom;
            auto within = [](std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, 0, kMaxSurfaceSide)); };
            reach.left = within(static_cast<std::int64_t>(cw) - l);
            reach.top = within(static_cast<std::int64_t>(ch) - t);
            reach.right = within(static_cast<std::int64_t>(r) - w + cw);
            reach.bottom = within(static_cast<std::int64_t>(b) - h + ch);
        }
        Surface* front = Surface::make(w, h, fmt, reach, caps | DDSCAPS_FRONTBUFFER);
        if (front == nullptr) return DDERR_OUTOFMEMORY;
        front->primary_ = true;
        if (flip) {
            Surface* back = Surface::make(w, h, fmt, Surface::Reach{},
                                          (caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) |
                                              DDSCAPS_BACKBUFFER);
            if (back == nullptr) {
                front->Release();
                return DDERR_OUTOFMEMORY;
            }
            front->back_ = back;
            back->front_ = front;
        }
        registry.primary = front;
        registry.primaryFullScreen = fullScreen_;
        *out = front;
        front->changed();
        return DD_OK;
    }

    if (caps & DDSCAPS_OFFSCREENPLAIN) {
        if ((desc->flags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT))
            return DDERR_INVALIDPARAMS;
        const int w = desc->width, h = desc->height;
        if (w < 1 || h < 1 || w > kMaxSurfaceSide || h > kMaxSurfaceSide ||
            static_cast<std::int64_t>(w) * h > kMaxSurfacePixels)
            return DDERR_INVALIDPARAMS;
        Surface* s = Surface::make(w, h, fmt, Surface::Reach{}, caps);
        if (s == nullptr) return DDERR_OUTOFMEMORY;
        *out = s;
        return DD_OK;
    }
    return DDERR_INVALIDCAPS;
}

HResult DirectDraw::CreatePalette(std::uint32_t flags, const PaletteEntry* entries, Palette** out) {
    if (out == nullptr || entries == nullptr || (flags & DDPCAPS_8BIT) == 0)
        return DDERR_INVALIDPARAMS;
    auto* p = new (std::nothrow) Palette;
    if (p == nullptr) return DDERR_OUTOFMEMORY;
    std::copy(entries, entries + 256, p->entries);
    *out = p;
    return DD_OK;
}

HResult DirectDraw::FlipToGDISurface() {
    if (registry.primary != nullptr) registry.primary->changed();
    return DD_OK;
}

std::uint32_t DirectDraw::Release() {
    if (registry.modeOwner == this) {
        backend::restoreDisplayMode();
        registry.modeOwner = nullptr;
    }
    delete this;
    return 0;
}

HResult directDrawEnumerate(DDEnumCallback callback, void* context) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    callback(nullptr, "Primary Display Driver", "display", context);
    return DD_OK;
}

HResult directDrawCreate(const Guid* guid, DirectDraw** out) {
    if (out == nullptr) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (guid != nullptr) return DDERR_INVALIDPARAMS;   // the one driver has no GUID
    *out = new (std::nothrow) DirectDraw;
    return *out != nullptr ? DD_OK : DDERR_OUTOFMEMORY;
}

// ---------------------------------------------------------------- backends and tests

void loseAllSurfaces() {
    for (Surface* s : registry.live) s->lost_ = true;
}

bool readDesktop(int x, int y, int width, int height, std::uint32_t* out) {
    const Surface* p = registry.primary;
    if (p == nullptr || out == nullptr || width < 0 || height < 0) return false;
    const int bpp = bytesPerPixel(p->format_);
    const std::int64_t left = -p->reach_.left, top = -p->reach_.top;
    const std::int64_t right = static_cast<std::int64_t>(p->width_) + p->reach_.right;
    const std::int64_t bottom = static_cast<std::int64_t>(p->height_) + p->reach_.bottom;
    const std::int64_t x0 = std::max<std::int64_t>(x, left);
    const std::int64_t x1 = std::min<std::int64_t>(static_cast<std::int64_t>(x) + width, right);
    for (int row = 0; row < height; ++row) {
        std::uint32_t* o = out + static_cast<std::ptrdiff_t>(row) * width;
        const std::int64_t sy = static_cast<std::int64_t>(y) + row;
        if (sy < top || sy >= bottom || x0 >= x1) {
            std::fill(o, o + width, 0u);
            continue;
        }
        // Black only where the primary does not reach; the rest is copied over.
        std::fill(o, o + (x0 - x), 0u);
        std::fill(o + (x1 - x), o + width, 0u);
        const std::uint8_t* s = p->at(static_cast<int>(x0), static_cast<int>(sy));
        std::uint32_t* d = o + (x0 - x);
        if (p->format_ == PixelFormat::XRGB8888) {
            // The presentation's own layout: a copy, the unused byte cleared.
            std::memcpy(d, s, static_cast<std::size_t>(x1 - x0) * 4);
            for (std::int64_t i = 0; i < x1 - x0; ++i) d[i] &= 0x00FFFFFFu;
            continue;
        }
        for (std::int64_t i = 0; i < x1 - x0; ++i, s += bpp) {
            std::uint32_t raw;
            if (bpp == 4) {
                std::memcpy(&raw, s, 4);
            } else if (bpp == 2) {
                std::uint16_t v;
                std::memcpy(&v, s, 2);
                raw = v;
            } else {
                raw = s[0] | (s[1] << 8) | (static_cast<std::uint32_t>(s[2]) << 16);
            }
            d[i] = pixelToRgb(raw, p->format_);
        }
    }
    return true;
}

bool desktopIsFullScreen(int& width, int& height) {
    if (registry.primary == nullptr || !registry.primaryFullScreen) return false;
    width = registry.primary->width();
    height = registry.primary->height();
    return true;
}

void injectFlipFailure(HResult code) { registry.flipFailure = code; }

int liveSurfaceCount() { return static_cast<int>(registry.live.size()); }

}  // namespace platform
