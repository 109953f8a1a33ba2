// elDraw: the display (driver, Front, Back, Buffer, Screen), the clip window and the error box.
#pragma once

namespace elDraw {

struct DisplayState {
    bool Open = false;           // a display driver object exists
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    int ColorDepth = 16;         // full-screen colour depth; UseTrueColor makes it 32
    void reset() { *this = DisplayState{}; }
};
extern DisplayState Display;

// Builds operation + " : " + message (code-page texts), beeps, shows the system-modal error box
// with the caption "エラー発生" and returns 0, the failure result its callers pass on.
int ShowError(const char* operation, const char* message);

// Makes the desktop surface visible (for a box in full-screen mode); nothing without a display.
void FlipToGDISurface();

void ReleaseScreen();
void UseTrueColor();

}  // namespace elDraw
