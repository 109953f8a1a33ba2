// Platform: the input script, one event per line as "N EVENT ARGS" (docs/headless.md). The
// headless backend plays it; a window replays a recorded session from it.
#pragma once
#include <string>
#include <vector>

namespace platform {

struct ScriptEvent {
    int frame = 0;
    std::string name;
    long long args[4] = {0, 0, 0, 0};
    int line = 0;
};

struct Script {
    std::vector<ScriptEvent> events;   // sorted by frame, file order within a frame
};

// False with "line N: ..." in error for anything it does not understand.
bool parseScript(const std::string& text, Script& out, std::string& error);

}  // namespace platform
