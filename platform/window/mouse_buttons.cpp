// Platform: mouse buttons as window messages, with the double-click rule.
#include "platform/window/mouse_buttons.h"

namespace platform {

ButtonMessage mouseButtonMessage(MouseButton button, bool pressed, int clicks) {
    if (button == MouseButton::other) return {};
    const bool left = button == MouseButton::left;
    if (!pressed) return {left ? WM_LBUTTONUP : WM_RBUTTONUP, 0};
    const bool doubleClick = clicks >= 2 && clicks % 2 == 0;
    if (left) return {doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, 1};
    return {doubleClick ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN, 2};
}

void postMouseButton(MouseButton button, bool pressed, int clicks, int x, int y) {
    const ButtonMessage m = mouseButtonMessage(button, pressed, clicks);
    if (m.message != 0) postMessage(mainWindow(), m.message, m.wParam, makePosition(x, y));
}

}  // namespace platform
