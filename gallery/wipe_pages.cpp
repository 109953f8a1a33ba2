// Gallery: the clip-window wipes, one page per type opening and one closing. A page starts its
// wipe, calls elDraw::UpdateClipWipe once per frame before drawing, and starts it again a
// little after it is done. Text goes through the device context and is not clipped, so the
// caption and the state line stay while the picture is wiped.
#include <quorbix/draw.h>

#include "gallery/gallery.h"

namespace {

constexpr float kSpeed = 300.0f;   // pixels per second: 16 per frame at 20 frames a second
constexpr int kStripSize = 60;     // the centre strip of types 8 and 9
constexpr int kCycle = 45;

// Ends whatever wipe the page left: the window is set back to its full size.
void EndWipe() {
    if (elDraw::Wipe.ClipWipeState == elDraw::kWipeIdle) return;
    const elDraw::ClipRect& full = elDraw::Wipe.SavedClipWindow;
    elDraw::SetClipWindow(full.left, full.top, full.right, full.bottom);
    elDraw::Wipe.ClipWipeState = elDraw::kWipeIdle;
}

template <int Closing, int Type>
void WipeFrame(int t) {
    if (t % kCycle == 0) elDraw::StartClipWipe(Closing, Type, kSpeed, kStripSize);
    elDraw::UpdateClipWipe();
    DrawScenePicture(2);
    const elDraw::ClipRect& w = elDraw::Display.ClipWindow;
    elDraw::DebugPrint(4, 326, "ClipWipeState %d  ClipWindow (%d, %d, %d, %d)  Opened %d  Closed %d",
                       elDraw::Wipe.ClipWipeState, w.left, w.top, w.right, w.bottom, elDraw::Wipe.ClipWipeOpened,
                       elDraw::Wipe.ClipWipeClosed);
}

constexpr GalleryPage WipePage(const char* name, const char* call, const char* file, void (*frame)(int)) {
    return {.name = name, .call = call, .file = file, .enter = EndWipe, .frame = frame, .leave = EndWipe, .showcase = 8};
}

}  // namespace

const GalleryPage kWipePages[] = {
    WipePage("Opening wipe 1: from the bottom up",
             "elDraw::StartClipWipe(0, 1, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-open-1", WipeFrame<0, 1>),
    WipePage("Opening wipe 2: from the top down",
             "elDraw::StartClipWipe(0, 2, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-open-2", WipeFrame<0, 2>),
    WipePage("Opening wipe 3: from the right",
             "elDraw::StartClipWipe(0, 3, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-open-3", WipeFrame<0, 3>),
    WipePage("Opening wipe 4: from the left",
             "elDraw::StartClipWipe(0, 4, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-open-4", WipeFrame<0, 4>),
    WipePage("Opening wipe 5: from the centre line",
             "elDraw::StartClipWipe(0, 5, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-open-5", WipeFrame<0, 5>),
    WipePage("Opening wipe 6: from the centre column",
             "elDraw::StartClipWipe(0, 6, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-open-6", WipeFrame<0, 6>),
    WipePage("Opening wipe 7: from the centre point",
             "elDraw::StartClipWipe(0, 7, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-open-7", WipeFrame<0, 7>),
    WipePage("Opening wipe 8: a column that widens",
             "elDraw::StartClipWipe(0, 8, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-open-8", WipeFrame<0, 8>),
    WipePage("Opening wipe 9: a band that heightens",
             "elDraw::StartClipWipe(0, 9, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-open-9", WipeFrame<0, 9>),
    WipePage("Closing wipe 1: top edge down",
             "elDraw::StartClipWipe(1, 1, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-close-1", WipeFrame<1, 1>),
    WipePage("Closing wipe 2: bottom edge up",
             "elDraw::StartClipWipe(1, 2, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-close-2", WipeFrame<1, 2>),
    WipePage("Closing wipe 3: left edge right",
             "elDraw::StartClipWipe(1, 3, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-close-3", WipeFrame<1, 3>),
    WipePage("Closing wipe 4: right edge left",
             "elDraw::StartClipWipe(1, 4, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-close-4", WipeFrame<1, 4>),
    WipePage("Closing wipe 5: to the centre line",
             "elDraw::StartClipWipe(1, 5, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-close-5", WipeFrame<1, 5>),
    WipePage("Closing wipe 6: to the centre column",
             "elDraw::StartClipWipe(1, 6, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-close-6", WipeFrame<1, 6>),
    WipePage("Closing wipe 7: to the centre point",
             "elDraw::StartClipWipe(1, 7, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-close-7", WipeFrame<1, 7>),
    WipePage("Closing wipe 8: to a column, then shut",
             "elDraw::StartClipWipe(1, 8, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-close-8", WipeFrame<1, 8>),
    WipePage("Closing wipe 9: to a band, then shut",
             "elDraw::StartClipWipe(1, 9, 300.0f, 60); then each frame elDraw::UpdateClipWipe();",
             "wipe-close-9", WipeFrame<1, 9>),
};
const int kWipePageCount = sizeof kWipePages / sizeof kWipePages[0];
