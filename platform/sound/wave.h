// Platform: wave files: the format record, the formats the mixer plays, and reading a RIFF WAVE
// file's format and samples (the one reader behind blocking play and elSound's wave objects).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/bytes.h"
#include "platform/files/riff.h"

namespace platform {

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// The format record as files and resources hold it: 18 bytes, little-endian, then cbSize extra
// bytes. Buffers read it byte by byte, so it may sit at any address (inside a resource, say).
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;
};
constexpr int kWaveFormatBytes = 18;
// Reads the record's fields from its little-endian bytes (at least 16; the extra byte count is
// read only when `size` reaches 18).
WaveFormat decodeWaveFormat(const void* bytes, std::uint32_t size);
// Appends the record's first 16 bytes for `bits`-bit samples in `channels` at `rate`, with the
// byte rate and block alignment worked out from them (the extra-byte count, where there is one,
// is the caller's). Called by the generators of wave files in tools/ and tests/: inline, as they
// do not link the platform.
inline void putWaveFormatFields(ByteVector& out, std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                std::uint16_t bits) {
    putLe16(out, tag);
    putLe16(out, channels);
    putLe32(out, rate);
    putLe32(out, rate * channels * bits / 8);
    putLe16(out, static_cast<std::uint32_t>(channels * bits / 8));
    putLe16(out, bits);
}
// The sample rates the mixer plays, a buffer's own or one it is set to.
constexpr std::uint32_t kMixerMinRate = 100;
constexpr std::uint32_t kMixerMaxRate = 100000;
// True for the formats the mixer plays: PCM, 8-bit unsigned or 16-bit signed, mono or stereo,
// 100 to 100000 samples a second, with a block alignment that matches.
bool mixerPlays(const WaveFormat& format);
// Called by elSound when a buffer of the format was refused, for the line on standard error:
// the first field the mixer does not take ("format tag 2 is not PCM", "24 bits per sample (8
// or 16 are played)", "3 channels (1 or 2 are played)"), else "a format the sound device does
// not play".
std::string mixerRefusal(const WaveFormat& format);

// A wave file's format record as the buffers take it (18 bytes, the extra-byte count at 16,
// then the extra bytes) and the byte count of its samples.
struct WaveHeader {
    std::vector<std::uint8_t> record;
    std::uint32_t dataBytes = 0;
};

// Called by sndPlaySound and elSound::ReadWaveFrom on a file just opened. Reads the "RIFF"
// "WAVE" form's "fmt " chunk (16 bytes or more; a non-PCM format's extra bytes only from a chunk
// of 18 bytes or more, and never past its end: what lies beyond belongs to the next chunk) and
// finds its "data" chunk, before or after "fmt ". A declared data size the file does not hold is
// refused before anyone allocates for it. Leaves the file at the samples. Null on success, else
// a short reason ("not a RIFF WAVE file", "no \"data\" chunk", ...).
const char* readWaveHeader(RiffFile& file, WaveHeader& header);

// Called next: copies the header's dataBytes of samples through the file's I/O buffer. False
// when the file ends first.
bool readWaveSamples(RiffFile& file, std::uint8_t* out, std::uint32_t bytes);

}  // namespace platform
