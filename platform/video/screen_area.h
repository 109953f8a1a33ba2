// Platform: the screen rectangles every backend works out alike: the part of the desktop the
// window shows, and the area windows can be on.
#pragma once
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

// Called when the windowed primary surface is made: the screen area windows can be on, right
// and bottom exclusive. It is the main screen, (0, 0, screenWidth, screenHeight), grown to hold
// every display the backend lists (backend::listDisplays).
Rect desktopArea();
// desktopArea's rule on given figures: the main screen grown to hold `count` displays.
Rect spanOfDisplays(int screenWidth, int screenHeight, const Rect* displays, int count);

}  // namespace platform
