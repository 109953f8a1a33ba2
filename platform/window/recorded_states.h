// Platform: the state comments of a recorded session (recording.h), read back so that a replay
// can be checked against them frame by frame (replay-check).
#pragma once
#include <cstdint>
#include <map>
#include <string>

namespace platform {

// FNV-1a, 64 bits: the hash of the state comments.
constexpr std::uint64_t stateHash(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

struct RecordedState {
    int scene = 0;
    std::uint64_t hash = 0;   // stateHash of the program's trace fields after the frame
    bool havePicture = false;  // recordings made before pictures were hashed have none
    std::uint64_t picture = 0; // the hash of the picture the frame composed
    int line = 0;              // where the recording holds it
};

struct RecordedStates {
    std::map<int, RecordedState> states;   // by frame: "# state FRAME SCENE HASH [PICTURE]"
    bool haveEnd = false;                  // "# end after frame N: scene S FIELDS"
    int endFrame = 0;
    int endScene = 0;
    std::string endFields;                 // the last state's fields in full
};

// Called by replay-check with a recording's text. Lines whose first two words are "#" and
// "state" or "#" and "end" are read; every other line is left alone. False with "line N: ..."
// for such a line that is not what the recorder writes: a frame past kMaxScriptFrame, a scene
// that is not a whole number, a hash other than 1 to 16 hexadecimal digits, words missing or
// left over, a second state for one frame, a second end.
bool readRecordedStates(const std::string& text, RecordedStates& out, std::string& error);

}  // namespace platform
