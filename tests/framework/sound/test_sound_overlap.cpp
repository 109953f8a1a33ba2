// One wave object sounding several times at once (elSound::PlayOverlapped), measured on the
// headless mix against copies of a single play shifted by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/sound/sound_controls.h"
#include "framework/sound/sound_objects.h"
#include "platform/files/resources.h"
#include "platform/headless/headless.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"

using namespace elSound;
using namespace soundtest;

namespace {

// RAMP: 16-bit mono at the mix's own rate (no interpolation), 3000 frames of a sawtooth within
// +-8000, so that four copies still add up below full scale.
constexpr int kRampFrames = 3000;
constexpr int kFrameSamples = 2205;   // one 50 ms frame of the mix

std::int16_t RampSample(int i) { return static_cast<std::int16_t>((i * 7 % 2000 - 1000) * 8); }

struct OverlapCase : ::testing::Test {
    std::vector<std::uint8_t> ramp;
    platform::ResourceEntry table[1] = {{"RAMP", "WAVE", nullptr, 0}};
    int slot = -1;

    void SetUp() override {
        StartFresh();
        WaveSpec w;
        w.bits = 16;
        w.rate = 44100;
        for (int i = 0; i < kRampFrames; ++i) platform::putLe16(w.samples, static_cast<std::uint16_t>(RampSample(i)));
        ramp = WaveBytes(w);
        table[0].data = ramp.data();
        table[0].size = ramp.size();
        platform::overrideResources(table, 1);
        ASSERT_EQ(Init(), 1);
        ClearObjects();
        slot = LoadObject("RAMP");
    }
    void TearDown() override {
        ResetProgramState();
        platform::overrideResources(nullptr, 0);
    }
};

// The left channel of `frames` of mix, with a play call at each of the given frame offsets.
std::vector<int> MixWithPlays(std::int32_t (*play)(int), int slot, const std::vector<int>& at, int frames) {
    std::vector<int> left;
    int done = 0;
    for (std::size_t k = 0; k <= at.size(); ++k) {
        const int until = k < at.size() ? at[k] : frames;
        if (until > done) {
            auto mix = Mix(until - done);
            for (std::size_t f = 0; 2 * f < mix.size(); ++f) left.push_back(mix[2 * f]);
            done = until;
        }
        if (k < at.size()) EXPECT_EQ(play(slot), 0);
    }
    return left;
}

// The sum of one play started at each offset (the wave's own samples, each heard to its end).
std::vector<int> ShiftedCopies(const std::vector<int>& starts, int frames) {
    std::vector<int> sum(frames, 0);
    for (int start : starts)
        for (int i = start; i < frames && i - start < kRampFrames; ++i) sum[i] += RampSample(i - start);
    return sum;
}

// Largest difference between two mixes of the same length.
int MaxDifference(const std::vector<int>& a, const std::vector<int>& b) {
    EXPECT_EQ(a.size(), b.size());
    int worst = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

}  // namespace

TEST_F(OverlapCase, TwoPlaysAFrameApartAreBothHeard) {
    const int frames = kFrameSamples + kRampFrames + 100;
    auto both = MixWithPlays(PlayOverlapped, slot, {0, kFrameSamples}, frames);
    EXPECT_LE(MaxDifference(both, ShiftedCopies({0, kFrameSamples}, frames)), 1);
    EXPECT_EQ(Sound.Objects[slot].Buffer != nullptr, true);
    std::uint32_t status = 1;
    Sound.Objects[slot].Buffer->getStatus(&status);
    EXPECT_EQ(status, 0u) << "the slot's own buffer was never started";
}

TEST_F(OverlapCase, PlayStillHasOneVoice) {
    // Play again a frame later: the one buffer is stopped and goes on where it stood, so the mix
    // is a single play heard to its end, with nothing added.
    const int frames = kFrameSamples + kRampFrames + 100;
    auto once = MixWithPlays(Play, slot, {0, kFrameSamples}, frames);
    EXPECT_LE(MaxDifference(once, ShiftedCopies({0}, frames)), 1);
}

TEST_F(OverlapCase, AFifthPlayRestartsTheVoiceStartedLongestAgo) {
    ASSERT_EQ(kOverlapVoices, 4);
    const std::vector<int> starts = {0, 100, 200, 300, 400};
    const int frames = 400 + kRampFrames + 100;
    auto mix = MixWithPlays(PlayOverlapped, slot, starts, frames);
    // The first play is heard until the fifth takes its voice; the others to their ends.
    std::vector<int> expected = ShiftedCopies({100, 200, 300, 400}, frames);
    for (int i = 0; i < 400; ++i) expected[i] += RampSample(i);
    EXPECT_LE(MaxDifference(mix, expected), 2);
}

TEST_F(OverlapCase, VoicesTakeTheSlotsControlsAndStopWithIt) {
    SetVolume(slot, -10000);
    PlayOverlapped(slot);
    EXPECT_EQ(SoundEnd(Mix(1000)), 0u) << "a silenced slot's voice is silent";
    ResetVolume(slot);
    PlayOverlapped(slot);
    EXPECT_GT(SoundEnd(Mix(1000)), 0u);
    Stop(slot);
    EXPECT_EQ(SoundEnd(Mix(1000)), 0u) << "Stop silences the overlapped voices too";

    ReleaseObject(slot);
    EXPECT_NE(PlayOverlapped(slot), 0) << "a released slot plays nothing";
    EXPECT_NE(PlayOverlapped(kSoundSlots), 0);
    for (platform::SoundBuffer* voice : Sound.Objects[slot].Voices) EXPECT_EQ(voice, nullptr);

    // After the device is rebuilt the voices are made again from the reloaded wave.
    slot = LoadObject("RAMP");
    PlayOverlapped(slot);
    Release();
    Restore();
    EXPECT_EQ(PlayOverlapped(slot), 0);
    EXPECT_GT(SoundEnd(Mix(1000)), 0u);
}
