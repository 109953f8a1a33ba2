// Tests: starting a case from the program's start on the headless backend, with a small program
// of the tests' own where a case needs one running, and running scripts.
#pragma once
#include <sstream>
#include <string>
#include <vector>

#include "framework/draw/blit.h"
#include "framework/draw/display.h"
#include "framework/runner/headless_runner.h"
#include "framework/core/app_state.h"
#include "framework/shell/flip.h"
#include "framework/shell/frame_loop.h"
#include "platform/headless/headless.h"

// The program the framework's tests run: the 480 x 360 display and one scene, number 2, that
// shows a black frame. A case that needs scenes of its own puts them into SceneFunctions after
// StartFresh. It asks for no resources, so a case sees only the ones it installs.
inline void TestProgramInit() {
    elDraw::Screen(480, 360);
    Shell.SceneId = 2;
}
inline void TestProgramScene() {
    elDraw::FillBlack();
    elDraw::Flip();
}
inline void UseTestProgram() {
    ProgramSetup setup;
    setup.Title = "Test program";
    setup.Init = TestProgramInit;
    setup.Scenes[2] = TestProgramScene;
    UseProgram(setup);
}

// Program-start state on a headless machine set up as `cfg`, with the test program installed
// (WinMain runs it).
inline void StartFresh(const platform::headless::Config& cfg) {
    platform::headless::configure(cfg);
    UseTestProgram();
    ResetProgramState();
}

// Program-start state on a headless clock at `startTick`.
inline void StartFresh(std::uint32_t startTick = 0) {
    platform::headless::Config cfg;
    cfg.startTick = startTick;
    StartFresh(cfg);
}

// Runs a whole program headless as `options` say, with a trace. Returns the trace lines of the
// frames.
inline std::vector<std::string> RunTrace(RunOptions options) {
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

// Runs a whole program headless on a script: the test program, or the one `use` installs.
// Returns the trace lines of the frames. A frameMs of 0 moves the clock the program's frame period.
inline std::vector<std::string> RunScript(const std::string& script, int frames,
                                          std::uint32_t startTick = 0, std::int64_t time = 0,
                                          std::uint32_t frameMs = 0, void (*use)() = UseTestProgram) {
    RunOptions options;
    options.config.frames = frames;
    if (frameMs != 0) options.config.frameMs = frameMs;
    options.frameMsGiven = frameMs != 0;
    options.config.startTick = startTick;
    options.config.time = time;
    options.script = script;
    options.prepare = use;
    return RunTrace(options);
}

// The integer value of a field of one trace line; -999 if absent.
inline long long Field(const std::string& line, const std::string& name) { return TraceField(line, name); }
