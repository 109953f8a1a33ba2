// Platform: a replay, in the window or headless, checked frame by frame against the state
// comments of the recording it plays (recording.h): the scene, the hash of the program's trace
// fields and the hash of the picture each frame composed.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

// Called when the replay starts, with the recording's text. False with "line N: ..." for a
// state comment that is not what the recorder writes. A script without state comments starts a
// check that has nothing to compare (checked stays 0).
bool startStateCheck(const std::string& text, std::string& error);
bool stateCheckActive();
// Ends the check: nothing more is compared (a headless run that was not asked to check).
void stopStateCheck();

// Called after each frame of the replay with its number and what it left. A frame is compared
// with the last state the recording holds at or before its number (the recorder writes a state
// only when it changed); frames before the first state are not compared.
void checkFrameState(int frame, int scene, const std::string& fields, std::uint64_t picture);

struct StateCheckResult {
    int checked = 0;       // frames compared
    int differing = 0;     // of those, frames whose state was not the recorded one
    int firstFrame = 0;    // the first of them (0 for none)
    std::string first;     // what differed there: "scene 2, recorded 3", "the picture", ...
};
StateCheckResult stateCheckResult();

// The check's outcome in a line for the person who ran it: "replay: 612 frames as recorded" or
// "replay: 3 of 612 frames differ from the recording, the first at frame 17 (the picture)".
std::string stateCheckSummary();

}  // namespace platform
