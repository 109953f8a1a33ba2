// Program host: the per-frame trace (JSON Lines) that the headless runner and the windowed
// programs write alike (fields in docs/headless.md).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace quorbix {

// A message box shown during a frame, as UTF-8.
struct TraceBox {
    std::string caption;
    std::string text;
};

// The trace's first line: which backend runs the program, and what it can do.
std::string TraceBackendLine();

// One frame number's line, read from what the last frame saw (Shell.LastFrame) and the
// services' state after it. ran says whether a frame ran in this frame number; tick is the tick
// count it stands for. Takes the sound starts logged since the last line.
std::string TraceFrameLine(int frame, std::uint32_t tick, bool ran, bool quit,
                           const std::vector<TraceBox>& boxes);

// Has the frame loop write the trace of a program that runs in real time into `path`: the
// backend line now, one line after every frame that runs and a last one when it ends (frame
// numbers count the frames run, ticks are when they ran). The lines go to a temporary file beside
// `path` that takes its place when the program quits (platform/files/output_file.h). False, said
// on standard error with the program's name, when the file cannot be written.
bool StartTrace(const char* program, const std::string& path);
// Called by the entry point once WinMain has returned (EndWindowProgram): removes the trace of a
// program that never quit, so that an earlier file stays as it was. False when the trace of one
// that quit could not be written in full (already said on standard error).
bool EndTrace();

}  // namespace quorbix

#include "framework/core/legacy_names.h"
