// Playback, controls and the mix itself, measured on the headless capture.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "framework/sound/sound_controls.h"
#include "framework/sound/sound_objects.h"
#include "platform/headless/audio.h"
#include "platform/headless/headless.h"
#include "platform/files/resources.h"
#include "platform/sound/sound.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"

using namespace elSound;
using namespace soundtest;
namespace hl = platform::headless;

namespace {

constexpr std::int16_t kLevel = 16000;

struct MixCase : ::testing::Test {
    // TONE: 16-bit mono 11025 Hz, 1000 frames at a constant level; STEREO: left +, right -.
    std::vector<std::uint8_t> tone, stereo;
    platform::ResourceEntry table[2] = {{"TONE", "WAVE", nullptr, 0}, {"STEREO", "WAVE", nullptr, 0}};

    void SetUp() override {
        StartFresh();
        WaveSpec t;
        t.bits = 16;
        t.samples = Constant16(1000, 1, kLevel);
        tone = WaveBytes(t);
        WaveSpec st;
        st.bits = 16;
        st.channels = 2;
        st.rate = 44100;
        for (int i = 0; i < 500; ++i) {
            putLe16(st.samples, static_cast<std::uint16_t>(kLevel));
            putLe16(st.samples, static_cast<std::uint16_t>(-kLevel));
        }
        stereo = WaveBytes(st);
        table[0].data = tone.data();
        table[0].size = tone.size();
        table[1].data = stereo.data();
        table[1].size = stereo.size();
        platform::overrideResources(table, 2);
        ASSERT_EQ(Init(), 1);
        ClearObjects();
    }
    void TearDown() override {
        ResetProgramState();
        platform::overrideResources(nullptr, 0);
    }
};

}  // namespace

TEST_F(MixCase, ControlsClampAndStoreExactly) {
    int s = LoadObject("TONE");
    struct Case {
        const char* what;
        void (*op)(int);
        std::uint32_t frequency;
        std::int32_t pan, volume;
    } cases[] = {
        {"AddVolume +5 from 0 stays 0", [](int s) { AddVolume(s, 5); }, 11025, 0, 0},
        {"AddVolume past -10000", [](int s) { SetVolume(s, -99); AddVolume(s, -5); }, 11025, 0, -10000},
        {"SetVolume -3", [](int s) { SetVolume(s, -3); }, 11025, 0, -300},
        {"SetPan 150", [](int s) { SetPan(s, 150); }, 11025, 10000, 0},
        {"SetPan -3", [](int s) { SetPan(s, -3); }, 11025, -300, 0},
        {"PanLeft then AddPan +1", [](int s) { PanLeft(s); AddPan(s, 1); }, 11025, -9900, 0},
        {"PanRight", [](int s) { PanRight(s); }, 11025, 10000, 0},
        {"SetFrequency 0 is the base", [](int s) { AddFrequency(s, 7); SetFrequency(s, 0); }, 11025, 0, 0},
        {"AddFrequency +1 keeps the odd base", [](int s) { AddFrequency(s, 1); }, 11125, 0, 0},
        {"AddFrequency -200", [](int s) { AddFrequency(s, -200); }, 100, 0, 0},
        {"SetFrequency 1000", [](int s) { SetFrequency(s, 1000); }, 100000, 0, 0},
        {"ResetFrequency", [](int s) { SetFrequency(s, 30); ResetFrequency(s); }, 11025, 0, 0},
        {"steps near the int limits clamp", [](int s) { AddVolume(s, 2147483647); AddPan(s, -2147483647 - 1); SetFrequency(s, 2147483647); },
         100000, -10000, 0},
        {"ResetPan and ResetVolume", [](int s) { SetPan(s, 20); SetVolume(s, -20); ResetPan(s); ResetVolume(s); }, 11025, 0, 0},
    };
    for (const Case& c : cases) {
        ResetFrequency(s);
        ResetPan(s);
        ResetVolume(s);
        c.op(s);
        const SoundObject& o = Sound.Objects[s];
        EXPECT_EQ(o.Frequency, c.frequency) << c.what;
        EXPECT_EQ(o.Pan, c.pan) << c.what;
        EXPECT_EQ(o.Volume, c.volume) << c.what;
        std::uint32_t hz = 0;
        o.Buffer->getFrequency(&hz);
        EXPECT_EQ(hz, c.frequency) << c.what << ": the buffer got the same value";
    }
}

