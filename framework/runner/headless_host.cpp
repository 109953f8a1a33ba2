// Headless runner: the program host of headless programs.
#include "framework/runner/headless_host.h"

#include <string>

namespace quorbix {

namespace {
const char* const kHeadlessHelp =
    "SCRIPT is a file of input events, one per line as 'FRAME EVENT ARGS' (a session recorded in\n"
    "the window with --record is one), or - for standard input; without it the program runs with\n"
    "no input. Options may also follow SCRIPT.";
}  // namespace

int RunHeadlessProgram(const ProgramSetup& program, int argc, char** argv, const HostCommandLine& more,
                       const std::function<int(HeadlessCommandLine&)>& started) {
    const std::string name = HostProgramName(program, more, "-headless");
    const std::string summary = more.Summary != nullptr ? more.Summary
                                : std::string(program.Summary != nullptr ? program.Summary : program.Title) +
                                      " Without a display: input from a script, the trace, frames and sound to files.";
    const CommandLineSyntax syntax{
        .program = name.c_str(),
        .synopsis = more.Synopsis != nullptr ? more.Synopsis : "[OPTIONS] [SCRIPT]",
        .summary = summary.c_str(),
        .options = RunnerOptions(more.Options),
        .epilogue = more.Help != nullptr ? more.Help : kHeadlessHelp,
        .version = program.Version,
    };
    HeadlessCommandLine run;
    int status = ParseHeadlessCommandLine(argc, argv, syntax, run);
    if (status >= 0) return status;
    const ProgramSetup setup = program;
    run.options.prepare = [setup] { UseProgram(setup); };
    if (started) {
        status = started(run);
        if (status >= 0) return status;
    }
    return RunHeadlessCommandLine(syntax, run);
}

}  // namespace quorbix
