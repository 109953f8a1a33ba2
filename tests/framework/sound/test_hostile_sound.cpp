// Odd wave and MIDI files beside the program: accepted ones play as written, refused ones are
// refused once, with a reason, and never retried frame after frame.
#include <gtest/gtest.h>

#include <string>

#include "framework/shell/window_proc.h"
#include "framework/sound/midi_music.h"
#include "framework/sound/sound_objects.h"
#include "framework/sound/wave_file.h"
#include "platform/headless/headless.h"
#include "platform/sound/mci.h"
#include "platform/sound/midi_file.h"
#include "platform/files/resources.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"
#include "tools/corpus.h"

using namespace elSound;
using namespace soundtest;
namespace hl = platform::headless;

namespace {

constexpr int kFrame = 2205;   // 50 ms, one game frame

int PumpEnds() {
    int ends = 0;
    platform::Message m;
    while (platform::peekMessage(m)) {
        if (m.message != platform::MM_MCINOTIFY) continue;
        if (m.wParam == platform::MCI_NOTIFY_SUCCESSFUL) ++ends;
        WndProc(m.window, m.message, m.wParam, m.lParam);
    }
    return ends;
}

struct HostileSound : ::testing::Test {
    void SetUp() override {
        StartFresh();
        InitMidi();
    }
    void TearDown() override {
        ResetProgramState();
        platform::overrideResources(nullptr, 0);
    }
};

// A track chunk around `events` (which end with their own end of track).
std::vector<std::uint8_t> Track(const std::vector<std::uint8_t>& events) {
    std::vector<std::uint8_t> t = {'M', 'T', 'r', 'k'};
    putBe32(t, static_cast<std::uint32_t>(events.size()));
    t.insert(t.end(), events.begin(), events.end());
    return t;
}

// A piece of one chord held `ticks` (480 a quarter at 120 a minute) after `lead` ticks of rest.
std::vector<std::uint8_t> ChordEvents(std::uint32_t ticks, std::uint32_t lead = 0) {
    std::vector<std::uint8_t> e = {0, 0xC0, 0};
    putVarLen(e, lead);
    e.insert(e.end(), {0x90, 60, 120, 0, 64, 120});
    putVarLen(e, ticks);
    e.insert(e.end(), {0x80, 60, 0, 0, 0x80, 64, 0, 0, 0xFF, 0x2F, 0});
    return e;
}

std::vector<std::uint8_t> Header(std::uint16_t format, std::uint16_t tracks, std::uint32_t length = 6) {
    std::vector<std::uint8_t> h = {'M', 'T', 'h', 'd'};
    putBe32(h, length);
    putBe16(h, format);
    putBe16(h, tracks);
    putBe16(h, 480);   // ticks a quarter note
    h.resize(8 + length, 0);
    return h;
}

}  // namespace

TEST_F(HostileSound, NonPcmFmtOfSixteenBytesKeepsItsChunkBounds) {
    // A float wave whose "fmt " chunk has no room for the extra-byte count: the count must not be
    // taken from the next chunk's id.
    WaveSpec s;
    s.fmtSize = 16;
    s.samples = Square8(40, 10);
    auto bytes = WaveBytes(s);
    bytes[20] = 3;   // format tag: float
    ExeFile file("FLOAT.WAV", bytes);
    std::uint8_t* format = nullptr;
    std::uint8_t* samples = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(ReadWaveFile(file.path().c_str(), &format, &samples, &count), 0);
    EXPECT_EQ(format[16] | format[17] << 8, 0) << "no extra bytes";
    EXPECT_EQ(count, 40u);
    FreeWaveBlock(format);
    FreeWaveBlock(samples);

    // Extras declared past the chunk's end are cut at it.
    WaveSpec adpcm;
    adpcm.tag = 2;
    adpcm.extra = {7, 8};
    adpcm.samples = Square8(40, 10);
    auto longer = WaveBytes(adpcm);
    longer[36] = 200;   // the count says 200 bytes; the chunk holds 2
    ExeFile second("ADPCM.WAV", longer);
    ASSERT_EQ(ReadWaveFile(second.path().c_str(), &format, &samples, &count), 0);
    EXPECT_EQ(format[16] | format[17] << 8, 2);
    EXPECT_EQ(format[18], 7);
    EXPECT_EQ(count, 40u);
    FreeWaveBlock(format);
    FreeWaveBlock(samples);
}