TEST_F(MixCase, VolumePanAndFrequencyInTheMix) {
    int s = LoadObject("TONE");
    Play(s);
    auto full = Mix(5000);
    EXPECT_EQ(Peak(full, 0, 0, 4000), kLevel);
    EXPECT_EQ(Peak(full, 1, 0, 4000), kLevel);
    EXPECT_EQ(SoundEnd(full), 4000u) << "1000 frames at 11025 Hz last 4000 frames at 44100 Hz";

    struct Case {
        const char* what;
        void (*setup)(int);
        double left, right;   // expected level as a share of the wave's own
        std::size_t end;      // frames of sound
    } cases[] = {
        {"volume -600 is about half", [](int s) { SetVolume(s, -6); }, 0.501, 0.501, 4000},
        {"volume -10000 is silence", [](int s) { SetVolume(s, -100); }, 0, 0, 0},
        {"full left leaves the right silent", [](int s) { PanLeft(s); }, 1, 0, 4000},
        {"pan +600 halves the left", [](int s) { SetPan(s, 6); }, 0.501, 1, 4000},
        // 1000 frames at 22025 Hz and at 5525 Hz: 2002.3 and 7981.9 output frames.
        {"about twice the base frequency ends in half the time", [](int s) { SetFrequency(s, 110); }, 1, 1, 2003},
        {"about half the base frequency lasts twice as long", [](int s) { SetFrequency(s, -55); }, 1, 1, 7982},
    };
    for (const Case& c : cases) {
        ResetFrequency(s);
        ResetPan(s);
        ResetVolume(s);
        c.setup(s);
        Play(s);
        auto mix = Mix(10000);
        EXPECT_NEAR(Peak(mix, 0, 0, 10000), c.left * kLevel, 40) << c.what;
        EXPECT_NEAR(Peak(mix, 1, 0, 10000), c.right * kLevel, 40) << c.what;
        EXPECT_EQ(SoundEnd(mix), c.end) << c.what;
    }
}

TEST_F(MixCase, StereoChannelsAndVoicesAddUp) {
    int st = LoadObject("STEREO");
    int a = LoadObject("TONE");
    int b = LoadObject("TONE");
    Play(st);
    auto mix = Mix(400);
    EXPECT_EQ(mix[0], kLevel) << "left";
    EXPECT_EQ(mix[1], -kLevel) << "right";
    Stop(st);
    Play(a);
    Play(b);
    mix = Mix(100);
    EXPECT_EQ(mix[0], 32000) << "two voices add";
    SetVolume(a, 0);
    Stop(a);
    Stop(b);
    // Three full-scale voices clip at the limits instead of wrapping round.
    int c = LoadObject("TONE");
    Play(a);
    Play(b);
    Play(c);
    mix = Mix(100);
    EXPECT_EQ(mix[0], 32767);
}

TEST_F(MixCase, PlayPositionRules) {
    int s = LoadObject("TONE");
    platform::SoundBuffer* buf = Sound.Objects[s].Buffer;
    std::uint32_t status = 0, pos = 0;

    // A stopped buffer keeps its position: the two parts make up the whole sound.
    Play(s);
    auto first = Mix(1000);
    Stop(s);
    buf->getCurrentPosition(&pos);
    EXPECT_EQ(pos, 500u) << "bytes: 250 frames of 16-bit samples";
    EXPECT_EQ(SoundEnd(Mix(500)), 0u) << "silent while stopped";
    Play(s);
    EXPECT_EQ(SoundEnd(Mix(5000)), 3000u) << "the rest of the sound, not all of it";

    // Played to its end, it starts again from the beginning.
    buf->getStatus(&status);
    EXPECT_EQ(status, 0u);
    buf->getCurrentPosition(&pos);
    EXPECT_EQ(pos, 0u);
    Play(s);
    EXPECT_EQ(SoundEnd(Mix(5000)), 4000u);

    // A play request on a playing buffer only changes its looping flag.
    Play(s);
    Mix(1000);
    PlayLoop(s);
    buf->getCurrentPosition(&pos);
    EXPECT_EQ(pos, 500u) << "not restarted";
    auto looped = Mix(20000);
    EXPECT_EQ(SoundEnd(looped), 20000u) << "still sounding past its end";
    buf->getStatus(&status);
    EXPECT_EQ(status, platform::DSBSTATUS_PLAYING | platform::DSBSTATUS_LOOPING);

    // Play on a looping slot restarts it once: it finishes its current pass and stops.
    buf->getCurrentPosition(&pos);
    Play(s);
    auto last = Mix(20000);
    EXPECT_EQ(SoundEnd(last), (2000u - pos) / 2 * 4);
    buf->getStatus(&status);
    EXPECT_EQ(status, 0u);
}

TEST_F(MixCase, PlayFileBlocksThenRestoresTheSlots) {
    int s = LoadObject("TONE");
    SetVolume(s, -6);
    SetPan(s, -100);
    WaveSpec w;
    w.bits = 16;
    w.rate = 22050;
    w.samples = Constant16(2205, 1, 1000);   // 100 ms
    ExeFile file("blocking.wav", WaveBytes(w));
    hl::setAudioCapture(true);
    hl::takeAudio();
    std::uint64_t before = hl::audioFrames();
    PlayFile(file.path().c_str());
    auto during = hl::takeAudio();
    EXPECT_GE(hl::audioFrames() - before, 4410u) << "the call lasted as long as the sound";
    EXPECT_EQ(Peak(during, 0, 0, 4410), 1000);
    EXPECT_EQ(SoundEnd(during), 4410u);
    EXPECT_EQ(hl::openAudioOutputs(), 1) << "its own output is gone, the restored device's is open";

    const SoundObject& o = Sound.Objects[s];
    ASSERT_NE(o.Buffer, nullptr);
    EXPECT_EQ(o.Volume, -600);
    Play(s);
    auto mix = Mix(5000);
    EXPECT_NEAR(Peak(mix, 0, 0, 5000), 0.501 * kLevel, 40) << "earlier volume, full left";
    EXPECT_EQ(Peak(mix, 1, 0, 5000), 0);

    // A file that is no wave plays nothing and still restores the slots.
    PlayFile("/nonexistent.wav");
    EXPECT_NE(Sound.Objects[s].Buffer, nullptr);
}

