// Headless backend: the input script's events as window messages, and the scripted joysticks and
// key state. A joystick is absent until the script or a test sets it; keys follow the script's
// key and keyup events.
#include <cstdint>
#include <string>

#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_backend.h"
#include "platform/video/surface.h"
#include "platform/window/joystick.h"
#include "platform/window/window.h"

namespace platform::headless {
namespace {

struct Stick {
    bool present = false;
    std::uint32_t x = 0, y = 0, buttons = 0;
};

// The scripted devices: two joysticks and the keyboard.
struct InputDevices {
    Stick sticks[kJoystickIds];
    bool keys[256] = {};
};

InputDevices inputDevices;

bool validId(int id) { return id >= 0 && id < kJoystickIds; }

}  // namespace

void resetInput() { inputDevices = InputDevices{}; }

void applyEvent(const ScriptEvent& ev) {
    WindowId w = mainWindow();
    const std::string_view n = ev.name;
    if (n == "move") {
        setCursorFromClient(ev.args[0], ev.args[1]);
        postMessage(w, WM_MOUSEMOVE, 0, makePosition(ev.args[0], ev.args[1]));
    } else if (n == "ldown") {
        postMessage(w, WM_LBUTTONDOWN, 1, 0);
    } else if (n == "lup") {
        postMessage(w, WM_LBUTTONUP, 0, 0);
    } else if (n == "rdown") {
        postMessage(w, WM_RBUTTONDOWN, 2, 0);
    } else if (n == "rup") {
        postMessage(w, WM_RBUTTONUP, 0, 0);
    } else if (n == "ldbl") {
        postMessage(w, WM_LBUTTONDBLCLK, 1, 0);
    } else if (n == "rdbl") {
        postMessage(w, WM_RBUTTONDBLCLK, 2, 0);
    } else if (n == "key") {
        setKeyDown(ev.args[0], true);
        postMessage(w, WM_KEYDOWN, static_cast<WParam>(ev.args[0]), 1);
    } else if (n == "keyup") {
        setKeyDown(ev.args[0], false);
        postMessage(w, WM_KEYUP, static_cast<WParam>(ev.args[0]), 1);
    } else if (n == "activate") {
        postMessage(w, WM_ACTIVATEAPP, static_cast<WParam>(ev.args[0]), 0);
    } else if (n == "close") {
        postMessage(w, WM_CLOSE, 0, 0);
    } else if (n == "text") {
        postTypedText(ev.text.data(), ev.text.size());
    } else if (n == "joy") {
        setJoystick(ev.args[0], ev.args[1], ev.args[2], static_cast<std::uint32_t>(ev.args[3]));
    } else if (n == "joy-off") {
        unplugJoystick(ev.args[0]);
    } else if (n == "tick") {
        setScriptedTick(static_cast<std::uint32_t>(ev.args[0]));
    } else if (n == "time") {
        setScriptedTime(ev.args[0]);
    } else if (n == "lose-surfaces") {
        captureShownPicture();   // the lost desktop keeps nothing of what it showed
        loseAllSurfaces();
    }
}

void setJoystick(int id, int x, int y, std::uint32_t buttons) {
    if (!validId(id)) return;
    // Positions are kept on the query's scale, whatever a test passes in.
    auto onScale = [](int v) { return static_cast<std::uint32_t>(v < 0 ? 0 : v > 65535 ? 65535 : v); };
    inputDevices.sticks[id] = Stick{true, onScale(x), onScale(y), buttons};
}

void unplugJoystick(int id) {
    if (validId(id)) inputDevices.sticks[id].present = false;
}

void setKeyDown(int virtualKey, bool down) {
    if (virtualKey >= 0 && virtualKey <= 255) inputDevices.keys[virtualKey] = down;
}

}  // namespace platform::headless

namespace platform::backend {

using headless::inputDevices;

// ---------------------------------------------------------------- input devices

bool readJoystick(int id, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons) {
    if (!headless::validId(id) || !inputDevices.sticks[id].present) return false;
    x = inputDevices.sticks[id].x;
    y = inputDevices.sticks[id].y;
    buttons = inputDevices.sticks[id].buttons;
    return true;
}

bool keyDown(int virtualKey) { return virtualKey >= 0 && virtualKey <= 255 && inputDevices.keys[virtualKey]; }

}  // namespace platform::backend
