// Platform: the executable's path and the disk and memory queries (the same on every backend).
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <climits>
#include <cstring>
#include <string>

#include "platform/backend.h"
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
    char path[PATH_MAX];
    ssize_t n;
    if (machine.overridden && machine.figures.modulePath != nullptr) {
        n = static_cast<ssize_t>(std::min<std::size_t>(std::strlen(machine.figures.modulePath), sizeof path - 1));
        std::memcpy(path, machine.figures.modulePath, static_cast<std::size_t>(n));
    } else {
        n = readlink("/proc/self/exe", path, sizeof path - 1);
    }
    if (n <= 0) {
        buffer[0] = '\0';
        return 0;
    }
    int len = static_cast<int>(std::min<ssize_t>(n, size - 1));
    std::memcpy(buffer, path, static_cast<std::size_t>(len));
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
    char exe[PATH_MAX];
    std::string dir = getModuleFileName(exe, sizeof exe) > 0 ? std::string(exe) : std::string("/");
    dir = dir.substr(0, dir.find_last_of('/') + 1);
    struct statvfs fs {};
    if (statvfs(dir.c_str(), &fs) != 0) return false;
    // Clusters of 4096 bytes (8 sectors of 512); the counts are cut to 32 bits like the record's.
    std::uint64_t freeBytes = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    std::uint64_t totalBytes = static_cast<std::uint64_t>(fs.f_blocks) * fs.f_frsize;
    sectorsPerCluster = 8;
    bytesPerSector = 512;
    freeClusters = static_cast<std::uint32_t>(std::min<std::uint64_t>(freeBytes / 4096, UINT32_MAX));
    totalClusters = static_cast<std::uint32_t>(std::min<std::uint64_t>(totalBytes / 4096, UINT32_MAX));
    return true;
}

std::uint64_t availablePhysicalMemory() {
    if (machine.overridden) return machine.figures.availablePhysicalMemory;
    struct sysinfo info {};
    if (sysinfo(&info) != 0) return 0;
    return (static_cast<std::uint64_t>(info.freeram) + info.bufferram) * info.mem_unit;
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
void spinWait() { backend::spinWait(); }
void sleepMs(std::uint32_t ms) { backend::sleep(ms); }

}  // namespace platform
