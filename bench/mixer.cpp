// bench-mixer: the mixer with 30 buffers playing (resampled from 11025 Hz 8-bit mono at varied
// rates, panned, mixed and converted to 16 bits), against real time and against what a game on
// SDL_mixer pays per callback for the same 30 voices: SDL_MixAudioFormat of 30 buffers that were
// converted to 44100 Hz stereo S16 (pan included) when they were loaded, at the same volumes, for
// the same output length. FluidSynth playing 8 notes with reverb and chorus is other work and is
// shown as a figure (its speed against real time).
// After the timing each side renders once more, untimed, and is checked: the expected number of
// frames, not silent, and about as loud as the other side.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include "bench/bench_util.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/sound/audio_stream.h"
#include "platform/files/os.h"
#include "platform/sound/midi_synth.h"
#include "platform/sound/mixer.h"

namespace {

constexpr int kChunk = platform::audio::kDeviceFrames;
constexpr int kVoices = 30;
int gSeconds = 10;
int Frames() { return gSeconds * platform::audio::kRate; }

// What one rendering of the whole length produced.
struct Rendered {
    long long frames = 0;      // stereo frames written
    long long nonZero = 0;     // samples that are not 0
    double sumSquares = 0.0;   // of the samples, for the loudness
    double Rms() const { return frames > 0 ? std::sqrt(sumSquares / (2.0 * frames)) : 0.0; }
    void Add(const std::int16_t* s, int frameCount) {
        frames += frameCount;
        for (int i = 0; i < 2 * frameCount; ++i) {
            nonZero += s[i] != 0;
            sumSquares += static_cast<double>(s[i]) * s[i];
        }
    }
};

// The 30 voices: one looping 8-bit mono 11025 Hz wave at varied frequencies, pans and volumes.
struct VoiceSetup {
    std::uint32_t frequency;
    std::int32_t pan, volume;
};
VoiceSetup Setup(int i) { return VoiceSetup{static_cast<std::uint32_t>(4000 + 1500 * i), -6000 + 400 * i, -100 * (i % 12)}; }

std::vector<std::uint8_t> Wave() {
    std::vector<std::uint8_t> wave(11024);
    for (std::size_t i = 0; i < wave.size(); ++i) wave[i] = static_cast<std::uint8_t>(128 + ((i * 7) % 200) - 100);
    return wave;
}

struct Ours {
    std::vector<std::uint8_t> wave = Wave();
    std::vector<platform::Voice> voices = std::vector<platform::Voice>(kVoices);
    platform::Mixer mixer;
    Ours() {
        platform::WaveFormat format;
        format.formatTag = 1;
        format.channels = 1;
        format.samplesPerSec = 11025;
        format.blockAlign = 1;
        format.bitsPerSample = 8;
        for (int i = 0; i < kVoices; ++i) {
            platform::Voice& v = voices[i];
            const VoiceSetup s = Setup(i);
            v.frequency = s.frequency;
            v.load(format, wave.data(), static_cast<std::uint32_t>(wave.size()));
            v.setLooping(true);
            v.pan = s.pan;
            v.volume = s.volume;
            v.updateGains();
            v.playing = true;
            mixer.add(&v);
        }
    }
    // The whole length through the float mix and the 16-bit conversion, as the output stream does.
    void Render(Rendered* seen) {
        std::vector<float> mix(kChunk * 2);
        std::vector<std::int16_t> out(kChunk * 2);
        for (int done = 0; done < Frames(); done += kChunk) {
            std::fill(mix.begin(), mix.end(), 0.0f);
            mixer.render(mix.data(), kChunk);
            platform::audio::floatToPcm16(mix.data(), out.data(), kChunk * 2);
            benchmark::DoNotOptimize(out.data());
            if (seen != nullptr) seen->Add(out.data(), kChunk);
        }
    }
};

// The SDL_mixer way: every voice converted once to the output format, pan applied, then per
// callback the stream is silenced and each channel's next bytes mixed in at its volume.
struct SdlMix {
    struct Channel {
        std::vector<std::uint8_t> bytes;   // S16 stereo 44100 Hz, one loop of the wave
        std::size_t at = 0;
        int volume = 0;                    // 0..SDL_MIX_MAXVOLUME
    };
    std::vector<Channel> channels;
    bool ok = true;
    SdlMix() {
        const std::vector<std::uint8_t> wave = Wave();
        for (int i = 0; i < kVoices; ++i) {
            const VoiceSetup s = Setup(i);
            SDL_AudioCVT cvt;
            if (SDL_BuildAudioCVT(&cvt, AUDIO_U8, 1, static_cast<int>(s.frequency), AUDIO_S16SYS, 2, platform::audio::kRate) < 0) {
                ok = false;
                return;
            }
            std::vector<std::uint8_t> buf(wave.size() * cvt.len_mult);
            std::copy(wave.begin(), wave.end(), buf.begin());
            cvt.buf = buf.data();
            cvt.len = static_cast<int>(wave.size());
            if (SDL_ConvertAudio(&cvt) != 0 || cvt.len_cvt < 4) {
                ok = false;
                return;
            }
            buf.resize(static_cast<std::size_t>(cvt.len_cvt) / 4 * 4);
            // The pan, as our gains apply it, baked into the converted samples.
            const float left = s.pan > 0 ? platform::decibelGain(-s.pan) : 1.0f;
            const float right = s.pan < 0 ? platform::decibelGain(s.pan) : 1.0f;
            auto* samples = reinterpret_cast<std::int16_t*>(buf.data());
            for (std::size_t f = 0; f < buf.size() / 4; ++f) {
                samples[2 * f] = static_cast<std::int16_t>(samples[2 * f] * left);
                samples[2 * f + 1] = static_cast<std::int16_t>(samples[2 * f + 1] * right);
            }
            channels.push_back(Channel{std::move(buf), 0, static_cast<int>(std::lround(SDL_MIX_MAXVOLUME * platform::decibelGain(s.volume)))});
        }
    }
    void Render(Rendered* seen) {
        std::vector<std::int16_t> out(kChunk * 2);
        auto* stream = reinterpret_cast<std::uint8_t*>(out.data());
        const std::uint32_t bytes = kChunk * 4;
        for (int done = 0; done < Frames(); done += kChunk) {
            std::fill(out.begin(), out.end(), 0);
            for (Channel& c : channels) {
                std::uint32_t filled = 0;
                while (filled < bytes) {   // a looping chunk wraps within the callback
                    const std::uint32_t n = std::min<std::uint32_t>(bytes - filled, static_cast<std::uint32_t>(c.bytes.size() - c.at));
                    SDL_MixAudioFormat(stream + filled, c.bytes.data() + c.at, AUDIO_S16SYS, n, c.volume);
                    filled += n;
                    c.at = (c.at + n) % c.bytes.size();
                }
            }
            benchmark::DoNotOptimize(out.data());
            if (seen != nullptr) seen->Add(out.data(), kChunk);
        }
    }
};

void MixThirty(benchmark::State& state) {
    Ours ours;
    for (auto _ : state) ours.Render(nullptr);
}

void SdlMixThirty(benchmark::State& state) {
    SdlMix sdl;
    if (!sdl.ok) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    for (auto _ : state) sdl.Render(nullptr);
}

struct Synth {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_synth_t* synth = nullptr;
    bool ok = false;
    Synth() {
        fluid_settings_setnum(settings, "synth.sample-rate", platform::audio::kRate);
        synth = new_fluid_synth(settings);
        std::string font = platform::midi::findSoundFont(platform::os::soundFontFolder());
        ok = !font.empty() && fluid_synth_sfload(synth, font.c_str(), 1) != FLUID_FAILED;
    }
    ~Synth() {
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
    // The whole length of 8 notes held on a General MIDI piano, reverb and chorus on.
    void Render(Rendered* seen) {
        std::vector<float> buf(kChunk * 2);
        std::vector<std::int16_t> pcm(kChunk * 2);
        for (int i = 0; i < 8; ++i) fluid_synth_noteon(synth, 0, 48 + 5 * i, 100);
        for (int done = 0; done < Frames(); done += kChunk) {
            fluid_synth_write_float(synth, kChunk, buf.data(), 0, 2, buf.data(), 1, 2);
            benchmark::DoNotOptimize(buf.data());
            if (seen != nullptr) {
                platform::audio::floatToPcm16(buf.data(), pcm.data(), kChunk * 2);
                seen->Add(pcm.data(), kChunk);
            }
        }
        fluid_synth_all_notes_off(synth, 0);
    }
};

void FluidSynthEightNotes(benchmark::State& state) {
    Synth synth;
    if (!synth.ok) {
        state.SkipWithError("no General MIDI sound font");
        return;
    }
    for (auto _ : state) synth.Render(nullptr);
}

// Keeps each run's CPU seconds per iteration, for the ratios printed at the end.
class Collector : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    std::map<std::string, double> cpuSeconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.iterations > 0 && !r.error_occurred)
                cpuSeconds[r.run_name.function_name] = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
    }
};

