// The SDL audio path through SDL's disk driver (it writes what the callback produced to a file):
// a game's pops and its music at the times the trace gives, against the headless mix of the same
// input.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "framework/runner/headless_runner.h"
#include "game/scenes.h"
#include "x_session.h"

namespace {

const std::string kBin = QRB_BIN_DIR;
constexpr double kRate = 44100.0;
constexpr int kDeviceFrames = 512;   // the SDL backend's device buffer

// 16-bit stereo samples folded to mono; a WAV's header skipped to its data chunk.
std::vector<float> ReadMono(const std::string& path, bool wav) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    if (wav) {
        std::size_t p = bytes.find("data");
        start = p == std::string::npos ? bytes.size() : p + 8;
    }
    std::vector<float> mono;
    for (std::size_t i = start; i + 4 <= bytes.size(); i += 4) {
        auto sample = [&](std::size_t at) {
            return static_cast<std::int16_t>(static_cast<unsigned char>(bytes[at]) |
                                             (static_cast<unsigned char>(bytes[at + 1]) << 8));
        };
        mono.push_back((sample(i) + sample(i + 2)) / 2.0f);
    }
    return mono;
}

// The first sample louder than a whisper.
long Onset(const std::vector<float>& s) {
    for (std::size_t i = 0; i < s.size(); ++i)
        if (std::fabs(s[i]) > 200.0f) return static_cast<long>(i);
    return -1;
}

// Mean square over [from, from + length).
double Energy(const std::vector<float>& s, long from, long length) {
    double sum = 0;
    long n = 0;
    for (long i = std::max(0L, from); i < from + length && i < static_cast<long>(s.size()); ++i, ++n)
        sum += static_cast<double>(s[i]) * s[i];
    return n > 0 ? sum / n : 0.0;
}

