// Headless runner: plays the game on the headless backend from a script and writes the trace.
#pragma once
#include <ostream>
#include <string>

#include "platform/headless/headless.h"

struct RunOptions {
    platform::headless::Config config;
    std::string script;             // script text (already read from its file)
    std::ostream* trace = nullptr;  // JSON Lines, one object per frame number; null for none
    std::string audioPath;          // the whole mix as a 16-bit stereo WAV; "" for none
};

// Runs the program to its end or to the frame limit. Returns the process exit code: 0 when the
// run worked, 2 for a bad script, 1 when the audio file cannot be written (error says why).
int RunHeadless(const RunOptions& options, std::string& error);

// Parses the command line of quorbix-headless into options and the script's path
// ("" for none, "-" for standard input). False with a message in error for bad arguments.
bool ParseRunnerArguments(int argc, char** argv, RunOptions& options, std::string& scriptPath,
                          std::string& tracePath, std::string& error);

// Appends s to out as a JSON string literal.
void AppendJsonString(std::string& out, const std::string& s);
