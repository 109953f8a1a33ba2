// SDL2 backend: the game window (scaled by a whole factor, centred where the program put it),
// the cursor mapped between the screen and the program's pixels, and SDL's message box.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/window/program_name.h"
#include "platform/backend.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window/system.h"
#include "platform/window/window.h"

namespace platform::sdl {
namespace {

// The window, its renderer, where the program was last told its client area is, and whether the
// missing beep was mentioned yet.
struct SdlWindow {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    int reportedX = 0, reportedY = 0;
    bool beepSaid = false;
    bool shownOnce = false;   // the full screen --fullscreen asks for is switched to once
};

SdlWindow sdlWindow;

}  // namespace

SDL_Window* window() { return sdlWindow.window; }
SDL_Renderer* renderer() { return sdlWindow.renderer; }

void reportedClientOrigin(int& x, int& y) {
    x = sdlWindow.reportedX;
    y = sdlWindow.reportedY;
}

void setReportedClientOrigin(int x, int y) {
    sdlWindow.reportedX = x;
    sdlWindow.reportedY = y;
}

}  // namespace platform::sdl

namespace platform::backend {

using sdl::sdlWindow;

// ---------------------------------------------------------------- window

bool openWindow(const char* title, int x, int y, int width, int height, std::uint32_t style) {
    if (!sdl::ensureVideo()) return false;
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    int scale = 1, windowX = x, windowY = y;
    if (style & WS_POPUP) {
        flags |= SDL_WINDOW_FULLSCREEN;
    } else {
        SDL_Rect usable{0, 0, 0, 0};
        const bool haveUsable = SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0;
        scale = windowScale();
        // The largest whole scale whose window takes at most three quarters of the usable desktop.
        if (scale < 1) scale = haveUsable ? std::max(1, std::min(usable.w * 3 / (4 * width), usable.h * 3 / (4 * height))) : 1;
        // The scaled window keeps the centre the program chose, inside the usable desktop.
        windowX = x + width / 2 - width * scale / 2;
        windowY = y + height / 2 - height * scale / 2;
        if (haveUsable) {
            windowX = std::max(usable.x, std::min(windowX, usable.x + usable.w - width * scale));
            windowY = std::max(usable.y, std::min(windowY, usable.y + usable.h - height * scale));
        }
    }
    sdlWindow.window = SDL_CreateWindow(title, windowX, windowY, width * scale, height * scale, flags);
    if (sdlWindow.window == nullptr) {
        platform::say("cannot open a window: %s\n", SDL_GetError());
        return false;
    }
    // The picture is one 480 x 360 texture a frame: SDL's software renderer shows it through the
    // window system's own image path and starts in a millisecond, where a GL context takes a
    // few hundred on a machine that renders GL in software. GL is the fallback (a window system
    // without a native framebuffer); an SDL_RENDER_DRIVER the user sets still wins.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (std::getenv("SDL_RENDER_DRIVER") == nullptr)
        sdlWindow.renderer = SDL_CreateRenderer(sdlWindow.window, -1, SDL_RENDERER_SOFTWARE);
    if (sdlWindow.renderer == nullptr) sdlWindow.renderer = SDL_CreateRenderer(sdlWindow.window, -1, SDL_RENDERER_ACCELERATED);
    if (sdlWindow.renderer == nullptr) sdlWindow.renderer = SDL_CreateRenderer(sdlWindow.window, -1, 0);
    sdlWindow.reportedX = x;
    sdlWindow.reportedY = y;
    return true;
}

void setWindowIcon(const unsigned char* bmp, std::size_t size) {
    if (sdlWindow.window == nullptr) return;
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(bmp, static_cast<int>(size)), 1);
    if (icon == nullptr) {
        platform::say("the window's icon cannot be read: %s\n", SDL_GetError());
        return;
    }
    SDL_SetWindowIcon(sdlWindow.window, icon);
    SDL_FreeSurface(icon);
}

void showWindow(bool show) {
    if (sdlWindow.window == nullptr) return;
    if (show) {
        SDL_ShowWindow(sdlWindow.window);
        SDL_RaiseWindow(sdlWindow.window);
        // --fullscreen: the view Alt+Enter and F11 switch, once, as the window first shows.
        if (startFullScreen() && !sdlWindow.shownOnce) sdl::toggleFullScreen();
        sdlWindow.shownOnce = true;
        sdl::presentNow();
    } else {
        SDL_HideWindow(sdlWindow.window);
    }
}

void setTopmost() {
    if (sdlWindow.window != nullptr) SDL_SetWindowAlwaysOnTop(sdlWindow.window, SDL_TRUE);
}

