// Seed-corpus generator: small BMP, wave and MIDI files of every shape the loaders meet, each
// with what a correct reader makes of it. make-corpus writes them under fuzz/corpus/; a test
// checks that the committed files are what it writes and that the loaders agree with the
// expectations.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace corpus {

using Bytes = std::vector<std::uint8_t>;

enum class Kind { Bmp, Wave, Midi };

struct Entry {
    Kind kind = Kind::Bmp;
    std::string name;   // file name inside the kind's folder (fuzz/corpus/bmp, wave or midi)
    Bytes bytes;
    bool accepted = true;   // false: the loader must refuse it with a reason
    // BMP: the picture, 0x00RRGGBB, top row first; `coarse` when channels of fewer than 8 bits
    // are scaled (one step per channel is allowed).
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    bool coarse = false;
    // Wave: the format fields and samples a reader returns, and whether the device plays them
    // (8/16-bit PCM, one or two channels).
    std::uint16_t tag = 0, channels = 0, bits = 0;
    std::uint32_t rate = 0;
    Bytes samples;
    bool plays = false;
    // MIDI: whether the first half second is heard.
    bool audible = false;
};

// Folder of a kind under fuzz/corpus ("bmp", "wave", "midi").
const char* FolderOf(Kind kind);

std::vector<Entry> MakeCorpus();

// A silent format-0 MIDI file of one tick a quarter note: a tempo of `microsPerQuarter`, a
// program change, then `count` more of them by running status, each `delta` ticks after the
// last. Called by the generator for pieces too long to play, and by the sequencer's tests.
Bytes RestsMidi(std::uint32_t microsPerQuarter, std::uint32_t delta, int count);

}  // namespace corpus
