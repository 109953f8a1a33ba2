// bench-mixer: the mixer with 30 buffers playing, against real time and against FluidSynth
// rendering 8 held notes on this machine (a well-kept mixer and synthesiser as the yardstick).
#include <benchmark/benchmark.h>
#include <fluidsynth.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/audio_stream.h"
#include "platform/midi_synth.h"
#include "platform/mixer.h"

namespace {

constexpr int kSeconds = 10;
constexpr int kFrames = kSeconds * platform::audio::kRate;
constexpr int kChunk = platform::audio::kDeviceFrames;

// Renders 10 seconds of 30 looping 8-bit mono 11025 Hz waves at varied frequencies, pans and
// volumes, through the float mix and the 16-bit conversion, as the output stream does.
void MixThirty(benchmark::State& state) {
    platform::WaveFormat format;
    format.formatTag = 1;
    format.channels = 1;
    format.samplesPerSec = 11025;
    format.blockAlign = 1;
    format.bitsPerSample = 8;
    std::vector<std::uint8_t> wave(11024);
    for (std::size_t i = 0; i < wave.size(); ++i) wave[i] = static_cast<std::uint8_t>(128 + ((i * 7) % 200) - 100);
    std::vector<platform::Voice> voices(30);
    platform::Mixer mixer;
    for (int i = 0; i < 30; ++i) {
        platform::Voice& v = voices[i];
        v.frequency = 4000 + 1500 * i;
        v.load(format, wave.data(), static_cast<std::uint32_t>(wave.size()));
        v.setLooping(true);
        v.pan = -6000 + 400 * i;
        v.volume = -100 * (i % 12);
        v.updateGains();
        v.playing = true;
        mixer.add(&v);
    }
    std::vector<float> mix(kChunk * 2);
    std::vector<std::int16_t> out(kChunk * 2);
    for (auto _ : state) {
        for (int done = 0; done < kFrames; done += kChunk) {
            std::fill(mix.begin(), mix.end(), 0.0f);
            mixer.render(mix.data(), kChunk);
            platform::audio::floatToPcm16(mix.data(), out.data(), kChunk * 2);
        }
        benchmark::DoNotOptimize(out.data());
    }
}

// 10 seconds of 8 notes held on a General MIDI piano, reverb and chorus on.
void FluidSynthEightNotes(benchmark::State& state) {
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", platform::audio::kRate);
    fluid_synth_t* synth = new_fluid_synth(settings);
    std::string font = platform::midi::findSoundFont(platform::midi::kSoundFontDir);
    if (font.empty() || fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED) {
        state.SkipWithError("no General MIDI sound font");
        return;
    }
    std::vector<float> buf(kChunk * 2);
    for (auto _ : state) {
        for (int i = 0; i < 8; ++i) fluid_synth_noteon(synth, 0, 48 + 5 * i, 100);
        for (int done = 0; done < kFrames; done += kChunk)
            fluid_synth_write_float(synth, kChunk, buf.data(), 0, 2, buf.data(), 1, 2);
        fluid_synth_all_notes_off(synth, 0);
        benchmark::DoNotOptimize(buf.data());
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

// Keeps each run's CPU seconds per iteration, for the ratios printed at the end.
class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> cpuSeconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            if (r.iterations > 0 && !r.error_occurred)
                cpuSeconds[r.benchmark_name()] = r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
    }
};

}  // namespace

BENCHMARK(MixThirty)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(FluidSynthEightNotes)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    double mix = collector.cpuSeconds["MixThirty/iterations:5"];
    double synth = collector.cpuSeconds["FluidSynthEightNotes/iterations:3"];
    if (mix > 0) std::printf("ratio mix30_vs_realtime %.1f\n", kSeconds / mix);
    if (mix > 0 && synth > 0) std::printf("ratio mix30_vs_fluidsynth %.2f\n", synth / mix);
    if (synth > 0) std::printf("fluidsynth_8notes_vs_realtime %.1f\n", kSeconds / synth);
    std::printf("latency from elSound::Play to the first sample: %d frames / %d Hz = %.1f ms\n",
                platform::audio::kDeviceFrames, platform::audio::kRate,
                1000.0 * platform::audio::kDeviceFrames / platform::audio::kRate);
    benchmark::Shutdown();
    return 0;
}
