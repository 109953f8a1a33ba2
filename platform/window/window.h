// Platform: the window, its class, and the message queue with the classic window-message numbers.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("platform/window/window.h is the framework's own; include <quorbix/program.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstddef>
#include <cstdint>

#include "platform/files/text_codec.h"

namespace platform {

// ---------------------------------------------------------------- types and numbers

using WindowId = int;        // 0 is no window
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using LResult = std::intptr_t;
using WndProcFn = LResult (*)(WindowId window, std::uint32_t message, WParam wParam, LParam lParam);

struct Message {
    WindowId window = 0;
    std::uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_MOVE = 0x0003;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
constexpr std::uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr std::uint32_t WM_SETCURSOR = 0x0020;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
// A character typed: wParam is its code (U+0020 and up, never a control character).
constexpr std::uint32_t WM_CHAR = 0x0102;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr std::uint32_t MM_MCINOTIFY = 0x03B9;

constexpr std::uint32_t CS_VREDRAW = 0x0001;
constexpr std::uint32_t CS_HREDRAW = 0x0002;
constexpr std::uint32_t CS_DBLCLKS = 0x0008;

constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000u;

constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_HIDE = 0;

constexpr int BLACK_BRUSH = 4;

// Packs a position the way mouse and move messages carry it: x in the low 16 bits, y in the high.
constexpr LParam makePosition(int x, int y) {
    return static_cast<LParam>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                               static_cast<std::uint32_t>(x & 0xFFFF));
}

// ---------------------------------------------------------------- window class and window

struct WindowClass {
    std::uint32_t style = 0;
    WndProcFn proc = nullptr;
    const char* icon = nullptr;       // resource name; absent resources give the default icon
    const char* menuName = nullptr;   // resource name; absent resources give no menu bar
    const char* className = nullptr;
    int background = BLACK_BRUSH;
};

// Called by the entry point once, before the window is created. Returns false for a bad class.
bool registerClass(const WindowClass& windowClass);

// Called by the entry point. x, y, width, height are the outer frame, as the metrics below
// describe it. Returns 0 when the class is unknown or the backend cannot open a window.
WindowId createWindow(const char* className, const char* title, std::uint32_t style, int x, int y,
                      int width, int height);

// Called by the entry point before the window is created: the backend shows the client area
// `scale` whole times its size (1 to 16), or, for 0, at the largest whole scale whose window
// takes at most three quarters of the usable desktop. The program's coordinates do not change.
void setWindowScale(int scale);
int windowScale();
// Called by the program host before the window is created: the window opens in the full screen
// (the view that Alt+Enter and F11 switch), where the backend has one.
void setStartFullScreen(bool fullScreen);
bool startFullScreen();

// Called by the entry point after creation. Showing the window activates the application:
// WM_ACTIVATEAPP with a non-zero parameter is sent to the window procedure before it returns.
void showWindow(WindowId window, int command);
void updateWindow(WindowId window);

// Called by the entry point in windowed mode: keep the window above ordinary windows.
void setWindowTopmost(WindowId window);

// Called by the window procedure on WM_CLOSE. Sends WM_DESTROY, then closes the backend window.
bool destroyWindow(WindowId window);

// The window that createWindow made last and that is not yet destroyed, or 0.
WindowId mainWindow();

// Client size of a window (what its frame leaves inside).
void clientSize(WindowId window, int& width, int& height);

// The largest client side setClientSize gives: a picture of 4096 x 4096 is the most the display
// surfaces hold (16 M pixels).
constexpr int kMaxClientSide = 4096;

// Called by the display set-up (elDraw::Screen) in windowed mode, before the primary surface is
// made: the client area becomes width x height around the same centre, and the window procedure
// learns where it now is (WM_MOVE). The same size changes nothing. False, the window unchanged,
// for a side below 1 or above kMaxClientSide, a window that is not there, or a size the backend
// cannot show.
bool setClientSize(WindowId window, int width, int height);

// ---------------------------------------------------------------- messages

// Called by the frame loop and by modal boxes. Removes the oldest message; false when none.
bool peekMessage(Message& message);
// Kept for the classic loop shape; key messages need no character translation here.
void translateMessage(const Message& message);
// Hands a message to its window's procedure and returns its result.
LResult dispatchMessage(const Message& message);
// Calls the window procedure at once, as the system does for sent messages.
LResult sendMessage(WindowId window, std::uint32_t message, WParam wParam, LParam lParam);
// Queues a message; safe from any thread (the sound thread posts MM_MCINOTIFY).
bool postMessage(WindowId window, std::uint32_t message, WParam wParam, LParam lParam);
// Called by the backends with what the player typed (SDL's text input, the page's key events, a
// script's text event): one WM_CHAR a character to the main window. Malformed UTF-8 becomes
// U+FFFD; control characters (which arrive as keys) are left out.
void postTypedText(const char* utf8, std::size_t length);
// Called by the backends that poll the keyboard through the messages (getKeyState): true while
// the key messages posted so far leave the virtual key (0 to 255) down. A replay posts the
// recorded key messages, so the state a program polls is replayed with them.
bool postedKeyDown(int virtualKey);
// Queues WM_QUIT, which ends the frame loop.
void postQuitMessage(int exitCode);
// The default handling of a message: WM_CLOSE destroys the window; everything else answers 0.
LResult defWindowProc(WindowId window, std::uint32_t message, WParam wParam, LParam lParam);

// Called by the frame loop while the application is inactive: sleeps until a message is queued.
void waitMessage();

// Called by the frame loop when the queue is empty and the application is active. Returns true
// when the next frame is due (one every periodMs); false when messages arrived first, which the
// caller handles before it asks again. Sleeps in between, never spins.
bool waitFrame(std::uint32_t periodMs);

// Drops every window, class and queued message (for tests that start from the program's start).
void resetWindows();

// ---------------------------------------------------------------- screen metrics

constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;

// Called by the entry point to size and centre its window.
int getSystemMetrics(int index);

// ---------------------------------------------------------------- cursor

// Called by the frame loop and the window procedure, always in pairs. Returns the new display
// count; the cursor is visible while the count is 0 or more (it starts at 0).
int showCursor(bool show);

// ---------------------------------------------------------------- message box and beep

constexpr std::uint32_t MB_OK = 0x0000;
constexpr std::uint32_t MB_ICONEXCLAMATION = 0x0030;
constexpr std::uint32_t MB_SYSTEMMODAL = 0x1000;
constexpr int IDOK = 1;

// Shows a modal box with text and caption in the program's code page (Shift-JIS), or in UTF-8
// when `encoding` says so, and waits for it. Messages that reach the window meanwhile are dispatched to its procedure before the call
// returns (WM_QUIT stays queued for the frame loop). Returns IDOK.
int messageBox(WindowId owner, const char* text, const char* caption, std::uint32_t style,
               TextEncoding encoding = TextEncoding::ShiftJis);
// The default beep (type 0xFFFFFFFF).
void messageBeep(std::uint32_t type);

// ---------------------------------------------------------------- a recorded or replayed session

// What a session recorder or replayer (recording.cpp) sees of the queue and the clocks, installed
// by it when a recording or a replay starts. Without one, input and time pass as they are.
struct SessionHooks {
    // A message is being posted: false when a replay drops it (real input during a replay).
    bool (*notePost)(std::uint32_t message, WParam wParam, LParam lParam);
    // The frame loop asks for the next frame: true when the replay posted events instead.
    bool (*beforeFrameWait)(std::uint32_t periodMs);
    // ... and got this answer.
    void (*afterFrameWait)(bool due);
    // The frame loop waits while inactive: true when the replay posted events instead.
    bool (*inactiveWait)();
    // Readings of the clocks on their way to the program.
    std::uint32_t (*tick)(std::uint32_t real);
    std::int64_t (*calendar)(std::int64_t real);
    // A joystick's reading on its way to the program (present: it is plugged in); returns
    // whether the program sees it plugged in, and what it reads.
    bool (*joystick)(int id, bool present, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons);
    // The program slept (sleepMs) or spun once on the tick count (spinWait, 1 ms).
    void (*waited)(std::uint32_t ms);
};
// Called by startRecording and startReplay; the hooks stay installed until the process ends.
void setSessionHooks(const SessionHooks* hooks);
// Called by the machine's clocks (machine.cpp); null while no session was started.
const SessionHooks* sessionHooks();

}  // namespace platform
