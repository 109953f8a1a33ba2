// Web backend: a fixed 1024 x 768 screen, and the shown part of the desktop drawn on the canvas,
// which takes the program's full-screen mode's size when it sets one.
#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "platform/backend.h"
#include "platform/video/screen_area.h"
#include "platform/video/surface.h"
#include "platform/web/web_backend.h"

namespace platform::web {
namespace {

// clang-format off
EM_JS(void, pagePresent, (const std::uint8_t* rgba, int width, int height), {
    Module.page.present(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});
// clang-format on

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

// The shown picture, read from the desktop and turned into the canvas's RGBA bytes in place.
struct Presentation {
    std::vector<std::uint32_t> picture;
};

Presentation presentation;

}  // namespace
}  // namespace platform::web

namespace platform::backend {

using web::presentation;

// ---------------------------------------------------------------- screen and presentation

int screenWidth() { return web::kScreenWidth; }
int screenHeight() { return web::kScreenHeight; }
int colorDepth() { return 32; }

void presentPrimary() {
    ScreenArea client;
    const bool open = web::clientArea(client);
    const ScreenArea area = shownArea(client);
    if (area.width < 1 || area.height < 1 || !open) return;
    std::vector<std::uint32_t>& pixels = presentation.picture;
    pixels.resize(static_cast<std::size_t>(area.width) * area.height);
    if (!readDesktop(area.x, area.y, area.width, area.height, pixels.data())) return;
    // 0x00RRGGBB words become the bytes R, G, B, 255 (WebAssembly is little-endian).
    for (std::uint32_t& p : pixels) p = 0xFF000000u | (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
    web::pagePresent(reinterpret_cast<const std::uint8_t*>(pixels.data()), area.width, area.height);
    // The sound's queue topped up after the frame's work, which may have taken a good part of its
    // short lead; the frame's new sounds start here (the page noted the place with the picture).
    web::pumpAudio();
}

// The program's own full screen: the canvas takes the mode's size (presentPrimary shows it).
bool setDisplayMode(int, int, int) { return true; }
void restoreDisplayMode() {}

// One screen, of the fixed size.
int listDisplays(Rect*, int) { return 0; }

}  // namespace platform::backend
