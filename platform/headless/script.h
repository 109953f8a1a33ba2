// Headless backend: the input script (one event per line, "N EVENT ARGS") and its events.
#pragma once
#include <string>
#include <vector>

namespace platform::headless {

struct ScriptEvent {
    int frame = 0;
    std::string name;
    int args[4] = {0, 0, 0, 0};
    int line = 0;
};

struct Script {
    std::vector<ScriptEvent> events;   // sorted by frame, file order within a frame
};

// Called by loadScript. False with "line N: ..." in error for anything it does not understand.
bool parseScript(const std::string& text, Script& out, std::string& error);

// Called by the backend when the event's frame is entered: posts the event's messages.
void applyEvent(const ScriptEvent& event);

// Called by configure: no joystick, every key up.
void resetInput();

// Called by applyEvent for mouse motion: the cursor's screen position follows the client point.
void setCursorFromClient(int x, int y);

}  // namespace platform::headless
