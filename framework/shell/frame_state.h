// Application shell: what a frame left, as a recorded session keeps it and a replay, in the window
// or headless, is checked against it (platform/window/state_check.h).
#pragma once
#include <cstdint>
#include <string>

namespace quorbix {

struct FrameState {
    std::string Fields;          // the program's own trace fields (ProgramSetup::TraceFields)
    std::uint64_t Picture = 0;   // FNV-1a of the picture composed in Back, pixel by pixel
};

// Called after a frame by the frame loop (recording, replay in the window) and the headless
// runner (--check), with the installed program's ProgramSetup::TraceFields (null for none).
FrameState CurrentFrameState(void (*traceFields)(std::string& line));

}  // namespace quorbix

#include "framework/core/legacy_names.h"
