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

// The music's volume on the headless mix, sample by sample: each play of the piece renders the
// same samples, so a faded play must be the plain one times the fade's straight line (to within
// the 16-bit rounding), and silent once a fade to 0 is over.
TEST_F(MusicCase, FadesFollowTheirStraightLineSampleBySample) {
    ExeFile piece("fade.mid", MidiBytes(1920));   // a two-second chord from the start
    ASSERT_EQ(Init(), 1);
    constexpr int kLead = 4410, kFade = 11025, kAfter = 4410;   // 0.1 s, 0.25 s, 0.1 s
    auto play = [&](auto between) {
        StopMidi();
        PlayMidi("fade.mid");
        std::vector<std::int16_t> all = Mix(kLead);
        between();
        std::vector<std::int16_t> rest = Mix(kFade + kAfter);
        all.insert(all.end(), rest.begin(), rest.end());
        Pump();
        return all;
    };
    const std::vector<std::int16_t> plain = play([] {});
    ASSERT_EQ(plain.size(), static_cast<std::size_t>(2 * (kLead + kFade + kAfter)));
    ASSERT_GT(Peak(plain, 0, kLead + kFade, kLead + kFade + kAfter), 1000) << "the chord still sounds";
    EXPECT_TRUE(plain == play([] {})) << "a play renders the same samples again";

    // Out over 250 ms: frame k of the fade at 1 - (k + 1) / kFade, then nothing.
    const std::vector<std::int16_t> out = play([] { SetMidiVolume(0, 250); });
    int worst = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const long frame = static_cast<long>(i / 2) - kLead;
        const double gain = frame < 0 ? 1.0 : frame >= kFade ? 0.0 : 1.0 - (frame + 1.0) / kFade;
        worst = std::max(worst, static_cast<int>(std::abs(out[i] - plain[i] * gain) + 0.5));
    }
    EXPECT_LE(worst, 1) << "largest difference from the straight line";
    EXPECT_EQ(Peak(out, 0, kLead + kFade, kLead + kFade + kAfter), 0);
    EXPECT_EQ(platform::musicVolumeHeard(), 0.0f);

    // The volume holds into the next piece; set at 0 before it, a fade brings it in from nothing,
    // and a fade taken over halfway starts from where the first had come to.
    const std::vector<std::int16_t> in = play([] {
        SetMidiVolume(0);
        SetMidiVolume(100, 250);
    });
    EXPECT_EQ(Peak(in, 0, 0, kLead), 0) << "still at 0 from the fade out";
    worst = 0;
    for (std::size_t i = 2 * kLead; i < in.size(); ++i) {
        const long frame = static_cast<long>(i / 2) - kLead;
        const double gain = frame >= kFade ? 1.0 : (frame + 1.0) / kFade;
        worst = std::max(worst, static_cast<int>(std::abs(in[i] - plain[i] * gain) + 0.5));
    }
    EXPECT_LE(worst, 1);

    SetMidiVolume(100);
    const std::vector<std::int16_t> turned = play([] {
        SetMidiVolume(0, 100);   // 4410 frames down...
        Mix(2205);               // ...halfway there
        SetMidiVolume(100, 50);  // and back up over 2205 frames from 0.5
    });
    // The 2205 frames mixed inside `between` are not in `turned`: its frames after the lead are
    // the plain play's 2205 frames further on.
    EXPECT_NEAR(platform::musicVolumeHeard(), 1.0f, 1e-6f);
    worst = 0;
    for (int k = 0; k < 2205; ++k) {
        const double gain = 0.5 + 0.5 * (k + 1.0) / 2205;
        for (int c = 0; c < 2; ++c) {
            const std::size_t i = 2 * static_cast<std::size_t>(kLead + k) + c;
            const std::size_t p = 2 * static_cast<std::size_t>(kLead + 2205 + k) + c;
            worst = std::max(worst, static_cast<int>(std::abs(turned[i] - plain[p] * gain) + 0.5));
        }
    }
    EXPECT_LE(worst, 1);

    // The program-start reset puts the music back at full volume.
    SetMidiVolume(0);
    ResetProgramState();
    InitMidi();
    ASSERT_EQ(Init(), 1);
    EXPECT_TRUE(plain == play([] {}));
}
