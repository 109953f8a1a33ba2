// Tests: music and 30 overlapping sounds played through an output whose thread renders in real
// time (SDL's dummy driver, or the headless backend's output threads), while the window's thread
// opens, closes, seeks, plays and stops the music in a tight loop. What the output's thread
// rendered is captured from inside its render; afterwards the capture must show no render that
// ran past its deadline, no underrun, and no gap in the sounds, which played throughout.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/audio_stream.h"
#include "platform/sound/mci.h"
#include "platform/sound/sound.h"
#include "platform/window/window.h"

namespace audiostress {

namespace audio = platform::audio;

constexpr int kSounds = 30;
// Every sound is a constant level, so that together they hold the mix well above silence
// whatever the music does; a render that dropped them shows as a block far below it.
constexpr std::int16_t kLevel = 900;

// Under the thread sanitizer every memory access is checked and the code runs many times slower,
// on a machine that runs other tests beside it: the run is there for the races it finds, and a
// render's time says nothing about the output there.
#if defined(__SANITIZE_THREAD__)
constexpr bool kTimed = false;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr bool kTimed = false;
#else
constexpr bool kTimed = true;
#endif
#else
constexpr bool kTimed = true;
#endif

struct Capture {
    std::vector<std::int16_t> samples;   // made before the output opens
    std::vector<std::int64_t> nanos;
    std::atomic<std::size_t> frames{0};
    std::atomic<std::size_t> renders{0};
    std::atomic<bool> on{false};
};

inline void Observe(void* user, const std::int16_t* out, int frames, std::int64_t nanos) {
    auto* c = static_cast<Capture*>(user);
    if (!c->on.load(std::memory_order_acquire)) return;
    const std::size_t at = c->frames.load(std::memory_order_relaxed);
    const std::size_t r = c->renders.load(std::memory_order_relaxed);
    if ((at + frames) * 2 > c->samples.size() || r >= c->nanos.size()) return;
    std::copy(out, out + frames * 2, c->samples.begin() + static_cast<long>(at * 2));
    c->nanos[r] = nanos;
    c->renders.store(r + 1, std::memory_order_release);
    c->frames.store(at + frames, std::memory_order_release);
}

inline int Send(const std::string& command) { return static_cast<int>(platform::mciSendString(command.c_str(), nullptr, 0, 0)); }

// Runs the loop for `seconds`; the output must have been made possible (driver chosen, or
// threads switched on) by the caller.
inline void MusicCommandsInATightLoopWithThirtySounds(double seconds) {
    Capture capture;
    capture.samples.resize(static_cast<std::size_t>((seconds + 2) * audio::kRate * 2));
    capture.nanos.resize(static_cast<std::size_t>((seconds + 2) * audio::kRate / audio::kDeviceFrames));
    audio::setRenderObserver(Observe, &capture);

    platform::SoundDevice* device = nullptr;
    ASSERT_EQ(platform::directSoundCreate(&device), platform::DS_OK);
    std::uint8_t format[platform::kWaveFormatBytes] = {1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0};
    platform::BufferDesc desc;
    desc.flags = platform::DSBCAPS_STATIC | platform::DSBCAPS_CTRLFREQUENCY | platform::DSBCAPS_CTRLPAN |
                 platform::DSBCAPS_CTRLVOLUME;
    desc.bufferBytes = 2 * 4410;
    desc.format = format;
    std::vector<platform::SoundBuffer*> sounds(kSounds, nullptr);
    for (int k = 0; k < kSounds; ++k) {
        ASSERT_EQ(device->createSoundBuffer(desc, &sounds[k]), platform::DS_OK);
        void* p = nullptr;
        std::uint32_t n = 0;
        ASSERT_EQ(sounds[k]->lock(0, 0, &p, &n, nullptr, nullptr, platform::DSBLOCK_ENTIREBUFFER), platform::DS_OK);
        std::fill(static_cast<std::int16_t*>(p), static_cast<std::int16_t*>(p) + n / 2, kLevel);
        sounds[k]->unlock(p, n, nullptr, 0);
        // Started one after the other, each at a rate of its own: they overlap from here on.
        sounds[k]->setFrequency(static_cast<std::uint32_t>(22050 + 1000 * k));
        sounds[k]->play(0, 0, platform::DSBPLAY_LOOPING);
    }
    const std::string music = "open " QRB_SOURCE_DIR "/assets/QRBX.MID type sequencer alias midi";
    ASSERT_EQ(Send(music), 0);
    ASSERT_EQ(Send("play midi notify"), 0);
    // Every sound is playing from the next render on.
    audio::resetFigures();
    capture.on.store(true, std::memory_order_release);

    const auto end = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                             std::chrono::duration<double>(seconds));
    long commands = 0;
    bool open = true;
    for (int step = 0; std::chrono::steady_clock::now() < end; ++step) {
        switch (step % 9) {
            case 0: commands += Send("seek midi to start") == 0; break;
            case 1: commands += Send("play midi notify") == 0; break;
            case 2: commands += Send("seek midi to end") == 0; break;
            case 3: commands += Send("seek midi to start") == 0; break;
            case 4: commands += Send("play midi") == 0; break;
            case 5: commands += Send("stop midi") == 0; break;
            case 6:
                commands += Send("close midi") == 0;
                open = false;
                break;
            case 7:
                commands += Send(music) == 0;
                open = true;
                break;
            default: commands += Send("play midi notify") == 0; break;
        }
        platform::Message m;
        while (platform::peekMessage(m)) {
        }
    }
    capture.on.store(false, std::memory_order_release);
    const audio::Figures figures = audio::figures();
    if (open) Send("close midi");
    for (platform::SoundBuffer* b : sounds) b->release();
    device->release();   // the output's thread is joined here
    audio::setRenderObserver(nullptr, nullptr);
    platform::Message m;
    while (platform::peekMessage(m)) {
    }

    const std::size_t renders = capture.renders.load();
    const std::size_t frames = capture.frames.load();
    ASSERT_GT(commands, 100) << "the window's thread sent few commands";
    ASSERT_GE(frames, static_cast<std::size_t>(seconds * audio::kRate * 0.8)) << "the output rendered too little";
    const std::int64_t deadline = 1000000000LL * audio::kDeviceFrames / audio::kRate;
    const std::int64_t worst = *std::max_element(capture.nanos.begin(), capture.nanos.begin() + static_cast<long>(renders));
    if (kTimed) {
        EXPECT_LT(worst, deadline) << "a render ran past its buffer's deadline";
        EXPECT_EQ(figures.underruns, 0u) << "renders that found the music's frames not ready, or overran";
    }
    // The sounds sum to 30 x 900 (clipped at full scale); the music moves the mix around that
    // level but never takes a block's average down to half of it.
    long gaps = 0;
    for (std::size_t b = 0; b + audio::kDeviceFrames <= frames; b += audio::kDeviceFrames) {
        double sum = 0.0;
        for (std::size_t f = b; f < b + audio::kDeviceFrames; ++f)
            sum += capture.samples[2 * f] + capture.samples[2 * f + 1];
        if (sum / (2.0 * audio::kDeviceFrames) < kSounds * kLevel / 2.0) ++gaps;
    }
    EXPECT_EQ(gaps, 0) << "device buffers in which the sounds were not heard, of " << frames / audio::kDeviceFrames;
    std::printf("%ld commands, %zu renders, worst %.0f us\n", commands, renders, worst / 1000.0);
}

}  // namespace audiostress
