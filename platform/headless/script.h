// Headless backend: the input script (one event per line, "N EVENT ARGS") and its events.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window/input_script.h"

namespace platform::headless {

// The script's text and events are the platform's (platform/window/input_script.h); loadScript parses.
using platform::parseScript;
using platform::Script;
using platform::ScriptEvent;

// Called by the backend when the event's frame is entered: posts the event's messages.
void applyEvent(const ScriptEvent& event);

// Called by applyEvent for the script's tick and time events: the tick count stands at `tick`
// in the frame being entered and moves on a frame length per frame number from there; the
// calendar time reads `seconds` now and moves with the tick count.
void setScriptedTick(std::uint32_t tick);
void setScriptedTime(std::int64_t seconds);

// Called by configure: no joystick, every key up.
void resetInput();

// Called by applyEvent for mouse motion: the cursor's screen position follows the client point.
void setCursorFromClient(int x, int y);

}  // namespace platform::headless
