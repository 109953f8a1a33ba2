// Sound font cutting: the presets a set of standard MIDI files can sound with, and a copy of a
// SoundFont 2 file that keeps only those presets with their instruments and samples.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace sf2cut {

using Bytes = std::vector<std::uint8_t>;

// A malformed MIDI or sound font file; what() says where.
struct FormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A preset as a MIDI file selects it: bank (128 is the percussion bank) and program.
using PresetId = std::pair<int, int>;

// The presets a standard MIDI file may sound a note with: for each note, its channel's program
// (0 until a program change) in its bank (bank select's most significant byte, 0 until one;
// channel 10 is percussion, bank 128, unless a bank select says otherwise), with the substitutes a
// synthesiser falls back on when the font lacks that one: bank 0 for a melodic channel, program 0
// of bank 128 for percussion.
// Throws FormatError for a file that is not a readable standard MIDI file.
std::set<PresetId> presetsSounded(const Bytes& midi);

// A note as it selects a preset's and an instrument's zones: key and velocity.
using Note = std::pair<int, int>;
using NoteSet = std::set<Note>;
using NotesByPreset = std::map<PresetId, NoteSet>;
// The same presets, each with the notes it may sound.
NotesByPreset notesSounded(const Bytes& midi);

struct CutSummary {
    int presets = 0, instruments = 0, samples = 0;            // kept
    int fontPresets = 0, fontInstruments = 0, fontSamples = 0;  // in the full font
};

// The font with only the presets of `keep` that it has, their instruments and samples (a stereo
// sample keeps its other half). Throws FormatError for a file that is not a readable sound font.
Bytes cutFont(const Bytes& sf2, const std::set<PresetId>& keep, CutSummary* summary = nullptr);
// The font with only the presets of `notes`, and of their zones and their instruments' zones only
// those that answer one of the notes played with the preset (a zone answers a note in its key
// and velocity ranges; a global zone is always kept): a synthesiser plays each of those notes
// with the same zones, so the same samples.
Bytes cutFont(const Bytes& sf2, const NotesByPreset& notes, CutSummary* summary = nullptr);

// The presets a sound font holds.
std::set<PresetId> fontPresets(const Bytes& sf2);

}  // namespace sf2cut
