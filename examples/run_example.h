// Examples: running a program on the shell headless through the runner, for the example
// programs and their tests.
#pragma once
#include <string>
#include <vector>

// Runs the program that `use` puts into the shell for `frames` frame numbers on `script`.
// Returns the trace, one JSON line per frame number; error says why when the run failed.
std::vector<std::string> RunExample(void (*use)(), const std::string& script, int frames, std::string& error);
