// elSystem: message box, machine queries, executable directory, cursor confinement, input hold,
// and the orderly shutdown that Escape and the window's close both lead to.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/system/system_utils.h is the framework's own; include <quorbix/system.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdarg>
#include <cstdint>
#include <string>

namespace elSystem {

constexpr int kExeDirSize = 256;

// What elSystem keeps for the program: its folders, the cursor clip, input hold, the close state.
struct SystemState {
    char ExeDir[kExeDirSize] = {};
    std::string AssetDir;   // as the program set it; "" for the executable's directory
    std::string AssetPath;  // the folder GetAssetDir last gave, with its separator
    int CursorClipped = 0;
    int InputHold = 0;
    int CloseState = 0;   // 0 running, 1 closing through WM_CLOSE, 2 shut down
    void reset() { *this = SystemState{}; }
};
// elSystem's state itself.
extern SystemState System;

// Shows a printf-style text in a system-modal box captioned "Message" and waits until it is closed.
void Message(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The free bytes of a drive (its letter), up to the largest int; 0 when it cannot be read.
int GetDiskFree(int drive);
// The free physical memory in bytes, up to the largest int.
int GetFreeMemory();
// Moves the pointer to (x, y); 1 on success (a page cannot move it).
int SetCursorPos(int x, int y);
// The executable's directory, ending with the separator; "" when its path does not fit.
const char* GetExeDir();
// Called by UseProgram with the program's asset folder (ProgramSetup::AssetDir), and by a
// program that moves it while it runs: a folder under the executable's directory, or an
// absolute one; null or "" for the executable's directory itself.
void SetAssetDir(const char* dir);
// Called by every loader of a named file (bitmaps, waves, MIDI): the folder the name is put
// after, ending with the separator. GetExeDir() while no folder is set. Valid until the next
// call of either.
const char* GetAssetDir();
// The program's own command line: the words after the host's options, as one text.
const char* GetCommandLine();
// Holds input back until ResumeInput: polled keys and buttons read as up, presses make no clicks.
void HoldInput();
// Ends HoldInput; the last key is forgotten.
void ResumeInput();
// The desktop's bits per pixel.
int GetColorDepth();
// 1 while the program shows in a window, 0 in the full screen.
int IsWindowed();
// Confines the pointer to a rectangle of the screen; 1 on success (a page cannot).
int ClipCursor(int left, int top, int right, int bottom);
// Confines the pointer to the window's client area.
void ClipCursorToScreen();
// Lets the pointer go anywhere again; 1 on success.
int FreeCursor();
// 1 while the pointer is confined.
int IsCursorClipped();
// Ends the program: releases every service (display, sound, fonts) and closes the window.
int Shutdown();

// Formats into a buffer of `size` bytes, always terminated, cutting the text so that `reserve`
// more bytes still fit; a two-byte character is never cut in half. Returns the length.
int FormatInto(char* buffer, int size, int reserve, const char* format, va_list args);

}  // namespace elSystem
