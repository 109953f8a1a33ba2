// NEWGAME-headless: the game without a display, its input from a script, writing the trace,
// pictures and sound that its options ask for (--help lists them).
#include "framework/runner/runner_command_line.h"

#include "game.h"

namespace {
const CommandLineSyntax kCommandLine{
    .program = "NEWGAME-headless",
    .synopsis = "[OPTIONS] [SCRIPT]",
    .summary = "NEWGAME without a display, its input from a script of events (\"3 move 100 100\", \"3 ldown\").",
    .options = RunnerOptions(),
    .optionsAfterWords = true,
    .version = "0.1",
};
}  // namespace

int main(int argc, char** argv) {
    HeadlessCommandLine run;
    const int exitCode = ParseHeadlessCommandLine(argc, argv, kCommandLine, run);
    if (exitCode >= 0) return exitCode;
    run.options.prepare = UseGame;
    return RunHeadlessCommandLine(kCommandLine, run);
}
