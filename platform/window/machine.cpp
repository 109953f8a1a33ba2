// Platform: the executable's path and the disk and memory queries (the same on every backend).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <climits>
#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/files/os.h"
#include "platform/window/window.h"
#include "platform/window/system.h"

namespace platform {
namespace {

struct MachineState {
    bool overridden = false;
    MachineFigures figures;
};
MachineState machine;

}  // namespace

void overrideMachineFigures(const MachineFigures* figures) {
    machine.overridden = figures != nullptr;
    if (figures != nullptr) machine.figures = *figures;
}

int getModuleFileName(char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    const std::string path = machine.overridden && machine.figures.modulePath != nullptr
                                 ? std::string(machine.figures.modulePath)
                                 : os::executablePath();
    const std::size_t n = std::min<std::size_t>(path.size(), INT_MAX - 1);
    if (n == 0) {
        buffer[0] = '\0';
        return 0;
    }
    const std::size_t len = std::min<std::size_t>(n, static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, path.data(), len);
    buffer[len] = '\0';
    return static_cast<int>(n);
}

bool getDiskFreeSpace(const char* root, std::uint32_t& sectorsPerCluster,
                      std::uint32_t& bytesPerSector, std::uint32_t& freeClusters,
                      std::uint32_t& totalClusters) {
    if (root == nullptr || !std::isalpha(static_cast<unsigned char>(root[0])) || root[1] != ':')
        return false;
    if (machine.overridden) {
        if (machine.figures.diskQueryFails) return false;
        sectorsPerCluster = machine.figures.sectorsPerCluster;
        bytesPerSector = machine.figures.bytesPerSector;
        freeClusters = machine.figures.freeClusters;
        totalClusters = machine.figures.totalClusters;
        return true;
    }
    std::string dir = os::executableFolder();
    if (dir.empty()) dir = std::string(1, os::kSeparator);
    std::uint64_t freeBytes = 0, totalBytes = 0;
    if (!os::diskSpace(dir, freeBytes, totalBytes)) return false;
    // Clusters of 4096 bytes (8 sectors of 512); the counts are cut to 32 bits like the record's.
    sectorsPerCluster = 8;
    bytesPerSector = 512;
    freeClusters = static_cast<std::uint32_t>(std::min<std::uint64_t>(freeBytes / 4096, UINT32_MAX));
    totalClusters = static_cast<std::uint32_t>(std::min<std::uint64_t>(totalBytes / 4096, UINT32_MAX));
    return true;
}

std::uint64_t availablePhysicalMemory() {
    if (machine.overridden) return machine.figures.availablePhysicalMemory;
    return os::availableMemory();
}

}  // namespace platform

namespace platform {
void outputDebugString(const char* text) {
    if (text != nullptr) std::fputs(text, stderr);
}
}  // namespace platform

// ---------------------------------------------------------------- what the backend supplies

namespace platform {

BackendInfo backendInfo() {
    const backend::Capabilities& c = backend::describe();
    return {c.name, c.realTime, c.hasDisplay};
}

std::uint32_t getTickCount() {
    const SessionHooks* hooks = sessionHooks();
    return hooks != nullptr ? hooks->tick(backend::tickCount()) : backend::tickCount();
}
std::int64_t calendarTime() {
    const SessionHooks* hooks = sessionHooks();
    return hooks != nullptr ? hooks->calendar(backend::calendarSeconds()) : backend::calendarSeconds();
}
int getColorDepth() { return backend::colorDepth(); }
bool getCursorPos(int& x, int& y) { return backend::cursorPosition(x, y); }
bool setCursorPos(int x, int y) { return backend::moveCursor(x, y); }
namespace {
struct AskedClip {
    bool confined = false;
    Rect rect;
} askedClip;
}  // namespace
bool clipCursor(const Rect* rect) {
    askedClip = rect != nullptr ? AskedClip{true, *rect} : AskedClip{};
    return backend::confineCursor(rect);
}
bool askedCursorClip(Rect& rect) {
    rect = askedClip.rect;
    return askedClip.confined;
}
// A recorded or replayed session's clock stands still within a frame: what the program waits
// moves it (a busy wait by a millisecond a reading), so that a wait there ends.
void spinWait() {
    backend::spinWait();
    if (const SessionHooks* hooks = sessionHooks()) hooks->waited(1);
}
void sleepMs(std::uint32_t ms) {
    backend::sleep(ms);
    if (const SessionHooks* hooks = sessionHooks()) hooks->waited(ms);
}

}  // namespace platform
