// Asset generator: the music QRBX.MID, a cheerful 24-bar loop in C major for General MIDI.
#pragma once
#include "tools/asset_bytes.h"

namespace assets {

constexpr int kMusicTicksPerQuarter = 480;
constexpr int kMusicBars = 24;                          // in 4/4
constexpr std::uint32_t kMusicMicrosPerQuarter = 400000;  // 150 beats per minute: 38.4 seconds

// The whole standard MIDI file. Every track ends exactly at the end of the last bar with every
// note released, so that the sequencer can start again from the top without a gap.
Bytes MakeMusic();

}  // namespace assets