void CheckSound(bench::Checks& checks, const std::string& side, const Rendered& got, long long expectedFrames) {
    char what[200];
    std::snprintf(what, sizeof what, "%lld frames of %lld expected, %lld non-zero samples, rms %.0f", got.frames,
                  expectedFrames, got.nonZero, got.Rms());
    checks.Expect(side, got.frames == expectedFrames && got.nonZero > got.frames && got.Rms() > 100.0,
                  std::string("silent or short: ") + what);
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = bench::TakeQuick(argc, argv);
    if (quick) gSeconds = 1;
    bench::Checks checks("bench-mixer");
    benchmark::RegisterBenchmark("mix30/ours", MixThirty)->Unit(benchmark::kMillisecond)->Iterations(quick ? 1 : 5);
    benchmark::RegisterBenchmark("mix30/sdl_mix", SdlMixThirty)->Unit(benchmark::kMillisecond)->Iterations(quick ? 1 : 5);
    benchmark::RegisterBenchmark("fluidsynth/8notes", FluidSynthEightNotes)->Unit(benchmark::kMillisecond)->Iterations(quick ? 1 : 3);
    benchmark::Initialize(&argc, argv);
    Collector collector(bench::ConsoleOptions());
    benchmark::RunSpecifiedBenchmarks(&collector);

    // The untimed renderings, checked.
    const long long expected = (Frames() + kChunk - 1) / kChunk * static_cast<long long>(kChunk);
    Rendered ours, sdl, synth;
    Ours().Render(&ours);
    CheckSound(checks, "mix30/ours", ours, expected);
    SdlMix sdlMix;
    if (checks.Expect("mix30/sdl_mix", sdlMix.ok, std::string("the conversion failed: ") + SDL_GetError())) {
        sdlMix.Render(&sdl);
        CheckSound(checks, "mix30/sdl_mix", sdl, expected);
    }
    if (checks.Passed("mix30/ours") && checks.Passed("mix30/sdl_mix")) {
        const double loudness = ours.Rms() / sdl.Rms();
        char what[120];
        std::snprintf(what, sizeof what, "rms %.0f against SDL's %.0f for the same voices", ours.Rms(), sdl.Rms());
        checks.Expect("mix30/ours", loudness > 0.67 && loudness < 1.5, what);
    }
    Synth fluid;
    if (checks.Expect("fluidsynth/8notes", fluid.ok, "no General MIDI sound font")) {
        fluid.Render(&synth);
        CheckSound(checks, "fluidsynth/8notes", synth, expected);
    }

    auto& t = collector.cpuSeconds;
    const double mix = t["mix30/ours"], sdlTime = t["mix30/sdl_mix"], synthTime = t["fluidsynth/8notes"];
    checks.Ratio("mix30_vs_sdl_mix", "mix30/ours", "mix30/sdl_mix", mix > 0 ? sdlTime / mix : 0.0);
    checks.Ratio("mix30_vs_realtime", "mix30/ours", "mix30/ours", mix > 0 ? gSeconds / mix : 0.0, "%.1f");
    checks.Figure("fluidsynth_8notes_vs_realtime", "fluidsynth/8notes", synthTime > 0 ? gSeconds / synthTime : 0.0);
    std::printf("latency from elSound::Play to the first sample: %d frames / %d Hz = %.1f ms\n",
                platform::audio::kDeviceFrames, platform::audio::kRate,
                1000.0 * platform::audio::kDeviceFrames / platform::audio::kRate);
    benchmark::Shutdown();
    return checks.Status();
}
