// Platform: the wave format record, the formats the mixer plays, and the RIFF WAVE reader.
#include "platform/sound/wave.h"

#include <cstdio>
#include <cstring>

#include "platform/files/bytes.h"

namespace platform {
namespace {

constexpr FourCC kWave = makeFourCC('W', 'A', 'V', 'E');
constexpr FourCC kFmt = makeFourCC('f', 'm', 't', ' ');
constexpr FourCC kData = makeFourCC('d', 'a', 't', 'a');

// The first field of a format that the mixer does not take, in the order a reader is told.
enum class WaveFault { None, Tag, Bits, Channels, Rate, BlockAlign };

WaveFault firstFault(const WaveFormat& f) {
    if (f.formatTag != WAVE_FORMAT_PCM) return WaveFault::Tag;
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return WaveFault::Bits;
    if (f.channels != 1 && f.channels != 2) return WaveFault::Channels;
    if (f.samplesPerSec < kMixerMinRate || f.samplesPerSec > kMixerMaxRate) return WaveFault::Rate;
    if (f.blockAlign != f.channels * f.bitsPerSample / 8) return WaveFault::BlockAlign;
    return WaveFault::None;
}

// The "fmt " chunk's record, the file left after the chunk. Null on success, else the reason.
const char* readFormat(RiffFile& file, const ChunkInfo& riff, std::vector<std::uint8_t>& record) {
    ChunkInfo fmt;
    fmt.id = kFmt;
    if (file.descend(fmt, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR || fmt.size < 16)
        return "no \"fmt \" chunk of 16 bytes or more";
    const char* cut = "cut short inside the \"fmt \" chunk";
    std::uint8_t fields[16];
    if (file.read(fields, 16) != 16) return cut;
    // Only a chunk of 18 bytes or more holds the count of extra bytes, and only a format other
    // than PCM has any.
    std::uint16_t extra = 0;
    if (readLe16(fields) != WAVE_FORMAT_PCM && fmt.size >= 18) {
        std::uint8_t count[2];
        if (file.read(count, 2) != 2) return cut;
        extra = readLe16(count);
        if (extra > fmt.size - 18) extra = static_cast<std::uint16_t>(fmt.size - 18);
    }
    record.assign(fields, fields + 16);
    putLe16(record, extra);
    record.resize(static_cast<std::size_t>(kWaveFormatBytes) + extra);
    if (extra != 0 && file.read(record.data() + kWaveFormatBytes, extra) != extra) return cut;
    if (file.ascend(fmt, 0) != MMSYSERR_NOERROR) return cut;
    return nullptr;
}

}  // namespace

WaveFormat decodeWaveFormat(const void* bytes, std::uint32_t size) {
    WaveFormat f;
    if (bytes == nullptr || size < 16) return f;
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    f.formatTag = readLe16(p);
    f.channels = readLe16(p + 2);
    f.samplesPerSec = readLe32(p + 4);
    f.avgBytesPerSec = readLe32(p + 8);
    f.blockAlign = readLe16(p + 12);
    f.bitsPerSample = readLe16(p + 14);
    if (size >= 18) f.extraSize = readLe16(p + 16);
    return f;
}

bool mixerPlays(const WaveFormat& format) { return firstFault(format) == WaveFault::None; }

std::string mixerRefusal(const WaveFormat& f) {
    char text[96];
    switch (firstFault(f)) {
        case WaveFault::Tag:
            std::snprintf(text, sizeof text, "format tag %u is not PCM", static_cast<unsigned>(f.formatTag));
            return text;
        case WaveFault::Bits:
            std::snprintf(text, sizeof text, "%u bits per sample (8 or 16 are played)",
                          static_cast<unsigned>(f.bitsPerSample));
            return text;
        case WaveFault::Channels:
            std::snprintf(text, sizeof text, "%u channels (1 or 2 are played)", static_cast<unsigned>(f.channels));
            return text;
        default: return "a format the sound device does not play";
    }
}

const char* readWaveHeader(RiffFile& file, WaveHeader& header) {
    header = WaveHeader{};
    ChunkInfo riff;
    if (file.descend(riff, nullptr, 0) != MMSYSERR_NOERROR || riff.id != FOURCC_RIFF || riff.formType != kWave)
        return "not a RIFF WAVE file";
    if (const char* why = readFormat(file, riff, header.record)) return why;
    // The samples: "data" may stand before or after "fmt ", so the search starts at the form's
    // first chunk again.
    ChunkInfo data;
    data.id = kData;
    if (file.seek(riff.dataOffset + 4, SEEK_SET) < 0 || file.descend(data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR)
        return "no \"data\" chunk";
    const std::int64_t here = file.seek(0, SEEK_CUR);
    const std::int64_t end = file.seek(0, SEEK_END);
    if (here < 0 || end < here || static_cast<std::int64_t>(data.size) > end - here || file.seek(here, SEEK_SET) != here)
        return "the \"data\" chunk runs past the end of the file";
    header.dataBytes = data.size;
    return nullptr;
}

bool readWaveSamples(RiffFile& file, std::uint8_t* out, std::uint32_t bytes) {
    IoInfo info;
    if (file.getInfo(info, 0) != MMSYSERR_NOERROR) return false;
    std::uint32_t done = 0;
    while (done < bytes) {
        if (info.next >= info.endRead) {
            if (file.advance(info, MMIO_READ) != MMSYSERR_NOERROR) return false;
            if (info.next >= info.endRead) return false;   // the file ends before the chunk does
        }
        std::uint32_t n = static_cast<std::uint32_t>(info.endRead - info.next);
        if (n > bytes - done) n = bytes - done;
        std::memcpy(out + done, info.next, n);
        info.next += n;
        done += n;
    }
    return file.setInfo(info, 0) == MMSYSERR_NOERROR;
}

}  // namespace platform
