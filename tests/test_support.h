// Tests: starting a case from the program's start on the headless backend, and running scripts.
#pragma once
#include <sstream>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "platform/headless/headless.h"
#include "tools/headless_runner.h"

// Program-start state on a headless clock at `startTick`.
inline void StartFresh(std::uint32_t startTick = 0) {
    platform::headless::Config cfg;
    cfg.startTick = startTick;
    platform::headless::configure(cfg);
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
    std::ostringstream trace;
    options.trace = &trace;
    std::string error;
    RunHeadless(options, error);
    std::vector<std::string> lines;
    std::istringstream in(trace.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The integer value of a field of one trace line ("-1" style values included); -999 if absent.
inline long long Field(const std::string& line, const std::string& name) {
    std::string key = "\"" + name + "\":";
    std::size_t p = line.find(key);
    if (p == std::string::npos) return -999;
    return std::stoll(line.substr(p + key.size()));
}
