// Platform: the area of the screen windows can be on, over every display the backend lists.
#pragma once
#include "platform/window/system.h"

namespace platform {

// Called when the windowed primary surface is made: the screen area windows can be on, right
// and bottom exclusive. It is the main screen, (0, 0, screenWidth, screenHeight), grown to hold
// every display the backend lists (backend::listDisplays).
Rect desktopArea();
// desktopArea's rule on given figures: the main screen grown to hold `count` displays.
Rect spanOfDisplays(int screenWidth, int screenHeight, const Rect* displays, int count);

}  // namespace platform
