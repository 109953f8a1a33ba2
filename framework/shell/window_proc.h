// Application shell: the window procedure that turns window messages into the input state.
#pragma once
#include "platform/window/window.h"

platform::LResult WndProc(platform::WindowId window, std::uint32_t message, platform::WParam wParam,
                          platform::LParam lParam);
void OnKeyDown(int key);
