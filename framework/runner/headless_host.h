// Headless runner: the program host of headless programs, the twin of RunWindowProgram
// (framework/host/program_host.h). A headless program's main is one line:
//
//     int main(int argc, char** argv) { return quorbix::RunHeadlessProgram(GameProgram(), argc, argv); }
//
// It takes the runner's options (docs/headless.md) and one SCRIPT: a script of input events, or a
// session recorded in the window with --record, which it plays back exactly.
#pragma once
#include <functional>

#include "framework/runner/runner_command_line.h"
#include "framework/host/program_host.h"

namespace quorbix {

// Runs `program` on the headless backend and returns the status the process ends with (that of
// RunHeadlessCommandLine). `started`, when set, is called with the parsed command line before the
// run, and may change the run's options (a script of its own, what happens after each frame); a
// value of 0 or more returned by it ends the program with that status at once.
int RunHeadlessProgram(const ProgramSetup& program, int argc, char** argv, const HostCommandLine& more = {},
                       const std::function<int(HeadlessCommandLine&)>& started = nullptr);

}  // namespace quorbix

#include "framework/core/legacy_names.h"
