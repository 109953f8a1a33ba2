// bench-frame: the cost of a whole play frame (40 balls, status line, crosshair, frame rate,
// presentation) on the headless backend, against the frame's floor: clearing Back, copying it to
// the primary surface and presenting it, measured in the same run. Presenting is done in both as
// the SDL backend does it: the client area read from the desktop surface, uploaded to a streaming
// texture and copied by SDL's software renderer (onto a surface instead of a window).
// A frame is the frame loop's work for it: the frame clock, the play scene and the bookkeeping.
// The sound rendered between frames belongs to the audio thread in the real program and is
// reported on its own line.
// Prints "ratio frame_vs_floor VALUE" (floor time / frame time; higher is better), and as figures
// the start-up time of fresh processes (quorbix-headless to the end of its first frame, the SDL
// program to its first presented frame) and the peak resident memory of a fresh quorbix-headless
// after 10 s of play.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/bench_util.h"
#include "bench/best_runs.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/core/app_state.h"
#include "framework/shell/frame_loop.h"
#include "framework/draw/display.h"
#include "game/scenes.h"
#include "platform/headless/headless.h"
#include "platform/video/surface.h"
#include "platform/window/window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kStartFrame = 2;   // the left click that starts the game lands before frame 2
constexpr int kW = 480, kH = 360;
int gPlayFrames = 600;
const char kStartScript[] = "2 move 240 180\n2 ldown\n2 lup\n";

// ---------------------------------------------------------------- presentation

// What the SDL backend does with each presented picture, on SDL's software renderer.
struct Presenter {
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kW, kH, 32, SDL_PIXELFORMAT_RGB888);
    SDL_Renderer* renderer = target != nullptr ? SDL_CreateSoftwareRenderer(target) : nullptr;
    SDL_Texture* texture = renderer != nullptr
                               ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, kW, kH)
                               : nullptr;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(kW * kH);
    long presented = 0;
    Presenter() {
        if (renderer != nullptr) SDL_RenderSetLogicalSize(renderer, kW, kH);
    }
    ~Presenter() {
        if (texture != nullptr) SDL_DestroyTexture(texture);
        if (renderer != nullptr) SDL_DestroyRenderer(renderer);
        if (target != nullptr) SDL_FreeSurface(target);
    }
    bool ok() const { return texture != nullptr; }
    // The client area at (x, y) of the desktop surface, shown.
    bool Present(int x, int y) {
        if (!platform::readDesktop(x, y, kW, kH, pixels.data())) return false;
        SDL_UpdateTexture(texture, nullptr, pixels.data(), kW * 4);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
        ++presented;
        return true;
    }
    // The shown picture equals what was read from the desktop (the copy really went through).
    bool ShowsWhatWasRead() const {
        for (int y = 0; y < kH; ++y)
            if (std::memcmp(static_cast<const std::uint8_t*>(target->pixels) + y * target->pitch, pixels.data() + y * kW, kW * 4) != 0)
                return false;
        return true;
    }
};
Presenter* presenter = nullptr;

// ---------------------------------------------------------------- the play frames

struct Timing {
    int from = 0, to = 0;
    Clock::time_point start, end;
    double inFrames = 0.0;   // seconds spent in play frames between from and to
    int frames = 0;
    int presentsSeen = 0;
    int shownPictures = 0;             // play frames whose picture was presented and checked
    std::set<std::uint64_t> distinct;  // hashes of the pictures shown, when checking
    bool check = false, allShown = true;
};
Timing* timing = nullptr;

void Mark(int frame, void* user) {
    auto& t = *static_cast<Timing*>(user);
    if (frame == t.from) t.start = Clock::now();
    if (frame == t.to) t.end = Clock::now();
}

std::uint64_t Hash(const std::vector<std::uint32_t>& p) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint32_t v : p) h = (h ^ v) * 1099511628211ull;
    return h;
}

