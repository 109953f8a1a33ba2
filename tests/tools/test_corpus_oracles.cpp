// The generated seed files (tools/corpus.cpp) against readers we did not write: ImageMagick's
// convert for the pictures, FluidSynth's command-line player for the MIDI files. Where the
// outside reader shows a picture we show the same one, and where its player is heard in the
// first half second our sequencer is heard too. Each check skips with one line when its program
// is not installed (scripts/setup-deps installs both).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "platform/files/bmp.h"
#include "platform/sound/mci.h"
#include "platform/sound/midi_file.h"
#include "platform/sound/sound.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"
#include "tools/corpus.h"

using corpus::Entry;
using corpus::Kind;

namespace {

namespace fs = std::filesystem;

// A scratch folder for one check, emptied first.
fs::path Scratch(const char* name) {
    const fs::path dir = fs::path(QRB_BINARY_DIR) / "tests" / "oracles" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void WriteFile(const fs::path& path, const corpus::Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// A program's complaints on one line, without the scratch folder in the file names.
std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    std::string text = s.str();
    std::replace(text.begin(), text.end(), '\n', ' ');
    const std::string folder = path.parent_path().string() + "/";
    for (std::size_t at; (at = text.find(folder)) != std::string::npos;) text.erase(at, folder.size());
    return text;
}

struct Output {
    int status = -1;   // the command's exit status, -1 when it did not exit normally
    std::string out;   // standard output, at most `limit` bytes of it
};

// Runs a shell command and keeps the first `limit` bytes of its output; closing the pipe early
// ends a player that would render a long piece to its end.
Output Capture(const std::string& command, std::size_t limit) {
    Output run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[8192];
    while (run.out.size() < limit) {
        const std::size_t n = std::fread(buffer, 1, std::min(sizeof buffer, limit - run.out.size()), pipe);
        if (n == 0) break;
        run.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Reads a binary PPM (P6, maxval 255) into 0x00RRGGBB pixels, top row first.
bool ParsePpm(const std::string& ppm, int& width, int& height, std::vector<std::uint32_t>& pixels) {
    std::istringstream in(ppm);
    std::string magic;
    int maxval = 0;
    if (!(in >> magic >> width >> height >> maxval) || magic != "P6" || maxval != 255 || width <= 0 || height <= 0)
        return false;
    in.get();   // the one white-space byte before the samples
    const std::size_t start = static_cast<std::size_t>(in.tellg());
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (ppm.size() < start + count * 3) return false;
    pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(ppm.data() + start + i * 3);
        pixels[i] = static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
    }
    return true;
}

bool Near(std::uint32_t a, std::uint32_t b, int step) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > step) return false;
    return true;
}

// First pixel where two pictures differ by more than `step` per channel, or -1.
long FirstDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int step) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!Near(a[i], b[i], step)) return static_cast<long>(i);
    return -1;
}

const char* const kSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// Our sequencer's loudest sample in the first half second of a file, -1 when it refuses it.
int OurPeak(const Entry& e) {
    if (!platform::checkMidiFile(e.bytes.data(), e.bytes.size())) return -1;
    soundtest::ExeFile file(e.name, e.bytes);
    const std::string open = "open " + file.path() + " type sequencer alias c";
    if (platform::mciSendString(open.c_str(), nullptr, 0, 0) != 0) return -1;
    platform::mciSendString("play c", nullptr, 0, 0);
    const auto mix = soundtest::Mix(22050);
    platform::mciSendString("close c", nullptr, 0, 0);
    return std::max(soundtest::Peak(mix, 0, 0, 22050), soundtest::Peak(mix, 1, 0, 22050));
}

}  // namespace

