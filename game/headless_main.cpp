// quorbix-headless: the game on the headless backend, driven by a script (docs/headless.md).
#include "framework/runner/runner_command_line.h"
#include "framework/shell/frame_loop.h"
#include "game/scenes.h"

namespace {
const CommandLineSyntax kCommandLine{
    "quorbix-headless",
    "[OPTIONS] [SCRIPT]",
    "Quorbix without a display: a virtual clock, input from a script, the trace, frames and sound to files.",
    RunnerOptions(),
    "SCRIPT is a file of events, one per line as 'FRAME EVENT ARGS', or - for standard input;\n"
    "without it the game runs with no input. Options may also follow SCRIPT. See docs/headless.md.",
};
}  // namespace

int main(int argc, char** argv) {
    HeadlessCommandLine run;
    const int exitCode = ParseHeadlessCommandLine(argc, argv, kCommandLine, run);
    if (exitCode >= 0) return exitCode;
    run.options.prepare = [] { UseProgram(GameProgram()); };
    return RunHeadlessCommandLine(kCommandLine, run);
}
