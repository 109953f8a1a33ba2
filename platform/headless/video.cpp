// Headless backend: the virtual screen of the configured size, and the pictures presented on it,
// read from the desktop surface only when someone looks at them.
#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_backend.h"
#include "platform/video/screen_area.h"
#include "platform/video/surface.h"

namespace platform::headless {
namespace {

// The last picture read, the one presented since (still on the desktop surface) and the count.
struct Presentation {
    Picture shown;
    bool pending = false;
    ScreenArea pendingArea;
    int presents = 0;
};

Presentation presentation;

}  // namespace

void resetPresentation() { presentation = Presentation{}; }

void captureShownPicture() {
    if (!presentation.pending) return;
    presentation.pending = false;
    const ScreenArea& a = presentation.pendingArea;
    Picture& shown = presentation.shown;
    shown.width = a.width;
    shown.height = a.height;
    shown.pixels.resize(static_cast<std::size_t>(a.width) * a.height);
    if (!readDesktop(a.x, a.y, a.width, a.height, shown.pixels.data())) shown = Picture{};
}

const Picture& shownPicture() {
    captureShownPicture();
    return presentation.shown;
}

int presentCount() { return presentation.presents; }

}  // namespace platform::headless

namespace platform::backend {

using headless::presentation;

// ---------------------------------------------------------------- screen and presentation

int screenWidth() { return headless::config().screenWidth; }
int screenHeight() { return headless::config().screenHeight; }
int colorDepth() { return headless::config().colorDepth; }

void presentPrimary() {
    const ScreenArea area = shownArea(headless::clientArea());
    if (area.width < 1 || area.height < 1) return;
    // The picture stays on the desktop surface until the next presentation: it is read from
    // there only when someone looks at it, so that a run without output pays nothing for it.
    presentation.pending = true;
    presentation.pendingArea = area;
    ++presentation.presents;
}

bool setDisplayMode(int, int, int bitsPerPixel) { return bitsPerPixel != headless::config().refusedDepth; }

void restoreDisplayMode() {}

// One screen, of the configured size.
int listDisplays(Rect*, int) { return 0; }

}  // namespace platform::backend
