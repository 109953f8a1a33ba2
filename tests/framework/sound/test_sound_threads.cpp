// The output stream rendered from a thread of its own, as the real audio device does, while the
// window's thread loads, plays, changes and releases sounds and music (run under the thread
// sanitizer by scripts/test).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "framework/sound/midi_music.h"
#include "framework/sound/sound_controls.h"
#include "framework/sound/sound_objects.h"
#include "platform/sound/audio_stream.h"
#include "platform/files/resources.h"
#include "tests/support/audio_stress.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"

using namespace elSound;
using namespace soundtest;

namespace {

// Every one-shot slot k holds a constant level of kUnit << k, the loop kUnit << 5: a mixed
// sample is their sum, so each frame says exactly which slots sounded in it.
constexpr int kUnit = 256;
constexpr int kOneShots = 5;
constexpr int kLoopSlot = 5;
constexpr std::uint32_t kShotFrames = 1000;

// What the audio thread heard, counted as it rendered; read once it has been joined.
struct Heard {
    long shotFrames[kOneShots] = {};
    long garbled = 0;   // samples that are no sum of the slots' levels
    long split = 0;     // frames whose one-shots differ between left and right (they are centred)
};

void Count(const std::int16_t* out, int frames, Heard& heard, std::atomic<long>& loopFrames) {
    for (int f = 0; f < frames; ++f) {
        const int left = out[2 * f], right = out[2 * f + 1];
        auto level = [](int v) { return v >= 0 && v % kUnit == 0 && v / kUnit < 64 ? v / kUnit : -1; };
        const int l = level(left), r = level(right);
        if (l < 0 || r < 0) {
            ++heard.garbled;
            continue;
        }
        if ((l & 31) != (r & 31)) ++heard.split;
        for (int k = 0; k < kOneShots; ++k) heard.shotFrames[k] += (l >> k) & 1;
        if (((l | r) & 32) != 0) ++loopFrames;
    }
}

// Waits for `done` while the audio thread runs; false when it has not come within ten seconds.
template <class Done>
bool WaitFor(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

bool Sounding(int slot) {
    std::uint32_t status = 0;
    Sound.Objects[slot].Buffer->getStatus(&status);
    return (status & platform::DSBSTATUS_PLAYING) != 0;
}

}  // namespace

TEST(SoundThreads, EveryPlayIsHeardOnceWhileTheWindowThreadChangesTheOthers) {
    StartFresh();
    const char* names[] = {"S0", "S1", "S2", "S3", "S4", "LOOP"};
    std::vector<std::uint8_t> waves[6];
    platform::ResourceEntry table[6];
    for (int k = 0; k < 6; ++k) {
        WaveSpec w;
        w.rate = 44100;
        w.bits = 16;
        w.samples = Constant16(k == kLoopSlot ? 4410 : kShotFrames, 1, static_cast<std::int16_t>(kUnit << k));
        waves[k] = WaveBytes(w);
        table[k] = {names[k], "WAVE", waves[k].data(), waves[k].size()};
    }
    platform::overrideResources(table, 6);
    ASSERT_EQ(Init(), 1);
    ClearObjects();
    for (int k = 0; k < 6; ++k) ASSERT_EQ(LoadObject(names[k]), k);

    std::atomic<bool> stop{false};
    std::atomic<long> renders{0};
    std::atomic<long> loopFrames{0};
    Heard heard;
    std::thread audio([&] {
        std::int16_t out[platform::audio::kDeviceFrames * 2];
        while (!stop.load()) {
            platform::audio::renderStream(out, platform::audio::kDeviceFrames, false);
            Count(out, platform::audio::kDeviceFrames, heard, loopFrames);
            ++renders;
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    // A render that was under way when the caller acted has been counted once this returns true.
    auto nextRender = [&] {
        const long until = renders.load() + 1;
        return WaitFor([&] { return renders.load() >= until; });
    };

    long plays[kOneShots] = {};
    int step = 0;
    for (int round = 0; round < 24; ++round) {
        // A different set of one-shots each round, started together; none is sounding yet.
        const int set = round * 11 % 31 + 1;
        for (int k = 0; k < kOneShots; ++k)
            if (((set >> k) & 1) != 0) {
                Play(k);
                ++plays[k];
            }
        // While they sound, the loop is switched on and off, silenced, panned and retuned, and
        // the one-shots' own controls are written with the values they have.
        const bool ended = WaitFor([&] {
            switch (step++ % 8) {
                case 0: PlayLoop(kLoopSlot); break;
                case 1: SetVolume(kLoopSlot, -100); break;
                case 2: SetPan(kLoopSlot, (step % 3 - 1) * 100); break;
                case 3: SetFrequency(kLoopSlot, step % 40 - 20); break;
                case 4: SetVolume(kLoopSlot, 0); break;
                case 5: Stop(kLoopSlot); break;
                case 6: ResetVolume(step % kOneShots); break;
                default: ResetPan(step % kOneShots); break;
            }
            for (int k = 0; k < kOneShots; ++k)
                if (Sounding(k)) return false;
            return true;
        });
        if (!ended) {
            stop = true;
            audio.join();
            FAIL() << "round " << round << ": a one-shot never ended";
        }
        // Now and then a new device under the running thread.
        if (round % 8 == 7) {
            Release();
            Restore();
        }
    }

    // The loop, audible, is heard; stopped, it is not.
    SetVolume(kLoopSlot, 0);
    SetPan(kLoopSlot, 0);
    PlayLoop(kLoopSlot);
    const long before = loopFrames.load();
    const bool heardLoop = WaitFor([&] { return loopFrames.load() > before; });
    Stop(kLoopSlot);
    const bool settled = nextRender();
    const long afterStop = loopFrames.load();
    const bool ranOn = nextRender() && nextRender();
    stop = true;
    audio.join();
    EXPECT_TRUE(heardLoop && settled && ranOn) << "the audio thread stalled";
    EXPECT_EQ(loopFrames.load(), afterStop) << "the loop sounded after Stop";

    for (int k = 0; k < kOneShots; ++k)
        EXPECT_EQ(heard.shotFrames[k], plays[k] * static_cast<long>(kShotFrames))
            << "slot " << k << ": " << plays[k] << " plays of " << kShotFrames << " frames each";
    EXPECT_EQ(heard.garbled, 0) << "samples that are no sum of the sounds";
    EXPECT_EQ(heard.split, 0) << "frames heard on one side only";
    platform::overrideResources(nullptr, 0);
    ResetProgramState();
}

TEST(SoundThreads, AudioThreadAlongsideTheWindowThread) {
    StartFresh();
    WaveSpec w;
    w.samples = Square8(2000, 80);
    auto bytes = WaveBytes(w);
    platform::ResourceEntry table[] = {{"HIT", "WAVE", bytes.data(), bytes.size()}};
    platform::overrideResources(table, 1);
    ExeFile piece("threads.mid", MidiBytes(120));

    std::atomic<bool> stop{false};
    std::atomic<long> rendered{0};
    std::thread audio([&] {
        std::int16_t out[platform::audio::kDeviceFrames * 2];
        while (!stop.load()) {
            platform::audio::renderStream(out, platform::audio::kDeviceFrames, false);
            rendered += platform::audio::kDeviceFrames;
            std::this_thread::yield();
        }
    });

    InitMidi();
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(Init(), 1);
        ClearObjects();
        for (int i = 0; i < 5; ++i) LoadObject("HIT");
        PlayMidi("threads.mid");
        for (int step = 0; step < 50; ++step) {
            int slot = step % 5;
            Play(slot);
            SetFrequency(slot, step % 40 - 20);
            SetPan(slot, step % 200 - 100);
            AddVolume(slot, -1);
            if (step % 7 == 0) PlayLoop(slot);
            if (step % 11 == 0) Stop(slot);
            if (step % 13 == 0) NotifyMidi();
            platform::Message m;
            while (platform::peekMessage(m)) {
            }
        }
        if (round % 2 == 0) {
            Release();
            Restore();
        }
        ReleaseObject(2);
        StopMidi();
        Release();
    }
    // Let the thread see some frames even on a slow machine.
    while (rendered.load() < 44100) std::this_thread::yield();
    stop = true;
    audio.join();
    platform::overrideResources(nullptr, 0);
    ResetProgramState();
    SUCCEED() << rendered.load() << " frames rendered";
}

// The same on the headless backend's output threads, so that the thread sanitizer run follows
// the music's ring, its render thread and the device thread together.
TEST(SoundThreads, MusicCommandsInATightLoopWithThirtySoundsNeverStallTheOutputThread) {
    StartFresh();
    platform::headless::setAudioThread(true);
    audiostress::MusicCommandsInATightLoopWithThirtySounds(2.0);
    ResetProgramState();
}

namespace {
int streamOpens = 0;
void CountOpen() { ++streamOpens; }
}  // namespace

// What is handed to audio::atOpen (the synthesiser's preload) runs each time the output opens,
// once however often it was handed over, and not for a second user of an open output.
TEST(SoundThreads, WhatIsHandedToAtOpenRunsAtEachOpenOfTheOutput) {
    ResetProgramState();
    streamOpens = 0;
    platform::audio::atOpen(CountOpen);
    platform::audio::atOpen(CountOpen);
    ASSERT_TRUE(platform::audio::acquireStream());
    EXPECT_EQ(streamOpens, 1) << "the first user opens the output";
    ASSERT_TRUE(platform::audio::acquireStream());
    EXPECT_EQ(streamOpens, 1) << "a second user finds it open";
    platform::audio::releaseStream();
    platform::audio::releaseStream();
    ASSERT_TRUE(platform::audio::acquireStream());
    EXPECT_EQ(streamOpens, 2) << "opened again after the last user let go";
    platform::audio::releaseStream();
}
