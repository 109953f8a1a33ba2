// The sequencer's command strings and its check of MIDI files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "platform/files/bytes.h"
#include "platform/sound/mci.h"
#include "platform/sound/midi_file.h"
#include "platform/sound/midi_synth.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"

using platform::MciCommand;
using namespace soundtest;

TEST(MciCommands, Parsing) {
    using V = MciCommand::Verb;
    struct Case {
        const char* text;
        platform::MciError error;
        V verb;
        const char* device;
        const char* alias;
        bool notify;
    } cases[] = {
        {"open /a/b/QRBX.MID type sequencer alias midi", 0, V::Open, "/a/b/QRBX.MID", "midi", false},
        {"open /my games/q rbx/QRBX.MID type sequencer alias midi", 0, V::Open, "/my games/q rbx/QRBX.MID", "midi", false},
        {"open /a type b/x.mid type sequencer alias midi", 0, V::Open, "/a type b/x.mid", "midi", false},
        {"OPEN \"/with space/x.mid\" TYPE sequencer ALIAS m notify", 0, V::Open, "/with space/x.mid", "m", true},
        {"open x.mid", 0, V::Open, "x.mid", "", false},
        {"open \"/x.mid type sequencer", platform::MCIERR_NO_CLOSING_QUOTE, V::Open, "", "", false},
        {"open x.mid type", platform::MCIERR_MISSING_PARAMETER, V::Open, "x.mid", "", false},
        {"open x.mid type sequencer shareable", platform::MCIERR_UNRECOGNIZED_KEYWORD, V::Open, "x.mid", "", false},
        {"open", platform::MCIERR_MISSING_DEVICE_NAME, V::Open, "", "", false},
        {"seek midi to start", 0, V::Seek, "midi", "", false},
        {"seek midi", platform::MCIERR_MISSING_PARAMETER, V::Seek, "midi", "", false},
        {"seek midi to 100", platform::MCIERR_UNSUPPORTED_FUNCTION, V::Seek, "midi", "", false},
        {"play midi notify", 0, V::Play, "midi", "", true},
        {"  play   midi  ", 0, V::Play, "midi", "", false},
        {"play midi from 0", platform::MCIERR_UNRECOGNIZED_KEYWORD, V::Play, "midi", "", false},
        {"stop midi", 0, V::Stop, "midi", "", false},
        {"close all", 0, V::Close, "all", "", false},
        {"status midi mode", 0, V::Status, "midi", "", false},
        {"status midi", platform::MCIERR_MISSING_PARAMETER, V::Status, "midi", "", false},
        {"play", platform::MCIERR_MISSING_DEVICE_NAME, V::Play, "", "", false},
        {"rewind midi", platform::MCIERR_UNRECOGNIZED_COMMAND, V::Open, "", "", false},
        {"", platform::MCIERR_MISSING_COMMAND_STRING, V::Open, "", "", false},
    };
    for (const Case& c : cases) {
        MciCommand cmd;
        EXPECT_EQ(platform::parseMciCommand(c.text, cmd), c.error) << c.text;
        if (c.error != 0) continue;
        EXPECT_EQ(cmd.verb, c.verb) << c.text;
        EXPECT_EQ(cmd.device, c.device) << c.text;
        EXPECT_EQ(cmd.alias, c.alias) << c.text;
        if (c.verb == V::Open && *c.alias != '\0') {
            EXPECT_EQ(cmd.type, "sequencer") << c.text;
        }
        EXPECT_EQ(cmd.notify, c.notify) << c.text;
    }
    MciCommand cmd;
    std::string tooLong = "open " + std::string(platform::kMaxMciCommand, 'x');
    EXPECT_EQ(platform::parseMciCommand(tooLong.c_str(), cmd), platform::MCIERR_PARAM_OVERFLOW);
    EXPECT_EQ(platform::parseMciCommand(nullptr, cmd), platform::MCIERR_MISSING_COMMAND_STRING);
}