TEST_F(HostileSound, RefusedWaveIsReportedOncePerNameAndSkippedFilesAreNamed) {
    WaveSpec resource;
    resource.samples = Square8(1000, 100);
    auto resourceBytes = WaveBytes(resource);
    platform::ResourceEntry table[] = {{"HIT", "WAVE", resourceBytes.data(), resourceBytes.size()}};
    platform::overrideResources(table, 1);
    ASSERT_EQ(Init(), 1);
    ClearObjects();
    hl::takeBoxes();

    // A 24-bit wave is read but refused by the device: one box for five copies.
    WaveSpec deep;
    deep.bits = 24;
    deep.samples = std::vector<std::uint8_t>(300, 0);
    {
        ExeFile file("HIT", WaveBytes(deep));
        testing::internal::CaptureStderr();
        for (int i = 0; i < 5; ++i) EXPECT_EQ(LoadObject("HIT"), 0);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(hl::takeBoxes().size(), 1u);
        EXPECT_NE(err.find(file.path()), std::string::npos) << err;
        EXPECT_NE(err.find("24 bits"), std::string::npos) << err;
    }
    // A file that cannot be read gives way to the resource, with one line saying so.
    Sound.ReportedNames.clear();
    std::vector<std::uint8_t> notWave = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '};
    ExeFile file("HIT", notWave);
    testing::internal::CaptureStderr();
    int slot = LoadObject("HIT");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Sound.Objects[slot].InUse, 1) << "the resource is loaded";
    EXPECT_TRUE(hl::takeBoxes().empty());
    EXPECT_NE(err.find(file.path() + ": not a RIFF WAVE file; the built-in sound is used"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

// Files the synthesiser's player cannot read, or would read otherwise than we do, are handed
// to it repaired, and play.
TEST_F(HostileSound, OddMidiFilesAreNormalisedAndPlay) {
    const auto chord = ChordEvents(1920);   // two seconds
    std::vector<std::uint8_t> escape = {0, 0xF7, 2, 0xF8, 0xFA};
    escape.insert(escape.end(), chord.begin(), chord.end());
    const std::vector<std::uint8_t> noEnd(chord.begin(), chord.end() - 4);
    auto huge = Track(chord);
    huge[4] = 0x7F;
    // The chord's second note and its release by running status after text events.
    const std::vector<std::uint8_t> running = {0, 0xC0, 0, 0, 0x90, 60, 120, 0, 0xFF, 0x01, 0, 0, 64, 120, 0x8F, 0x00,
                                               0x80, 60, 0, 0, 0xFF, 0x01, 0, 0, 64, 0, 0, 0xFF, 0x2F, 0};
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"a header chunk of 10 bytes", Header(0, 1, 10)},
        {"a foreign chunk between the tracks", Header(1, 2)},
        {"an escape event", Header(0, 1)},
        {"format 2", Header(2, 2)},
        {"no end-of-track event", Header(0, 1)},
        {"a track longer than the file", Header(0, 1)},
        {"running status over meta events", Header(0, 1)},
    };
    Append(cases[0].file, Track(chord));
    Append(cases[1].file, Track({0, 0xFF, 0x2F, 0}));
    Append(cases[1].file, {'X', 'Y', 'Z', 'W', 0, 0, 0, 3, 1, 2, 3});
    Append(cases[1].file, Track(chord));
    Append(cases[2].file, Track(escape));
    Append(cases[3].file, Track({0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0, 0xFF, 0x2F, 0}));
    Append(cases[3].file, Track(chord));
    Append(cases[4].file, Track(noEnd));
    Append(cases[5].file, huge);
    Append(cases[6].file, Track(running));
    for (const Case& c : cases) {
        ASSERT_TRUE(platform::checkMidiFile(c.file.data(), c.file.size())) << c.what;
        ExeFile piece("odd.mid", c.file);
        PlayMidi("odd.mid");
        int ends = 0, loud = 0;
        for (int f = 0; f < 30; ++f) {   // a second and a half of a two-second piece
            if (Peak(Mix(kFrame), 0, 0, kFrame) > 500) ++loud;
            ends += PumpEnds();
            EXPECT_LE(platform::probeMci().livePlayers, 1) << c.what;
        }
        EXPECT_EQ(ends, 0) << c.what << ": the piece has not ended";
        EXPECT_GE(loud, 25) << c.what << ": and is heard";
        EXPECT_TRUE(MidiPlaying()) << c.what;
        StopMidi();
    }

    // More tracks than the player takes are refused at the open, with a reason.
    auto many = Header(1, 129);
    for (int i = 0; i < 129; ++i) Append(many, Track({0, 0xFF, 0x2F, 0}));
    const char* why = "";
    EXPECT_FALSE(platform::checkMidiFile(many.data(), many.size(), &why));
    EXPECT_STREQ(why, "more than 128 tracks");
}

TEST_F(HostileSound, DataBytesOfChannelMessagesAreSevenBits) {
    for (std::uint8_t bad : {0x80, 0xC5, 0xFF}) {
        auto file = Header(0, 1);
        Append(file, Track({0, 0x90, 60, bad, 0, 0xFF, 0x2F, 0}));
        const char* why = "";
        EXPECT_FALSE(platform::checkMidiFile(file.data(), file.size(), &why)) << int(bad);
        EXPECT_NE(std::string(why).find("data byte"), std::string::npos) << why;
    }
}

