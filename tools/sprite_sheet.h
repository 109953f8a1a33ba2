// Asset generator: the sprite sheet CHARA, crosshair and three shaded balls on the colour key.
#pragma once
#include <vector>

#include "tools/asset_bytes.h"

namespace assets {

constexpr int kSheetWidth = 192;
constexpr int kSheetHeight = 48;
constexpr int kCellSize = 48;
// Pure green marks the transparent pixels; no sprite pixel may have exactly this colour.
constexpr std::uint32_t kKeyRgb = 0x00FF00;

// The whole sheet as a 24-bit bottom-up uncompressed BMP file.
Bytes MakeSpriteSheet();

// The first (yellow) ball drawn at size x size for the program's icon: 0xAARRGGBB, top row
// first, transparent around the ball.
std::vector<std::uint32_t> BallIcon(int size);

}  // namespace assets
