// Application shell: the entry point, its frame loop, and what a program hands the shell.
#pragma once
#include <string>

// The program's entry point: registers the window class, opens the window, runs the program's
// start-up and then the frame loop until WM_QUIT. commandLine is the text after the program
// name. Returns 0 when the window cannot be created, else non-zero.
int WinMain(const char* commandLine, int showCommand);

// Called by WinMain after each frame it runs, and once with quit = true when it ends (the
// real-time trace, framework/shell/trace.h). Null for none.
using FrameObserver = void (*)(bool quit);
void SetFrameObserver(FrameObserver observer);

// One frame of the loop: frame clock, scene dispatch and the loop's own bookkeeping.
void RunFrame();

// Scene numbers run from 1 to kSceneSlots - 1; 0 is no scene.
constexpr int kSceneSlots = 4;
using SceneFunction = void (*)();

// What WinMain runs: every program on the shell (the game, the effects gallery, the guide's
// examples) describes itself here and hands it to UseProgram before WinMain runs.
struct ProgramSetup {
    // The program's name, which its messages on standard error begin with ("first-scene: ...");
    // null for the executable's file name. Its --version comes from CommandLineSyntax.
    const char* Name = nullptr;
    const char* Title = "";
    void (*Init)() = nullptr;                   // start-up, once the window is open
    SceneFunction Scenes[kSceneSlots] = {};     // the frame function of each scene number
    void (*Reset)() = nullptr;                  // the program's own state back to its start
    // Appends the program's own fields to a headless trace line (",\"name\":value" each).
    void (*TraceFields)(std::string& line) = nullptr;
};
extern ProgramSetup Program;

// The frame function of each scene number as the frame loop calls it: the program's table,
// which a program or a test may change while it runs.
extern SceneFunction SceneFunctions[kSceneSlots];

// Installs a program: Program becomes `setup`, its scene table is put in place and its own
// state is reset. ResetProgramState keeps the installed program.
void UseProgram(const ProgramSetup& setup);
