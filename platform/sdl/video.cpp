// SDL2 backend: presentation of the desktop surface. Windowed, the window shows the part of the
// primary surface under its client area; full screen, the whole primary at the display mode's
// size. A streaming texture is filled and presented at once (no vsync), at the largest whole
// scale that fits the window's drawable (nearest neighbour), centred with black bars; pointer
// positions go back through the same rectangle, so the program only sees its own coordinates.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/window/program_name.h"
#include "platform/backend.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/video/screen_area.h"
#include "platform/video/surface.h"
#include "platform/window/system.h"

namespace platform::sdl {
namespace {

// The window's texture and the pixels that fill it, the views chosen (the program's display
// mode, Alt+Enter's full screen) and where the window was before it covered the display.
struct Presentation {
    SDL_Texture* texture = nullptr;
    int textureW = 0, textureH = 0;
    std::vector<std::uint32_t> pixels;
    bool modeSet = false;
    bool toggled = false;          // Alt+Enter / F11: borderless full screen over the desktop
    bool covering = false;         // the window moved and sized over the display by us
    int savedX = 0, savedY = 0, savedW = 0, savedH = 0;
    bool failureSaid = false;
};

Presentation presentation;

void saveGeometry(SDL_Window* win) {
    SDL_GetWindowPosition(win, &presentation.savedX, &presentation.savedY);
    SDL_GetWindowSize(win, &presentation.savedW, &presentation.savedH);
}

// SDL's full screen is a request to the window manager; with none running nobody answers it and
// the window stays as it was. The window is then made borderless and put over its display here.
bool coverDisplay(SDL_Window* win) {
    SDL_Rect bounds;
    const int index = SDL_GetWindowDisplayIndex(win);
    if (SDL_GetDisplayBounds(index < 0 ? 0 : index, &bounds) != 0 || bounds.w < 1 || bounds.h < 1) return false;
    SDL_SetWindowBordered(win, SDL_FALSE);
    SDL_SetWindowSize(win, bounds.w, bounds.h);
    SDL_SetWindowPosition(win, bounds.x, bounds.y);
    SDL_RaiseWindow(win);
    presentation.covering = true;
    return true;
}

void uncoverDisplay(SDL_Window* win) {
    SDL_SetWindowSize(win, presentation.savedW, presentation.savedH);
    SDL_SetWindowPosition(win, presentation.savedX, presentation.savedY);
    SDL_SetWindowBordered(win, SDL_TRUE);
    presentation.covering = false;
}

// The part of the desktop the window shows: the client area where the program was last told it
// is, or the whole primary in full screen.
ScreenArea pictureArea() {
    ScreenArea client;
    reportedClientOrigin(client.x, client.y);
    clientSize(mainWindow(), client.width, client.height);
    return shownArea(client);
}

// Where the picture lies in the window, in window coordinates (points, as SDL reports the
// pointer), with how many of them one of the program's pixels takes.
struct Placement {
    double x = 0, y = 0, scaleX = 1, scaleY = 1;
    int pixelsX = 0, pixelsY = 0, pixelsW = 0, pixelsH = 0;   // the same in drawable pixels
};

bool placePicture(Placement& p) {
    SDL_Window* win = window();
    const ScreenArea area = pictureArea();
    const int w = area.width, h = area.height;
    int outW = 0, outH = 0, winW = 0, winH = 0;
    if (win == nullptr || w < 1 || h < 1) return false;
    SDL_GetWindowSize(win, &winW, &winH);
    if (renderer() == nullptr || SDL_GetRendererOutputSize(renderer(), &outW, &outH) != 0) {
        outW = winW;
        outH = winH;
    }
    if (outW < 1 || outH < 1 || winW < 1 || winH < 1) return false;
    // A high-density screen has more drawable pixels than window points.
    const double densityX = static_cast<double>(outW) / winW, densityY = static_cast<double>(outH) / winH;
    int k = std::min(outW / w, outH / h);
    if (k >= 1) {
        p.pixelsW = w * k;
        p.pixelsH = h * k;
    } else {   // smaller than the picture: shrink it to fit, keeping its shape
        p.pixelsW = std::min(outW, outH * w / h);
        p.pixelsH = std::min(outH, outW * h / w);
    }
    p.pixelsX = (outW - p.pixelsW) / 2;
    p.pixelsY = (outH - p.pixelsH) / 2;
    p.x = p.pixelsX / densityX;
    p.y = p.pixelsY / densityY;
    p.scaleX = p.pixelsW / densityX / w;
    p.scaleY = p.pixelsH / densityY / h;
    return true;
}

}  // namespace

bool windowToPicture(int wx, int wy, int& px, int& py) {
    Placement p;
    if (!placePicture(p)) return false;
    px = static_cast<int>(std::floor((wx - p.x) / p.scaleX));
    py = static_cast<int>(std::floor((wy - p.y) / p.scaleY));
    return true;
}

bool pictureToWindow(int px, int py, double& wx, double& wy) {
    Placement p;
    if (!placePicture(p)) return false;
    wx = p.x + px * p.scaleX;
    wy = p.y + py * p.scaleY;
    return true;
}

bool windowedPlace(SDL_Rect& place) {
    if (!presentation.toggled && !presentation.covering) return false;
    place = SDL_Rect{presentation.savedX, presentation.savedY, presentation.savedW, presentation.savedH};
    return true;
}

void setWindowedPlace(const SDL_Rect& place) {
    presentation.savedX = place.x;
    presentation.savedY = place.y;
    presentation.savedW = place.w;
    presentation.savedH = place.h;
}

void toggleFullScreen() {
    SDL_Window* win = window();
    // The program's own full-screen mode owns the screen; the window has no view to switch.
    if (win == nullptr || presentation.modeSet) return;
    if (!presentation.toggled) {
        saveGeometry(win);
        if (!windowManagerRuns()) {
            if (!coverDisplay(win)) {
                platform::say("cannot show the full screen: %s\n", SDL_GetError());
                return;
            }
        } else if (SDL_SetWindowFullscreen(win, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            platform::say("cannot show the full screen: %s\n", SDL_GetError());
            return;
        }
        presentation.toggled = true;
    } else {
        if (presentation.covering) {
            uncoverDisplay(win);
        } else {
            SDL_SetWindowFullscreen(win, 0);
            SDL_SetWindowSize(win, presentation.savedW, presentation.savedH);
            SDL_SetWindowPosition(win, presentation.savedX, presentation.savedY);
        }
        presentation.toggled = false;
    }
    presentNow();
}

bool shownPicture(std::vector<std::uint32_t>& pixels, int& width, int& height) {
    const std::size_t count = static_cast<std::size_t>(presentation.textureW) * presentation.textureH;
    if (presentation.texture == nullptr || count == 0 || presentation.pixels.size() != count) return false;
    pixels = presentation.pixels;
    width = presentation.textureW;
    height = presentation.textureH;
    return true;
}

bool presentPicture() {
    SDL_Renderer* r = renderer();
    if (r == nullptr) return false;
    const ScreenArea area = pictureArea();
    const int x = area.x, y = area.y, w = area.width, h = area.height;
    if (w < 1 || h < 1) return false;
    presentation.pixels.resize(static_cast<std::size_t>(w) * h);
    if (!readDesktop(x, y, w, h, presentation.pixels.data())) return false;
    if (presentation.texture == nullptr || presentation.textureW != w || presentation.textureH != h) {
        if (presentation.texture != nullptr) SDL_DestroyTexture(presentation.texture);
        presentation.texture = SDL_CreateTexture(r, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
        if (presentation.texture == nullptr) {
            platform::say("cannot make the window's texture: %s\n", SDL_GetError());
            return false;
        }
        presentation.textureW = w;
        presentation.textureH = h;
        SDL_SetTextureScaleMode(presentation.texture, SDL_ScaleModeNearest);
    }
    Placement place;
    if (!placePicture(place)) return false;
    const SDL_Rect to{place.pixelsX, place.pixelsY, place.pixelsW, place.pixelsH};
    const bool drawn = SDL_UpdateTexture(presentation.texture, nullptr, presentation.pixels.data(), w * 4) == 0 &&
                       SDL_SetRenderDrawColor(r, 0, 0, 0, 255) == 0 && SDL_RenderClear(r) == 0 &&
                       SDL_RenderCopy(r, presentation.texture, nullptr, &to) == 0;
    if (!drawn && !presentation.failureSaid) {
        // Said once: a renderer that fails does so every frame.
        platform::say("the window's picture cannot be drawn: %s\n", SDL_GetError());
        presentation.failureSaid = true;
    }
    SDL_RenderPresent(r);
    return drawn;
}

void presentNow() {
    SDL_Renderer* r = renderer();
    if (r == nullptr) return;
    if (!presentPicture()) {
        SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
        SDL_RenderClear(r);
        SDL_RenderPresent(r);
    }
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

using sdl::presentation;

// ---------------------------------------------------------------- screen and presentation

int screenWidth() {
    SDL_DisplayMode mode;
    if (!sdl::ensureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
    return mode.w;
}

int screenHeight() {
    SDL_DisplayMode mode;
    if (!sdl::ensureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
    return mode.h;
}

int colorDepth() {
    SDL_DisplayMode mode;
    if (!sdl::ensureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 32;
    return SDL_BYTESPERPIXEL(mode.format) * 8;
}

void presentPrimary() { sdl::presentPicture(); }

bool setDisplayMode(int width, int height, int) {
    SDL_Window* win = sdl::window();
    if (win == nullptr) return false;
    // No window manager to take the window to full screen: it covers the display at the desktop's
    // own mode, with the picture scaled up to it.
    if (!sdl::windowManagerRuns()) {
        if (!presentation.covering) {
            sdl::saveGeometry(win);
            if (!sdl::coverDisplay(win)) return false;
        }
        presentation.modeSet = true;
        return true;
    }
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
    presentation.modeSet = true;
    return true;
}

void restoreDisplayMode() {
    // The view Alt+Enter / F11 chose stays; otherwise the window goes back to its place.
    if (presentation.modeSet && sdl::window() != nullptr) {
        if (presentation.covering) {
            if (!presentation.toggled) sdl::uncoverDisplay(sdl::window());
        } else {
            SDL_SetWindowFullscreen(sdl::window(), presentation.toggled ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        }
    }
    presentation.modeSet = false;
}

int listDisplays(Rect* out, int max) {
    const int displays = SDL_GetNumVideoDisplays();
    int listed = 0;
    for (int i = 0; i < displays && listed < max; ++i) {
        SDL_Rect r;
        if (SDL_GetDisplayBounds(i, &r) == 0) out[listed++] = Rect{r.x, r.y, r.x + r.w, r.y + r.h};
    }
    return listed;
}

}  // namespace platform::backend