TEST(MciCommands, FileCheck) {
    auto good = MidiBytes(480);   // 52 bytes: one track of 30 from byte 22, its end-of-track last
    auto withTrackLength = [](std::vector<std::uint8_t> v, std::uint32_t len) {
        platform::writeBe32(&v[18], len);
        return v;
    };
    auto cutAt = [&](std::size_t size, bool fixLength) {
        std::vector<std::uint8_t> v(good.begin(), good.begin() + static_cast<long>(size));
        return fixLength ? withTrackLength(v, static_cast<std::uint32_t>(size - 22)) : v;
    };
    auto withByte = [&](std::size_t at, std::uint8_t b) {
        auto v = good;
        v[at] = b;
        return v;
    };
    auto format1 = withByte(9, 1);
    format1[11] = 2;
    // A second track of only its end, after a chunk of an unknown kind.
    const std::uint8_t more[] = {'X', 'T', 'R', 'A', 0, 0, 0, 1, 0x55, 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
    for (std::uint8_t b : more) format1.push_back(b);
    auto foreignPastEnd = format1;
    foreignPastEnd[good.size() + 6] = 0x10;   // the unknown chunk's length
    auto format0Two = withByte(11, 2);
    format0Two.insert(format0Two.end(), good.begin() + 14, good.end());
    auto fiveByteDelta = good;
    fiveByteDelta.insert(fiveByteDelta.begin() + 22, {0x81, 0x81, 0x81, 0x81});
    fiveByteDelta = withTrackLength(fiveByteDelta, static_cast<std::uint32_t>(fiveByteDelta.size() - 22));
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* refusal;   // nullptr: accepted
    } cases[] = {
        {"format 0", good, nullptr},
        {"format 1 with a chunk to skip", format1, nullptr},
        {"format 2", withByte(9, 2), nullptr},
        {"no end of track", cutAt(good.size() - 4, true), nullptr},
        {"an empty track", cutAt(22, true), nullptr},
        {"track longer than the file", withTrackLength(good, static_cast<std::uint32_t>(good.size())), nullptr},
        {"format 3", withByte(9, 3), "format"},
        {"format 0 of two tracks", format0Two, "format-0"},
        {"no tracks", withByte(11, 0), "no tracks"},
        {"SMPTE division", withByte(12, 0xE7), "time division"},
        {"cut inside a note", cutAt(43, true), "inside an event"},
        {"cut inside a delta time", cutAt(40, true), "inside an event"},
        {"cut inside a note, its length past the end", cutAt(43, false), "inside an event"},
        {"another chunk past the end", foreignPastEnd, "past the end"},
        {"a delta time of five bytes", fiveByteDelta, "four bytes"},
        {"tempo of the wrong length", withByte(25, 0x02), "wrong length"},
        {"tempo of zero", [&] { auto v = good; v[26] = v[27] = v[28] = 0; return v; }(), "tempo of zero"},
        {"running status first", withByte(23, 0x40), "running status"},
        {"a real-time status byte", withByte(23, 0xF8), "no place"},
        {"empty", {}, "not a standard"},
        {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 14), "fewer tracks"},
    };
    for (const Case& c : cases) {
        const char* why = "";
        EXPECT_EQ(platform::checkMidiFile(c.bytes.data(), c.bytes.size(), &why), c.refusal == nullptr)
            << c.what << " (" << why << ")";
        if (c.refusal != nullptr) {
            EXPECT_NE(std::string(why).find(c.refusal), std::string::npos) << c.what << ": " << why;
        }
    }
}

// What the player is handed is the file as it was read: the piece's length measured on it is
// the length that plays.
TEST(MciCommands, DamagedFilesAreHandedOverRepaired) {
    const auto good = MidiBytes(480);   // 480 ticks at 500000 us a quarter of 480 ticks
    auto file = [](std::vector<std::uint8_t> header, const std::vector<std::uint8_t>& events, std::uint32_t len) {
        header.insert(header.end(), {'M', 'T', 'r', 'k'});
        putBe32(header, len);
        header.insert(header.end(), events.begin(), events.end());
        return header;
    };
    const std::vector<std::uint8_t> header(good.begin(), good.begin() + 14);
    const std::vector<std::uint8_t> events(good.begin() + 22, good.end());
    const std::vector<std::uint8_t> noEnd(events.begin(), events.end() - 4);
    // The good file as handed over: its second note's status written out.
    auto handed = good;
    handed.insert(handed.begin() + 37, 0x90);
    handed[21] += 1;
    auto format2 = good;
    format2[9] = 2;
    auto asFormat1 = handed;
    asFormat1[9] = 1;
    // A note held over a text event and a system-exclusive one, released by running status.
    const std::vector<std::uint8_t> runningIn = {0, 0xC0, 0, 0, 0x90, 60, 120, 0, 0xFF, 0x01, 1, 'x', 0x83, 0x60, 60, 0,
                                                 0, 0xF0, 1, 0xF7, 0, 62, 0};
    const std::vector<std::uint8_t> runningOut = {0, 0xC0, 0, 0, 0x90, 60, 120, 0, 0xFF, 0x01, 1, 'x', 0x83, 0x60, 0x90,
                                                  60, 0, 0, 0xF0, 1, 0xF7, 0, 0x90, 62, 0, 0, 0xFF, 0x2F, 0};
    // Two escapes of the longest delta time before the end: the end stays where it was. At the
    // finest division, so that the piece is not too long to play.
    auto fine = header;
    fine[12] = 0x7F;
    fine[13] = 0xFF;
    const std::vector<std::uint8_t> escapesIn = {0xFF, 0xFF, 0xFF, 0x7F, 0xF7, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xF7, 0,
                                                 0, 0xFF, 0x2F, 0};
    const std::vector<std::uint8_t> escapesOut = {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x01, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0};
    struct Case {
        const char* what;
        std::vector<std::uint8_t> in, out;
        std::uint64_t micros;
    } cases[] = {
        {"format 2", format2, asFormat1, 500000},
        {"no end of track", file(header, noEnd, static_cast<std::uint32_t>(noEnd.size())), handed, 500000},
        {"a track longer than the file", file(header, events, 1000), handed, 500000},
        {"no end of track, longer than the file", file(header, noEnd, 0x7FFFFFFF), handed, 500000},
        {"running status over meta and system-exclusive events",
         file(header, runningIn, static_cast<std::uint32_t>(runningIn.size())),
         file(header, runningOut, static_cast<std::uint32_t>(runningOut.size())), 500000},
        {"escapes before the end", file(fine, escapesIn, static_cast<std::uint32_t>(escapesIn.size())),
         file(fine, escapesOut, static_cast<std::uint32_t>(escapesOut.size())), std::uint64_t{2} * 0x0FFFFFFF * 500000 / 0x7FFF},
    };
    for (const Case& c : cases) {
        platform::MidiPiece piece;
        const char* why = "";
        ASSERT_TRUE(platform::normaliseMidiFile(c.in.data(), c.in.size(), piece, &why)) << c.what << ": " << why;
        EXPECT_EQ(piece.file, c.out) << c.what;
        EXPECT_EQ(piece.micros, c.micros) << c.what;
    }
}

