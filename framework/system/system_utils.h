// elSystem: message box, machine queries, executable directory, cursor confinement, input hold,
// and the orderly shutdown that Escape and the window's close both lead to.
#pragma once
#include <cstdarg>
#include <cstdint>

namespace elSystem {

constexpr int kExeDirSize = 256;

struct SystemState {
    char ExeDir[kExeDirSize] = {};
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
