// bench-frame: the cost of a whole play frame (40 balls, status line, crosshair, frame rate,
// presentation) on the headless backend without any output, against the frame's floor: clearing
// Back and copying it to the primary surface (480 x 360 x 4 bytes each), measured in the same run.
// A frame is the frame loop's work for it: the frame clock, the play scene and the bookkeeping.
// The sound rendered between frames belongs to the audio thread in the real program and is
// reported on its own line.
// Prints "ratio frame_vs_floor VALUE" (floor time / frame time; higher is better), and the
// start-up time to the first presented frame and the resident memory after 10 s of play.
#include <benchmark/benchmark.h>

#include "bench/best_runs.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "framework/shell/app_state.h"
#include "framework/shell/frame_loop.h"
#include "game/scenes.h"
#include "platform/headless/headless.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPlayFrames = 600;
constexpr int kStartFrame = 2;   // the left click that starts the game lands before frame 2

struct Timing {
    int from = 0, to = 0;
    Clock::time_point start, end;
    double inFrames = 0.0;   // seconds spent in play frames between from and to
    int frames = 0;
};
Timing* timing = nullptr;

void Mark(int frame, void* user) {
    auto& t = *static_cast<Timing*>(user);
    if (frame == t.from) t.start = Clock::now();
    if (frame == t.to) t.end = Clock::now();
}

// The play scene, timed.
void TimedPlay() {
    int frame = platform::headless::currentFrame();
    bool counted = timing != nullptr && frame > timing->from && frame <= timing->to;
    auto t0 = Clock::now();
    ScenePlay();
    if (counted) {
        timing->inFrames += std::chrono::duration<double>(Clock::now() - t0).count();
        ++timing->frames;
    }
}

// Runs the program headless up to `frames` frame numbers, starting a game in frame 2, and times
// the frames after `from` up to `to`: the whole time, and the time in the play scene.
Timing RunGame(int frames, int from, int to) {
    platform::headless::Config cfg;
    cfg.frames = frames;
    cfg.time = 1700000000;
    platform::headless::configure(cfg);
    std::string error;
    platform::headless::loadScript("2 move 240 180\n2 ldown\n2 lup\n", error);
    ResetProgramState();
    SceneFunctions[1] = TimedPlay;
    Timing t;
    t.from = from;
    t.to = to;
    timing = &t;
    platform::headless::setSlotEndHook(Mark, &t);
    WinMain("", platform::SW_SHOWNORMAL);
    platform::headless::setSlotEndHook(nullptr, nullptr);
    timing = nullptr;
    return t;
}

double betweenFrames = 0.0;   // seconds per frame spent outside the play frames (sound, script)

void PlayFrames(benchmark::State& state) {
    // Frames 4 to 602 are play frames after the entry frame (3).
    const int from = kStartFrame + 2, to = kStartFrame + kPlayFrames;
    for (auto _ : state) {
        Timing t = RunGame(to, from, to);
        // The loop's own steps around the scene (frame clock, bookkeeping) are a few
        // microseconds; the scene's frame includes drawing and presentation.
        state.SetIterationTime(t.inFrames);
        double whole = std::chrono::duration<double>(t.end - t.start).count();
        betweenFrames = (whole - t.inFrames) / (to - from);
    }
    state.SetItemsProcessed(state.iterations() * (to - from));
}

void Floor(benchmark::State& state) {
    std::vector<std::uint8_t> back(480 * 360 * 4), front(480 * 360 * 4);
    for (auto _ : state) {
        std::memset(back.data(), 0, back.size());
        benchmark::ClobberMemory();
        std::memcpy(front.data(), back.data(), back.size());
        benchmark::DoNotOptimize(front.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}


}  // namespace

int main(int argc, char** argv) {
    // Start-up: from the entry point to the end of the first presented frame.
    auto t0 = Clock::now();
    RunGame(1, 1, 1);
    double startupMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();

    benchmark::RegisterBenchmark("frame/play", PlayFrames)->UseManualTime()->Iterations(3)->Repetitions(2);
    benchmark::RegisterBenchmark("frame/floor", Floor)->MinTime(0.2)->Repetitions(3);
    benchmark::Initialize(&argc, argv);
    BestRuns recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);

    // Resident memory after 10 seconds of play (200 frames at 20 a second).
    RunGame(kStartFrame + 201, 1, 1);
    double rssMiB = ResidentKiB() / 1024.0;

    auto& b = recorder.best;
    if (b["frame/play"] > 0 && b["frame/floor"] > 0) {
        std::printf("play frame %.1f us, floor %.1f us; between frames (sound and music rendered by "
                    "the virtual clock, script) %.1f us\n",
                    1e6 / b["frame/play"], 1e6 / b["frame/floor"], betweenFrames * 1e6);
        std::printf("ratio frame_vs_floor %.3f\n", b["frame/play"] / b["frame/floor"]);
    }
    std::printf("figure startup_ms %.1f\n", startupMs);
    std::printf("figure rss_mib %.1f\n", rssMiB);
    return 0;
}
