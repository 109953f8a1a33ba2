// elDraw: quick text for debugging (DebugText, DebugPrint) and the frame-rate display (ShowFps).
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/draw/debug_text.h is the framework's own; include <quorbix/draw.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdint>

namespace elDraw {

// What the frame-rate display measures.
struct FpsState {
    int FrameCount = 0;      // frames in the current window, never above 999
    float FrameRate = 0.0f;  // frames per second measured over the last window
    std::uint32_t WindowStart = 0;   // tick count of the frame that opened the current window
    bool WindowOpen = false;
    void reset() { *this = FpsState{}; }
};
// The frame-rate display's state: Fps.FrameRate is the last measured rate.
extern FpsState Fps;

// 12-pixel Gothic, normal weight, white on dark blue (opaque), top-left corner at (x, y). Each
// takes Back's context itself, so it is called outside a text bracket.
void DebugText(int x, int y, const char* text);
// printf-style formatting; text longer than 255 bytes is cut at a whole character.
void DebugPrint(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Called by every scene as the last drawing of a frame: counts the frame and shows the frame
// rate of the last window of about two seconds ("%3.1f FPS", 16-pixel bold Gothic, white on
// dark blue) in the top-left corner. The window's deadline is elSystem::Clock.FpsDeadline.
void ShowFps();

}  // namespace elDraw
