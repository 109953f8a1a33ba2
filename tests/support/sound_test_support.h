// Tests: wave and MIDI bytes made on the spot, files beside the executable, and measuring the
// headless mix.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/system/system_utils.h"
#include "platform/files/bytes.h"
#include "platform/headless/audio.h"
#include "platform/sound/wave.h"

namespace soundtest {

using platform::putBe16;
using platform::putBe32;
using platform::putLe16;
using platform::putLe32;
using platform::putText;
using platform::putVarLen;

inline void Append(std::vector<std::uint8_t>& v, const std::vector<std::uint8_t>& more) {
    for (std::uint8_t b : more) v.push_back(b);
}

struct WaveSpec {
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 11025;
    std::uint16_t bits = 8;
    std::uint32_t fmtSize = 16;                // PCM: bytes of the "fmt " chunk
    std::vector<std::uint8_t> extra;           // non-PCM: extra format bytes (count written first)
    std::vector<std::uint8_t> samples;
    bool dataFirst = false;                    // "data" before "fmt "
    std::int64_t declaredDataSize = -1;        // -1: the true size
    const char* form = "WAVE";
};

// A RIFF WAVE file as its format lays it out; in canonical order it is 44 bytes plus the samples.
inline std::vector<std::uint8_t> WaveBytes(const WaveSpec& s) {
    std::vector<std::uint8_t> fmt;
    putText(fmt, "fmt ");
    std::vector<std::uint8_t> body;
    platform::putWaveFormatFields(body, s.tag, s.channels, s.rate, s.bits);
    if (s.tag != 1) {
        putLe16(body, static_cast<std::uint32_t>(s.extra.size()));
        Append(body, s.extra);
    }
    if (s.tag == 1) body.resize(s.fmtSize);   // cut short or padded
    putLe32(fmt, static_cast<std::uint32_t>(body.size()));
    Append(fmt, body);
    if (body.size() & 1) fmt.push_back(0);

    std::vector<std::uint8_t> data;
    putText(data, "data");
    putLe32(data, static_cast<std::uint32_t>(s.declaredDataSize >= 0 ? s.declaredDataSize : s.samples.size()));
    Append(data, s.samples);

    std::vector<std::uint8_t> out;
    putText(out, "RIFF");
    putLe32(out, static_cast<std::uint32_t>(4 + fmt.size() + data.size()));
    putText(out, s.form);
    const auto& first = s.dataFirst ? data : fmt;
    const auto& second = s.dataFirst ? fmt : data;
    Append(out, first);
    Append(out, second);
    return out;
}

// 8-bit unsigned mono samples of a square wave of the given amplitude (0 to 127).
inline std::vector<std::uint8_t> Square8(std::size_t count, int amplitude, int period = 20) {
    std::vector<std::uint8_t> v(count);
    for (std::size_t i = 0; i < count; ++i)
        v[i] = static_cast<std::uint8_t>(128 + ((i / (period / 2)) % 2 ? -amplitude : amplitude));
    return v;
}

// 16-bit samples (little-endian bytes) holding one constant value per channel.
inline std::vector<std::uint8_t> Constant16(std::size_t frames, int channels, std::int16_t value) {
    std::vector<std::uint8_t> v;
    for (std::size_t i = 0; i < frames * channels; ++i) putLe16(v, static_cast<std::uint16_t>(value));
    return v;
}

// A format-0 MIDI file: 480 ticks a quarter note at 120 beats a minute (1 ms a tick is 0.96),
// after `leadTicks` of rest, a loud piano chord held for `noteTicks`.
inline std::vector<std::uint8_t> MidiBytes(std::uint32_t noteTicks, std::uint32_t leadTicks = 0) {
    std::vector<std::uint8_t> track;
    putVarLen(track, 0);
    track.insert(track.end(), {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});   // 500000 us a quarter
    putVarLen(track, 0);
    track.insert(track.end(), {0xC0, 0x00});
    putVarLen(track, leadTicks);
    track.insert(track.end(), {0x90, 60, 120});
    putVarLen(track, 0);
    track.insert(track.end(), {64, 120});   // running status
    putVarLen(track, noteTicks);
    track.insert(track.end(), {0x80, 60, 0});
    putVarLen(track, 0);
    track.insert(track.end(), {0x80, 64, 0});
    putVarLen(track, 0);
    track.insert(track.end(), {0xFF, 0x2F, 0x00});
    std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0};
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    putBe32(out, static_cast<std::uint32_t>(track.size()));
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

// A file beside the test executable, removed when the holder goes.
class ExeFile {
public:
    ExeFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
        : path_(std::string(elSystem::GetExeDir()) + name) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        if (f != nullptr) {
            if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
    ~ExeFile() { std::remove(path_.c_str()); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Peak absolute sample of one channel (0 left, 1 right) over frames [from, to).
inline int Peak(const std::vector<std::int16_t>& s, int channel, std::size_t from, std::size_t to) {
    int peak = 0;
    for (std::size_t f = from; f < to && 2 * f + channel < s.size(); ++f)
        peak = std::max(peak, std::abs(static_cast<int>(s[2 * f + channel])));
    return peak;
}

// Root mean square of one channel over frames [from, to).
inline double Rms(const std::vector<std::int16_t>& s, int channel, std::size_t from, std::size_t to) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t f = from; f < to && 2 * f + channel < s.size(); ++f, ++n)
        sum += static_cast<double>(s[2 * f + channel]) * s[2 * f + channel];
    return n == 0 ? 0 : std::sqrt(sum / static_cast<double>(n));
}

// The last frame (exclusive) whose sample is not silent on either channel; 0 for silence.
inline std::size_t SoundEnd(const std::vector<std::int16_t>& s, int threshold = 0) {
    for (std::size_t f = s.size() / 2; f > 0; --f)
        if (std::abs(s[2 * (f - 1)]) > threshold || std::abs(s[2 * (f - 1) + 1]) > threshold) return f;
    return 0;
}

// Renders `frames` on the headless clock and returns exactly what was mixed.
inline std::vector<std::int16_t> Mix(int frames) {
    platform::headless::setAudioCapture(true);
    platform::headless::takeAudio();
    platform::headless::renderAudioFrames(frames);
    return platform::headless::takeAudio();
}

}  // namespace soundtest