void closeWindow() {
    sdl::releasePresentation();
    if (sdlWindow.renderer != nullptr) SDL_DestroyRenderer(sdlWindow.renderer);
    if (sdlWindow.window != nullptr) SDL_DestroyWindow(sdlWindow.window);
    sdlWindow.renderer = nullptr;
    sdlWindow.window = nullptr;
}

// ---------------------------------------------------------------- cursor

void setCursorVisible(bool visible) {
    if (sdl::videoStarted()) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

// The program's screen: its client area lies where it was last told (reportedClientOrigin) at
// its own size, whatever the window's scale. Screen points are mapped through the window.
bool cursorPosition(int& x, int& y) {
    SDL_GetGlobalMouseState(&x, &y);
    if (sdlWindow.window == nullptr) return true;
    int wx = 0, wy = 0, px = 0, py = 0;
    SDL_GetWindowPosition(sdlWindow.window, &wx, &wy);
    if (!sdl::windowToPicture(x - wx, y - wy, px, py)) return true;
    x = sdlWindow.reportedX + px;
    y = sdlWindow.reportedY + py;
    return true;
}

bool moveCursor(int x, int y) {
    const int ox = sdlWindow.reportedX, oy = sdlWindow.reportedY;
    int wx = 0, wy = 0;
    double px = x, py = y, half = 0;
    if (sdlWindow.window != nullptr) {
        double cx = 0, cy = 0;
        // The middle of the program's pixel, so that reading the cursor back gives that pixel.
        if (sdl::pictureToWindow(x - ox, y - oy, px, py) && sdl::pictureToWindow(x - ox + 1, y - oy + 1, cx, cy)) {
            half = (cx - px) / 2;
            SDL_GetWindowPosition(sdlWindow.window, &wx, &wy);
            px += wx + half;
            py += wy + (cy - py) / 2;
        } else {
            px = x;
            py = y;
        }
    }
    return SDL_WarpMouseGlobal(static_cast<int>(px), static_cast<int>(py)) == 0;
}

bool confineCursor(const Rect* rect) {
    if (sdlWindow.window == nullptr) return false;
    if (rect == nullptr) return SDL_SetWindowMouseRect(sdlWindow.window, nullptr) == 0;
    const int ox = sdlWindow.reportedX, oy = sdlWindow.reportedY;
    double left = 0, top = 0, right = 0, bottom = 0;
    if (!sdl::pictureToWindow(rect->left - ox, rect->top - oy, left, top) ||
        !sdl::pictureToWindow(rect->right - ox, rect->bottom - oy, right, bottom))
        return false;
    // The scaled area, kept inside the window (SDL refuses a rectangle reaching outside it).
    int winW = 0, winH = 0;
    SDL_GetWindowSize(sdlWindow.window, &winW, &winH);
    const int x0 = std::max(0, static_cast<int>(std::ceil(left))), y0 = std::max(0, static_cast<int>(std::ceil(top)));
    const int x1 = std::min(winW, static_cast<int>(std::ceil(right))), y1 = std::min(winH, static_cast<int>(std::ceil(bottom)));
    if (x1 <= x0 || y1 <= y0) return false;
    SDL_Rect r{x0, y0, x1 - x0, y1 - y0};
    return SDL_SetWindowMouseRect(sdlWindow.window, &r) == 0;
}

// ---------------------------------------------------------------- message box

int showMessageBox(const char* utf8Text, const char* utf8Caption, std::uint32_t style) {
    // One button that both Enter and Escape press; the box belongs to the game window, which SDL
    // marks as its owner (a window manager keeps it above the game and groups the two).
    const SDL_MessageBoxButtonData ok{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                                      IDOK, "OK"};
    SDL_MessageBoxData box{};
    box.flags = (style & MB_ICONEXCLAMATION) ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
    box.window = sdlWindow.window;
    box.title = utf8Caption;
    box.message = utf8Text;
    box.numbuttons = 1;
    box.buttons = &ok;
    int pressed = 0;
    const bool video = sdl::videoStarted();
    sdl::beginBoxPlacement();
    const int shown = video ? SDL_ShowMessageBox(&box, &pressed) : -1;
    sdl::endBoxPlacement();
    // SDL's X box draws with the server's core fonts; a server without any (a bare Xvfb without
    // xfonts-base) cannot show it, and the text goes to standard error instead.
    if (shown != 0)
        std::fprintf(stderr, "%s: %s\n(no box could be shown: %s)\n", utf8Caption, utf8Text,
                     video ? SDL_GetError() : "no display");
    return IDOK;
}

void beep(std::uint32_t) {
    if (!sdlWindow.beepSaid) platform::say("this system has no beep; error boxes are silent\n");
    sdlWindow.beepSaid = true;
}

}  // namespace platform::backend
