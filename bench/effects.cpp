// bench-effects: pictures per second of elDraw::WaveObject on a 464 x 360 picture (one keyed
// PutObject per row, each row moved by the wave) against one PutObject of the same picture (the
// same pixels in one blit), on the 480 x 360 32-bit Back. The ratio shows the per-row overhead.
// Prints "ratio NAME VALUE": our speed divided by the reference's (higher is better).
// After the timing each side draws once more, untimed, on a cleared Back: every row must be the
// picture's row, keyed, at a shift within the wave's amplitude (the single blit at none), and
// the wave must move rows.
#include <benchmark/benchmark.h>

#include "bench/bench_util.h"
#include "bench/best_runs.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "framework/core/app_state.h"
#include "framework/draw/blit.h"
#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "framework/draw/raster_effects.h"
#include "framework/system/wait_timers.h"
#include "platform/video/blit.h"
#include "platform/headless/headless.h"
#include "platform/video/pixels.h"

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

// Clears Back, lets `draw` draw once, and checks every row against the picture's keyed row at
// some shift; `wave` asks for more than one shift among the rows, otherwise only the margin.
void CheckRows(bench::Checks& checks, const char* side, void (*draw)(), bool wave) {
    constexpr std::uint32_t kUntouched = 0x123456;
    const platform::PixelView back = elDraw::Display.Back->view();
    const platform::PixelView pic = elDraw::Objects.Slot[Picture].Surface->view();
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) platform::writePixel(back, x, y, kUntouched);
    draw();
    int badRow = -1;
    std::vector<int> shifts;
    for (int y = 0; y < kHeight && badRow < 0; ++y) {
        int found = -1;
        for (int shift = wave ? 0 : kAmplitude; shift <= (wave ? 2 * kAmplitude : kAmplitude) && found < 0; ++shift) {
            bool same = true;
            for (int x = 0; x < 480 && same; ++x) {
                const int px = x - shift;
                const std::uint32_t want = px >= 0 && px < kWidth && (platform::readPixel(pic, px, y) & 0xFFFFFF) != 0
                                               ? platform::readPixel(pic, px, y) & 0xFFFFFF
                                               : kUntouched;
                same = (platform::readPixel(back, x, y) & 0xFFFFFF) == want;
            }
            if (same) found = shift;
        }
        if (found < 0) badRow = y;
        shifts.push_back(found);
    }
    std::sort(shifts.begin(), shifts.end());
    const long distinct = std::unique(shifts.begin(), shifts.end()) - shifts.begin();
    char what[120];
    std::snprintf(what, sizeof what, "row %d is not the picture's row at any allowed shift", badRow);
    if (checks.Expect(side, badRow < 0, what) && wave)
        checks.Expect(side, distinct > 1, "every row at the same place: the wave moved nothing");
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = bench::TakeQuick(argc, argv);
    bench::Checks checks("bench-effects");
    if (!SetUp()) return 1;
    benchmark::RegisterBenchmark("wave/ours", Wave)->MinTime(quick ? 0.02 : 0.3)->Repetitions(quick ? 1 : 5);
    benchmark::RegisterBenchmark("wave/single_blit", SingleBlit)->MinTime(quick ? 0.02 : 0.3)->Repetitions(quick ? 1 : 5);
    benchmark::Initialize(&argc, argv);
    BestRuns recorder(bench::ConsoleOptions());
    benchmark::RunSpecifiedBenchmarks(&recorder);
    CheckRows(checks, "wave/ours", [] { elDraw::WaveObject(kAmplitude, 0, kAmplitude, 1, 90.0f, Picture, 0, 0, kWidth, kHeight); }, true);
    CheckRows(checks, "wave/single_blit", [] { elDraw::PutObject(kAmplitude, 0, Picture, 0, 0, kWidth, kHeight); }, false);
    auto& b = recorder.best;
    std::printf("keyed copy path: %s; us per picture: wave %.1f (%d rows), single blit %.1f\n", platform::blitPath(),
                1e6 / b["wave/ours"], kHeight, 1e6 / b["wave/single_blit"]);
    checks.Ratio("wave_vs_single_blit", "wave/ours", "wave/single_blit",
                 b["wave/single_blit"] > 0 ? b["wave/ours"] / b["wave/single_blit"] : 0.0);
    return checks.Status();
}
