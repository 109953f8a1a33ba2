// The looping music: the command order, the restart on the end notification, and a wave and a
// piece heard together in the headless mix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "framework/shell/window_proc.h"
#include "framework/sound/midi_music.h"
#include "framework/sound/sound_controls.h"
#include "framework/sound/sound_objects.h"
#include "platform/sound/mci.h"
#include "platform/sound/mci_sequencer.h"
#include "platform/files/resources.h"
#include "platform/files/riff.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"

using namespace elSound;
using namespace soundtest;

namespace {

constexpr int kFrame = 2205;   // 50 ms, one game frame

// Hands end-of-play notices to the window procedure, as the frame loop does; returns their codes.
std::vector<platform::WParam> Pump() {
    std::vector<platform::WParam> codes;
    platform::Message m;
    while (platform::peekMessage(m)) {
        if (m.message != platform::MM_MCINOTIFY) continue;
        codes.push_back(m.wParam);
        WndProc(m.window, m.message, m.wParam, m.lParam);
    }
    return codes;
}

struct MusicCase : ::testing::Test {
    std::vector<std::string> log;
    void SetUp() override {
        StartFresh();
        InitMidi();
        platform::logMciCommands(&log);
    }
    void TearDown() override {
        platform::logMciCommands(nullptr);
        ResetProgramState();
    }
    std::vector<std::string> Sent() {
        std::vector<std::string> out;
        out.swap(log);
        return out;
    }
};

using Commands = std::vector<std::string>;

}  // namespace

TEST_F(MusicCase, CommandOrder) {
    const std::string dir = elSystem::GetExeDir();
    StopMidi();
    EXPECT_EQ(Sent(), Commands{}) << "nothing open: nothing sent";

    PlayMidi("A.MID");
    EXPECT_EQ(Sent(), (Commands{"open " + dir + "A.MID type sequencer alias midi", "seek midi to start", "play midi notify"}));
    EXPECT_EQ(Midi.MidiOpen, 1);
    EXPECT_EQ(Midi.MidiLoop, 1);

    PlayMidi("B.MID");
    EXPECT_EQ(Sent(), (Commands{"stop midi", "close midi", "open " + dir + "B.MID type sequencer alias midi",
                                "seek midi to start", "play midi notify"}))
        << "the old piece is closed before the new one opens under the same alias";

    NotifyMidi();
    EXPECT_EQ(Sent(), (Commands{"seek midi to start", "play midi notify"}));

    CancelMidiLoop();
    NotifyMidi();
    EXPECT_EQ(Sent(), (Commands{"stop midi", "close midi"}));
    EXPECT_EQ(Midi.MidiOpen, 0);
    EXPECT_EQ(Midi.MidiLoop, 0) << "a stop leaves the loop flag as it is";

    PlayMidi("A.MID");
    Sent();
    EXPECT_EQ(Midi.MidiLoop, 1) << "a new piece loops again";

    // A name whose open command would not fit its buffer is never opened, nor cut.
    PlayMidi(std::string(300, 'x').c_str());
    EXPECT_EQ(Sent(), (Commands{"stop midi", "close midi", "seek midi to start", "play midi notify"}));
    EXPECT_EQ(Midi.MidiOpen, 1);

    // Only the end of a play restarts the music; other notices are ignored.
    for (platform::WParam code : {platform::MCI_NOTIFY_ABORTED, platform::MCI_NOTIFY_SUPERSEDED, platform::WParam{8}})
        WndProc(0, platform::MM_MCINOTIFY, code, 1);
    EXPECT_EQ(Sent(), Commands{});
    WndProc(0, platform::MM_MCINOTIFY, platform::MCI_NOTIFY_SUCCESSFUL, 1);
    EXPECT_EQ(Sent(), (Commands{"seek midi to start", "play midi notify"}));
}

