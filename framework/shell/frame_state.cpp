// Application shell: the state a frame left, for recorded sessions and their replays.
#include "framework/shell/frame_state.h"

#include <cstddef>

#include "framework/draw/display.h"
#include "platform/video/pixels.h"
#include "platform/video/surface.h"

namespace quorbix {

namespace {
// Each pixel as its colour (0x00BBGGRR, three bytes), so that the hash is the same whatever the
// surface's format: a window on a 16-bit desktop still differs, as its picture does.
std::uint64_t PictureHash(const platform::Surface* back) {
    std::uint64_t h = 14695981039346656037ull;
    if (back == nullptr) return h;
    const platform::PixelView view = back->view();
    auto add = [&h](std::uint32_t colorref) {
        for (int b = 0; b < 3; ++b) {
            h ^= (colorref >> (8 * b)) & 0xFF;
            h *= 1099511628211ull;
        }
    };
    for (int y = 0; y < view.height; ++y) {
        const std::uint8_t* row = view.pixels + static_cast<std::ptrdiff_t>(y) * view.pitch;
        if (view.format == platform::PixelFormat::XRGB8888) {
            // The common case without a call a pixel: bytes B, G, R, X.
            for (int x = 0; x < view.width; ++x, row += 4) add(row[2] | (row[1] << 8) | (row[0] << 16));
        } else {
            for (int x = 0; x < view.width; ++x) add(platform::pixelToColor(platform::readPixel(view, x, y), view.format));
        }
    }
    return h;
}
}  // namespace

FrameState CurrentFrameState(void (*traceFields)(std::string& line)) {
    FrameState state;
    if (traceFields != nullptr) traceFields(state.Fields);
    state.Picture = PictureHash(elDraw::Display.Back);
    return state;
}

}  // namespace quorbix