TEST(SdlAudio, PopsAndMusicThroughTheDiskDriverMatchTheHeadlessMix) {
    XSession x;
    std::string why;
    if (!x.Start(why)) GTEST_SKIP() << "no X server for the SDL tests: " << why;
    const std::filesystem::path dir = std::filesystem::path(QRB_WORK_DIR) / "SdlAudio";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string trace = (dir / "trace.jsonl").string(), raw = (dir / "disk.raw").string();
    pid_t pid = x.Launch({kBin + "/quorbix", "--trace", trace},
                         {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw}, (dir / "program.log").string());
    unsigned long window = x.FindWindow("Quorbix v1.0", 10000);
    ASSERT_NE(window, 0ul);
    SleepMs(500);
    const std::string w = std::to_string(window);
    // Start the game, then click on the middle of the field until a ball pops.
    ASSERT_TRUE(x.Xdo("mousemove --window " + w + " 240 180 click 1"));
    int pops = 0;
    for (int tries = 0; tries < 60 && pops == 0; ++tries) {
        SleepMs(110);
        x.Xdo("click 1");
        for (const std::string& line : ReadLines(LiveFile(trace))) pops += !SoundsField(line).empty();
    }
    ASSERT_GT(pops, 0) << "no click hit a ball";
    SleepMs(1500);
    x.Xdo("key --window " + w + " Escape");
    ASSERT_EQ(x.WaitExit(pid, 5000), 0);

    // The same input for the headless runner, frame by frame.
    std::vector<std::string> lines = ReadLines(trace);
    lines.erase(lines.begin());
    std::ostringstream script;
    int entered = 0, popFrame = 0, lastFrame = 0, mx = -1, my = -1;
    double enteredTick = 0, popTick = 0;
    std::string balls;
    for (const std::string& line : lines) {
        if (NumberField(line, "ran") != 1) continue;
        const int frame = static_cast<int>(NumberField(line, "frame"));
        lastFrame = frame;
        int x0 = 0, y0 = 0;
        MouseField(line, x0, y0);
        if (x0 != mx || y0 != my) script << frame << " move " << x0 << " " << y0 << "\n";
        mx = x0;
        my = y0;
        if (NumberField(line, "left_click") == 1) script << frame << " ldown\n" << frame << " lup\n";
        if (entered == 0 && NumberField(line, "scene") == 1) {
            entered = frame;
            enteredTick = NumberField(line, "tick");
            balls = line.substr(line.find("\"balls\""), line.find("\"password\"") - line.find("\"balls\""));
        }
        if (popFrame == 0 && !SoundsField(line).empty()) {
            popFrame = frame;
            popTick = NumberField(line, "tick");
        }
    }
    ASSERT_GT(entered, 0);
    // The game lays out its balls from the calendar second: find the one the window saw.
    RunOptions options;
    options.script = script.str();
    options.prepare = [] { UseProgram(GameProgram()); };
    std::string error;
    bool found = false;
    const long long now = std::time(nullptr);
    for (long long t = now - 30; t <= now && !found; ++t) {
        std::ostringstream out;
        options.trace = &out;
        options.config.time = t;
        options.config.frames = entered;
        ASSERT_EQ(RunHeadless(options, error), 0) << error;
        found = out.str().find(balls) != std::string::npos;
        if (found) options.config.time = t;
    }
    ASSERT_TRUE(found) << "no calendar second gives the window's balls";
    options.trace = nullptr;
    options.config.frames = lastFrame + 40;
    options.audioPath = (dir / "headless.wav").string();
    ASSERT_EQ(RunHeadless(options, error), 0) << error;

    const std::vector<float> sdl = ReadMono(raw, false), headless = ReadMono(options.audioPath, true);
    // The first sound in both is the music, which starts in the frame the game started.
    const long sdlMusic = Onset(sdl), headlessMusic = Onset(headless);
    ASSERT_GE(sdlMusic, 0) << "the window's output is silent";
    ASSERT_GE(headlessMusic, 0);
    EXPECT_NEAR(headlessMusic, entered * 0.05 * kRate, 0.05 * kRate) << "the headless mix's music onset";
    std::printf("entered %d pop %d last %d; headless %zu samples, music at %ld; window %zu samples, music at %ld\n",
                entered, popFrame, lastFrame, headless.size(), headlessMusic, sdl.size(), sdlMusic);
    // The pop: where the trace's ticks put it after the music's onset, within the device buffer
    // and a frame's timing; its energy there is what the headless mix has.
    const long sdlPop = sdlMusic + std::lround((popTick - enteredTick) / 1000.0 * kRate);
    const long headlessPop = headlessMusic + std::lround((popFrame - entered) * 0.05 * kRate);
    const long popLength = static_cast<long>(0.15 * kRate);
    const double headlessWith = Energy(headless, headlessPop, popLength);
    const double headlessBefore = Energy(headless, headlessPop - popLength, popLength);
    ASSERT_GT(headlessWith, 2.0 * headlessBefore) << "the pop does not stand out of the music in the headless mix";
    // The best placed window near where it should be. The disk driver's file counts the samples
    // the callback produced, not wall time: when the callback stalls (the music's first block
    // takes about 150 ms here) the file falls behind the ticks by that much, so the search
    // reaches 300 ms early and a device buffer and a frame's jitter late.
    double best = 0;
    long bestLag = 0;
    for (long lag = -static_cast<long>(0.3 * kRate); lag <= kDeviceFrames + 441; lag += 32) {
        const double e = Energy(sdl, sdlPop + lag, popLength);
        if (e > best) {
            best = e;
            bestLag = lag;
        }
    }
    std::printf("audio: music at %.3f s, pop %.3f s later (window output), %+.1f ms from where expected; "
                "pop energy %.2f of the headless mix's\n",
                sdlMusic / kRate, (sdlPop - sdlMusic) / kRate, bestLag / kRate * 1000, best / headlessWith);
    EXPECT_GT(best, 0.6 * headlessWith) << "the pop is missing or quiet in the window's output";
    EXPECT_LT(best, 1.6 * headlessWith) << "the output around the pop is louder than the headless mix";
    // The music after the pop has died away: as loud as in the headless mix.
    const long after = static_cast<long>(0.3 * kRate), length = static_cast<long>(0.5 * kRate);
    const double sdlMusicEnergy = Energy(sdl, sdlPop + bestLag + after, length);
    const double headlessMusicEnergy = Energy(headless, headlessPop + after, length);
    EXPECT_NEAR(sdlMusicEnergy / headlessMusicEnergy, 1.0, 0.35) << "the music after the pop";
}

}  // namespace
