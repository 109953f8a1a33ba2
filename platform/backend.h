// Platform: what each backend supplies to the shared platform code (platform/ only).
#pragma once
#include <cstdint>
#include "platform/window.h"

namespace platform::backend {

// Called by createWindow: open the backend's window with a client area of width x height whose
// top-left corner is at (x, y) on the screen. False when no window can be opened.
bool openWindow(const char* title, int x, int y, int width, int height, std::uint32_t style);
// Called by showWindow and setWindowTopmost.
void showWindow(bool show);
void setTopmost();
// Called by destroyWindow after WM_DESTROY was sent.
void closeWindow();

// Called by peekMessage before it looks at the queue: turn pending input into posted messages.
void pumpEvents();
// Called by waitMessage while the queue is empty: sleep until something may be queued.
void waitEvents();
// Called by waitFrame (see platform/window.h).
bool waitFrame(std::uint32_t periodMs);
// Called by postMessage from any thread: wake a thread that sleeps in waitEvents or waitFrame.
void wake();

// Called by messageBox with UTF-8 texts; returns when the box is closed.
int showMessageBox(const char* utf8Text, const char* utf8Caption, std::uint32_t style);
void beep(std::uint32_t type);

// Called by showCursor with the new visibility.
void setCursorVisible(bool visible);

int screenWidth();
int screenHeight();

// Called by joyGetPosEx with an id of 0 or 1: the joystick's position (0 to 65535) and its
// buttons mask. False when no joystick is behind that id now.
bool readJoystick(int id, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons);
// Called by getKeyState with a code of 0 to 255: true while that virtual key is down.
bool keyDown(int virtualKey);

}  // namespace platform::backend

namespace platform::shared {
// True while no message is queued. Called by backends that decide whether to sleep.
bool queueEmpty();
}  // namespace platform::shared

namespace platform::backend {

// Called by the display surfaces after the primary surface's picture changed (a blit or fill
// onto it, a flip, an unlock or a released device context): show it now (readDesktop gives
// the pixels).
void presentPrimary();
// Called by SetDisplayMode: make the window cover a screen of width x height at that depth;
// false when the backend refuses the mode.
bool setDisplayMode(int width, int height, int bitsPerPixel);
// Called when the display object that set a mode is released: back to the desktop's own mode.
void restoreDisplayMode();
// Called when the windowed primary surface is made: the screen area windows can be on (every
// display), in screen coordinates; it holds (0, 0, screenWidth(), screenHeight()).
void desktopArea(int& left, int& top, int& right, int& bottom);

}  // namespace platform::backend