// The play scene, timed, with each picture it presented shown as the SDL backend shows it.
void TimedPlay() {
    int frame = platform::headless::currentFrame();
    bool counted = timing != nullptr && frame > timing->from && frame <= timing->to;
    auto t0 = Clock::now();
    ScenePlay();
    const int presents = platform::headless::presentCount();
    bool shown = timing != nullptr && presenter != nullptr && presents > timing->presentsSeen;
    for (int i = timing != nullptr ? timing->presentsSeen : presents; presenter != nullptr && i < presents; ++i)
        shown = presenter->Present(platform::headless::clientOriginX(), platform::headless::clientOriginY()) && shown;
    if (counted) {
        timing->inFrames += std::chrono::duration<double>(Clock::now() - t0).count();
        ++timing->frames;
        if (timing->check) {
            if (shown && presenter->ShowsWhatWasRead()) {
                ++timing->shownPictures;
                timing->distinct.insert(Hash(presenter->pixels));
            } else {
                timing->allShown = false;
            }
        }
    }
    if (timing != nullptr) timing->presentsSeen = presents;
}

// Runs the program headless up to `frames` frame numbers, starting a game in frame 2, and times
// the frames after `from` up to `to`: the whole time, and the time in the play scene.
Timing RunGame(int frames, int from, int to, bool check) {
    platform::headless::Config cfg;
    cfg.frames = frames;
    cfg.time = 1700000000;
    platform::headless::configure(cfg);
    std::string error;
    platform::headless::loadScript(kStartScript, error);
    UseProgram(GameProgram());
    ResetProgramState();
    SceneFunctions[kScenePlay] = TimedPlay;
    Timing t;
    t.from = from;
    t.to = to;
    t.check = check;
    timing = &t;
    platform::headless::setSlotEndHook(Mark, &t);
    WinMain("", platform::SW_SHOWNORMAL);
    platform::headless::setSlotEndHook(nullptr, nullptr);
    timing = nullptr;
    return t;
}

double betweenFrames = 0.0;   // seconds per frame spent outside the play frames (sound, script)

void PlayFrames(benchmark::State& state) {
    // The play frames after the entry frame (3).
    const int from = kStartFrame + 2, to = kStartFrame + gPlayFrames;
    for (auto _ : state) {
        Timing t = RunGame(to, from, to, false);
        // The loop's own steps around the scene (frame clock, bookkeeping) are a few
        // microseconds; the scene's frame includes drawing and presentation.
        state.SetIterationTime(t.inFrames);
        double whole = std::chrono::duration<double>(t.end - t.start).count();
        betweenFrames = (whole - t.inFrames) / (to - from);
    }
    state.SetItemsProcessed(state.iterations() * (to - from));
}

// The floor on the display the game opens: Back cleared, copied to the primary surface under
// the client area, and presented.
struct FloorDisplay {
    bool ok = false;
    FloorDisplay() {
        platform::headless::configure(platform::headless::Config{});
        ResetProgramState();
        Shell.FullScreen = 0;
        ok = elDraw::Screen(kW, kH) == 1;
    }
    ~FloorDisplay() { ResetProgramState(); }
    void Frame(std::uint8_t shade) {
        const platform::PixelView back = elDraw::Display.Back->view();
        const platform::PixelView front = elDraw::Display.Front->view();
        const int x = platform::headless::clientOriginX(), y = platform::headless::clientOriginY();
        for (int row = 0; row < kH; ++row) std::memset(back.pixels + row * back.pitch, shade, kW * 4);
        benchmark::ClobberMemory();
        for (int row = 0; row < kH; ++row)
            std::memcpy(front.pixels + (y + row) * front.pitch + x * 4, back.pixels + row * back.pitch, kW * 4);
        benchmark::ClobberMemory();
        presenter->Present(x, y);
    }
};

void Floor(benchmark::State& state) {
    FloorDisplay d;
    if (!d.ok) {
        state.SkipWithError("the display did not open");
        return;
    }
    std::uint8_t shade = 0;
    for (auto _ : state) d.Frame(shade++);
    state.SetItemsProcessed(state.iterations());
}

// ---------------------------------------------------------------- fresh processes

std::string BinDir() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string p(path, static_cast<std::size_t>(n));
    return p.substr(0, p.rfind('/'));
}

struct Child {
    bool started = false, timedOut = false, signalled = false;
    int exitCode = -1;
    double ms = 0.0;       // from the start to the probe's byte, or else to the exit
    long maxRssKiB = 0;
    std::string errors;    // the first lines of its standard error
};

