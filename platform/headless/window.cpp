// Headless backend: the window on the virtual screen, the cursor as a position, message boxes
// and beeps kept in a log for the runner and the tests.
#include <mutex>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_backend.h"
#include "platform/video/screen_area.h"
#include "platform/window/system.h"

namespace platform::headless {
namespace {

// The window, the cursor, and what the program showed and sounded through them.
struct VirtualWindow {
    bool open = false;
    bool topmost = false;
    std::size_t iconBytes = 0;   // the window's icon, as the class named it
    ScreenArea client;   // the client area on the virtual screen
    bool cursorVisible = true;
    int cursorX = 0, cursorY = 0;
    std::vector<Box> boxes;
    int beeps = 0;
};

VirtualWindow virtualWindow;
// Boxes may be shown from another thread than the one that takes them.
std::mutex boxLock;

}  // namespace

void resetWindow() {
    std::lock_guard<std::mutex> lock(boxLock);
    virtualWindow = VirtualWindow{};
}

void setCursorFromClient(int x, int y) {
    virtualWindow.cursorX = virtualWindow.client.x + x;
    virtualWindow.cursorY = virtualWindow.client.y + y;
}

const ScreenArea& clientArea() { return virtualWindow.client; }

bool windowOpen() { return virtualWindow.open; }
bool windowTopmost() { return virtualWindow.topmost; }
std::size_t windowIconBytes() { return virtualWindow.iconBytes; }
int clientOriginX() { return virtualWindow.client.x; }
int clientOriginY() { return virtualWindow.client.y; }

void moveWindow(int x, int y) {
    virtualWindow.client.x = x;
    virtualWindow.client.y = y;
    sendMessage(mainWindow(), WM_MOVE, 0, makePosition(x, y));
}

bool cursorVisible() { return virtualWindow.cursorVisible; }

std::vector<Box> takeBoxes() {
    std::lock_guard<std::mutex> lock(boxLock);
    std::vector<Box> out;
    out.swap(virtualWindow.boxes);
    return out;
}

int beepCount() { return virtualWindow.beeps; }

}  // namespace platform::headless

namespace platform::backend {

using headless::virtualWindow;

// ---------------------------------------------------------------- window

bool openWindow(const char*, int x, int y, int width, int height, std::uint32_t) {
    virtualWindow.open = true;
    virtualWindow.client = ScreenArea{x, y, width, height};
    return true;
}

bool resizeWindow(int width, int height, int& x, int& y) {
    if (!virtualWindow.open) return false;
    virtualWindow.client = recentred(virtualWindow.client, width, height);
    x = virtualWindow.client.x;
    y = virtualWindow.client.y;
    return true;
}

void setWindowIcon(const unsigned char*, std::size_t size) { virtualWindow.iconBytes = size; }
// Nothing is drawn until a picture is presented, shown or not.
void showWindow(bool) {}
void setTopmost() { virtualWindow.topmost = true; }
void closeWindow() { virtualWindow.open = false; }

// ---------------------------------------------------------------- cursor

void setCursorVisible(bool visible) { virtualWindow.cursorVisible = visible; }

bool cursorPosition(int& x, int& y) {
    x = virtualWindow.cursorX;
    y = virtualWindow.cursorY;
    return true;
}

bool moveCursor(int x, int y) {
    virtualWindow.cursorX = x;
    virtualWindow.cursorY = y;
    return true;
}

bool confineCursor(const Rect*) { return true; }

// ---------------------------------------------------------------- message box

int showMessageBox(const char* utf8Text, const char* utf8Caption, std::uint32_t) {
    std::lock_guard<std::mutex> lock(headless::boxLock);
    virtualWindow.boxes.push_back(headless::Box{utf8Caption, utf8Text});
    return IDOK;
}

void beep(std::uint32_t) { ++virtualWindow.beeps; }

}  // namespace platform::backend
