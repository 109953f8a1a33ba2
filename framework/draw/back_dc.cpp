// elDraw: stand-in for Back's device context until Back exists: a 480 x 360 XRGB8888 memory bitmap.
#include "framework/draw/back_dc.h"

#include <algorithm>

namespace elDraw {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 360;

struct BackStandIn {
    platform::GdiObject bitmap;
    platform::HDC dc = nullptr;
    bool out = false;
};

BackStandIn& Stand() {
    static BackStandIn s = [] {
        BackStandIn b;
        b.bitmap.kind = platform::GdiKind::Bitmap;
        b.bitmap.stock = true;
        b.bitmap.bits.assign(static_cast<std::size_t>(kWidth) * kHeight * 4, 0);
        b.bitmap.view = platform::PixelView{b.bitmap.bits.data(), kWidth, kHeight, kWidth * 4,
                                            platform::PixelFormat::XRGB8888};
        return b;
    }();
    if (s.dc == nullptr) {
        s.dc = platform::createCompatibleDC(nullptr);
        platform::selectObject(s.dc, &s.bitmap);
    }
    return s;
}

}  // namespace

platform::HDC GetBackDC() {
    BackStandIn& s = Stand();
    // A surface hands out one context at a time, each starting from the defaults.
    if (s.out) return nullptr;
    s.out = true;
    platform::HDC dc = s.dc;
    platform::PixelView view = dc->view;
    platform::GdiObject* bitmap = dc->bitmap;
    *dc = platform::DeviceContext{};
    dc->view = view;
    dc->bitmap = bitmap;
    return dc;
}

void ReleaseBackDC(platform::HDC dc) {
    BackStandIn& s = Stand();
    if (dc != nullptr && dc == s.dc) s.out = false;
}

platform::PixelView BackPixels() { return Stand().bitmap.view; }

void ResetBackPixels() {
    BackStandIn& s = Stand();
    std::fill(s.bitmap.bits.begin(), s.bitmap.bits.end(), 0);
    s.out = false;
}

}  // namespace elDraw
