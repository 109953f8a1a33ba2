// SDL2 backend: presentation of the desktop surface. Windowed, the window shows the part of the
// primary surface under its client area; full screen, the whole primary at the display mode's
// size, scaled to the screen. A streaming texture is filled and presented at once (no vsync).
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/backend.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/surface.h"
#include "platform/window.h"

namespace platform::sdl {
namespace {

struct VideoState {
    SDL_Texture* texture = nullptr;
    int textureW = 0, textureH = 0;
    std::vector<std::uint32_t> pixels;
    bool modeSet = false;
    bool failureSaid = false;
};

VideoState presentation;

}  // namespace

bool presentPicture() {
    SDL_Renderer* r = renderer();
    if (r == nullptr) return false;
    int x = 0, y = 0, w = 0, h = 0;
    const bool full = desktopIsFullScreen(w, h);
    if (!full) {
        reportedClientOrigin(x, y);
        clientSize(mainWindow(), w, h);
    }
    if (w < 1 || h < 1) return false;
    presentation.pixels.resize(static_cast<std::size_t>(w) * h);
    if (!readDesktop(x, y, w, h, presentation.pixels.data())) return false;
    if (presentation.texture == nullptr || presentation.textureW != w || presentation.textureH != h) {
        if (presentation.texture != nullptr) SDL_DestroyTexture(presentation.texture);
        presentation.texture = SDL_CreateTexture(r, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
        if (presentation.texture == nullptr) {
            std::fprintf(stderr, "quorbix: cannot make the window's texture: %s\n", SDL_GetError());
            return false;
        }
        presentation.textureW = w;
        presentation.textureH = h;
        SDL_RenderSetLogicalSize(r, w, h);
    }
    const bool drawn = SDL_UpdateTexture(presentation.texture, nullptr, presentation.pixels.data(), w * 4) == 0 &&
                       SDL_SetRenderDrawColor(r, 0, 0, 0, 255) == 0 && SDL_RenderClear(r) == 0 &&
                       SDL_RenderCopy(r, presentation.texture, nullptr, nullptr) == 0;
    if (!drawn && !presentation.failureSaid) {
        // Said once: a renderer that fails does so every frame.
        std::fprintf(stderr, "quorbix: the window's picture cannot be drawn: %s\n", SDL_GetError());
        presentation.failureSaid = true;
    }
    SDL_RenderPresent(r);
    return drawn;
}

void releasePresentation() {
    if (presentation.texture != nullptr) SDL_DestroyTexture(presentation.texture);
    presentation.texture = nullptr;
    presentation.textureW = presentation.textureH = 0;
}

void deviceLost() {
    // The renderer's textures went with its device; the pictures the program keeps are treated
    // as lost too, as the program expects after such an event.
    releasePresentation();
    loseAllSurfaces();
}

}  // namespace platform::sdl

namespace platform::backend {

void presentPrimary() { sdl::presentPicture(); }

bool setDisplayMode(int width, int height, int) {
    SDL_Window* win = sdl::window();
    if (win == nullptr) return false;
    SDL_DisplayMode mode{};
    mode.w = width;
    mode.h = height;
    SDL_DisplayMode closest{};
    bool exact = SDL_GetClosestDisplayMode(SDL_GetWindowDisplayIndex(win), &mode, &closest) != nullptr &&
                 closest.w == width && closest.h == height;
    // A real mode change where the screen offers the size; otherwise the desktop's own mode with
    // the picture scaled up to it.
    if (!(exact && SDL_SetWindowDisplayMode(win, &closest) == 0 &&
          SDL_SetWindowFullscreen(win, SDL_WINDOW_FULLSCREEN) == 0)) {
        if (SDL_SetWindowFullscreen(win, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
    }
    if (sdl::renderer() != nullptr) SDL_RenderSetLogicalSize(sdl::renderer(), width, height);
    sdl::presentation.modeSet = true;
    return true;
}

void desktopArea(int& left, int& top, int& right, int& bottom) {
    left = top = 0;
    right = screenWidth();
    bottom = screenHeight();
    const int displays = SDL_GetNumVideoDisplays();
    for (int i = 0; i < displays; ++i) {
        SDL_Rect r;
        if (SDL_GetDisplayBounds(i, &r) != 0) continue;
        left = std::min(left, r.x);
        top = std::min(top, r.y);
        right = std::max(right, r.x + r.w);
        bottom = std::max(bottom, r.y + r.h);
    }
}

void restoreDisplayMode() {
    if (sdl::presentation.modeSet && sdl::window() != nullptr) SDL_SetWindowFullscreen(sdl::window(), 0);
    sdl::presentation.modeSet = false;
}

}  // namespace platform::backend
