// Platform: window classes, the window record and the message queue, shared by every backend.
#include "platform/window/window.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <iterator>
#include <mutex>
#include <string>

#include "platform/backend.h"
#include "platform/files/resources.h"
#include "platform/files/text_codec.h"

namespace platform {
namespace {

constexpr int kMaxClasses = 8;
constexpr std::uintptr_t kKeyCodes = 256;   // virtual-key codes run from 0 to 255

struct ClassRecord {
    std::string name;
    WindowClass cls;
};

struct WindowRecord {
    bool alive = false;
    WndProcFn proc = nullptr;
    std::uint32_t style = 0;
    int clientWidth = 0;
    int clientHeight = 0;
};

struct WindowState {
    ClassRecord classes[kMaxClasses];
    int classCount = 0;
    WindowRecord window;     // the program has one window; its id is 1
    std::mutex queueLock;    // the sound thread posts too
    std::deque<Message> queue;
    // Each key as the key messages posted so far leave it: what the program polls, the same
    // whether the messages come from the keyboard or from a replayed session.
    bool keysDown[kKeyCodes] = {};
    int cursorCount = 0;
};

WindowState state;
int requestedScale = 0;   // the entry point's choice; a test's reset does not undo it
bool requestedFullScreen = false;   // the same: the program host's --fullscreen

constexpr WindowId kMainId = 1;

WindowRecord* find(WindowId id) {
    return (id == kMainId && state.window.alive) ? &state.window : nullptr;
}

}  // namespace

bool registerClass(const WindowClass& windowClass) {
    if (windowClass.className == nullptr || windowClass.proc == nullptr) return false;
    if (state.classCount >= kMaxClasses) return false;
    state.classes[state.classCount++] = ClassRecord{windowClass.className, windowClass};
    return true;
}

WindowId createWindow(const char* className, const char* title, std::uint32_t style, int x, int y,
                      int width, int height) {
    const ClassRecord* rec = nullptr;
    for (int i = 0; i < state.classCount; ++i)
        if (className != nullptr && state.classes[i].name == className) rec = &state.classes[i];
    if (rec == nullptr || state.window.alive) return 0;
    // The frame takes the border metrics once per axis; a popup window has no frame.
    int clientX = x, clientY = y, clientW = width, clientH = height;
    if (style & WS_CAPTION) {
        int fx = getSystemMetrics(SM_CXBORDER) + getSystemMetrics(SM_CXEDGE) +
                 getSystemMetrics(SM_CXDLGFRAME);
        int fy = getSystemMetrics(SM_CYCAPTION) + getSystemMetrics(SM_CYEDGE) +
                 getSystemMetrics(SM_CYBORDER) + getSystemMetrics(SM_CYDLGFRAME);
        clientW = width - fx;
        clientH = height - fy;
        clientX = x + fx / 2;
        clientY = y + fy - fx / 2;
    }
    if (clientW < 1 || clientH < 1) return 0;
    if (!backend::openWindow(title != nullptr ? title : "", clientX, clientY, clientW, clientH, style))
        return 0;
    state.window = WindowRecord{true, rec->cls.proc, style, clientW, clientH};
    if (rec->cls.icon != nullptr) {
        if (const ResourceEntry* icon = findResource(rec->cls.icon, "ICON")) backend::setWindowIcon(icon->data, icon->size);
    }
    // As on creation of a real window, the procedure learns where its client area is.
    sendMessage(kMainId, WM_MOVE, 0, makePosition(clientX, clientY));
    return kMainId;
}

void showWindow(WindowId window, int command) {
    if (find(window) == nullptr) return;
    backend::showWindow(command != SW_HIDE);
    // A newly shown window is the foreground window: the application is activated at once.
    if (command != SW_HIDE) sendMessage(window, WM_ACTIVATEAPP, 1, 0);
}

void updateWindow(WindowId) {}

void setWindowTopmost(WindowId window) {
    if (find(window) != nullptr) backend::setTopmost();
}

bool destroyWindow(WindowId window) {
    WindowRecord* rec = find(window);
    if (rec == nullptr) return false;
    sendMessage(window, WM_DESTROY, 0, 0);
    rec->alive = false;
    backend::closeWindow();
    return true;
}

void setWindowScale(int scale) { requestedScale = scale; }
int windowScale() { return requestedScale; }
void setStartFullScreen(bool fullScreen) { requestedFullScreen = fullScreen; }
bool startFullScreen() { return requestedFullScreen; }

WindowId mainWindow() { return state.window.alive ? kMainId : 0; }

void clientSize(WindowId window, int& width, int& height) {
    const WindowRecord* rec = find(window);
    width = rec ? rec->clientWidth : 0;
    height = rec ? rec->clientHeight : 0;
}

bool setClientSize(WindowId window, int width, int height) {
    WindowRecord* rec = find(window);
    if (rec == nullptr || width < 1 || height < 1 || width > kMaxClientSide || height > kMaxClientSide) return false;
    if (rec->clientWidth == width && rec->clientHeight == height) return true;
    int x = 0, y = 0;
    if (!backend::resizeWindow(width, height, x, y)) return false;
    rec->clientWidth = width;
    rec->clientHeight = height;
    sendMessage(window, WM_MOVE, 0, makePosition(x, y));
    return true;
}

bool peekMessage(Message& message) {
    backend::pumpEvents();
    std::lock_guard<std::mutex> lock(state.queueLock);
    if (state.queue.empty()) return false;
    message = state.queue.front();
    state.queue.pop_front();
    return true;
}

void translateMessage(const Message&) {}

LResult dispatchMessage(const Message& message) {
    return sendMessage(message.window, message.message, message.wParam, message.lParam);
}

LResult sendMessage(WindowId window, std::uint32_t message, WParam wParam, LParam lParam) {
    WindowRecord* rec = find(window);
    if (rec == nullptr || rec->proc == nullptr) return 0;
    return rec->proc(window, message, wParam, lParam);
}

namespace {
std::atomic<const SessionHooks*> session{nullptr};
}  // namespace

void setSessionHooks(const SessionHooks* hooks) { session.store(hooks); }
const SessionHooks* sessionHooks() { return session.load(); }

bool postMessage(WindowId window, std::uint32_t message, WParam wParam, LParam lParam) {
    const SessionHooks* hooks = sessionHooks();
    if (hooks != nullptr && !hooks->notePost(message, wParam, lParam)) return true;   // a replay drops real input
    {
        std::lock_guard<std::mutex> lock(state.queueLock);
        state.queue.push_back(Message{window, message, wParam, lParam});
        if ((message == WM_KEYDOWN || message == WM_KEYUP) && wParam < kKeyCodes) state.keysDown[wParam] = message == WM_KEYDOWN;
    }
    backend::wake();
    return true;
}

void postTypedText(const char* utf8, std::size_t length) {
    const WindowId window = mainWindow();
    std::size_t i = 0;
    while (i < length) {
        std::size_t used = 1;
        const char32_t c = decodeUtf8Char(utf8 + i, length - i, used);
        i += used;
        if (c < 0x20 || (c >= 0x7F && c < 0xA0)) continue;
        postMessage(window, WM_CHAR, static_cast<WParam>(c), 1);
    }
}

void postQuitMessage(int exitCode) {
    postMessage(0, WM_QUIT, static_cast<WParam>(exitCode), 0);
}

LResult defWindowProc(WindowId window, std::uint32_t message, WParam, LParam) {
    if (message == WM_CLOSE) destroyWindow(window);
    return 0;
}

void waitMessage() {
    {
        std::lock_guard<std::mutex> lock(state.queueLock);
        if (!state.queue.empty()) return;
    }
    const SessionHooks* hooks = sessionHooks();
    if (hooks != nullptr && hooks->inactiveWait()) return;
    backend::waitEvents();
}

bool waitFrame(std::uint32_t periodMs) {
    const SessionHooks* hooks = sessionHooks();
    if (hooks != nullptr && hooks->beforeFrameWait(periodMs)) return false;
    const bool due = backend::waitFrame(periodMs);
    if (hooks != nullptr) hooks->afterFrameWait(due);
    return due;
}

bool postedKeyDown(int virtualKey) {
    std::lock_guard<std::mutex> lock(state.queueLock);
    return virtualKey >= 0 && virtualKey < static_cast<int>(kKeyCodes) && state.keysDown[virtualKey];
}

void resetWindows() {
    std::lock_guard<std::mutex> lock(state.queueLock);
    state.queue.clear();
    std::fill(std::begin(state.keysDown), std::end(state.keysDown), false);
    state.classCount = 0;
    state.window = WindowRecord{};
    state.cursorCount = 0;
}

// ---------------------------------------------------------------- cursor, boxes and metrics

int showCursor(bool show) {
    int before = state.cursorCount;
    state.cursorCount += show ? 1 : -1;
    if ((before >= 0) != (state.cursorCount >= 0)) backend::setCursorVisible(state.cursorCount >= 0);
    return state.cursorCount;
}

int messageBox(WindowId, const char* text, const char* caption, std::uint32_t style, TextEncoding encoding) {
    const bool utf8 = encoding == TextEncoding::Utf8;
    std::string utf8Text = utf8 ? validUtf8(text) : sjisToUtf8(text);
    std::string utf8Caption = utf8 ? validUtf8(caption) : sjisToUtf8(caption);
    int result = backend::showMessageBox(utf8Text.c_str(), utf8Caption.c_str(), style);
    // The box's own loop hands the window everything that arrived while it was open.
    std::deque<Message> held;
    Message m;
    while (peekMessage(m)) {
        if (m.message == WM_QUIT) {
            held.push_back(m);
            continue;
        }
        dispatchMessage(m);
    }
    if (!held.empty()) {
        std::lock_guard<std::mutex> lock(state.queueLock);
        for (auto it = held.rbegin(); it != held.rend(); ++it) state.queue.push_front(*it);
    }
    return result;
}

void messageBeep(std::uint32_t type) { backend::beep(type); }

int getSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN: return backend::screenWidth();
        case SM_CYSCREEN: return backend::screenHeight();
        case SM_CYCAPTION: return 19;
        case SM_CXBORDER: case SM_CYBORDER: return 1;
        case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
        case SM_CXEDGE: case SM_CYEDGE: return 2;
        default: return 0;
    }
}

}  // namespace platform

namespace platform::shared {
bool queueEmpty() {
    std::lock_guard<std::mutex> lock(state.queueLock);
    return state.queue.empty();
}
}  // namespace platform::shared
