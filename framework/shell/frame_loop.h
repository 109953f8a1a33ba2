// Application shell: the entry point, its frame loop, and what a program hands the shell.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/shell/frame_loop.h is the framework's own; include <quorbix/program.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <string>
#include <vector>

#include "framework/core/app_state.h"
#include "framework/core/code_page.h"

// The program's entry point: registers the window class, opens the window, runs the program's
// start-up and then the frame loop until WM_QUIT. commandLine is the text after the program
// name. Returns 0 when the window cannot be created, else non-zero.
int WinMain(const char* commandLine, int showCommand);

namespace quorbix {

// Called by WinMain after each frame it runs, and once with quit = true when it ends (the
// real-time trace, framework/host/trace.h). Null for none.
using FrameObserver = void (*)(bool quit);
// Installs the frame observer (null for none).
void SetFrameObserver(FrameObserver observer);

// One frame of the loop: frame clock, scene dispatch and the loop's own bookkeeping.
void RunFrame();

// Scene numbers run from 1 to kSceneSlots - 1 in the fixed table; 0 is no scene. A program
// with more scenes gives a table of its own (ProgramSetup::SceneTable).
constexpr int kSceneSlots = 4;
using SceneFunction = void (*)();
// The scene-left hook (ProgramSetup::SceneLeft): called once when a scene is left, with the scene
// left and the one entered (0 for none), before the next scene's entry frame.
using SceneLeftFunction = void (*)(int scene, int next);

// The frame periods a program may ask for, in milliseconds (1000 to 1 frames a second).
constexpr unsigned kMinFramePeriodMs = 1;
constexpr unsigned kMaxFramePeriodMs = 1000;

// What WinMain runs: every program on the shell (the game, the effects gallery, the guide's
// examples) describes itself here and hands it to UseProgram before WinMain runs.
struct ProgramSetup {
    // The program's name, which its messages on standard error begin with ("first-scene: ...");
    // null for the executable's file name.
    const char* Name = nullptr;
    const char* Title = "";                     // the window's title
    const char* Summary = nullptr;              // one line for --help; null for the title
    const char* Version = nullptr;              // what --version says; null for the framework's
    void (*Init)() = nullptr;                   // start-up, once the window is open
    SceneFunction Scenes[kSceneSlots] = {};     // the frame function of each scene number
    // A scene table of any size, used instead of Scenes when it is not empty: entry n is the
    // frame function of scene number n (entry 0 is never called; null entries run nothing).
    std::vector<SceneFunction> SceneTable;
    // Milliseconds from one frame to the next, kMinFramePeriodMs to kMaxFramePeriodMs (others
    // are brought to the nearer bound). The window's schedule, the frame-rate display and the
    // headless clock (unless its command line gives --frame-ms) follow it. Times and speeds the
    // program counts in frames scale with it; elSystem::Clock.FrameDelta gives the seconds.
    unsigned FramePeriodMs = kFramePeriodMs;
    // Where LoadObject, elSound::LoadObject and elSound::PlayMidi look for files: a folder
    // under the executable's directory ("assets"), or an absolute one. Null or "" for the
    // executable's directory itself. Built-in resources are found whatever it says.
    const char* AssetDir = nullptr;
    void (*Reset)() = nullptr;                  // the program's own state back to its start
    // Appends the program's own fields to a headless trace line (",\"name\":value" each).
    void (*TraceFields)(std::string& line) = nullptr;
    // What the program's texts are: Shift-JIS bytes (the default), or UTF-8, which PutText,
    // DrawTextBox, MeasureTextBox and quorbix::Text then take and give (TextEncoding::Utf8).
    TextEncoding Texts = TextEncoding::ShiftJis;
    // Called once when a scene is left, at the end of the frame that changed Shell.SceneId (or
    // of the covering transition that did), before the next scene's first frame: `scene` is the
    // scene left, `next` the one entered (0 for none). Where a scene stops its music or saves
    // what it kept. Not called for the first scene's start nor when the program quits.
    SceneLeftFunction SceneLeft = nullptr;
};
// The installed program.
extern ProgramSetup Program;

// The frame function of each scene number as the frame loop calls it: the program's table
// (SceneTable, else Scenes), which a program or a test may change while it runs. Its size is
// fixed by UseProgram: one past the highest scene number.
extern std::vector<SceneFunction> SceneFunctions;

// Installs a program: Program becomes `setup`, its scene table, frame period and asset folder
// are put in place and its own state is reset. ResetProgramState keeps the installed program.
void UseProgram(const ProgramSetup& setup);

// The installed program's frame period in milliseconds, within its bounds (the frame loop's
// pace; the headless runner's clock).
unsigned ProgramFramePeriodMs();

}  // namespace quorbix

#include "framework/core/legacy_names.h"
