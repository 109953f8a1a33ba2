// SDL2 backend: the real window, its events as window messages, the tick count, the cursor and
// message boxes. Leaves out: the beep (SDL has none; said once on standard error).
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/backend.h"
#include "platform/window/frame_schedule.h"
#include "platform/window/recording.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window/system.h"

namespace platform::sdl {
namespace {

struct SdlState {
    bool videoTried = false;
    bool videoOk = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    int clientW = 0, clientH = 0;
    int reportedX = 0, reportedY = 0;
    Uint32 wakeEvent = 0;
    FrameSchedule frames;
    bool beepSaid = false;
    SDL_Keycode switchKey = SDLK_UNKNOWN;   // the view switch's key, down
    bool joystickTried = false;
    bool joystickOk = false;
};

SdlState sdlWindow;

WindowId main() { return mainWindow(); }

// A pointer position in window points as the program's client position.
LParam clientPosition(int wx, int wy) {
    int x = wx, y = wy;
    windowToPicture(wx, wy, x, y);
    return makePosition(x, y);
}

// Alt+Enter and F11 switch the view; the program never sees them (nor their release).
bool isViewSwitch(const SDL_KeyboardEvent& key) {
    return key.keysym.sym == SDLK_F11 ||
           ((key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) && (key.keysym.mod & KMOD_ALT) != 0);
}

void translateEvent(const SDL_Event& e);

// Turns one SDL event into the window messages a classic window system would have queued; a
// recording notes them, a replay holds them back.
void translate(const SDL_Event& e) {
    recording::beginInput();
    translateEvent(e);
    recording::endInput();
}

void translateEvent(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT:
            postMessage(main(), WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE: postMessage(main(), WM_CLOSE, 0, 0); break;
                case SDL_WINDOWEVENT_FOCUS_GAINED: postMessage(main(), WM_ACTIVATEAPP, 1, 0); break;
                case SDL_WINDOWEVENT_FOCUS_LOST: postMessage(main(), WM_ACTIVATEAPP, 0, 0); break;
                case SDL_WINDOWEVENT_MOVED:
                    sdlWindow.reportedX = e.window.data1;
                    sdlWindow.reportedY = e.window.data2;
                    postMessage(main(), WM_MOVE, 0, makePosition(e.window.data1, e.window.data2));
                    break;
                case SDL_WINDOWEVENT_EXPOSED: presentNow(); break;
                default: break;
            }
            break;
        case SDL_KEYDOWN: {
            if (isViewSwitch(e.key)) {
                if (e.key.repeat == 0) toggleFullScreen();
                sdlWindow.switchKey = e.key.keysym.sym;
                break;
            }
            int vk = virtualKey(e.key.keysym.sym);
            if (vk != 0) postMessage(main(), WM_KEYDOWN, static_cast<WParam>(vk), 1);
            break;
        }
        case SDL_KEYUP: {
            // The switch's key is held back until it is released, Alt let go first or not.
            if (e.key.keysym.sym == sdlWindow.switchKey) {
                sdlWindow.switchKey = SDLK_UNKNOWN;
                break;
            }
            int vk = virtualKey(e.key.keysym.sym);
            if (vk != 0) postMessage(main(), WM_KEYUP, static_cast<WParam>(vk), 1);
            break;
        }
        case SDL_MOUSEMOTION:
            postMessage(main(), WM_MOUSEMOVE, 0, clientPosition(e.motion.x, e.motion.y));
            break;
        case SDL_MOUSEBUTTONDOWN: {
            // SDL counts quick presses on one spot; every second one is the double-click.
            bool dbl = e.button.clicks >= 2 && e.button.clicks % 2 == 0;
            LParam pos = clientPosition(e.button.x, e.button.y);
            if (e.button.button == SDL_BUTTON_LEFT)
                postMessage(main(), dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, 1, pos);
            else if (e.button.button == SDL_BUTTON_RIGHT)
                postMessage(main(), dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN, 2, pos);
            break;
        }
        case SDL_MOUSEBUTTONUP: {
            LParam pos = clientPosition(e.button.x, e.button.y);
            if (e.button.button == SDL_BUTTON_LEFT)
                postMessage(main(), WM_LBUTTONUP, 0, pos);
            else if (e.button.button == SDL_BUTTON_RIGHT)
                postMessage(main(), WM_RBUTTONUP, 0, pos);
            break;
        }
        case SDL_RENDER_TARGETS_RESET:
        case SDL_RENDER_DEVICE_RESET:
            deviceLost();
            break;
        default:
            break;
    }
}

void drainEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) translate(e);
}

}  // namespace

bool ensureVideo() {
    if (sdlWindow.videoTried) return sdlWindow.videoOk;
    sdlWindow.videoTried = true;
    // Without a display server SDL would fall back to drivers that show nothing anyone sees
    // (or take over the console): say so instead, unless a driver was chosen on purpose.
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
        std::getenv("SDL_VIDEODRIVER") == nullptr) {
        std::fprintf(stderr,
                     "quorbix: no display to open a window on (DISPLAY is not set); the headless "
                     "runner build/bin/quorbix-headless runs the game without one.\n");
        return false;
    }
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr,
                     "quorbix: no display to open a window on (%s); the headless runner "
                     "build/bin/quorbix-headless runs the game without one.\n",
                     SDL_GetError());
        return false;
    }
    sdlWindow.wakeEvent = SDL_RegisterEvents(1);
    if (sdlWindow.wakeEvent == static_cast<Uint32>(-1)) {
        // Without it a notice from another thread waits for the next frame or input event.
        std::fprintf(stderr, "quorbix: no event type is left for waking the window's thread (%s)\n", SDL_GetError());
        sdlWindow.wakeEvent = 0;
    }
    sdlWindow.videoOk = true;
    // Which backend runs, said once at start-up (the headless trace says it in its first line).
    std::fprintf(stderr, "quorbix: sdl backend (real time, display), video driver %s\n",
                 SDL_GetCurrentVideoDriver());
    return true;
}

