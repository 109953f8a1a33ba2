// Program host: what every windowed program's main does. It reads the
// command line (--help, --version, --scale, --fullscreen, --trace, --record, --replay and the
// program's own options), installs the program, runs WinMain and ends the session: the trace and
// the recording put in place, the exit status. A main is one line:
//
//     int main(int argc, char** argv) { return quorbix::RunWindowProgram(GameProgram(), argc, argv); }
//
// The headless twin, RunHeadlessProgram, is the runner's (framework/runner/headless_host.h).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "framework/host/command_line.h"
#include "framework/shell/frame_loop.h"

namespace quorbix {

// What a program adds to the host's command line; every field may be left as it is.
struct HostCommandLine {
    // The program's name in messages, --help and --version: null for ProgramSetup::Name (for a
    // headless program, that name and "-headless"), else the executable's file name.
    const char* Program = nullptr;
    const char* Summary = nullptr;    // --help's one line; null for the host's, from ProgramSetup
    const char* Synopsis = nullptr;   // what --help prints after the name; null for the host's
    const char* Help = nullptr;       // printed after the options by --help; null for the host's
    // The program's own options, listed after the host's. A headless program's option with a
    // runner option's name takes that option's place (the gallery's --frames-dir).
    std::vector<CommandLineOption> Options;
};

// The program's name in messages, --help and --version: HostCommandLine::Program, else
// ProgramSetup::Name and `suffix` ("-headless" for the headless twin), else the executable's.
std::string HostProgramName(const ProgramSetup& program, const HostCommandLine& more, const char* suffix);

// The options every windowed program takes from the host, in the order --help lists them.
std::vector<CommandLineOption> WindowProgramOptions();

// Runs `program` in a window and returns the status the process ends with: 0 after a session
// whose files (trace, recording) were written in full, 1 when the window could not be opened or
// a file not written, 2 for a usage error, a recording that cannot be read or a trace or
// recording file that cannot be opened. `started`, when set, is called with the parsed command
// line before the program runs (its own options); a value of 0 or more returned by it ends the
// program with that status at once.
int RunWindowProgram(const ProgramSetup& program, int argc, char** argv, const HostCommandLine& more = {},
                     const std::function<int(const ParsedCommandLine&)>& started = nullptr);

}  // namespace quorbix

#include "framework/core/legacy_names.h"
