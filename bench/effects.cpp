// bench-effects: pictures per second of elDraw::WaveObject on a 464 x 360 picture (one keyed
// PutObject per row, each row moved by the wave) against one PutObject of the same picture (the
// same pixels in one blit), on the 480 x 360 32-bit Back. The ratio shows the per-row overhead.
// Prints "ratio NAME VALUE": our speed divided by the reference's (higher is better).
#include <benchmark/benchmark.h>

#include "bench/best_runs.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "framework/shell/app_state.h"
#include "framework/draw/blit.h"
#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "framework/draw/raster_effects.h"
#include "framework/system/wait_timers.h"
#include "platform/blit.h"
#include "platform/headless/headless.h"

namespace {

// The wave's amplitude is the margin left and right of the picture, so no row is ever cut and
// both ways copy exactly the same pixels.
constexpr int kAmplitude = 8;
constexpr int kWidth = 480 - 2 * kAmplitude;
constexpr int kHeight = 360;

int Picture = 0;

bool SetUp() {
    platform::headless::configure(platform::headless::Config{});
    ResetProgramState();
    Shell.FullScreen = 0;   // windowed, as the game runs
    if (elDraw::Screen(480, 360) != 1) {
        for (const auto& box : platform::headless::takeBoxes()) std::fprintf(stderr, "bench-effects: %s\n", box.text.c_str());
        return false;
    }
    // A picture of random colours with a quarter of its pixels black, the transparent key.
    elDraw::SetDefaultKey(0x000000);
    Picture = elDraw::CreateObject();
    if (Picture == 0) return false;
    const platform::PixelView v = elDraw::Objects.Slot[Picture].Surface->view();
    std::mt19937 rng(3);
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) platform::writePixel(v, x, y, rng() % 4 == 0 ? 0 : (rng() & 0xFFFFFF) | 0x010101);
    elSystem::Clock.FrameDelta = 0.05f;
    return true;
}

void Wave(benchmark::State& state) {
    for (auto _ : state) {
        elDraw::WaveObject(kAmplitude, 0, kAmplitude, 1, 90.0f, Picture, 0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

void SingleBlit(benchmark::State& state) {
    for (auto _ : state) {
        elDraw::PutObject(kAmplitude, 0, Picture, 0, 0, kWidth, kHeight);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}


}  // namespace

int main(int argc, char** argv) {
    if (!SetUp()) return 1;
    benchmark::RegisterBenchmark("wave/ours", Wave)->MinTime(0.3)->Repetitions(5);
    benchmark::RegisterBenchmark("wave/single_blit", SingleBlit)->MinTime(0.3)->Repetitions(5);
    benchmark::Initialize(&argc, argv);
    BestRuns recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    auto& b = recorder.best;
    if (b["wave/ours"] <= 0 || b["wave/single_blit"] <= 0) return 1;
    std::printf("keyed copy path: %s; us per picture: wave %.1f (%d rows), single blit %.1f\n", platform::blitPath(),
                1e6 / b["wave/ours"], kHeight, 1e6 / b["wave/single_blit"]);
    std::printf("ratio wave_vs_single_blit %.2f\n", b["wave/ours"] / b["wave/single_blit"]);
    return 0;
}