TEST(SoundControls, BeepSoundsTheSystemBeepAndNothingElse) {
    StartFresh();
    Beep();
    Beep();
    EXPECT_EQ(hl::beepCount(), 2);
    EXPECT_TRUE(hl::takeBoxes().empty());
    EXPECT_EQ(hl::openAudioOutputs(), 0) << "the beep is the system's, not a sound of the mixer";
}

TEST(SoundBuffers, FormatsTheMixerPlays) {
    StartFresh();
    platform::SoundDevice* device = nullptr;
    ASSERT_EQ(platform::directSoundCreate(&device), platform::DS_OK);
    struct Case {
        const char* what;
        std::uint16_t tag, channels, bits;
        std::uint32_t rate;
        std::uint32_t bytes;
        platform::SoundResult expected;
        const char* refusal;   // what elSound is told of a format the mixer does not play
    } cases[] = {
        {"8-bit mono", 1, 1, 8, 11025, 100, platform::DS_OK, nullptr},
        {"16-bit stereo", 1, 2, 16, 44100, 100, platform::DS_OK, nullptr},
        {"lowest rate", 1, 1, 8, 100, 100, platform::DS_OK, nullptr},
        {"highest rate", 1, 1, 8, 100000, 100, platform::DS_OK, nullptr},
        {"rate 99", 1, 1, 8, 99, 100, platform::DSERR_BADFORMAT, "a format the sound device does not play"},
        {"rate 100001", 1, 1, 8, 100001, 100, platform::DSERR_BADFORMAT, "a format the sound device does not play"},
        {"24-bit", 1, 1, 24, 11025, 99, platform::DSERR_BADFORMAT, "24 bits per sample (8 or 16 are played)"},
        {"three channels", 1, 3, 8, 11025, 99, platform::DSERR_BADFORMAT, "3 channels (1 or 2 are played)"},
        {"not PCM", 2, 1, 8, 11025, 100, platform::DSERR_BADFORMAT, "format tag 2 is not PCM"},
        // With several faults the tag is named before the bits, the bits before the channels.
        {"24-bit ADPCM", 2, 1, 24, 11025, 99, platform::DSERR_BADFORMAT, "format tag 2 is not PCM"},
        {"24-bit, three channels", 1, 3, 24, 11025, 99, platform::DSERR_BADFORMAT, "24 bits per sample (8 or 16 are played)"},
        {"no samples", 1, 1, 8, 11025, 0, platform::DSERR_INVALIDPARAM, nullptr},
        {"less than a frame", 1, 2, 16, 11025, 3, platform::DSERR_INVALIDPARAM, nullptr},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> rec;
        platform::putWaveFormatFields(rec, c.tag, c.channels, c.rate, c.bits);
        putLe16(rec, 0);
        platform::BufferDesc desc;
        desc.flags = 0xE2;
        desc.bufferBytes = c.bytes;
        desc.format = rec.data();
        platform::SoundBuffer* buffer = nullptr;
        EXPECT_EQ(device->createSoundBuffer(desc, &buffer), c.expected) << c.what;
        EXPECT_EQ(buffer != nullptr, c.expected == platform::DS_OK) << c.what;
        const platform::WaveFormat format = platform::decodeWaveFormat(rec.data(), platform::kWaveFormatBytes);
        EXPECT_EQ(platform::mixerPlays(format), c.refusal == nullptr) << c.what;
        if (c.refusal != nullptr) EXPECT_EQ(platform::mixerRefusal(format), c.refusal) << c.what;
        if (buffer != nullptr) {
            // Out-of-range controls are refused by the buffer itself.
            EXPECT_EQ(buffer->setVolume(1), platform::DSERR_INVALIDPARAM) << c.what;
            EXPECT_EQ(buffer->setPan(10001), platform::DSERR_INVALIDPARAM) << c.what;
            EXPECT_EQ(buffer->setFrequency(99), platform::DSERR_INVALIDPARAM) << c.what;
            buffer->release();
        }
    }
    device->release();
    EXPECT_EQ(hl::openAudioOutputs(), 0) << "the last user closed the stream";
}

TEST_F(MixCase, BeepIsTheSystemBeepAndNeedsNoDevice) {
    const int before = hl::beepCount();
    Beep();
    Release();   // the device and every buffer gone: the beep is the system's, not a slot's
    Beep();
    EXPECT_EQ(hl::beepCount(), before + 2);
    EXPECT_TRUE(hl::takeBoxes().empty()) << "a beep is no error";
}
