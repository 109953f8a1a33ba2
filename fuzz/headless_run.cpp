// fuzz-headless_run: whole scripts played through the headless runner with the game, for a bounded
// number of frames: input, the clock's tick and time events, joysticks, lost surfaces and all.
// Checked after each run: a script is either played (status 0, the run ends by the frame limit
// or the game's quit) or refused with its line named (status 2); nothing else may happen.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "framework/runner/headless_runner.h"
#include "game/scenes.h"
#include "platform/headless/headless.h"

namespace {
// Enough for the title, a game begun and input of every kind; a game's whole 30 s (600 frames)
// would make each run too slow to fuzz.
constexpr int kFrames = 100;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RunOptions options;
    options.config.frames = kFrames;
    options.config.time = 1700000000;
    options.script.assign(reinterpret_cast<const char*>(data), size);
    options.prepare = [] { UseProgram(GameProgram()); };
    std::ostringstream trace;
    options.trace = &trace;
    std::string error;
    const int status = RunHeadless(options, error);
    if (status == 2) {
        if (error.compare(0, 5, "line ") != 0) __builtin_trap();   // a refusal names its line
        return 0;
    }
    if (status != 0) __builtin_trap();   // no output to fail: a played script always works
    if (platform::headless::currentFrame() > kFrames) __builtin_trap();
    return 0;
}