bool ensureJoystick() {
    if (sdlWindow.joystickTried) return sdlWindow.joystickOk;
    sdlWindow.joystickTried = true;
    // Joysticks are read when the program asks, in or out of focus, as the classic query does.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        std::fprintf(stderr, "quorbix: joysticks cannot be read (%s); they read as absent.\n",
                     SDL_GetError());
        return false;
    }
    // Joystick state is read straight from the devices, so their events would only fill the queue.
    SDL_JoystickEventState(SDL_IGNORE);
    sdlWindow.joystickOk = true;
    return true;
}

SDL_Window* window() { return sdlWindow.window; }

void reportedClientOrigin(int& x, int& y) {
    x = sdlWindow.reportedX;
    y = sdlWindow.reportedY;
}
SDL_Renderer* renderer() { return sdlWindow.renderer; }

void presentNow() {
    if (sdlWindow.renderer == nullptr) return;
    if (!presentPicture()) {
        SDL_SetRenderDrawColor(sdlWindow.renderer, 0, 0, 0, 255);
        SDL_RenderClear(sdlWindow.renderer);
        SDL_RenderPresent(sdlWindow.renderer);
    }
}

}  // namespace platform::sdl

namespace platform::backend {

using sdl::sdlWindow;

const Capabilities& describe() {
    static const Capabilities capabilities{"sdl", true, true, true};
    return capabilities;
}

// SDL starts its clock on first use, without any subsystem: reading it opens nothing.
std::uint32_t tickCount() { return SDL_GetTicks(); }

std::int64_t calendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

int colorDepth() {
    SDL_DisplayMode mode;
    if (!sdl::ensureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 32;
    return SDL_BYTESPERPIXEL(mode.format) * 8;
}

// The program's screen: its client area lies where it was last told (reportedClientOrigin) at
// its own size, whatever the window's scale. Screen points are mapped through the window.
bool cursorPosition(int& x, int& y) {
    SDL_GetGlobalMouseState(&x, &y);
    if (sdlWindow.window == nullptr) return true;
    int wx = 0, wy = 0, px = 0, py = 0, ox = 0, oy = 0;
    SDL_GetWindowPosition(sdlWindow.window, &wx, &wy);
    if (!sdl::windowToPicture(x - wx, y - wy, px, py)) return true;
    sdl::reportedClientOrigin(ox, oy);
    x = ox + px;
    y = oy + py;
    return true;
}

bool moveCursor(int x, int y) {
    int ox = 0, oy = 0, wx = 0, wy = 0;
    double px = x, py = y, half = 0;
    if (sdlWindow.window != nullptr) {
        sdl::reportedClientOrigin(ox, oy);
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
    int ox = 0, oy = 0;
    sdl::reportedClientOrigin(ox, oy);
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

void spinWait() {}
void sleep(std::uint32_t ms) { SDL_Delay(ms); }



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
        std::fprintf(stderr, "quorbix: cannot open a window: %s\n", SDL_GetError());
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
    sdlWindow.clientW = width;
    sdlWindow.clientH = height;
    sdlWindow.reportedX = x;
    sdlWindow.reportedY = y;
    return true;
}

void setWindowIcon(const unsigned char* bmp, std::size_t size) {
    if (sdlWindow.window == nullptr) return;
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(bmp, static_cast<int>(size)), 1);
    if (icon == nullptr) {
        std::fprintf(stderr, "quorbix: the window's icon cannot be read: %s\n", SDL_GetError());
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

void pumpEvents() {
    if (sdlWindow.videoOk) sdl::drainEvents();
}

void waitEvents() {
    SDL_Event e;
    if (sdlWindow.videoOk && SDL_WaitEvent(&e)) {
        sdl::translate(e);
        sdl::drainEvents();
    }
}

bool waitFrame(std::uint32_t periodMs) {
    const std::int32_t remaining = sdlWindow.frames.untilNext(SDL_GetTicks(), periodMs);
    if (remaining <= 0) return true;
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, remaining)) {
        sdl::translate(e);
        sdl::drainEvents();
    }
    return false;
}

void wake() {
    if (!sdlWindow.videoOk || sdlWindow.wakeEvent == 0) return;
    SDL_Event e{};
    e.type = sdlWindow.wakeEvent;
    SDL_PushEvent(&e);
}

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
    sdl::beginBoxPlacement();
    const int shown = sdlWindow.videoOk ? SDL_ShowMessageBox(&box, &pressed) : -1;
    sdl::endBoxPlacement();
    // SDL's X box draws with the server's core fonts; a server without any (a bare Xvfb without
    // xfonts-base) cannot show it, and the text goes to standard error instead.
    if (shown != 0)
        std::fprintf(stderr, "%s: %s\n(no box could be shown: %s)\n", utf8Caption, utf8Text,
                     sdlWindow.videoOk ? SDL_GetError() : "no display");
    return IDOK;
}

void beep(std::uint32_t) {
    if (!sdlWindow.beepSaid) std::fprintf(stderr, "quorbix: this system has no beep; error boxes are silent\n");
    sdlWindow.beepSaid = true;
}

void setCursorVisible(bool visible) {
    if (sdlWindow.videoOk) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

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

}  // namespace platform::backend
