// first-scene-headless: the same program without a display, from a script, writing the trace.
#include "framework/runner/runner_command_line.h"

void UseFirstScene();

namespace {
const CommandLineSyntax kCommandLine{
    "first-scene-headless",
    "[OPTIONS] [SCRIPT]",
    "The first scene without a display, its input from a script of events.",
    RunnerOptions(),
};
}  // namespace

int main(int argc, char** argv) {
    HeadlessCommandLine run;
    const int exitCode = ParseHeadlessCommandLine(argc, argv, kCommandLine, run);
    if (exitCode >= 0) return exitCode;
    run.options.prepare = UseFirstScene;
    return RunHeadlessCommandLine(kCommandLine, run);
}
