// elDraw: the display (driver, Front, Back, Buffer, Screen) and the clip window; the error box
// it offers, elDraw::ShowError, is in framework/core/error_box.h.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/draw/display.h is the framework's own; include <quorbix/draw.h> instead (this path goes in Quorbix 2.0)")
#endif
#include "framework/core/error_box.h"
#include "platform/video/gdi.h"
#include "platform/video/surface.h"
#include "platform/window/window.h"

namespace elDraw {

// Left, top, right, bottom in pixels of Back; right and bottom are exclusive.
struct ClipRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The display: the surfaces, the screen's size and the ClipWindow every blit is clipped to.
struct DisplayState {
    platform::DirectDraw* DirectDraw = nullptr;   // null while the display is closed
    platform::Surface* Front = nullptr;           // the visible primary surface
    platform::Surface* Back = nullptr;            // every frame is composed here
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    int ColorDepth = 16;         // full-screen colour depth; UseTrueColor makes it 32
    ClipRect ClipWindow;         // every object blit is clipped to it
    platform::HDC BackDC = nullptr;   // held between GetBackDC and ReleaseBackDC
    // Program-start state; a display still open is released first.
    void reset();
};
// The display itself: elDraw::Display.ClipWindow.
extern DisplayState Display;

// The sides elDraw::Screen takes: 1 to 4096 pixels each.
constexpr int kMaxScreenSide = platform::kMaxClientSide;

// Opens the display at width x height: driver, cooperative level, (windowed) the window's client
// area at that size, (full screen) display mode, Front, Back, Buffer (object 0) and Screen
// (object 1), then starts the other services. Returns 1, or 0 after an error box (a side out of
// range is refused before anything is made).
int Screen(int width, int height);
// Stores the clip window as given, without any check.
void SetClipWindow(int left, int top, int right, int bottom);
// Called by the filled shapes and the turned put: the clip window cut to Back's extent (empty,
// right <= left, without Back), the part of Back they may draw on.
ClipRect DrawableArea();
// Releases Front, Back (windowed) and the driver. The object table keeps its contents.
void ReleaseScreen();

// Makes the desktop surface visible (for a box in full-screen mode); nothing without a display.
void FlipToGDISurface();

// Asks for 32 bits per pixel in the full screen instead of 16; called before Screen.
void UseTrueColor();

}  // namespace elDraw
