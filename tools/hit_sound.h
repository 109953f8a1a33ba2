// Asset generator: the hit sound HIT, a short pop as an 8-bit mono RIFF WAVE file.
#pragma once
#include "tools/asset_bytes.h"

namespace assets {

constexpr int kHitRate = 11025;       // samples per second
constexpr int kHitDataBytes = 11024;  // one byte per sample, just under a second
constexpr int kHitSilent = 128;       // 8-bit PCM is unsigned: 128 is the zero line
// The pop is over by this sample; everything after it is exactly the zero line.
constexpr int kHitSoundEnd = 3300;

// The whole file: canonical 44-byte header (a 16-byte fmt chunk, then data) and the samples.
Bytes MakeHitSound();

}  // namespace assets
