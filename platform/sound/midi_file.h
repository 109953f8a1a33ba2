// Platform: the structure check of standard MIDI files that the sequencer runs before playing one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// The largest MIDI file the sequencer reads (background music is a few kilobytes).
constexpr std::size_t kMaxMidiFileBytes = 16u << 20;

// Called by the sequencer's open. True for a standard MIDI file of format 0 (one track), 1 or 2
// with a metrical time division whose tracks are made of well-formed events. Chunks of other
// types between the tracks are skipped, as the format asks. Damage that has one plain reading
// is read that way: a track without its end-of-track event ends at its last event; a track
// chunk said to run past the end of the file holds what is there (so it must be the last);
// the running status of channel messages carries over meta and system-exclusive events.
// Refused, with a short reason in `why`: an event cut short, a chunk of another type running
// past the end, a delta time of more than four bytes, a fixed-size meta event of another size,
// a tempo of zero, channel messages whose data bytes are 0x80 or above (the player would drop
// the note), more than kMaxMidiTracks tracks, and a piece longer than kMaxMidiPieceMicros.
bool checkMidiFile(const std::uint8_t* data, std::size_t size, const char** why = nullptr);

// The longest piece played: 24 hours. Background music is minutes long; a piece of more is
// damaged or made to harm (its end would never come, or its length would not fit the counts).
constexpr std::uint64_t kMaxMidiPieceMicros = 24ull * 60 * 60 * 1000000;

// The most tracks the synthesiser's player takes.
constexpr int kMaxMidiTracks = 128;

// A checked file in the form the synthesiser's player reads: a 6-byte header (format 2 written
// as format 1: the player starts every pattern together, as format 1's tracks), then only the
// track chunks, each of its true length, every event with its status byte, ending with an
// end-of-track event; escape (F7) events are dropped, their time kept. `micros` is the piece's
// length: the last end-of-track's tick in that form, through the tempo changes of every track.
struct MidiPiece {
    std::vector<std::uint8_t> file;
    std::uint64_t micros = 0;

    // Called by the sequencer's open: the length in frames at `rate`, rounded to the nearest. A
    // length the count cannot hold gives its largest value rather than a wrapped one.
    std::int64_t frames(std::uint32_t rate) const;
};

// Called by the sequencer's open: checkMidiFile, then the normal form of what it accepted.
bool normaliseMidiFile(const std::uint8_t* data, std::size_t size, MidiPiece& out, const char** why = nullptr);

}  // namespace platform
