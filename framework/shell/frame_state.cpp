// Application shell: the state a frame left, for recorded sessions and their replays.
#include "framework/shell/frame_state.h"

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
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x) {
            const std::uint32_t c = platform::pixelToColor(platform::readPixel(view, x, y), view.format);
            for (int b = 0; b < 3; ++b) {
                h ^= (c >> (8 * b)) & 0xFF;
                h *= 1099511628211ull;
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
