// Headless backend: turning the input script's events into window messages and machine state.
#include "platform/headless/script.h"

#include "platform/headless/headless.h"
#include "platform/video/surface.h"
#include "platform/window/window.h"

namespace platform::headless {

void applyEvent(const ScriptEvent& ev) {
    WindowId w = mainWindow();
    const std::string& n = ev.name;
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

}  // namespace platform::headless
