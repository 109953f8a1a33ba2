// first-scene-headless: the same program without a display, from a script, writing the trace.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "framework/runner/headless_runner.h"

void UseFirstScene();

int main(int argc, char** argv) {
    RunOptions options;
    std::string scriptPath, tracePath, error;
    if (!ParseRunnerArguments(argc, argv, options, scriptPath, tracePath, error)) {
        std::fprintf(stderr, "first-scene-headless: %s\n", error.c_str());
        return 2;
    }
    std::ifstream script(scriptPath);
    options.script.assign(std::istreambuf_iterator<char>(script), std::istreambuf_iterator<char>());
    std::ofstream trace(tracePath.empty() ? "/dev/null" : tracePath);
    options.trace = &trace;
    options.prepare = UseFirstScene;
    int code = RunHeadless(options, error);
    if (code != 0) std::fprintf(stderr, "first-scene-headless: %s\n", error.c_str());
    return code;
}
