// Cuts a General MIDI sound font down to what some MIDI files play, and checks the cut: each file
// rendered by FluidSynth with the full font and with the cut one must come out sample for sample
// the same.
//
//   sf2-cut FULL.sf2 OUT.sf2 MIDI...
//
// OUT.sf2 is written whole (a new file of its own beside it, then renamed) only when the check
// passes. One line says
// what was kept and how much music was compared. Exits 0 when written, 1 when the cut renders
// differently, 2 on a usage, file or format error.
#include <fluidsynth.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/sf2_cut.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 512;
// After the player stops, the release and the reverb's tail.
constexpr int kTailFrames = 3 * kRate;
// A file that never ends (a loop) is compared over this much.
constexpr long kMaxFrames = 600L * kRate;

struct Usage : std::runtime_error {
    using std::runtime_error::runtime_error;
};

sf2cut::Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Usage("cannot open " + path + ": " + std::strerror(errno));
    sf2cut::Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw Usage("cannot read " + path);
    return b;
}

// Writes all of data to an open file and closes it; false with errno set.
bool writeAndClose(int fd, const sf2cut::Bytes& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int saved = n < 0 ? errno : EIO;
            ::close(fd);
            errno = saved;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0;
}

// Writes the file whole: a new file beside it, of a name no one else holds (made by this call,
// never one found there, nor a link's target), then renamed over it.
void writeWhole(const std::string& path, const sf2cut::Bytes& data) {
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = path + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt == 99)) throw Usage("cannot write " + temp + ": " + std::strerror(errno));
    }
    if (!writeAndClose(fd, data)) {
        const int saved = errno;
        ::unlink(temp.c_str());
        throw Usage("cannot write " + temp + ": " + std::strerror(saved));
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        throw Usage("cannot rename " + temp + " to " + path + ": " + std::strerror(saved));
    }
}

// The MIDI file rendered with the font in memory, interleaved stereo floats, from the start to
// the player's end and the tail after it.
std::vector<float> render(const sf2cut::Bytes& font, const std::string& fontName, const sf2cut::Bytes& midi) {
    // FluidSynth reads fonts from files: the cut one goes through a temporary file.
    std::unique_ptr<fluid_settings_t, void (*)(fluid_settings_t*)> settings(new_fluid_settings(), delete_fluid_settings);
    if (!settings) throw Usage("FluidSynth made no settings");
    fluid_settings_setnum(settings.get(), "synth.sample-rate", kRate);
    fluid_settings_setnum(settings.get(), "synth.gain", 0.6);
    fluid_settings_setint(settings.get(), "synth.cpu-cores", 1);
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    std::unique_ptr<fluid_synth_t, void (*)(fluid_synth_t*)> synth(new_fluid_synth(settings.get()), delete_fluid_synth);
    if (!synth) throw Usage("FluidSynth made no synthesiser");
    char path[] = "/tmp/sf2-cut-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) throw Usage(std::string("cannot make a temporary file: ") + std::strerror(errno));
    // Written through the descriptor mkstemp made: the name is never opened again.
    if (!writeAndClose(fd, font)) {
        const int saved = errno;
        std::remove(path);
        throw Usage(std::string("cannot write the temporary file ") + path + ": " + std::strerror(saved));
    }
    int loaded = fluid_synth_sfload(synth.get(), path, 1);
    std::remove(path);
    if (loaded == FLUID_FAILED) throw Usage("FluidSynth does not load " + fontName);
    std::unique_ptr<fluid_player_t, void (*)(fluid_player_t*)> player(new_fluid_player(synth.get()), delete_fluid_player);
    if (!player || fluid_player_add_mem(player.get(), midi.data(), midi.size()) != FLUID_OK ||
        fluid_player_play(player.get()) != FLUID_OK)
        throw Usage("FluidSynth's player does not play the MIDI file");
    std::vector<float> out;
    long tail = -1;
    while (static_cast<long>(out.size() / 2) < kMaxFrames) {
        std::size_t at = out.size();
        out.resize(at + 2 * kBlock);
        fluid_synth_write_float(synth.get(), kBlock, out.data() + at, 0, 2, out.data() + at, 1, 2);
        if (tail < 0 && fluid_player_get_status(player.get()) != FLUID_PLAYER_PLAYING) tail = kTailFrames;
        if (tail >= 0 && (tail -= kBlock) <= 0) break;
    }
    return out;
}

int run(int argc, char** argv) {
    if (argc < 4) throw Usage("usage: sf2-cut FULL.sf2 OUT.sf2 MIDI...");
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
    const std::string fullPath = argv[1], outPath = argv[2];
    const sf2cut::Bytes full = readFile(fullPath);
    sf2cut::NotesByPreset sounded;
    std::vector<std::pair<std::string, sf2cut::Bytes>> midis;
    for (int i = 3; i < argc; ++i) {
        midis.emplace_back(argv[i], readFile(argv[i]));
        try {
            for (const auto& [preset, notes] : sf2cut::notesSounded(midis.back().second))
                sounded[preset].insert(notes.begin(), notes.end());
        } catch (const sf2cut::FormatError& e) {
            throw Usage(std::string(argv[i]) + ": " + e.what());
        }
    }
    sf2cut::Bytes cut;
    sf2cut::CutSummary summary;
    try {
        cut = sf2cut::cutFont(full, sounded, &summary);
    } catch (const sf2cut::FormatError& e) {
        throw Usage(fullPath + ": " + e.what());
    }
    double seconds = 0;
    for (const auto& [name, midi] : midis) {
        const std::vector<float> want = render(full, fullPath, midi);
        const std::vector<float> got = render(cut, "the cut font", midi);
        std::size_t n = std::min(want.size(), got.size());
        std::size_t differ = 0;
        while (differ < n && std::memcmp(&want[differ], &got[differ], sizeof(float)) == 0) ++differ;
        if (differ < n || want.size() != got.size()) {
            std::fprintf(stderr, "sf2-cut: %s sounds different with the cut font from frame %zu (of %zu); %s not written\n",
                         name.c_str(), differ / 2, want.size() / 2, outPath.c_str());
            return 1;
        }
        bool heard = false;
        for (float v : want) heard = heard || v != 0.0f;
        if (!heard) {
            std::fprintf(stderr, "sf2-cut: %s is silent with %s, which checks nothing; %s not written\n", name.c_str(),
                         fullPath.c_str(), outPath.c_str());
            return 1;
        }
        seconds += static_cast<double>(want.size() / 2) / kRate;
    }
    writeWhole(outPath, cut);
    std::printf("sf2-cut: %s: %d of %d presets, %d of %d instruments, %d of %d samples, %zu of %zu bytes; "
                "%.1f s of music render the same with both fonts\n",
                outPath.c_str(), summary.presets, summary.fontPresets, summary.instruments, summary.fontInstruments,
                summary.samples, summary.fontSamples, cut.size(), full.size(), seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const Usage& e) {
        std::fprintf(stderr, "sf2-cut: %s\n", e.what());
        return 2;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "sf2-cut: out of memory\n");
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sf2-cut: %s\n", e.what());
        return 2;
    }
}
