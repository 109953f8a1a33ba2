// quorbix-soak: plays many games headless with random mouse input and clicks, and checks that
// memory does not grow. Usage: quorbix-soak FRAMES [SEED]; exit 1 on growth, 2 on bad arguments.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "framework/core/app_state.h"
#include "game/scenes.h"
#include "game/game_state.h"
#include "framework/runner/headless_runner.h"

namespace {

// Resident memory in KiB, from the kernel's view of this process.
long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

struct Watch {
    int warmUp = 0;
    long startKiB = 0;
    long peakKiB = 0;
    int games = 0;
    int lastScene = 0;
};

void OnFrame(int frame, void* user) {
    auto& w = *static_cast<Watch*>(user);
    if (frame == w.warmUp) w.startKiB = ResidentKiB();
    if (frame > w.warmUp && frame % 1000 == 0) {
        long now = ResidentKiB();
        if (now > w.peakKiB) w.peakKiB = now;
    }
    if (Shell.SceneId == 1 && w.lastScene != 1) ++w.games;
    w.lastScene = Shell.SceneId;
}

// Random play: the mouse wanders over (and sometimes past) the window, with left clicks often
// and right clicks now and then, so games start, end and go back to the title again and again.
std::string RandomScript(int frames, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> x(-20, 499), y(-20, 379), roll(0, 99);
    std::string s;
    for (int f = 1; f <= frames; ++f) {
        int r = roll(rng);
        if (r < 60) s += std::to_string(f) + " move " + std::to_string(x(rng)) + " " + std::to_string(y(rng)) + "\n";
        if (r < 35) s += std::to_string(f) + " ldown\n" + std::to_string(f) + " lup\n";
        else if (r < 37) s += std::to_string(f) + " rdown\n" + std::to_string(f) + " rup\n";
        else if (r < 38) s += std::to_string(f) + " ldbl\n";
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    long frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
    unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1u;
    if (frames < 2000 || frames > 10000000) {
        std::fprintf(stderr, "usage: quorbix-soak FRAMES [SEED]   (FRAMES from 2000)\n");
        return 2;
    }
    Watch watch;
    watch.warmUp = 1000;
    RunOptions options;
    options.config.frames = static_cast<int>(frames);
    options.config.time = 1700000000;
    options.script = RandomScript(static_cast<int>(frames), seed);
    options.frameEnd = OnFrame;
    options.frameEndUser = &watch;
    std::string error;
    options.prepare = [] { UseProgram(GameProgram()); };
    int code = RunHeadless(options, error);
    if (code != 0) {
        std::fprintf(stderr, "quorbix-soak: the run failed: %s\n", error.c_str());
        return 1;
    }
    long endKiB = ResidentKiB();
    long growth = (watch.peakKiB > endKiB ? watch.peakKiB : endKiB) - watch.startKiB;
    std::printf("soak: %ld frames, %d games, resident memory %ld KiB after warm-up, %ld KiB at the end "
                "(growth %ld KiB)\n", frames, watch.games, watch.startKiB, endKiB, growth);
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer holds freed memory back in quarantine, so resident memory says nothing
    // here; LeakSanitizer checks for leaks at exit instead.
    constexpr long kAllowedGrowthKiB = 1L << 30;
#else
    // A frame allocates nothing for good: anything beyond a little allocator slack is a leak.
    constexpr long kAllowedGrowthKiB = 2048;
#endif
    if (growth > kAllowedGrowthKiB) {
        std::fprintf(stderr, "quorbix-soak: memory grew by %ld KiB\n", growth);
        return 1;
    }
    if (watch.games < 2) {
        std::fprintf(stderr, "quorbix-soak: only %d games were played\n", watch.games);
        return 1;
    }
    return 0;
}
