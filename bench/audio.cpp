// bench-audio: the demo's sound through the real SDL audio callback, on SDL's own audio thread
// (SDL's dummy driver unless SDL_AUDIODRIVER names another), for 60 seconds of wall time: the
// game's music looping on its end notice and closed and opened again as a scene change does,
// and a hit sound started every frame at 20 frames a second on 30 buffers (so that about 20
// overlap), each retuned, panned and turned down before it plays. The window's thread does
// what the game does between frames and sleeps until the next.
//
// Prints the callback's worst and 99th-percentile time, the longest any other thread held the
// lock the callback takes, and the underruns (callbacks that took longer than the sound they
// made, and callbacks that found the music's frames not ready). Before printing it checks its
// own work: every callback asked for one device buffer, the frames add up to about the time
// that passed, and the output is not silent.
#include <SDL.h>

#include "bench/bench_util.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/audio_stream.h"
#include "platform/sound/mci.h"
#include "platform/sound/sound.h"
#include "platform/window/window.h"

namespace {

namespace audio = platform::audio;
using Clock = std::chrono::steady_clock;

constexpr int kBuffers = 30;

// What the callback did, written on SDL's audio thread into room made beforehand.
struct Capture {
    std::vector<std::int64_t> nanos;
    std::atomic<std::size_t> count{0};
    std::atomic<long long> frames{0};
    std::atomic<long long> nonZero{0};
    std::atomic<int> oddSizes{0};
    double sumSquares = 0.0;   // audio thread only; read after the device is closed
};

void Observe(void* user, const std::int16_t* out, int frames, std::int64_t nanos) {
    auto* c = static_cast<Capture*>(user);
    std::size_t i = c->count.load(std::memory_order_relaxed);
    if (i < c->nanos.size()) {
        c->nanos[i] = nanos;
        c->count.store(i + 1, std::memory_order_release);
    }
    if (frames != audio::kDeviceFrames) ++c->oddSizes;
    long long nz = 0;
    for (int k = 0; k < frames * audio::kChannels; ++k) {
        nz += out[k] != 0;
        c->sumSquares += static_cast<double>(out[k]) * out[k];
    }
    c->nonZero += nz;
    c->frames += frames;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool Send(const std::string& command) { return platform::mciSendString(command.c_str(), nullptr, 0, 0) == 0; }

bool OpenMusic(const std::string& path) {
    return Send("open " + path + " type sequencer alias midi") && Send("seek midi to start") &&
           Send("play midi notify");
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = bench::TakeQuick(argc, argv);
    const int seconds = quick ? 3 : 60;
    // A scene change (music closed and opened again) this often; the piece itself is 38.4 s and
    // restarts on its end notice in between.
    const double reopenEvery = quick ? 1.5 : 45.0;
    setenv("SDL_AUDIODRIVER", std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "dummy", 1);
    bench::Checks checks("bench-audio");
    const std::string assets = QRB_SOURCE_DIR "/assets/";
    const std::string music = assets + "QRBX.MID";

    // The hit sound: a 44-byte header, then 8-bit mono samples.
    std::vector<std::uint8_t> hit = ReadFile(assets + "HIT.wav");
    if (!checks.Expect("setup", hit.size() > 44, "assets/HIT.wav cannot be read")) return checks.Status();

    Capture capture;
    capture.nanos.resize(static_cast<std::size_t>(seconds * 2 * audio::kRate / audio::kDeviceFrames + 1000));
    audio::setRenderObserver(Observe, &capture);
    // Measured from the device's start: the font loads and the music opens, as at a game's start.
    audio::resetFigures();

    platform::SoundDevice* device = nullptr;
    if (!checks.Expect("setup", platform::directSoundCreate(&device) == platform::DS_OK,
                       std::string("no audio device: ") + SDL_GetError()))
        return checks.Status();
    std::uint8_t record[platform::kWaveFormatBytes] = {};
    std::copy(hit.data() + 20, hit.data() + 36, record);
    platform::BufferDesc desc;
    desc.flags = platform::DSBCAPS_STATIC | platform::DSBCAPS_CTRLFREQUENCY | platform::DSBCAPS_CTRLPAN |
                 platform::DSBCAPS_CTRLVOLUME;
    desc.bufferBytes = static_cast<std::uint32_t>(hit.size() - 44);
    desc.format = record;
    std::vector<platform::SoundBuffer*> buffers(kBuffers, nullptr);
    for (platform::SoundBuffer*& b : buffers) {
        if (device->createSoundBuffer(desc, &b) != platform::DS_OK) break;
        void* p1 = nullptr;
        void* p2 = nullptr;
        std::uint32_t n1 = 0, n2 = 0;
        if (b->lock(0, desc.bufferBytes, &p1, &n1, &p2, &n2, platform::DSBLOCK_ENTIREBUFFER) == platform::DS_OK) {
            std::copy(hit.data() + 44, hit.data() + 44 + n1, static_cast<std::uint8_t*>(p1));
            b->unlock(p1, n1, p2, n2);
        }
    }
    if (!checks.Expect("setup", buffers.back() != nullptr, "the hit buffers cannot be made")) return checks.Status();
    if (!checks.Expect("setup", OpenMusic(music), "the music cannot be opened")) return checks.Status();

    const auto begin = Clock::now();
    const auto end = begin + std::chrono::seconds(seconds);
    auto nextFrame = begin;
    auto nextReopen = begin + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(reopenEvery));
    int frame = 0, restarts = 0, reopens = 0;
    while (nextFrame < end) {
        platform::Message m;
        while (platform::peekMessage(m))
            if (m.message == platform::MM_MCINOTIFY && m.wParam == platform::MCI_NOTIFY_SUCCESSFUL) {
                Send("seek midi to start");
                Send("play midi notify");
                ++restarts;
            }
        if (Clock::now() >= nextReopen) {
            Send("stop midi");
            Send("close midi");
            OpenMusic(music);
            ++reopens;
            nextReopen += std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(reopenEvery));
        }
        // One click a frame, except every 40th (the demo's waves).
        if (frame % 40 != 0) {
            platform::SoundBuffer* b = buffers[frame % kBuffers];
            b->setFrequency(static_cast<std::uint32_t>(9000 + (frame * 37) % 4000));
            b->setPan((frame * 613) % 4001 - 2000);
            b->setVolume(-((frame * 7) % 600));
            b->stop();
            b->play(0, 0, 0);
        }
        ++frame;
        nextFrame += std::chrono::milliseconds(50);
        std::this_thread::sleep_until(nextFrame);
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - begin).count();
    // The figures cover the device's start and the play, not the tear-down below.
    const audio::Figures figures = audio::figures();
    const std::size_t callbacks = capture.count.load();

