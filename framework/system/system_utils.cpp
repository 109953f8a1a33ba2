// elSystem: thin services over the platform, each returning exactly what the caller relies on.
#include "framework/system/system_utils.h"

#include <array>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/core/app_state.h"
#include "framework/core/code_page.h"
#include "framework/core/display_link.h"
#include "framework/core/program_state.h"
#include "framework/system/shutdown.h"
#include "platform/window/system.h"
#include "platform/window/window.h"

namespace elSystem {

SystemState System;
const ProgramStateRegistration kSystemReset{ResetStage::System, [] { System.reset(); }};

namespace {
constexpr int kMessageSize = 256;

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The services' releases, by step: constructed on first use, so that registrations made before
// main find the table ready.
using Release = void (*)();
std::array<Release, kShutdownSteps>& Releases() {
    static std::array<Release, kShutdownSteps> releases{};
    return releases;
}
}  // namespace

ShutdownRegistration::ShutdownRegistration(ShutdownStep step, void (*release)()) {
    Releases()[static_cast<int>(step)] = release;
}

int FormatInto(char* buffer, int size, int reserve, const char* format, va_list args) {
    int room = size - reserve;
    if (room < 1) room = 1;
    int n = std::vsnprintf(buffer, static_cast<std::size_t>(room), format, args);
    if (n < 0) n = 0;
    if (n >= room) {
        n = room - 1;
        // Do not leave half of a two-byte character at the cut, nor part of a UTF-8 sequence.
        int i = 0;
        if (quorbix::ProgramTextEncoding() == quorbix::TextEncoding::Utf8) {
            int lead = n;
            while (lead > 0 && (static_cast<unsigned char>(buffer[lead - 1]) & 0xC0) == 0x80) --lead;
            i = n;
            if (lead > 0) {
                const unsigned char b = static_cast<unsigned char>(buffer[lead - 1]);
                const int length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
                if (lead - 1 + length > n) i = lead - 1;
            }
        } else {
            while (i < n) {
                if (IsLeadByte(static_cast<unsigned char>(buffer[i]))) {
                    if (i + 1 >= n) break;
                    i += 2;
                } else {
                    ++i;
                }
            }
        }
        n = i;
        buffer[n] = '\0';
    }
    return n;
}

void Message(const char* format, ...) {
    char text[kMessageSize];
    va_list args;
    va_start(args, format);
    // Room is kept for the line break and the terminator.
    int n = FormatInto(text, kMessageSize, 2, format, args);
    va_end(args);
    std::memcpy(text + n, "\r\n", 3);
    PrepareDisplayForBox();
    platform::messageBox(0, text, "Message", platform::MB_SYSTEMMODAL | platform::MB_ICONEXCLAMATION,
                         quorbix::ProgramTextEncoding() == quorbix::TextEncoding::Utf8
                             ? platform::TextEncoding::Utf8
                             : platform::TextEncoding::ShiftJis);
}

int GetDiskFree(int drive) {
    char root[4] = "?:\\";
    root[0] = static_cast<char>(drive & 0xFF);
    std::uint32_t spc = 0, bps = 0, freeClusters = 0, total = 0;
    if (!platform::getDiskFreeSpace(root, spc, bps, freeClusters, total)) return 0;
    // The true figure is reported up to the largest int; beyond that, the largest int.
    std::uint64_t bytes = static_cast<std::uint64_t>(spc) * bps;
    if (bytes != 0 && freeClusters > static_cast<std::uint64_t>(INT_MAX) / bytes) return INT_MAX;
    bytes *= freeClusters;
    return bytes > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(bytes);
}

int GetFreeMemory() {
    std::uint64_t avail = platform::availablePhysicalMemory();
    return avail > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(avail);
}

int SetCursorPos(int x, int y) { return platform::setCursorPos(x, y) ? 1 : 0; }

const char* GetExeDir() {
    char* dir = System.ExeDir;
    int n = platform::getModuleFileName(dir, kExeDirSize);
    // A path cut to fit the buffer would name some other directory: report none instead.
    if (n >= kExeDirSize) n = 0;
    dir[n] = '\0';
    int i = n;
    while (i > 0 && dir[i - 1] != platform::kPathSeparator) dir[--i] = '\0';
    return dir;
}

void SetAssetDir(const char* dir) { System.AssetDir = dir != nullptr ? dir : ""; }

const char* GetAssetDir() {
    const std::string& dir = System.AssetDir;
    if (dir.empty()) return GetExeDir();
    System.AssetPath = dir.front() == platform::kPathSeparator ? dir : GetExeDir() + dir;
    if (System.AssetPath.back() != platform::kPathSeparator) System.AssetPath += platform::kPathSeparator;
    return System.AssetPath.c_str();
}

const char* GetCommandLine() { return Shell.CommandLine; }

void HoldInput() { System.InputHold = 1; }

void ResumeInput() {
    System.InputHold = 0;
    Input.LastKey = 0;
}

int GetColorDepth() { return platform::getColorDepth(); }

int IsWindowed() { return Shell.FullScreen == 0 ? 1 : 0; }

int ClipCursor(int left, int top, int right, int bottom) {
    platform::Rect r{left, top, right, bottom};
    System.CursorClipped = 1;
    return platform::clipCursor(&r) ? 1 : 0;
}

void ClipCursorToScreen() {
    int w = 0, h = 0;
    GetScreenSize(w, h);
    if (Shell.FullScreen != 0)
        ClipCursor(0, 0, w, h);
    else
        ClipCursor(Shell.ClientOriginX, Shell.ClientOriginY, Shell.ClientOriginX + w,
                   Shell.ClientOriginY + h);
}

int FreeCursor() {
    System.CursorClipped = 0;
    return platform::clipCursor(nullptr) ? 1 : 0;
}

int IsCursorClipped() { return System.CursorClipped; }

int Shutdown() {
    // Each service that is part of the program released its own (framework/system/shutdown.h).
    for (Release release : Releases())
        if (release != nullptr) release();
    if (System.CloseState == 0) platform::postMessage(Shell.MainWindow, platform::WM_CLOSE, 0, 0);
    System.CloseState = 2;
    return 1;
}

}  // namespace elSystem
