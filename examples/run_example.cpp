// Examples: RunExample, the headless runner with a program of one's own in place of the game.
#include "examples/run_example.h"

#include <sstream>

#include <quorbix/headless.h>

std::vector<std::string> RunExample(void (*use)(), const std::string& script, int frames, std::string& error) {
    quorbix::RunOptions options;
    options.config.frames = frames;
    options.script = script;
    options.prepare = use;   // after the program-start reset, before WinMain
    std::ostringstream trace;
    options.trace = &trace;
    error.clear();
    if (quorbix::RunHeadless(options, error) != 0 && error.empty()) error = "the run failed";
    std::vector<std::string> lines;
    std::istringstream in(trace.str());
    for (std::string line; std::getline(in, line);)
        if (line.rfind("{\"backend\":", 0) != 0) lines.push_back(line);   // frames only
    return lines;
}
