// SDL2 backend: what SDL leaves to a window manager, done through X itself. SDL's X message box
// lives in a child process and puts itself at a third of the parent's height (and, with no
// window manager, as far again from the screen's corner as the parent is); it is moved here to
// the middle of the game window, and given the keyboard where no window manager would. Whether a
// window manager runs at all decides how the full-screen view is made (platform/sdl/video.cpp).
// Without the X headers, or on another window system, these do nothing.
#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/sdl/sdl_backend.h"

#if QRB_SDL_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace platform::sdl {
namespace {

#if QRB_SDL_X11

// The X connection and window SDL uses for the game window; false on another window system.
bool gameX11(::Display*& display, ::Window& window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (sdl::window() == nullptr || !SDL_GetWindowWMInfo(sdl::window(), &info) || info.subsystem != SDL_SYSWM_X11)
        return false;
    display = info.info.x11.display;
    window = info.info.x11.window;
    return display != nullptr && window != 0;
}

::Window windowProperty(::Display* d, ::Window w, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ::Window value = 0;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1, False, XA_WINDOW, &type, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        if (type == XA_WINDOW && format == 32 && count == 1) value = *reinterpret_cast<::Window*>(data);
        XFree(data);
    }
    return value;
}

int ignoreErrors(::Display*, XErrorEvent*) { return 0; }

// A window (a top-level one or a frame's client) whose transient-for hint names `owner`.
::Window findTransient(::Display* d, ::Window parent, ::Window owner, int depth) {
    ::Window root = 0, up = 0, *kids = nullptr, found = 0;
    unsigned int count = 0;
    if (XQueryTree(d, parent, &root, &up, &kids, &count) == 0) return 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        ::Window forWindow = 0;
        XWindowAttributes attr;
        if (XGetTransientForHint(d, kids[i], &forWindow) != 0 && forWindow == owner &&
            XGetWindowAttributes(d, kids[i], &attr) != 0 && attr.map_state == IsViewable)
            found = kids[i];
        else if (depth > 0)
            found = findTransient(d, kids[i], owner, depth - 1);   // inside a manager's frame
    }
    if (kids != nullptr) XFree(kids);
    return found;
}

struct BoxPlacement {
    std::thread worker;
    std::atomic<bool> closed{false};
    ::Display* display = nullptr;   // a connection of the placement's own
    XErrorHandler errorsBefore = nullptr;
    ::Window focusBefore = 0;
    int revertBefore = 0;
    bool gaveFocus = false;
};
BoxPlacement placement;

// Runs while the box is open (the game's thread waits in SDL). It only makes requests on its own
// connection: SDL's box opens another in a child process forked meanwhile, which would hang if
// this thread were opening or closing a connection at that moment.
void placeBox(::Display* d, ::Window owner, bool giveFocus) {
    const ::Window root = DefaultRootWindow(d);
    ::Window box = 0;
    while (!placement.closed.load() && box == 0) {
        box = findTransient(d, root, owner, 1);
        if (box == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        XWindowAttributes game, boxAttr;
        int gx = 0, gy = 0;
        ::Window child = 0;
        if (XGetWindowAttributes(d, owner, &game) == 0 || XGetWindowAttributes(d, box, &boxAttr) == 0 ||
            !XTranslateCoordinates(d, owner, root, 0, 0, &gx, &gy, &child))
            break;
        // The box's middle on the game window's middle, kept on the screen.
        int x = gx + (game.width - boxAttr.width) / 2, y = gy + (game.height - boxAttr.height) / 2;
        const Screen* screen = DefaultScreenOfDisplay(d);
        x = std::max(0, std::min(x, WidthOfScreen(screen) - boxAttr.width));
        y = std::max(0, std::min(y, HeightOfScreen(screen) - boxAttr.height));
        XSizeHints* hints = XAllocSizeHints();
        if (hints != nullptr) {
            long supplied = 0;
            XGetWMNormalHints(d, box, hints, &supplied);
            hints->flags |= USPosition;
            hints->x = x;
            hints->y = y;
            XSetWMNormalHints(d, box, hints);
            XFree(hints);
        }
        XMoveWindow(d, box, x, y);
        // Nobody else hands a new window the keyboard on a bare X server.
        if (giveFocus) {
            XSetInputFocus(d, box, RevertToParent, CurrentTime);
            placement.gaveFocus = true;
        }
        XSync(d, False);
    }
}

#endif

}  // namespace

bool windowManagerRuns() {
#if QRB_SDL_X11
    ::Display* d = nullptr;
    ::Window w = 0;
    if (!gameX11(d, w)) return true;   // another window system: its own compositor places windows
    // A manager that follows the desktop conventions names its check window on the root, and the
    // check window names itself.
    XErrorHandler before = XSetErrorHandler(ignoreErrors);
    const ::Window check = windowProperty(d, DefaultRootWindow(d), "_NET_SUPPORTING_WM_CHECK");
    const bool runs = check != 0 && windowProperty(d, check, "_NET_SUPPORTING_WM_CHECK") == check;
    XSync(d, False);
    XSetErrorHandler(before);
    return runs;
#else
    return true;
#endif
}

void beginBoxPlacement() {
#if QRB_SDL_X11
    ::Display* d = nullptr;
    ::Window w = 0;
    if (placement.worker.joinable() || !gameX11(d, w)) return;
    const bool giveFocus = !windowManagerRuns();
    placement.display = XOpenDisplay(DisplayString(d));
    if (placement.display == nullptr) return;
    // The box may go between two requests. The handler is the process's: SDL's is put back after.
    placement.errorsBefore = XSetErrorHandler(ignoreErrors);
    XGetInputFocus(placement.display, &placement.focusBefore, &placement.revertBefore);
    placement.gaveFocus = false;
    placement.closed = false;
    placement.worker = std::thread(placeBox, placement.display, w, giveFocus);
#endif
}

void endBoxPlacement() {
#if QRB_SDL_X11
    if (!placement.worker.joinable()) return;
    placement.closed = true;
    placement.worker.join();
    // The keyboard back where it was, as a window manager gives it back to the box's owner.
    if (placement.gaveFocus) XSetInputFocus(placement.display, placement.focusBefore, RevertToParent, CurrentTime);
    XCloseDisplay(placement.display);
    placement.display = nullptr;
    XSetErrorHandler(placement.errorsBefore);
#endif
}

}  // namespace platform::sdl