TEST_F(MusicCase, EndsRestartTheMusicUntilItIsStopped) {
    ExeFile piece("loop.mid", MidiBytes(240));   // a quarter of a second
    PlayMidi("loop.mid");
    ASSERT_TRUE(MidiPlaying());
    int ends = 0;
    int loudFrames = 0;
    for (int f = 0; f < 40; ++f) {   // two seconds
        auto mix = Mix(kFrame);
        if (Peak(mix, 0, 0, kFrame) > 500) ++loudFrames;
        for (platform::WParam code : Pump()) {
            EXPECT_EQ(code, platform::MCI_NOTIFY_SUCCESSFUL);
            ++ends;
            EXPECT_TRUE(MidiPlaying()) << "restarted at once, end " << ends;
        }
    }
    EXPECT_GE(ends, 5) << "a quarter-second piece ends about eight times in two seconds";
    EXPECT_GE(loudFrames, 30) << "and is heard throughout";

    StopMidi();
    EXPECT_EQ(Pump(), std::vector<platform::WParam>{platform::MCI_NOTIFY_ABORTED});
    EXPECT_FALSE(MidiPlaying());
    EXPECT_EQ(Midi.MidiOpen, 0);
    EXPECT_EQ(SoundEnd(Mix(kFrame)), 0u) << "silent once closed";
}

TEST_F(MusicCase, LastPassAfterCancelThenClosed) {
    ExeFile piece("once.mid", MidiBytes(240));
    PlayMidi("once.mid");
    CancelMidiLoop();
    for (int f = 0; f < 20 && Midi.MidiOpen == 1; ++f) {
        Mix(kFrame);
        Pump();
    }
    EXPECT_EQ(Midi.MidiOpen, 0) << "closed at its end, not repeated";
    EXPECT_EQ(Sent().back(), "close midi");
}

TEST_F(MusicCase, SupersededAndAbortedPlays) {
    ExeFile piece("s.mid", MidiBytes(4800));
    std::string open = "open " + piece.path() + " type sequencer alias m";
    ASSERT_EQ(platform::mciSendString(open.c_str(), nullptr, 0, 0), 0u);
    platform::mciSendString("play m notify", nullptr, 0, 0);
    platform::mciSendString("play m notify", nullptr, 0, 0);
    EXPECT_EQ(Pump(), std::vector<platform::WParam>{platform::MCI_NOTIFY_SUPERSEDED});
    platform::mciSendString("seek m to start", nullptr, 0, 0);
    EXPECT_EQ(Pump(), std::vector<platform::WParam>{platform::MCI_NOTIFY_ABORTED});
    platform::mciSendString("seek m to end", nullptr, 0, 0);
    platform::mciSendString("play m notify", nullptr, 0, 0);
    EXPECT_EQ(Pump(), std::vector<platform::WParam>{platform::MCI_NOTIFY_SUCCESSFUL}) << "nothing left to play";
    platform::mciSendString("close m", nullptr, 0, 0);
}

// A hit sound and a piece of music through the framework, written out as the runner's --audio
// would: each is heard where it plays, and there is silence everywhere else.
TEST_F(MusicCase, WaveAndMusicInOneMix) {
    WaveSpec hit;
    hit.samples = Square8(1102, 100);   // 0.1 s at 11025 Hz
    auto hitBytes = WaveBytes(hit);
    platform::ResourceEntry table[] = {{"HIT", "WAVE", hitBytes.data(), hitBytes.size()}};
    platform::overrideResources(table, 1);
    ExeFile piece("e2e.mid", MidiBytes(480, 240));   // a quarter-second rest, then a half-second chord
    ASSERT_EQ(Init(), 1);
    ClearObjects();
    int slot = LoadObject("HIT");

    std::vector<std::int16_t> all;
    auto run = [&](int frames) {
        for (int f = 0; f < frames; ++f) {
            auto mix = Mix(kFrame);
            all.insert(all.end(), mix.begin(), mix.end());
            Pump();
        }
    };
    run(10);   // 0.0 to 0.5 s: silence
    Play(slot);
    run(10);   // 0.5 to 1.0 s: the hit for 0.1 s
    PlayMidi("e2e.mid");
    CancelMidiLoop();
    run(30);   // 1.0 to 2.5 s: a rest, the chord from 1.25 s to 1.75 s, then its end closes it
    platform::overrideResources(nullptr, 0);

    std::string error;
    ASSERT_TRUE(platform::writeWav16(std::string(QRB_BINARY_DIR) + "/sound-e2e.wav", all.data(), all.size(), 2,
                                     44100, error))
        << error;
    auto at = [](double s) { return static_cast<std::size_t>(s * 44100); };
    struct Span {
        const char* what;
        double from, to;
        bool heard;
    } spans[] = {
        {"before anything", 0.0, 0.5, false},
        {"the hit", 0.5, 0.6, true},
        {"after the hit", 0.61, 1.0, false},
        {"the music's rest", 1.0, 1.2, false},
        {"the chord", 1.3, 1.7, true},
        {"after the music is closed", 2.2, 2.5, false},
    };
    for (const Span& s : spans) {
        int peak = std::max(Peak(all, 0, at(s.from), at(s.to)), Peak(all, 1, at(s.from), at(s.to)));
        if (s.heard)
            EXPECT_GT(peak, 1000) << s.what;
        else
            EXPECT_EQ(peak, 0) << s.what;
    }
    EXPECT_EQ(Midi.MidiOpen, 0);
}

