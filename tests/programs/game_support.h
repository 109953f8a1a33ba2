// Tests: the game run headless from a script, as the game's own programs run it.
#pragma once
#include <string>
#include <vector>

#include "game/scenes.h"
#include "tests/support/test_support.h"

inline void UseGame() { UseProgram(GameProgram()); }

// The game from its start on a script; returns the trace lines of the frames.
inline std::vector<std::string> RunGame(const std::string& script, int frames, std::uint32_t startTick = 0,
                                        std::int64_t time = 0, std::uint32_t frameMs = 0) {
    return RunScript(script, frames, startTick, time, frameMs, UseGame);
}
