// Platform: recording a windowed session as an input script (docs/headless.md) that the headless
// runner plays back exactly, and replaying such a script in the window.
//
// The recorder writes what reached the window (pointer, buttons, keys, activation, close) with
// the number of the frame before which it was handled, and what the program read that a replay
// cannot know by itself: the calendar time at each reading and the tick count of each frame
// whose tick differs from the steady frame length. While recording, the tick count stands still
// during a frame on the window's thread, as it does on the headless clock. After each frame
// whose state changed, a comment "# state FRAME SCENE HASH" holds the program's trace fields'
// hash (stateHash), so that a replay can be checked frame by frame; the last state is written in
// full at the end.
#pragma once
#include <cstdint>
#include <string>

namespace platform {

// Called by the entry point before the window opens, once its command line is checked. False
// with a reason when the file cannot be written or read (replay: a bad script names its line).
// The recording goes to a temporary file beside `path` (platform/files/output_file.h): an earlier
// session there stays as it is until this one ends.
bool startRecording(const std::string& path, std::string& error);
bool startReplay(const std::string& path, std::string& error);
// Called by the entry point when WinMain has returned. sessionEnded (the program quit, WinMain
// returned nonzero): writes the last state and puts the recording in place of the file, false
// with the reason when it could not be written in full. Otherwise (the window never opened)
// removes what was recorded and leaves the file as it was.
bool stopRecording(bool sessionEnded, std::string& error);
bool recordingActive();

// Called by the frame loop after each frame while recording: the scene that ran and the
// program's own trace fields (ProgramSetup::TraceFields).
void recordFrameState(int scene, const std::string& fields);

// FNV-1a, 64 bits: the hash of the state comments.
constexpr std::uint64_t stateHash(const std::string& text) {
    std::uint64_t h = 14695981039346656037ull;
    for (char c : text) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace platform

// The shared platform code's hooks (platform/window/window.cpp, platform/window/machine.cpp).
namespace platform::recording {
// The backend is turning the window system's input into messages (between begin and end): only
// those are recorded, and a replay drops them; what the program posts itself passes as it is.
void beginInput();
void endInput();
// A message is being posted: recorded when it is input; false when a replay drops real input.
bool notePost(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
// The frame loop asks for the next frame (before) and got an answer (after).
bool beforeFrameWait(std::uint32_t periodMs);   // true: the replay posted events, answer false
void afterFrameWait(bool due);
// The frame loop waits while inactive: true when the replay posted events instead.
bool inactiveWait();
// Readings of the clocks on their way to the program.
std::uint32_t tick(std::uint32_t real);
std::int64_t calendar(std::int64_t real);
}  // namespace platform::recording
