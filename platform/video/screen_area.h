// Platform: the screen rectangles every backend works out alike: the part of the desktop the
// window shows (and, from desktop_area.h, the area windows can be on).
#pragma once
#include "platform/video/desktop_area.h"
#include "platform/window/system.h"

namespace platform {

// A rectangle of the screen by its top-left corner and its size.
struct ScreenArea {
    int x = 0, y = 0, width = 0, height = 0;
};

// Called by the backends when they present the primary surface: the part of the desktop the
// window shows. Windowed, that is the client area, at the screen point where the program was
// last told it is; in full screen, the whole primary at the display mode's size. Empty (width
// or height below 1) while there is nothing to show.
ScreenArea shownArea(const ScreenArea& client);

// Called by the backends when the program gives its window another client size: the area of
// width x height with the same centre as `client`, so that a centred window stays centred.
ScreenArea recentred(const ScreenArea& client, int width, int height);

}  // namespace platform