// Runs `argv` with `env` added, `input` on standard input; with `probe`, a pipe whose write end
// is named in QRB_PRESENT_PROBE_FD and whose first byte ends the timing.
Child Run(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& input, bool probe,
          double timeoutSec) {
    Child c;
    int in[2], err[2], pr[2] = {-1, -1};
    if (pipe(in) != 0 || pipe(err) != 0 || (probe && pipe(pr) != 0)) return c;
    const auto t0 = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(err[1], 2);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(in[1]);
        close(err[0]);
        if (probe) close(pr[0]);
        for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
        if (probe) setenv("QRB_PRESENT_PROBE_FD", std::to_string(pr[1]).c_str(), 1);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(in[0]);
    close(err[1]);
    if (probe) close(pr[1]);
    if (pid < 0) return c;
    c.started = true;
    if (!input.empty() && write(in[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) {}
    close(in[1]);
    if (probe) {
        pollfd p{pr[0], POLLIN, 0};
        char byte = 0;
        if (poll(&p, 1, static_cast<int>(timeoutSec * 1000)) == 1 && read(pr[0], &byte, 1) == 1)
            c.ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        else
            c.timedOut = true;
        close(pr[0]);
        if (c.timedOut) kill(pid, SIGKILL);
    }
    // Standard error, read until it closes (the child's exit), with a deadline.
    const auto deadline = t0 + std::chrono::duration<double>(timeoutSec);
    char buf[4096];
    for (;;) {
        const int left = static_cast<int>(std::chrono::duration<double, std::milli>(deadline - Clock::now()).count());
        pollfd p{err[0], POLLIN, 0};
        if (left <= 0 || poll(&p, 1, left) != 1) {
            c.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        ssize_t n = read(err[0], buf, sizeof buf);
        if (n <= 0) break;
        if (c.errors.size() < 400) c.errors.append(buf, static_cast<std::size_t>(n));
    }
    close(err[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!probe) c.ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    c.maxRssKiB = usage.ru_maxrss;
    if (WIFEXITED(status)) c.exitCode = WEXITSTATUS(status);
    c.signalled = WIFSIGNALED(status);
    while (!c.errors.empty() && (c.errors.back() == '\n' || c.errors.back() == '\r')) c.errors.pop_back();
    for (char& ch : c.errors)
        if (ch == '\n') ch = ' ';
    return c;
}

std::string Describe(const Child& c) {
    if (!c.started) return "could not start it";
    if (c.timedOut) return "no frame within the time allowed";
    std::string s = c.signalled ? "killed by a signal" : "exit status " + std::to_string(c.exitCode);
    if (!c.errors.empty()) s += " (" + c.errors + ")";
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = bench::TakeQuick(argc, argv);
    if (quick) gPlayFrames = 60;
    bench::Checks checks("bench-frame");
    Presenter present;
    presenter = &present;
    if (!present.ok()) {
        std::printf("error: bench-frame: SDL's software renderer did not start: %s\n", SDL_GetError());
        return 1;
    }

    benchmark::RegisterBenchmark("frame/play", PlayFrames)->UseManualTime()->Iterations(quick ? 1 : 3)->Repetitions(quick ? 1 : 2);
    benchmark::RegisterBenchmark("frame/floor", Floor)->MinTime(quick ? 0.02 : 0.2)->Repetitions(quick ? 1 : 3);
    benchmark::Initialize(&argc, argv);
    BestRuns recorder(bench::ConsoleOptions());
    benchmark::RunSpecifiedBenchmarks(&recorder);

    // The untimed runs, checked: every play frame's picture presented and shown, the balls
    // moving (the pictures differ), and the floor showing the shade it cleared Back to.
    {
        const int from = kStartFrame + 2, to = kStartFrame + 40;
        Timing t = RunGame(to, from, to, true);
        char what[200];
        std::snprintf(what, sizeof what, "%d play frames of %d, %d shown, %zu different pictures", t.frames, to - from,
                      t.shownPictures, t.distinct.size());
        checks.Expect("frame/play", t.frames == to - from && t.allShown && t.shownPictures == t.frames &&
                                        static_cast<int>(t.distinct.size()) > t.frames / 2,
                      std::string("the play frames did not draw and present: ") + what);
    }
    {
        FloorDisplay d;
        bool ok = d.ok;
        if (ok) {
            d.Frame(0x5A);
            ok = present.ShowsWhatWasRead() && present.pixels[kW * kH / 2] == 0x5A5A5A && present.pixels[kW * kH - 1] == 0x5A5A5A;
        }
        checks.Expect("frame/floor", ok, "the cleared Back was not presented");
    }

    auto& b = recorder.best;
    if (b["frame/play"] > 0 && b["frame/floor"] > 0)
        std::printf("play frame %.1f us, floor %.1f us (both presenting); between frames (sound and music rendered "
                    "by the virtual clock, script) %.1f us\n",
                    1e6 / b["frame/play"], 1e6 / b["frame/floor"], betweenFrames * 1e6);
    checks.Ratio("frame_vs_floor", "frame/play", "frame/floor", b["frame/floor"] > 0 ? b["frame/play"] / b["frame/floor"] : 0.0, "%.3f");

    const std::string bin = BinDir();
    // Start-up of a fresh quorbix-headless: from the start of the process to its exit after
    // the first frame (drawn and presented). The best of a few runs.
    {
        double best = 0.0;
        Child last;
        for (int i = 0; i < (quick ? 1 : 5); ++i) {
            last = Run({bin + "/quorbix-headless", "--frames", "1"}, {}, "", false, 20.0);
            if (last.exitCode != 0 || last.timedOut) break;
            if (best == 0.0 || last.ms < best) best = last.ms;
        }
        if (checks.Expect("startup/headless", last.exitCode == 0 && !last.timedOut, "quorbix-headless: " + Describe(last)))
            checks.Figure("startup_ms_headless", "startup/headless", best);
    }
    // Start-up of the SDL program to its first presented frame: under the X server when there
    // is one, otherwise SDL's offscreen driver, otherwise its dummy driver; sound on SDL's dummy
    // driver so that no sound server is waited for.
    {
        std::vector<std::string> drivers;
        if (std::getenv("DISPLAY") != nullptr) drivers.push_back("");
        drivers.push_back("offscreen");
        drivers.push_back("dummy");
        std::string why;
        bool measured = false;
        for (const std::string& driver : drivers) {
            double best = 0.0;
            Child last;
            std::vector<std::string> env{"SDL_AUDIODRIVER=dummy", "LD_PRELOAD=" + bin + "/bench-present-probe.so"};
            if (!driver.empty()) env.push_back("SDL_VIDEODRIVER=" + driver);
            for (int i = 0; i < (quick ? 1 : 5); ++i) {
                last = Run({bin + "/quorbix"}, env, "", true, 20.0);
                if (last.timedOut || last.exitCode != 0) break;
                if (best == 0.0 || last.ms < best) best = last.ms;
            }
            if (!last.timedOut && last.exitCode == 0) {
                std::printf("the SDL program's start-up measured under the %s video driver\n",
                            driver.empty() ? ("X server at " + std::string(std::getenv("DISPLAY"))).c_str() : driver.c_str());
                checks.Figure("startup_ms_sdl", "startup/sdl", best);
                measured = true;
                break;
            }
            why += (why.empty() ? "" : "; ") + (driver.empty() ? std::string("X server") : driver) + ": " + Describe(last);
        }
        checks.Expect("startup/sdl", measured, "the SDL program presented no frame: " + why);
    }
    // Peak resident memory of a fresh quorbix-headless after 10 s of play (200 frames at 20 a
    // second after the start in frame 2), taken from the child's resource usage.
    {
        char trace[] = "/tmp/bench-frame-trace-XXXXXX";
        int fd = mkstemp(trace);
        if (fd >= 0) close(fd);
        const int frames = kStartFrame + 1 + 200;
        Child c = Run({bin + "/quorbix-headless", "--frames", std::to_string(frames), "--trace", trace, "-"}, {},
                      kStartScript, false, 60.0);
        int playFrames = 0, musicFrames = 0;
        std::ifstream in(trace);
        for (std::string line; std::getline(in, line);) {
            playFrames += line.find("\"scene\":1,") != std::string::npos;
            musicFrames += line.find("\"playing\":1") != std::string::npos;
        }
        unlink(trace);
        // The music's synthesiser and sound font are most of the memory: a run without them
        // (no QRBX.MID beside the program, no sound font) measures something else.
        if (checks.Expect("rss/headless", c.exitCode == 0 && !c.timedOut, "quorbix-headless: " + Describe(c)) &&
            checks.Expect("rss/headless", playFrames >= 200, "only " + std::to_string(playFrames) + " play frames in the trace") &&
            checks.Expect("rss/headless", musicFrames >= 200, "the music played in only " + std::to_string(musicFrames) + " frames"))
            checks.Figure("rss_mib", "rss/headless", c.maxRssKiB / 1024.0);
    }
    return checks.Status();
}
