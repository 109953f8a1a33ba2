// Asset generator: the program's icon, the ball of the sprite sheet, as PNG files for the desktop
// and as a 32-bit BMP with alpha that the game carries for its window.
#pragma once
#include "tools/asset_bytes.h"

namespace assets {

// The sizes of the desktop's icon theme the icon is drawn at.
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// A size x size PNG (8-bit RGBA, deflated at level 9, no ancillary chunks).
Bytes MakeIconPng(int size);
// Every size as one Windows icon file (the .exe's own icon, packaging/windows/quorbix.rc).
Bytes MakeIconIco();
// The 48 x 48 icon as a BMP with a BITMAPV4 header and an alpha mask, top row first.
Bytes MakeIconBmp();

}  // namespace assets
