// elDraw: the display's state and its release (the set-up, elDraw::Screen, is screen.cpp).
#include "framework/draw/display.h"

#include <algorithm>

#include "framework/core/app_state.h"
#include "framework/core/display_link.h"
#include "framework/core/program_state.h"
#include "framework/system/shutdown.h"

namespace elDraw {

DisplayState Display;
const ProgramStateRegistration kDisplayReset{ResetStage::Display, [] { Display.reset(); }};

namespace {

void ScreenSize(int& width, int& height) {
    width = Display.ScreenWidth;
    height = Display.ScreenHeight;
}
// What the error box and elSystem ask of the display, and its part of the shutdown.
const DisplayLinkRegistration kDisplayLink{{FlipToGDISurface, ScreenSize}};
const elSystem::ShutdownRegistration kScreenRelease{elSystem::ShutdownStep::Screen, ReleaseScreen};

}  // namespace

void DisplayState::reset() {
    ReleaseScreen();
    *this = DisplayState{};
}

void FlipToGDISurface() {
    if (Display.DirectDraw != nullptr) Display.DirectDraw->FlipToGDISurface();
}

void SetClipWindow(int left, int top, int right, int bottom) {
    Display.ClipWindow = ClipRect{left, top, right, bottom};
}

ClipRect DrawableArea() {
    if (Display.Back == nullptr) return ClipRect{};
    const ClipRect& c = Display.ClipWindow;
    return ClipRect{std::max(c.left, 0), std::max(c.top, 0), std::min(c.right, Display.Back->width()),
                    std::min(c.bottom, Display.Back->height())};
}

void ReleaseScreen() {
    if (Display.DirectDraw == nullptr) return;
    if (Display.BackDC != nullptr && Display.Back != nullptr) Display.Back->ReleaseDC(Display.BackDC);
    Display.BackDC = nullptr;
    // Windowed, Back is a surface of its own; full screen it is Front's back buffer and goes
    // with Front, and its pointer is cleared all the same so that nothing draws into freed memory.
    platform::Surface* attached = nullptr;
    if (Display.Front != nullptr) Display.Front->GetAttachedSurface(platform::DDSCAPS_BACKBUFFER, &attached);
    if (Display.Back != nullptr && Display.Back != attached) Display.Back->Release();
    Display.Back = nullptr;
    if (Display.Front != nullptr) Display.Front->Release();
    Display.Front = nullptr;
    Display.DirectDraw->Release();
    Display.DirectDraw = nullptr;
}

void UseTrueColor() { Display.ColorDepth = 32; }

}  // namespace elDraw
