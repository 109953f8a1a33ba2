// Headless runner: the command line every headless program takes (docs/headless.md), parsed with
// the windowed programs' table (framework/host/command_line.h), and the run it asks for: the
// script read, the trace file written, the errors said with the program's name.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/runner/runner_command_line.h is the framework's own; include <quorbix/headless.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <string>
#include <vector>

#include "framework/runner/headless_runner.h"
#include "framework/host/command_line.h"

namespace quorbix {

// The options of every headless program in the order --help lists them (--frames, --time,
// --start-tick, --frame-ms, --trace, --frames-dir, --dump, --audio), then the program's own.
// One of the program's own with a runner option's name takes that option's place in the list:
// the program gives it its own meaning (the gallery's --frames-dir alone).
std::vector<CommandLineOption> RunnerOptions(const std::vector<CommandLineOption>& own = {});

// A headless program's command line once parsed.
struct HeadlessCommandLine {
    ParsedCommandLine args;   // every option given, the program's own among them
    RunOptions options;       // the runner's options applied; the program sets prepare
    std::string scriptPath;   // the one word, SCRIPT: "" for none, "-" for standard input
};

// Called first by a headless program's main with its syntax (RunnerOptions() among its options).
// Options may come before or after SCRIPT. Returns -1 when the program goes on; otherwise the
// status it ends with at once: 0 after --help or --version, 2 after a usage error (an unknown
// option, a number out of its range, a bad --dump list, a second SCRIPT, one file named by two
// outputs or by an output and SCRIPT). Without --frames the frame limit covers the script's last
// event (Config::framesCoverScript).
int ParseHeadlessCommandLine(int argc, char** argv, const CommandLineSyntax& syntax, HeadlessCommandLine& out);

// Called by the main next, once it has set run.options.prepare and taken what it handles itself:
// checks that --frames-dir and --dump come together, reads the script (unless scriptPath is ""),
// runs the program with the trace going to its file (RunHeadless) and says any failure on
// standard error with the program's name, and as a warning the script's events the frame limit
// left unplayed. Returns the program's exit status: RunHeadless's, 2 for a usage error or a
// script that cannot be read.
int RunHeadlessCommandLine(const CommandLineSyntax& syntax, HeadlessCommandLine& run);

// Parses a --dump list: "all", or numbers and ranges such as "1,2,600" or "10-20". False with a
// message in error for anything else.
bool ParseFrameList(const std::string& text, FrameSet& out, std::string& error);

}  // namespace quorbix

#include "framework/core/legacy_names.h"