TEST(MciCommands, DevicesAndErrors) {
    StartFresh();
    // Removed after the files in it, which go first.
    struct Dir {
        std::string path = std::string(elSystem::GetExeDir()) + "dir with a type word";
        Dir() { ::mkdir(path.c_str(), 0755); }
        ~Dir() { ::rmdir(path.c_str()); }
    } dir;
    ExeFile music("dir with a type word/x y.mid", MidiBytes(480));
    ExeFile notMidi("bad.mid", {'M', 'T', 'h', 'd', 0, 0});
    std::string open = "open " + music.path() + " type sequencer alias midi";
    struct Case {
        std::string command;
        platform::MciError error;
    } cases[] = {
        {"play midi", platform::MCIERR_INVALID_DEVICE_NAME},
        {"open " + notMidi.path() + " type sequencer alias midi", platform::MCIERR_INVALID_FILE},
        {"open /nonexistent/a.mid type sequencer alias midi", platform::MCIERR_FILE_NOT_FOUND},
        {"open " + std::string(elSystem::GetExeDir()) + " type sequencer alias midi", platform::MCIERR_FILE_NOT_FOUND},
        {"open " + music.path() + " type waveaudio alias midi", platform::MCIERR_INVALID_DEVICE_NAME},
        {open, 0},
        {open, platform::MCIERR_DUPLICATE_ALIAS},
        {"open " + music.path() + " type sequencer alias other", platform::MCIERR_DEVICE_OPEN},
        {"seek MIDI to start", 0},
        {"play midi", 0},
        {"status midi mode", 0},
        {"stop other", platform::MCIERR_INVALID_DEVICE_NAME},
        {"status midi volume", platform::MCIERR_UNSUPPORTED_FUNCTION},
        {"close midi", 0},
        {"close midi", platform::MCIERR_INVALID_DEVICE_NAME},
        {"close all", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::mciSendString(c.command.c_str(), nullptr, 0, 0), c.error) << c.command;

    char answer[8];
    ASSERT_EQ(platform::mciSendString(open.c_str(), nullptr, 0, 0), 0u);
    platform::mciSendString("play midi", nullptr, 0, 0);
    EXPECT_EQ(platform::mciSendString("status midi mode", answer, sizeof answer, 0), 0u);
    EXPECT_STREQ(answer, "playing");
    EXPECT_EQ(platform::mciSendString("status midi mode", answer, 4, 0), platform::MCIERR_PARAM_OVERFLOW);
    EXPECT_STREQ(answer, "") << "an answer that does not fit is not cut";
    platform::resetMci();
}

TEST(MciCommands, SoundFontSearch) {
    char tmpl[] = "/tmp/qrb-sf2-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::string dir = tmpl;
    EXPECT_EQ(platform::midi::findSoundFont(dir), "") << "an empty directory";
    EXPECT_EQ(platform::midi::findSoundFont(dir + "/missing"), "");
    auto touch = [&](const char* name) { std::fclose(std::fopen((dir + "/" + name).c_str(), "wb")); };
    touch("readme.txt");
    touch("zz.SF3");
    touch("b.sf2");
    EXPECT_EQ(platform::midi::findSoundFont(dir), dir + "/b.sf2") << "the first by name";
    touch("TimGM6mb.sf2");
    EXPECT_EQ(platform::midi::findSoundFont(dir), dir + "/TimGM6mb.sf2") << "the preferred one";
    for (const char* n : {"readme.txt", "zz.SF3", "b.sf2", "TimGM6mb.sf2"}) std::remove((dir + "/" + n).c_str());
    ::rmdir(dir.c_str());
}
