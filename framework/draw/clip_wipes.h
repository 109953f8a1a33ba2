// elDraw: clip-window wipes: opening or closing the whole picture by moving the ClipWindow's
// edges over a few frames, in nine patterns.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/draw/clip_wipes.h is the framework's own; include <quorbix/draw.h> instead (this path goes in Quorbix 2.0)")
#endif
#include "framework/draw/display.h"

namespace elDraw {

constexpr int kWipeIdle = 0;
constexpr int kWipeOpening = 1;
constexpr int kWipeClosing = 2;
constexpr int kWipeClosed = -1;   // the ClipWindow is collapsed; SavedClipWindow is its full size

// A clip-window wipe's state; ClipWipeOpened and ClipWipeClosed tell the program that one is done.
struct ClipWipeStatus {
    int ClipWipeState = kWipeIdle;
    ClipRect SavedClipWindow;      // the full size a wipe opens to and closes from
    int ClipWipeClosing = 0;
    int ClipWipeType = 0;          // 1 to 9
    float ClipWipeSpeed = 0.0f;    // pixels per second
    int ClipWipeSize = 0;          // the centre strip of types 8 and 9, in pixels
    // Set when a wipe completes, both cleared when one starts; the application reads them.
    int ClipWipeOpened = 0;
    int ClipWipeClosed = 0;
    void reset() { *this = ClipWipeStatus{}; }
};
// The wipe itself: elDraw::Wipe.ClipWipeState, ClipWipeOpened, ClipWipeClosed.
extern ClipWipeStatus Wipe;

// Starts a wipe: closing non-zero closes; type 1 to 9, or 0 for one picked at random; speed in
// pixels per second (at least one pixel moves per update); size is the centre strip of types 8
// and 9, kept within the window. Returns 1, or 0 with nothing changed while a wipe runs or for
// a type outside 0 to 9 or a speed below 0 (or not a number).
//   Types: 1 from the bottom up, 2 from the top down, 3 from the right, 4 from the left,
//   5 from the horizontal centre line, 6 from the vertical centre line, 7 from the centre point,
//   8 a centre column widening, 9 a centre band heightening (closing runs each backwards).
int StartClipWipe(int closing, int type, float speed, int size);
// Called once per frame while a wipe runs: moves the edges by FrameDelta x speed + 1 pixels.
// Returns 0 when no wipe runs, else 1; ClipWipeOpened or ClipWipeClosed tells when it is done.
int UpdateClipWipe();
// Collapses the ClipWindow to an empty one at its top-left corner at once; a running wipe stops.
// The next StartClipWipe gives back the full window.
void CloseClipWindow();

}  // namespace elDraw