    // The device is closed (its thread joined) before the capture is read.
    Send("close midi");
    for (platform::SoundBuffer* b : buffers) b->release();
    device->release();
    audio::setRenderObserver(nullptr, nullptr);

    if (std::getenv("QRB_BENCH_VERBOSE") != nullptr)
        for (std::size_t i = 0; i < callbacks; ++i)
            if (capture.nanos[i] > 1000000) std::printf("callback %zu: %.0f us\n", i, capture.nanos[i] / 1000.0);
    std::vector<std::int64_t> nanos(capture.nanos.begin(), capture.nanos.begin() + static_cast<long>(callbacks));
    std::sort(nanos.begin(), nanos.end());
    const long long frames = capture.frames.load();
    const double expected = elapsed * audio::kRate;
    const double rms = frames > 0 ? std::sqrt(capture.sumSquares / (2.0 * frames)) : 0.0;
    std::printf("%zu callbacks, %lld frames in %.1f s (%d frames, %d music restarts, %d reopens), rms %.0f\n",
                callbacks, frames, elapsed, frame, restarts, reopens, rms);
    checks.Expect("callback", callbacks > 0 && capture.oddSizes.load() == 0,
                  "every callback asks for one device buffer of frames");
    checks.Expect("callback", frames > 0.8 * expected && frames < 1.25 * expected,
                  "the frames rendered (" + std::to_string(frames) + ") match the time that passed (" +
                      std::to_string(static_cast<long long>(expected)) + ")");
    checks.Expect("callback", capture.nonZero.load() > frames / 2 && rms > 100.0, "the output is not silent");
    checks.Expect("callback", quick || restarts + reopens >= 2, "the music restarted and was opened again");
    if (!nanos.empty()) {
        checks.Figure("callback_worst_us", "callback", nanos.back() / 1000.0);
        checks.Figure("callback_p99_us", "callback", nanos[nanos.size() * 99 / 100] / 1000.0);
    }
    checks.Figure("lock_hold_worst_us", "callback", figures.worstHoldNanos / 1000.0);
    checks.Figure("underruns", "callback", static_cast<double>(figures.underruns), "%.0f");
    return checks.Status();
}
