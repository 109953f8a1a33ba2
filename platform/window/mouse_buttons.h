// Platform: a mouse button's press or release as the window message the backends post.
#pragma once
#include <cstdint>

#include "platform/window/window.h"

namespace platform {

enum class MouseButton { left, right, other };

struct ButtonMessage {
    std::uint32_t message = 0;   // 0: the program hears nothing of this button
    WParam wParam = 0;           // the button held down: 1 left, 2 right; 0 on a release
};

// The message for a press (`pressed`) or release of `button`. `clicks` is how many quick presses
// on one spot the system has counted up to this one (1 for a lone press): every second one is a
// double-click, so a third quick press is an ordinary press again.
ButtonMessage mouseButtonMessage(MouseButton button, bool pressed, int clicks);

// Called by the SDL and web backends for each button event: posts its message, if any, to the
// main window with the client position (x, y).
void postMouseButton(MouseButton button, bool pressed, int clicks, int x, int y);

}  // namespace platform
