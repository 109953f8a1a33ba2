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
#include "platform/video/screen_area.h"
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

namespace {

// The window around a client area of width x height centred on (centreX, centreY): the whole
// scale the user chose, or else the largest whose window takes at most three quarters of the
// usable desktop, a picture too large for the desktop at one shrunk to fit it (its shape kept);
// kept inside the usable desktop.
SDL_Rect windowAround(int centreX, int centreY, int width, int height) {
    SDL_Rect usable{0, 0, 0, 0};
    const bool haveUsable = SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0;
    int scale = windowScale();
    const bool chosen = scale >= 1;
    if (!chosen) scale = haveUsable ? std::max(1, std::min(usable.w * 3 / (4 * width), usable.h * 3 / (4 * height))) : 1;
    SDL_Rect r{0, 0, width * scale, height * scale};
    if (!chosen && haveUsable && (r.w > usable.w || r.h > usable.h)) {
        r.w = std::max(1, std::min(usable.w, static_cast<int>(static_cast<long long>(usable.h) * width / height)));
        r.h = std::max(1, std::min(usable.h, static_cast<int>(static_cast<long long>(usable.w) * height / width)));
    }
    r.x = centreX - r.w / 2;
    r.y = centreY - r.h / 2;
    if (haveUsable) {
        r.x = std::max(usable.x, std::min(r.x, usable.x + usable.w - r.w));
        r.y = std::max(usable.y, std::min(r.y, usable.y + usable.h - r.h));
    }
    return r;
}

}  // namespace

bool openWindow(const char* title, int x, int y, int width, int height, std::uint32_t style) {
    if (!sdl::ensureVideo()) return false;
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    SDL_Rect place{x, y, width, height};
    if (style & WS_POPUP)
        flags |= SDL_WINDOW_FULLSCREEN;
    else   // the scaled window keeps the centre the program chose
        place = windowAround(x + width / 2, y + height / 2, width, height);
    sdlWindow.window = SDL_CreateWindow(title, place.x, place.y, place.w, place.h, flags);
    if (sdlWindow.window == nullptr) {
        platform::say("cannot open a window: %s\n", SDL_GetError());
        return false;
    }
    // Typed text arrives as SDL_TEXTINPUT (on by default on desktops; asked for where it is not).
    SDL_StartTextInput();
    // The picture is one texture of its size a frame: SDL's software renderer shows it through
    // the window system's own image path and starts in a millisecond, where a GL context takes a
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

bool resizeWindow(int width, int height, int& x, int& y) {
    SDL_Window* win = sdlWindow.window;
    if (win == nullptr) return false;
    SDL_RendererInfo info;
    if (sdlWindow.renderer != nullptr && SDL_GetRendererInfo(sdlWindow.renderer, &info) == 0 &&
        ((info.max_texture_width > 0 && width > info.max_texture_width) ||
         (info.max_texture_height > 0 && height > info.max_texture_height))) {
        platform::say("a picture of %d x %d is larger than this renderer shows (%d x %d)\n", width, height,
                      info.max_texture_width, info.max_texture_height);
        return false;
    }
    ScreenArea client{sdlWindow.reportedX, sdlWindow.reportedY, 0, 0};
    clientSize(mainWindow(), client.width, client.height);
    client = recentred(client, width, height);
    // The window keeps its own centre (where a full-screen view puts it back, while one is on).
    SDL_Rect now{0, 0, 0, 0};
    const bool viewOn = sdl::windowedPlace(now);
    if (!viewOn) {
        SDL_GetWindowPosition(win, &now.x, &now.y);
        SDL_GetWindowSize(win, &now.w, &now.h);
    }
    const SDL_Rect place = windowAround(now.x + now.w / 2, now.y + now.h / 2, width, height);
    if (viewOn) {
        sdl::setWindowedPlace(place);
    } else {
        SDL_SetWindowSize(win, place.w, place.h);
        SDL_SetWindowPosition(win, place.x, place.y);
    }
    sdlWindow.reportedX = x = client.x;
    sdlWindow.reportedY = y = client.y;
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
    sdl::forgetTitleNote();
    sdl::sayFrameTiming();
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
