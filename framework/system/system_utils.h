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

struct SystemState {
    char ExeDir[kExeDirSize] = {};
    std::string AssetDir;   // as the program set it; "" for the executable's directory
    std::string AssetPath;  // the folder GetAssetDir last gave, with its separator
    int CursorClipped = 0;
    int InputHold = 0;
    int CloseState = 0;   // 0 running, 1 closing through WM_CLOSE, 2 shut down
    void reset() { *this = SystemState{}; }
};
extern SystemState System;

void Message(const char* format, ...) __attribute__((format(printf, 1, 2)));
int GetDiskFree(int drive);
int GetFreeMemory();
int SetCursorPos(int x, int y);
const char* GetExeDir();
// Called by UseProgram with the program's asset folder (ProgramSetup::AssetDir), and by a
// program that moves it while it runs: a folder under the executable's directory, or an
// absolute one; null or "" for the executable's directory itself.
void SetAssetDir(const char* dir);
// Called by every loader of a named file (bitmaps, waves, MIDI): the folder the name is put
// after, ending with the separator. GetExeDir() while no folder is set. Valid until the next
// call of either.
const char* GetAssetDir();
const char* GetCommandLine();
void HoldInput();
void ResumeInput();
int GetColorDepth();
int IsWindowed();
int ClipCursor(int left, int top, int right, int bottom);
void ClipCursorToScreen();
int FreeCursor();
int IsCursorClipped();
int Shutdown();

// Formats into a buffer of `size` bytes, always terminated, cutting the text so that `reserve`
// more bytes still fit; a two-byte character is never cut in half. Returns the length.
int FormatInto(char* buffer, int size, int reserve, const char* format, va_list args);

}  // namespace elSystem