// The fade's curve, sample by sample, where the audio thread takes the music: a constant piece
// comes out as the straight line, a fade taken over starts where the first had come to, and a
// level set at 0 before a fade in is where that fade starts.
TEST_F(MusicCase, FadesFollowTheirStraightLineSampleBySample) {
    platform::sequencer::MusicRing& ring = platform::sequencer::mci().ring;
    const std::vector<float> half(2 * 6000, 0.5f);
    auto take = [&](int n) {
        ring.put(half.data(), n);
        std::vector<float> mix(2 * static_cast<std::size_t>(n), 0.0f);
        EXPECT_EQ(ring.take(mix.data(), n), n);
        return mix;
    };
    auto worst = [](const std::vector<float>& mix, auto gain) {
        double w = 0;
        for (std::size_t i = 0; i < mix.size(); ++i) w = std::max(w, std::abs(mix[i] - 0.5 * gain(static_cast<int>(i / 2))));
        return w;
    };
    EXPECT_EQ(worst(take(100), [](int) { return 1.0; }), 0.0) << "full volume at the start";
    platform::setMusicVolume(0.0f, 1000);
    EXPECT_LT(worst(take(1500), [](int k) { return k < 1000 ? 1.0 - (k + 1.0) / 1000 : 0.0; }), 1e-6);
    EXPECT_EQ(platform::musicVolumeHeard(), 0.0f);
    // At 0, then in over 400 frames, taken over after 100 by a fade to 0.5 over 200.
    platform::setMusicVolume(0.0f, 0);
    platform::setMusicVolume(1.0f, 400);
    EXPECT_LT(worst(take(100), [](int k) { return (k + 1.0) / 400; }), 1e-6) << "from 0, not from the level heard";
    platform::setMusicVolume(0.5f, 200);
    // Levels are kept in 65535ths: 0.5 is 32768 of them, 0.0000076 over.
    EXPECT_LT(worst(take(300), [](int k) { return k < 200 ? 0.25 + 0.25 * (k + 1.0) / 200 : 0.5; }), 2e-5);
    // The program-start reset puts it back at full volume at once.
    ResetProgramState();
    EXPECT_EQ(worst(take(10), [](int) { return 1.0; }), 0.0);
}

// The same on the headless mix of a piece: a fade out over 250 ms leaves silence after it, and
// the music sounds less towards the fade's end than at its start.
TEST_F(MusicCase, AFadeOutOnTheMixEndsInSilence) {
    ExeFile piece("fade.mid", MidiBytes(1920));   // a two-second chord from the start
    ASSERT_EQ(Init(), 1);
    PlayMidi("fade.mid");
    std::vector<std::int16_t> all = Mix(4410);
    SetMidiVolume(0, 250);
    const std::vector<std::int16_t> rest = Mix(11025 + 4410);
    all.insert(all.end(), rest.begin(), rest.end());
    EXPECT_GT(Peak(all, 0, 0, 4410), 1000);
    EXPECT_GT(Rms(all, 0, 4410, 4410 + 2205), 4 * Rms(all, 0, 4410 + 11025 - 2205, 4410 + 11025));
    EXPECT_EQ(Peak(all, 0, 4410 + 11025, 4410 + 11025 + 4410), 0);
    EXPECT_EQ(MidiVolume(), 0);
    Pump();
}
