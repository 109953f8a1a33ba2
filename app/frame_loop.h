// Application shell: the entry point and its frame loop.
#pragma once

// The program's entry point: registers the window class, opens the window, runs GameInit and
// then the frame loop until WM_QUIT. commandLine is the text after the program name. Returns 0
// when the window cannot be created, else non-zero.
int WinMain(const char* commandLine, int showCommand);

// One frame of the loop: frame clock, scene dispatch and the loop's own bookkeeping.
void RunFrame();

// What WinMain starts: the game by default. Another program on the same shell (the effects
// gallery) puts its own window title and start-up here, and its scenes in SceneFunctions,
// before it calls WinMain.
struct ProgramSetup {
    const char* Title = "Quorbix v1.0";
    void (*Init)() = nullptr;   // null runs GameInit
};
extern ProgramSetup Program;

// The frame function of each scene number (1 play, 2 title, 3 result); tests may put their own.
using SceneFunction = void (*)();
extern SceneFunction SceneFunctions[4];
