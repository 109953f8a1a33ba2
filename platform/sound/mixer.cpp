// Platform: the software mixer (linear interpolation, per-voice volume and pan).
#include "platform/sound/mixer.h"

#include <algorithm>
#include <cmath>

#include "platform/files/bytes.h"
#include "platform/sound/audio_stream.h"

namespace platform {
namespace {

constexpr float kFracScale = 1.0f / 4294967296.0f;   // 32-bit fraction to [0, 1)
constexpr float kSampleScale = 1.0f / 32768.0f;

// Frames of output until a voice at `pos` moving `step` reaches `end` (at least 1).
std::uint64_t framesToEnd(std::uint64_t pos, std::uint64_t end, std::uint64_t step) {
    return (end - pos + step - 1) / step;
}

template <int Channels>
std::uint64_t mixRun(const std::int16_t* s, std::uint64_t pos, std::uint64_t step, int n, float gl,
                     float gr, float* out) {
    for (int i = 0; i < n; ++i) {
        std::uint32_t idx = static_cast<std::uint32_t>(pos >> 32);
        float frac = static_cast<float>(static_cast<std::uint32_t>(pos)) * kFracScale;
        if constexpr (Channels == 1) {
            float a = s[idx];
            float b = s[idx + 1];
            float x = a + (b - a) * frac;
            out[2 * i] += x * gl;
            out[2 * i + 1] += x * gr;
        } else {
            const std::int16_t* f = s + 2 * static_cast<std::size_t>(idx);
            float l = f[0] + (f[2] - f[0]) * frac;
            float r = f[1] + (f[3] - f[1]) * frac;
            out[2 * i] += l * gl;
            out[2 * i + 1] += r * gr;
        }
        pos += step;
    }
    return pos;
}

void renderVoice(Voice& v, float* mix, int frames) {
    const std::uint64_t end = static_cast<std::uint64_t>(v.frames) << 32;
    const std::uint64_t step = (static_cast<std::uint64_t>(v.frequency) << 32) / audio::kRate;
    const float gl = v.gainLeft * kSampleScale;
    const float gr = v.gainRight * kSampleScale;
    const bool silent = gl == 0.0f && gr == 0.0f;
    std::uint64_t pos = v.position;
    int done = 0;
    while (done < frames) {
        if (pos >= end) {
            if (!v.looping) {
                // Played to its end: the next play starts from the beginning.
                v.playing = false;
                pos = 0;
                break;
            }
            pos %= end;
        }
        int n = static_cast<int>(std::min<std::uint64_t>(frames - done, framesToEnd(pos, end, step)));
        if (silent)
            pos += step * static_cast<std::uint64_t>(n);
        else if (v.channels == 1)
            pos = mixRun<1>(v.samples.data(), pos, step, n, gl, gr, mix + 2 * done);
        else
            pos = mixRun<2>(v.samples.data(), pos, step, n, gl, gr, mix + 2 * done);
        done += n;
    }
    if (v.playing && pos >= end && !v.looping) {
        v.playing = false;
        pos = 0;
    }
    v.position = pos;
}

}  // namespace

float decibelGain(std::int32_t hundredths) {
    if (hundredths <= DSBVOLUME_MIN) return 0.0f;
    if (hundredths >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredths / 2000.0));
}

void Voice::load(const WaveFormat& format, const std::uint8_t* bytes, std::uint32_t count) {
    channels = format.channels;
    blockAlign = format.blockAlign;
    frames = count / blockAlign;
    std::size_t have = static_cast<std::size_t>(frames) * channels;
    samples.assign(have + channels, 0);
    if (format.bitsPerSample == 8) {
        for (std::size_t i = 0; i < have; ++i)
            samples[i] = static_cast<std::int16_t>((static_cast<int>(bytes[i]) - 128) * 256);
    } else {
        for (std::size_t i = 0; i < have; ++i)
            samples[i] = static_cast<std::int16_t>(readLe16(bytes + 2 * i));
    }
    setLooping(looping);
}

void Voice::setLooping(bool loop) {
    looping = loop;
    if (frames == 0) return;
    std::size_t from = loop ? 0 : static_cast<std::size_t>(frames - 1) * channels;
    std::size_t guard = static_cast<std::size_t>(frames) * channels;
    for (int c = 0; c < channels; ++c) samples[guard + c] = samples[from + c];
}

void Voice::updateGains() {
    float gain = decibelGain(volume);
    gainLeft = gain * (pan > 0 ? decibelGain(-pan) : 1.0f);
    gainRight = gain * (pan < 0 ? decibelGain(pan) : 1.0f);
}

void Mixer::add(Voice* voice) {
    if (std::find(voices_.begin(), voices_.end(), voice) == voices_.end()) voices_.push_back(voice);
}

void Mixer::remove(Voice* voice) {
    voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

void Mixer::render(float* mix, int frames) {
    for (Voice* v : voices_)
        if (v->playing) renderVoice(*v, mix, frames);
}

void Mixer::renderSource(void* mixer, float* mix, int frames, bool) {
    static_cast<Mixer*>(mixer)->render(mix, frames);
}

}  // namespace platform