TEST(CorpusOracles, PicturesMatchImageMagick) {
    // /usr/local/bin may hold a stand-in of the same name: only the distribution's program counts.
    const char* convert = access("/usr/bin/magick", X_OK) == 0   ? "/usr/bin/magick"
                          : access("/usr/bin/convert", X_OK) == 0 ? "/usr/bin/convert"
                                                                  : nullptr;
    if (convert == nullptr) GTEST_SKIP() << "ImageMagick (/usr/bin/convert) is not installed: pictures not compared";
    // Pictures ImageMagick draws differently on purpose, listed one by one so that a new
    // difference fails, and so does one of these that stops differing.
    const std::set<std::string> differsOnPurpose = {
        // Indices beyond a short colour table: we draw black, ImageMagick complains ("invalid
        // colormap index") and draws the table's first colour.
        "g-pal8-beyond-table.bmp",
    };
    const fs::path dir = Scratch("bmp");
    int agreed = 0, bothRefused = 0;
    std::vector<std::string> notes;
    for (const Entry& e : corpus::MakeCorpus()) {
        if (e.kind != Kind::Bmp) continue;
        platform::DecodedBitmap ours;
        std::string error;
        const bool ok = platform::decodeBmpFile(e.bytes.data(), e.bytes.size(), ours, error);
        const fs::path file = dir / e.name;
        const fs::path err = dir / (e.name + ".err");
        WriteFile(file, e.bytes);
        const Output run = Capture(
            std::string(convert) + " 'bmp:" + file.string() + "' -depth 8 ppm:- 2>'" + err.string() + "'",
            std::size_t{64} << 20);
        int width = 0, height = 0;
        std::vector<std::uint32_t> theirs;
        const bool decoded = ParsePpm(run.out, width, height, theirs);
        const std::string complaint = run.status == 0 ? "" : " (it complains: " + ReadText(err) + ")";
        if (!ok) {
            EXPECT_FALSE(error.empty()) << e.name << ": refused without a reason";
            if (decoded)
                notes.push_back(e.name + ": we refuse (" + error + "), ImageMagick shows a picture" + complaint);
            else
                ++bothRefused;
            continue;
        }
        if (!decoded) {
            notes.push_back(e.name + ": ImageMagick refuses what we decode: " + ReadText(err));
            continue;
        }
        EXPECT_EQ(width, ours.width) << e.name;
        EXPECT_EQ(height, ours.height) << e.name;
        if (width != ours.width || height != ours.height) continue;
        // Channels of fewer than 8 bits are scaled up, and two exact scalings may round apart.
        const long at = FirstDifference(ours.pixels, theirs, e.coarse ? 1 : 0);
        if (differsOnPurpose.count(e.name) == 1) {
            EXPECT_NE(at, -1) << e.name << " agrees with ImageMagick now: take it off the list";
            notes.push_back(e.name + ": a different picture on purpose" + complaint);
            continue;
        }
        EXPECT_EQ(at, -1) << e.name << " pixel " << at << ": ours " << std::hex
                          << (at >= 0 ? ours.pixels[static_cast<std::size_t>(at)] : 0u) << ", ImageMagick's "
                          << (at >= 0 ? theirs[static_cast<std::size_t>(at)] : 0u);
        if (at != -1) continue;
        ++agreed;
        if (run.status != 0) notes.push_back(e.name + ": same picture" + complaint);
    }
    for (const std::string& n : notes) std::printf("oracle: %s\n", n.c_str());
    std::printf("oracle: %d pictures equal to ImageMagick's (those it complains about among the notes), "
                "%d refused by both, %zu notes\n",
                agreed, bothRefused, notes.size());
}

TEST(CorpusOracles, MidiHeardWhereFluidSynthsPlayerIsHeard) {
    if (access("/usr/bin/fluidsynth", X_OK) != 0 || access(kSoundFont, R_OK) != 0)
        GTEST_SKIP() << "fluidsynth or " << kSoundFont << " is not installed: MIDI files not compared";
    // Files the player renders while our sequencer refuses them on purpose: each refusal is a
    // documented rule of platform/sound/midi_file.h that the player does not share. Listed one by one
    // so that a new disagreement fails, and so does one of these that stops disagreeing.
    const std::set<std::string> refusedOnPurpose = {
        // A data byte of 0x80 or above in a note: the player sounds it, where a note whose
        // velocity is not seven bits is refused rather than guessed at.
        "g-data-byte-high.mid",
    };
    StartFresh();
    const fs::path dir = Scratch("midi");
    int agreed = 0;
    std::vector<std::string> notes;
    for (const Entry& e : corpus::MakeCorpus()) {
        if (e.kind != Kind::Midi) continue;
        const fs::path file = dir / e.name;
        const fs::path err = dir / (e.name + ".err");
        WriteFile(file, e.bytes);
        // Half a second of 16-bit stereo at 44.1 kHz; the player's dither alone peaks at 1 or 2.
        const Output run = Capture("/usr/bin/fluidsynth -ni -q -g 0.6 -r 44100 -T raw -O s16 -E little -F - " +
                                    std::string(kSoundFont) + " '" + file.string() + "' 2>'" + err.string() + "'",
                                88200);
        int theirPeak = 0;
        for (std::size_t i = 0; i + 1 < run.out.size(); i += 2) {
            const auto lo = static_cast<unsigned char>(run.out[i]);
            const auto hi = static_cast<unsigned char>(run.out[i + 1]);
            theirPeak = std::max(theirPeak, std::abs(static_cast<int>(static_cast<std::int16_t>(lo | hi << 8))));
        }
        const bool theyHear = theirPeak > 100;
        const int ourPeak = OurPeak(e);
        const bool weHear = ourPeak > 500;
        const std::string ours = ourPeak < 0 ? "we refuse it" : weHear ? "we play it" : "we play silence";
        if (theyHear && !weHear) {
            EXPECT_TRUE(refusedOnPurpose.count(e.name) == 1 && ourPeak < 0)
                << e.name << ": FluidSynth's player is heard (peak " << theirPeak << "), " << ours;
            notes.push_back(e.name + ": the player is heard, " + ours + " on purpose");
            continue;
        }
        EXPECT_EQ(refusedOnPurpose.count(e.name), 0u) << e.name << " agrees with the player now: take it off the list";
        if (weHear && !theyHear) {
            const std::string said = ReadText(err);
            notes.push_back(e.name + ": we play it, the player is silent" + (said.empty() ? "" : " (" + said + ")"));
            continue;
        }
        ++agreed;
    }
    platform::Message m;
    while (platform::peekMessage(m)) {
    }
    for (const std::string& n : notes) std::printf("oracle: %s\n", n.c_str());
    std::printf("oracle: %d MIDI files heard or silent alike in FluidSynth's player and ours, %zu noted above\n", agreed,
                notes.size());
}
