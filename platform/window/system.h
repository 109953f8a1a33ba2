// Platform: tick count, calendar time, the cursor's place, the colour depth and machine queries
// (the screen metrics, the message box and the cursor's visibility go with the window: window.h).
#pragma once
#include <cstdint>
#include "platform/files/os.h"
#include "platform/window/window.h"

namespace platform {

// ---------------------------------------------------------------- time

// Milliseconds since the system started, unsigned 32-bit: it wraps after about 49.7 days.
// Called by the frame clock twice a frame and by the wait timers.
std::uint32_t getTickCount();

// Whole seconds of calendar time. Called by the entry point to seed the random generator.
std::int64_t calendarTime();

// ---------------------------------------------------------------- screen (the metrics: window.h)

// Bits per pixel of the display the window is on. Called by elSystem::GetColorDepth.
int getColorDepth();

// ---------------------------------------------------------------- cursor (showCursor: window.h)

// Cursor position in screen coordinates.
bool getCursorPos(int& x, int& y);
bool setCursorPos(int x, int y);
// Confines the cursor to a screen rectangle (right and bottom exclusive); nullptr ends it.
struct Rect { int left = 0, top = 0, right = 0, bottom = 0; };
bool clipCursor(const Rect* rect);
// Tests: the rectangle the last clipCursor asked for; false when the last call ended the
// confinement, or none came since start-up.
bool askedCursorClip(Rect& rect);

// ---------------------------------------------------------------- files and machine queries

// The separator between directories in a path of this system ('\\' on Windows).
constexpr char kPathSeparator = os::kSeparator;

// Full path of the running executable, resolved through links, NUL-terminated and cut to fit.
// Returns the length of the whole path, which is size or more when it was cut (0 on failure).
int getModuleFileName(char* buffer, int size);

// Free space of the volume a drive letter stands for. Every letter stands for the volume that
// holds the executable; anything else fails. The figures are cut to 32 bits, as the call's
// record is.
bool getDiskFreeSpace(const char* root, std::uint32_t& sectorsPerCluster,
                      std::uint32_t& bytesPerSector, std::uint32_t& freeClusters,
                      std::uint32_t& totalClusters);

// Available physical memory in bytes.
std::uint64_t availablePhysicalMemory();

}  // namespace platform

namespace platform {

// Figures that replace the machine's own in the queries above, so that tests can reach the
// limits (a disk with terabytes free, a failed query). nullptr goes back to the real machine.
struct MachineFigures {
    bool diskQueryFails = false;
    std::uint32_t sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    std::uint64_t availablePhysicalMemory = 0;
    const char* modulePath = nullptr;   // the executable's path; null keeps the real one
};
void overrideMachineFigures(const MachineFigures* figures);

}  // namespace platform

namespace platform {
// Called by the bitmap helpers for their short English notes: the debugger's output, which is
// standard error here.
void outputDebugString(const char* text);
}  // namespace platform

namespace platform {
// Which backend runs the program and what it can do: its name ("sdl", "headless"), whether its
// clock is the wall clock, whether frames are shown to a person. Read by the headless trace and
// the start-up log.
struct BackendInfo {
    const char* name;
    bool realTime;
    bool hasDisplay;
};
BackendInfo backendInfo();
}  // namespace platform

namespace platform {
// Called by busy waits on the tick count, once per reading. The real clock moves by itself;
// the headless clock moves one millisecond, so that a busy wait there ends too.
void spinWait();
// Called by elSystem::Delay: sleeps `ms` milliseconds (the headless clock moves by that much).
void sleepMs(std::uint32_t ms);
}  // namespace platform