// Pieces of millennia in a few hundred bytes are refused at the open, the reason on stderr: their
// lengths passed 64 bits of frames (536 bytes, 14000 years) or of microseconds (41 KB, a million
// years), were read as 0 or wrapped, and the piece ended and restarted every chunk. A day is played.
TEST_F(HostileSound, PiecesLongerThanADayAreRefusedWithAReason) {
    constexpr std::uint32_t kLongest = 0x0FFFFFFF;   // delta time
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        bool plays;
    } cases[] = {
        {"14000 years", corpus::RestsMidi(0xFFFFFF, kLongest, 100), false},
        {"a million years", corpus::RestsMidi(0xFFFFFF, kLongest, 8192), false},
        {"24 hours and 9 ms", corpus::RestsMidi(10000001, 8640, 1), false},
        {"24 hours", corpus::RestsMidi(10000000, 8640, 1), true},
    };
    for (const Case& c : cases) {
        const char* why = "";
        EXPECT_EQ(platform::checkMidiFile(c.file.data(), c.file.size(), &why), c.plays) << c.what;
        ExeFile piece("long.mid", c.file);
        const std::string open = "open " + piece.path() + " type sequencer alias midi";
        testing::internal::CaptureStderr();
        const platform::MciError e = platform::mciSendString(open.c_str(), nullptr, 0, 0);
        const std::string err = testing::internal::GetCapturedStderr();
        if (c.plays) {
            EXPECT_EQ(e, 0u) << c.what;
            EXPECT_EQ(platform::probeMci().lengthFrames, std::int64_t{86400} * 44100) << c.what;
            platform::mciSendString("close midi", nullptr, 0, 0);
            continue;
        }
        EXPECT_STREQ(why, "a piece longer than 24 hours") << c.what;
        EXPECT_EQ(e, platform::MCIERR_INVALID_FILE) << c.what;
        EXPECT_EQ(err, "sequencer: " + piece.path() + " is not played: a piece longer than 24 hours\n") << c.what;
    }
    // Lengths in frames where micros * rate passes 64 bits; one past the count gives its largest.
    platform::MidiPiece piece;
    piece.micros = 450359934215782500u;   // 14000 years
    EXPECT_EQ(piece.frames(44100), 19860873098916008);
    piece.micros = UINT64_MAX;
    EXPECT_EQ(piece.frames(44100), 813501413650591226);
    EXPECT_EQ(piece.frames(1000000), INT64_MAX);
}

TEST_F(HostileSound, PieceOfNoLengthRestartsAtOnce) {
    auto file = Header(0, 1);
    Append(file, Track({0, 0xC0, 0, 0, 0x90, 60, 120, 0, 0xFF, 0x2F, 0}));   // a note at tick 0, nothing after
    ExeFile piece("zero.mid", file);
    PlayMidi("zero.mid");
    int ends = 0;
    for (int f = 0; f < 20; ++f) {   // one second
        Mix(kFrame);
        ends += PumpEnds();
    }
    EXPECT_GE(ends, 10) << "a piece of no length ends as soon as it is played";
    EXPECT_LE(platform::probeMci().livePlayers, 1);
}

// A piece of 1.5 s and a little: a quarter-second rest, then a chord to the end. Its passes must
// start exactly its length apart, whatever frame the end falls in.
TEST_F(HostileSound, LoopPeriodIsThePiecesLength) {
    auto file = Header(0, 1);
    Append(file, Track(ChordEvents(1200 + 21, 240)));   // 1461 ticks of 500000/480 us
    ExeFile piece("period.mid", file);
    const double length = 1461 * 500000.0 / 480 / 1e6 * 44100;   // frames
    PlayMidi("period.mid");
    std::vector<std::int16_t> all;
    for (int f = 0; f < 150; ++f) {   // 7.5 s: five passes
        auto mix = Mix(kFrame);
        all.insert(all.end(), mix.begin(), mix.end());
        PumpEnds();
    }
    // The chord's onsets: the first loud frame after a tenth of a second of quiet.
    std::vector<std::size_t> onsets;
    std::size_t quiet = 0;
    for (std::size_t f = 0; f < all.size() / 2; ++f) {
        bool loud = std::abs(all[2 * f]) > 1000 || std::abs(all[2 * f + 1]) > 1000;
        if (loud && quiet >= 4410) onsets.push_back(f);
        quiet = loud ? 0 : quiet + 1;
    }
    ASSERT_GE(onsets.size(), 4u);
    for (std::size_t i = 1; i < onsets.size(); ++i)
        EXPECT_NEAR(static_cast<double>(onsets[i] - onsets[i - 1]), length, 160.0) << "pass " << i;
}
