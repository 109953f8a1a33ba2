// first-scene-headless: the same program without a display, from a script, writing the trace.
#include "framework/runner/runner_command_line.h"

#include "first_scene.h"

namespace {
const CommandLineSyntax kCommandLine{
    .program = "first-scene-headless",
    .synopsis = "[OPTIONS] [SCRIPT]",
    .summary = "The first scene without a display, its input from a script of events.",
    .options = RunnerOptions(),
    .version = "1.0",
};
}  // namespace

int main(int argc, char** argv) {
    HeadlessCommandLine run;
    const int exitCode = ParseHeadlessCommandLine(argc, argv, kCommandLine, run);
    if (exitCode >= 0) return exitCode;
    run.options.prepare = UseFirstScene;
    return RunHeadlessCommandLine(kCommandLine, run);
}
