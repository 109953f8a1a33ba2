// Platform: the structure check of standard MIDI files that the sequencer runs before playing one.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// The largest MIDI file the sequencer reads (background music is a few kilobytes).
constexpr std::size_t kMaxMidiFileBytes = 16u << 20;

// Called by the sequencer's open. True for a standard MIDI file of format 0 (one track) or 1
// with a metrical time division whose every track chunk lies inside the file, is made of
// well-formed events and ends with an end-of-track event. Chunks of other types between the
// tracks are skipped, as the format asks. `why` gets a short reason on failure.
bool checkMidiFile(const std::uint8_t* data, std::size_t size, const char** why = nullptr);

}  // namespace platform
