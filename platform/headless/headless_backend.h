// Headless backend: what its files share with each other (platform/headless only).
#pragma once
#include <cstdint>

#include "platform/video/screen_area.h"
#include "platform/window/input_script.h"

namespace platform::headless {

// backend.cpp. Called by applyEvent for the script's tick and time events: the tick count stands
// at `tick` in the frame being entered and moves on a frame length per frame number from there;
// the calendar time reads `seconds` now and moves with the tick count.
void setScriptedTick(std::uint32_t tick);
void setScriptedTime(std::int64_t seconds);

// window.cpp. Called by configure: no window, no boxes, the cursor shown at (0, 0).
void resetWindow();
// Called by applyEvent for mouse motion: the cursor's screen position follows the client point.
void setCursorFromClient(int x, int y);
// Called by presentPrimary: the client area on the virtual screen.
const ScreenArea& clientArea();

// video.cpp. Called by configure: nothing shown, nothing presented.
void resetPresentation();

// input.cpp. Called by configure: no joystick, every key up.
void resetInput();
// Called by the backend when the event's frame is entered: posts the event's messages and sets
// the scripted devices and the clock.
void applyEvent(const ScriptEvent& event);

}  // namespace platform::headless
