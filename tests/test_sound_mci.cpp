// The sequencer's command strings and its check of MIDI files.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "platform/mci.h"
#include "platform/midi_file.h"
#include "platform/midi_synth.h"
#include "sound_test_support.h"
#include "test_support.h"

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
    auto good = MidiBytes(480);
    auto withTrackLength = [](std::vector<std::uint8_t> v, std::uint32_t len) {
        v[18] = static_cast<std::uint8_t>(len >> 24);
        v[19] = static_cast<std::uint8_t>(len >> 16);
        v[20] = static_cast<std::uint8_t>(len >> 8);
        v[21] = static_cast<std::uint8_t>(len);
        return v;
    };
    auto format1 = good;
    format1[9] = 1;
    format1[11] = 2;
    // A second track of only its end, after a chunk of an unknown kind.
    const std::uint8_t more[] = {'X', 'T', 'R', 'A', 0, 0, 0, 1, 0x55, 'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
    for (std::uint8_t b : more) format1.push_back(b);
    auto format2 = good;
    format2[9] = 2;
    auto smpte = good;
    smpte[12] = 0xE7;
    auto noEnd = good;
    noEnd.resize(noEnd.size() - 3);
    noEnd = withTrackLength(noEnd, static_cast<std::uint32_t>(noEnd.size() - 22));
    auto pastEnd = withTrackLength(good, static_cast<std::uint32_t>(good.size()));
    auto badTempo = good;
    badTempo[25] = 0x02;   // tempo meta of length 2
    auto zeroTempo = good;
    zeroTempo[26] = zeroTempo[27] = zeroTempo[28] = 0;
    auto runningFirst = good;
    runningFirst[23] = 0x40;   // the first event's status byte is data
    auto systemStatus = good;
    systemStatus[23] = 0xF8;
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        bool ok;
    } cases[] = {
        {"format 0", good, true},
        {"format 1 with a chunk to skip", format1, true},
        {"format 2", format2, false},
        {"SMPTE division", smpte, false},
        {"no end of track", noEnd, false},
        {"track longer than the file", pastEnd, false},
        {"tempo of the wrong length", badTempo, false},
        {"tempo of zero", zeroTempo, false},
        {"running status first", runningFirst, false},
        {"a real-time status byte", systemStatus, false},
        {"empty", {}, false},
        {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 14), false},
    };
    for (const Case& c : cases) {
        const char* why = "";
        EXPECT_EQ(platform::checkMidiFile(c.bytes.data(), c.bytes.size(), &why), c.ok) << c.what << " (" << why << ")";
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
