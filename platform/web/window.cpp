// Web backend: the canvas as the window, the pointer as the cursor (shown or hidden; a page
// cannot move or confine it), and message boxes as a dialog over the canvas.
#include <emscripten.h>

#include "platform/backend.h"
#include "platform/video/screen_area.h"
#include "platform/web/web_backend.h"
#include "platform/window/system.h"

namespace platform::web {
namespace {

// clang-format off
EM_JS(int, pageOpenWindow, (const char* title, int width, int height), {
    return Module.page.openWindow(UTF8ToString(title), width, height) ? 1 : 0;
});
EM_JS(int, pageResizeWindow, (int width, int height), {
    return Module.page.resizeWindow(width, height) ? 1 : 0;
});
EM_JS(void, pageShowWindow, (int show), { Module.page.showWindow(!!show); });
EM_JS(void, pageSetCursor, (int visible), { Module.page.setCursorVisible(!!visible); });
EM_JS(void, pageShowBox, (const char* text, const char* caption, int warning), {
    Module.page.showBox(UTF8ToString(text), UTF8ToString(caption), !!warning);
});
EM_JS(int, pageBoxOpen, (), { return Module.page.boxOpen() ? 1 : 0; });
// clang-format on

// Whether the canvas is the program's window, and where the program put its client area.
struct PageWindow {
    bool open = false;
    ScreenArea client;
};

PageWindow pageWindow;

}  // namespace

bool clientArea(ScreenArea& client) {
    client = pageWindow.client;
    return pageWindow.open;
}

}  // namespace platform::web

namespace platform::backend {

using web::pageWindow;

// ---------------------------------------------------------------- window

bool openWindow(const char* title, int x, int y, int width, int height, std::uint32_t) {
    if (!web::pageOpenWindow(title, width, height)) return false;
    pageWindow.open = true;
    pageWindow.client = ScreenArea{x, y, width, height};
    return true;
}

bool resizeWindow(int width, int height, int& x, int& y) {
    if (!pageWindow.open || !web::pageResizeWindow(width, height)) return false;
    pageWindow.client = recentred(pageWindow.client, width, height);
    x = pageWindow.client.x;
    y = pageWindow.client.y;
    return true;
}

// The page shows its own icon.
void setWindowIcon(const unsigned char*, std::size_t) {}
void showWindow(bool show) { web::pageShowWindow(show ? 1 : 0); }
void setTopmost() {}
void closeWindow() {
    pageWindow.open = false;
    web::pageShowWindow(0);
}

// ---------------------------------------------------------------- cursor

void setCursorVisible(bool visible) { web::pageSetCursor(visible ? 1 : 0); }

bool cursorPosition(int& x, int& y) {
    int px = 0, py = 0;
    web::pointerPosition(px, py);
    x = pageWindow.client.x + px;
    y = pageWindow.client.y + py;
    return true;
}

// A page cannot move the pointer or hold it in a rectangle; a confinement's end is no change.
bool moveCursor(int, int) { return false; }
bool confineCursor(const Rect* rect) { return rect == nullptr; }

// ---------------------------------------------------------------- message box

int showMessageBox(const char* utf8Text, const char* utf8Caption, std::uint32_t style) {
    web::pageShowBox(utf8Text, utf8Caption, (style & MB_ICONEXCLAMATION) != 0 ? 1 : 0);
    while (web::pageBoxOpen()) web::waitStep(20);
    return IDOK;
}

void beep(std::uint32_t) {}

}  // namespace platform::backend
