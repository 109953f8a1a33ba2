// Platform: recording a windowed session as an input script (docs/headless.md) that the headless
// runner plays back exactly, and replaying such a script in the window.
//
// The recorder writes what reached the window (pointer, buttons, keys, activation, close) with
// the number of the frame before which it was handled, and what the program read that a replay
// cannot know by itself: the calendar time at each reading and the tick count of each frame
// whose tick differs from the steady frame length, and each joystick reading that differs from the
// last. While recording, the tick count and the joysticks stand still during a frame on the
// window's thread, as they do on the headless clock; a replay gives the recorded ones back, and
// the keys as the replayed key messages leave them. After each frame whose state changed, a
// comment "# state FRAME SCENE FIELDS PICTURE" holds the hashes (stateHash) of the program's
// trace fields and of the picture it composed, so that a replay can be checked frame by frame;
// the last state's fields are written in full at the end.
#pragma once
#include <cstdint>
#include <string>

#include "platform/window/recorded_states.h"

namespace platform {

// Called by the entry point before the window opens, once its command line is checked. False
// with a reason when the file cannot be written or read (replay: a bad script names its line).
// The recording goes to a temporary file beside `path` (platform/files/output_file.h): an earlier
// session there stays as it is until this one ends.
bool startRecording(const std::string& path, std::string& error);
bool startReplay(const std::string& path, std::string& error);
// Tests: a replay started here ends, as if none had been started (its events left untyped).
void stopReplay();
// Called by the entry point when WinMain has returned. sessionEnded (the program quit, WinMain
// returned nonzero): writes the last state and puts the recording in place of the file, false
// with the reason when it could not be written in full. Otherwise (the window never opened)
// removes what was recorded and leaves the file as it was.
bool stopRecording(bool sessionEnded, std::string& error);
bool recordingActive();
// Called by the program host once the recording started: the language the program's texts are
// shown in, written as the comment "# language TAG" (scriptLanguage), so that a replay shows the
// same texts. replayLanguage is the one the replayed session names ("" for none).
void recordLanguage(const std::string& tag);
std::string replayLanguage();

// Called by the frame loop after each frame while recording: the scene that ran, the program's
// own trace fields (ProgramSetup::TraceFields) and the hash of the picture it composed.
void recordFrameState(int scene, const std::string& fields, std::uint64_t picture);
// Writes the session recorded so far to `path` (whole or not at all), as the file would hold it
// had the window been closed after the last frame that ran (a replay stops there): that frame's
// number and the frame period come back, for a replay of its end. False with the reason when nothing is recorded or the
// file cannot be written. Called on the window's thread, between frames.
bool copyRecording(const std::string& path, int& lastFrame, std::uint32_t& periodMs, std::string& error);
// A recorded session is being replayed in the window (startReplay).
bool replayActive();
// The number of the frame running now while a session is recorded or replayed (the frame
// numbers of the recording's events and state comments).
int sessionFrame();

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
// The program slept or spun this long on the window's thread (SessionHooks::waited).
void waited(std::uint32_t ms);
// A joystick's reading on its way to the program (SessionHooks::joystick).
bool joystick(int id, bool present, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons);
}  // namespace platform::recording
