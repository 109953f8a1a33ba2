// Platform: the structure check of standard MIDI files that the sequencer runs before playing one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// The largest MIDI file the sequencer reads (background music is a few kilobytes).
constexpr std::size_t kMaxMidiFileBytes = 16u << 20;

// Called by the sequencer's open. True for a standard MIDI file of format 0 (one track) or 1
// with a metrical time division whose every track chunk lies inside the file, is made of
// well-formed events and ends with an end-of-track event. Chunks of other types between the
// tracks are skipped, as the format asks. `why` gets a short reason on failure.
// Channel messages whose data bytes are 0x80 or above are refused, as are more than
// kMaxMidiTracks tracks.
bool checkMidiFile(const std::uint8_t* data, std::size_t size, const char** why = nullptr);

// The most tracks the synthesiser's player takes.
constexpr int kMaxMidiTracks = 128;

// A checked file in the form the synthesiser's player reads: a 6-byte header, then only the
// track chunks; escape (F7) events are dropped, their time kept. `micros` is the piece's length:
// the last end-of-track's tick, through the tempo changes of every track.
struct MidiPiece {
    std::vector<std::uint8_t> file;
    std::uint64_t micros = 0;
};

// Called by the sequencer's open: checkMidiFile, then the normal form of what it accepted.
bool normaliseMidiFile(const std::uint8_t* data, std::size_t size, MidiPiece& out, const char** why = nullptr);

}  // namespace platform
