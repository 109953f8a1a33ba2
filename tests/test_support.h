// Tests: starting a case from the program's start on the headless backend, and running scripts.
#pragma once
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/app_state.h"
#include "game/scenes.h"
#include "platform/headless/headless.h"
#include "framework/runner/headless_runner.h"

// The program the tests run is the game, from before the first case starts; a case that installs
// another program (the gallery) puts the game back when it ends.
inline const bool kGameInstalled = (UseProgram(GameProgram()), true);

// Program-start state on a headless clock at `startTick`.
inline void StartFresh(std::uint32_t startTick = 0) {
    platform::headless::Config cfg;
    cfg.startTick = startTick;
    platform::headless::configure(cfg);
    UseProgram(GameProgram());
    ResetProgramState();
}

// Runs the whole program headless on a script; returns the trace lines.
inline std::vector<std::string> RunScript(const std::string& script, int frames,
                                          std::uint32_t startTick = 0, std::int64_t time = 0,
                                          std::uint32_t frameMs = 50) {
    RunOptions options;
    options.config.frames = frames;
    options.config.frameMs = frameMs;
    options.config.startTick = startTick;
    options.config.time = time;
    options.script = script;
    options.prepare = [] { UseProgram(GameProgram()); };
    std::ostringstream trace;
    options.trace = &trace;
    std::string error;
    RunHeadless(options, error);
    std::vector<std::string> lines;
    std::istringstream in(trace.str());
    for (std::string line; std::getline(in, line);)
        if (line.rfind("{\"backend\":", 0) != 0) lines.push_back(line);   // frames only
    return lines;
}

// The integer value of a field of one trace line; -999 if absent.
inline long long Field(const std::string& line, const std::string& name) { return TraceField(line, name); }
