// elDraw: debug text and the frame-rate display, both drawn through a text bracket of their own.
#include "framework/draw/debug_text.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "framework/draw/text.h"
#include "framework/system/system_utils.h"
#include "framework/system/wait_timers.h"
#include "platform/window/system.h"
#include "framework/core/program_state.h"

namespace elDraw {

FpsState Fps;
const ProgramStateRegistration kFpsReset{ResetStage::Text, [] { Fps.reset(); }};

namespace {
constexpr int kPrintSize = 256;
constexpr int kFpsTextSize = 64;
constexpr int kMaxFrameCount = 999;   // caps the rate shown at 499.5
constexpr std::uint32_t kWindowMs = 2000;
}  // namespace

void DebugText(int x, int y, const char* text) {
    BeginText(kFaceGothic, 12, 0, 0, 0, 0);
    SetTextColors(0xFFFFFF, 0x800000, 0);
    PutText(x, y, text);
    EndText();
}

void DebugPrint(int x, int y, const char* format, ...) {
    char text[kPrintSize];
    va_list args;
    va_start(args, format);
    elSystem::FormatInto(text, kPrintSize, 0, format != nullptr ? format : "", args);
    va_end(args);
    DebugText(x, y, text);
}

void ShowFps() {
    std::uint32_t now = platform::getTickCount();
    // "At or past the deadline" on a tick count that wraps after 49.7 days: the deadline is
    // reached when the distance from it is less than half the range.
    if (static_cast<std::int32_t>(now - elSystem::Clock.FpsDeadline) >= 0) {
        // The frames counted over the time the window really lasted. A window is opened by the
        // first frame at or past the deadline, which may run a millisecond or two late; divided
        // by a fixed 2 s, a steady 20 frames a second then read 20.5 whenever the next window's
        // closing frame came on time (41 frames inside 2049 ms).
        const std::uint32_t span = now - Fps.WindowStart;
        Fps.FrameRate = Fps.WindowOpen && span > 0
                            ? static_cast<float>(Fps.FrameCount * 1000.0 / span)
                            : static_cast<float>(Fps.FrameCount / 2.0);
        Fps.WindowStart = now;
        Fps.WindowOpen = true;
        elSystem::Clock.FpsDeadline = now + kWindowMs;
        Fps.FrameCount = 0;
    }
    ++Fps.FrameCount;
    if (Fps.FrameCount > kMaxFrameCount) Fps.FrameCount = kMaxFrameCount;
    char text[kFpsTextSize];
    std::snprintf(text, sizeof text, "%3.1f FPS", static_cast<double>(Fps.FrameRate));
    BeginText(kFaceGothic, 16, 0, 1, 0, 0);
    SetTextColors(0xFFFFFF, 0x800000, 0);
    PutText(0, 0, text);
    EndText();
}

}  // namespace elDraw
