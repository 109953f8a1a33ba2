// bench-gif: the headless runner's --gif on 30 seconds of play of the game (600 frames of 50 ms
// after a click that starts it, clicks over the field as a player's), against real time and
// against the same run without the GIF, measured in the same process. The GIF is decoded back
// with giflib and checked (its size, its frames, its delays adding up to the range's time)
// before anything is printed.
// Prints "ratio gif_vs_realtime VALUE" (the session's time / the time to render it with the GIF;
// higher is better), "ratio gif_vs_plain_run VALUE" (the run without the GIF / with it) and as a
// figure the GIF's size in MB at scale 1.
#include <gif_lib.h>

#include "bench/bench_util.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "framework/runner/headless_runner.h"
#include "game/scenes.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFrameMs = 50;

// A start click in frame 2, then a click every third frame over the field, wandering as in play.
std::string PlayScript(int frames) {
    std::string script = "2 move 240 180\n2 ldown\n2 lup\n";
    int x = 100, y = 100;
    for (int f = 5; f < frames; f += 3) {
        script += std::to_string(f) + " move " + std::to_string(x) + " " + std::to_string(y) + "\n";
        script += std::to_string(f) + " ldown\n" + std::to_string(f) + " lup\n";
        x = (x + 37) % 300 + 90;
        y = (y + 23) % 180 + 90;
    }
    return script;
}

// Runs the game over `frames` frame numbers, with the GIF of frames 3 on when `gif` is given;
// the wall time in seconds, or a negative number after saying why the run failed.
double Run(int frames, const std::string& gif) {
    quorbix::RunOptions options;
    options.config.frames = frames;
    options.config.time = 1700000000;
    options.script = PlayScript(frames);
    options.prepare = [] { UseProgram(GameProgram()); };
    options.gifPath = gif;
    options.gifFrom = 3;
    std::string error;
    const auto start = Clock::now();
    const int status = quorbix::RunHeadless(options, error);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (status != 0) {
        std::printf("error: bench-gif: the run failed: %s\n", error.c_str());
        return -1;
    }
    return seconds;
}

// The GIF's screen, frames and delays as the run should have made them.
bool CheckGif(const std::string& path, int frames, std::string& why) {
    int code = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &code);
    if (gif == nullptr) {
        why = std::string("cannot open the GIF: ") + GifErrorString(code);
        return false;
    }
    bool ok = DGifSlurp(gif) == GIF_OK;
    long delays = 0;
    for (int i = 0; ok && i < gif->ImageCount; ++i) {
        GraphicsControlBlock gcb{};
        ok = DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK;
        delays += gcb.DelayTime;
    }
    const long expected = static_cast<long>(frames - 2) * kFrameMs / 10;
    if (!ok)
        why = std::string("cannot decode the GIF: ") + GifErrorString(gif->Error);
    else if (gif->SWidth != 480 || gif->SHeight != 360)
        why = "the GIF is " + std::to_string(gif->SWidth) + " x " + std::to_string(gif->SHeight), ok = false;
    else if (gif->ImageCount < 2)
        why = "the GIF has " + std::to_string(gif->ImageCount) + " frame(s)", ok = false;
    else if (delays != expected)
        why = "the GIF lasts " + std::to_string(delays) + " hundredths, not " + std::to_string(expected), ok = false;
    DGifCloseFile(gif, &code);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = bench::TakeQuick(argc, argv);
    const int frames = quick ? 102 : 602;   // frames 3 to 602: 30 s of play
    const int runs = quick ? 1 : 3;
    const std::string gif = (std::filesystem::temp_directory_path() / ("bench-gif-" + std::to_string(::getpid()) + ".gif")).string();
    bench::Checks checks("bench-gif");
    double plain = 1e30, withGif = 1e30;
    for (int r = 0; r < runs; ++r) {
        const double p = Run(frames, "");
        const double g = Run(frames, gif);
        checks.Expect("plain", p > 0, "the run without the GIF failed");
        checks.Expect("gif", g > 0, "the run with the GIF failed");
        if (p > 0) plain = std::min(plain, p);
        if (g > 0) withGif = std::min(withGif, g);
    }
    std::string why;
    checks.Expect("gif", CheckGif(gif, frames, why), why);
    std::error_code ec;
    const double megabytes = static_cast<double>(std::filesystem::file_size(gif, ec)) / 1e6;
    std::filesystem::remove(gif, ec);
    const double session = frames * kFrameMs / 1000.0;
    checks.Ratio("gif_vs_realtime", "gif", "gif", session / withGif);
    checks.Ratio("gif_vs_plain_run", "gif", "plain", plain / withGif);
    checks.Figure(quick ? "gif_mb_5s" : "gif_mb_30s", "gif", megabytes, "%.2f");
    return checks.Status();
}
