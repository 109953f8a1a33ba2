// Headless runner: plays a program on the headless backend from a script and writes the trace.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/runner/headless_runner.h is the framework's own; include <quorbix/headless.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <functional>
#include <ostream>
#include <string>

#include "framework/shell/frame_loop.h"
#include "platform/headless/audio.h"
#include "platform/headless/headless.h"

#include <utility>
#include <vector>

namespace quorbix {

// A set of frame numbers: "all", or numbers and ranges such as "1,2,600" or "10-20" (ParseFrameList,
// framework/runner/runner_command_line.h).
struct FrameSet {
    bool all = false;
    std::vector<std::pair<int, int>> ranges;   // first and last, both included
    bool contains(int frame) const;
    bool empty() const { return !all && ranges.empty(); }
};

// What RunHeadless runs: the machine (frames, clock, time), the script, the outputs and the program
// to install.
struct RunOptions {
    platform::headless::Config config;
    // True when config.frameMs was chosen (--frame-ms): otherwise the clock moves the installed
    // program's frame period (ProgramSetup::FramePeriodMs) per frame number.
    bool frameMsGiven = false;
    std::string script;             // script text (already read from its file)
    std::string scriptName;         // its file's name, put before a bad line's message; "" for none
    std::ostream* trace = nullptr;  // JSON Lines, one object per frame number; null for none
    std::string tracePath;          // the same lines to this file, in place once complete; "" for none
    std::string framesDir;          // where the dumped frames go ("" for none)
    FrameSet dump;                  // which frames are written there as frame-NNNNNN.png
    std::string audioPath;          // the whole mix as a 16-bit stereo WAV; "" for none
    // The frames gifFrom to gifTo (0: to the session's end) as an animated GIF, each frame number
    // lasting the frame length, its pictures gifScale (1 or 2) times as large; "" for none.
    std::string gifPath;
    int gifFrom = 1;
    int gifTo = 0;
    int gifScale = 1;
    // The same frames as a WebM video (VP9, Opus) with the mix's sound, each picture from the
    // time its frame's sound starts, the last a frame length; "" for none. Builds without
    // FFmpeg's libraries refuse it before the run (status 2).
    std::string videoPath;
    // The script is a recorded session: every frame is checked against its state comments, and
    // the run ends with status 1 (error saying where) when one differs.
    bool checkStates = false;
    // The language the program's texts are shown in (framework/core/texts.h): the default unless
    // the command line chose one, whatever the system's.
    std::string language = "ja";
    // Installs the program to run (UseProgram, framework/shell/frame_loop.h): called after the
    // program-start reset, before WinMain.
    std::function<void()> prepare;
    // Called after each frame number, once the trace line and the dumped frame are written.
    void (*frameEnd)(int frame, void* user) = nullptr;
    void* frameEndUser = nullptr;
};

// Makes the directory the frames are written to, with its parents, unless it is there. False,
// with a message in error, when it cannot be made.
bool MakeFramesDirectory(const std::string& dir, std::string& error);

// Runs the program to its end or to the frame limit. Every input and limit is checked before
// any output is opened; the trace and the audio file are written to temporary files that take
// their places once complete (platform/files/output_file.h), each frame likewise. Returns the
// process exit code: 0 when the run worked, 1 when a frame, the trace or the audio file could
// not be written in full, 2 for a bad script, sound too long for a wave file, a frames directory
// that cannot be made, a trace file that cannot be opened, a GIF's folder that is missing or a
// GIF's frames outside the session (past the frame limit, or after the program ended: the GIF is
// then not written; error says why), and the same for the video's.
int RunHeadless(const RunOptions& options, std::string& error);

// The integer value of a field of one trace line ("-1" style values included); -999 if absent.
long long TraceField(const std::string& line, const std::string& name);
// The integers of an array field of one trace line, in order: "sounds" gives the slots started
// in that frame, "mouse" the point. Empty when the field is absent or its array is empty.
std::vector<long long> TraceList(const std::string& line, const std::string& name);

// Writes a picture, as shownPicture gives it, to a PNG file at `path` (written whole or not at
// all). False with the reason in error.
bool WritePicture(const std::string& path, const platform::headless::Picture& picture, std::string& error);

}  // namespace quorbix

// What a test sees and sets while a headless run goes on: the headless backend's own controls.
namespace quorbix {
using HeadlessPicture = platform::headless::Picture;   // width, height, pixels 0x00RRGGBB row by row
using ShownBox = platform::headless::Box;      // a message box shown: caption, text, style
// The picture the window shows after the last presentation.
inline const HeadlessPicture& ShownPicture() { return platform::headless::shownPicture(); }
// A key held down or let go from now on, as GetKey and IsKeyDown read it (a virtual-key code).
inline void SetKeyDown(int virtualKey, bool down) { platform::headless::setKeyDown(virtualKey, down); }
// Joystick 0 or 1 present at x, y (0 to 65535, 32767 the centre) with the buttons down (bit n is
// button n + 1), from now on; or pulled out.
inline void SetJoystick(int id, int x, int y, std::uint32_t buttons) { platform::headless::setJoystick(id, x, y, buttons); }
// Joystick 0 or 1 pulled out from now on.
inline void UnplugJoystick(int id) { platform::headless::unplugJoystick(id); }
// Without a sound device, opening the sound fails, as on a machine without a sound card.
inline void SetAudioDevicePresent(bool present) { platform::headless::setAudioDevicePresent(present); }
// The message boxes shown since the last call.
inline std::vector<ShownBox> TakeBoxes() { return platform::headless::takeBoxes(); }
}  // namespace quorbix

#include "framework/core/legacy_names.h"
