// quorbix-headless: the game on the headless backend, driven by a script (docs/headless.md).
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "framework/runner/headless_runner.h"
#include "framework/shell/command_line.h"
#include "game/scenes.h"

namespace {
const char kUsage[] =
    "usage: quorbix-headless [--frames N] [--time S] [--start-tick MS] [--frame-ms MS]\n"
    "                        [--trace FILE] [--frames-dir DIR --dump LIST] [--audio FILE]\n"
    "                        [--help] [--version] [SCRIPT]\n"
    "SCRIPT is a file of events, one per line as 'FRAME EVENT ARGS', or - for standard input.\n"
    "--dump LIST names the frames written to DIR as frame-NNNNNN.png: 'all', or numbers and\n"
    "ranges such as 1,2,600 or 10-20. See docs/headless.md.\n";
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == "--version") {
            std::printf("%s\n", VersionText("quorbix-headless").c_str());
            return 0;
        }
    }
    RunOptions options;
    std::string scriptPath, tracePath, error;
    if (!ParseRunnerArguments(argc, argv, options, scriptPath, tracePath, error)) {
        std::fprintf(stderr, "quorbix-headless: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (scriptPath == "-") {
        options.script.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else if (!scriptPath.empty()) {
        std::ifstream in(scriptPath, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "quorbix-headless: cannot read script '%s'\n", scriptPath.c_str());
            return 2;
        }
        options.script.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::ofstream traceFile;
    if (!tracePath.empty()) {
        traceFile.open(tracePath, std::ios::binary | std::ios::trunc);
        if (!traceFile) {
            std::fprintf(stderr, "quorbix-headless: cannot write trace '%s'\n", tracePath.c_str());
            return 2;
        }
        options.trace = &traceFile;
    }
    options.prepare = [] { UseProgram(GameProgram()); };
    int code = RunHeadless(options, error);
    if (code == 1) {
        std::fprintf(stderr, "quorbix-headless: %s\n", error.c_str());
        return code;
    }
    if (code != 0) {
        std::fprintf(stderr, "quorbix-headless: %s: %s\n",
                     scriptPath.empty() ? "script" : scriptPath.c_str(), error.c_str());
        return code;
    }
    traceFile.flush();
    if (traceFile.is_open() && !traceFile) {
        std::fprintf(stderr, "quorbix-headless: writing the trace '%s' failed\n", tracePath.c_str());
        return 1;
    }
    return 0;
}
