// Asset generator: the examples' WIPE.BMP, the pattern strip of transition style 0.
#pragma once
#include "tools/asset_bytes.h"

namespace assets {

constexpr int kWipeFrames = 10;
constexpr int kWipeFrameWidth = 64;
constexpr int kWipeFrameHeight = 48;
// The disc's colour (palette entry 1) over black (entry 0).
constexpr std::uint32_t kWipeDiscRgb = 0x204090;

// Ten 64 x 48 frames side by side as a 1-bit bottom-up BMP with a two-colour palette: in frame
// f (0 to 9) a disc of radius 4 (f + 1) about the frame's centre, the last covering it whole.
Bytes MakeWipePattern();

}  // namespace assets
