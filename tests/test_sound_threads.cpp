// The output stream rendered from a thread of its own, as the real audio device does, while the
// window's thread loads, plays, changes and releases sounds and music (run under the thread
// sanitizer by scripts/test).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/sound/midi_music.h"
#include "framework/sound/sound_controls.h"
#include "framework/sound/sound_objects.h"
#include "platform/audio_stream.h"
#include "platform/resources.h"
#include "sound_test_support.h"
#include "test_support.h"

using namespace elSound;
using namespace soundtest;

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
