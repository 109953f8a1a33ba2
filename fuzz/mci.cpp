// fuzz-mci: the sequencer driven through its command strings. The first byte picks the music
// (one of a few pieces, or the rest of the input as a file); every following byte is a command
// (open, play, seek, stop, close, status, a bad command) or a stretch of the headless clock.
// Checked after every step: at most one player, none while closed, no notice for a device after
// it was closed, and a pass never beyond the piece's length.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "platform/files/bytes.h"
#include "platform/headless/audio.h"
#include "platform/sound/mci.h"
#include "platform/window/window.h"

namespace {

std::vector<std::uint8_t> Piece(std::vector<std::uint8_t> events, std::uint16_t tracks = 1) {
    std::vector<std::uint8_t> f;
    platform::putText(f, "MThd");
    platform::putBe32(f, 6);
    platform::putBe16(f, tracks > 1 ? 1 : 0);   // format
    platform::putBe16(f, tracks);
    platform::putBe16(f, 480);                  // ticks a quarter note
    for (int t = 0; t < tracks; ++t) {
        platform::putText(f, "MTrk");
        platform::putBe32(f, static_cast<std::uint32_t>(events.size()));
        f.insert(f.end(), events.begin(), events.end());
    }
    return f;
}

const std::vector<std::vector<std::uint8_t>>& Pieces() {
    static const std::vector<std::vector<std::uint8_t>> pieces = {
        // a chord of a tenth of a second
        Piece({0, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0, 0xFF, 0x2F, 0}),
        // everything at tick 0
        Piece({0, 0x90, 60, 100, 0, 0xFF, 0x2F, 0}),
        // an escape, a tempo change and two tracks
        Piece({0, 0xF7, 1, 0xF8, 0, 0xFF, 0x51, 3, 0x03, 0, 0, 0x30, 0x90, 64, 90, 0x30, 0xFF, 0x2F, 0}, 2),
    };
    return pieces;
}

struct Scratch {
    std::string path = "/tmp/fuzz-mci-" + std::to_string(::getpid()) + ".mid";
    ~Scratch() { std::remove(path.c_str()); }
};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// Takes the queued notices; one for a device closed before the step is a fault.
void Drain(const std::set<long>& closedIds) {
    platform::Message m;
    while (platform::peekMessage(m))
        if (m.message == platform::MM_MCINOTIFY) Check(closedIds.count(static_cast<long>(m.lParam)) == 0);
}

void CheckState() {
    platform::MciProbe p = platform::probeMci();
    Check(p.livePlayers <= 1);
    Check(p.open || p.livePlayers == 0);
    Check(p.playedFrames >= 0 && p.playedFrames <= std::max<std::int64_t>(p.lengthFrames, 512));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    if (size < 2) return 0;
    const std::size_t pick = data[0] % 4;
    std::size_t ops = size - 1;
    std::vector<std::uint8_t> music;
    if (pick < Pieces().size()) {
        music = Pieces()[pick];
    } else {
        // The input's second half is the file, its first half the commands.
        ops = (size - 1) / 2;
        music.assign(data + 1 + ops, data + size);
    }
    if (std::FILE* f = std::fopen(scratch.path.c_str(), "wb")) {
        if (!music.empty()) std::fwrite(music.data(), 1, music.size(), f);
        std::fclose(f);
    }
    platform::resetMci();
    std::set<long> closedIds;
    Drain(closedIds);
    const std::string open = "open " + scratch.path + " type sequencer alias m";
    for (std::size_t i = 1; i <= ops; ++i) {
        const std::uint8_t b = data[i];
        const bool notify = (b & 0x10) != 0;
        const std::string tail = notify ? " notify" : "";
        int before = platform::probeMci().id;
        bool wasOpen = platform::probeMci().open;
        switch (b & 0x0F) {
            case 0: platform::mciSendString((open + tail).c_str(), nullptr, 0, 1); break;
            case 1: case 2: platform::mciSendString(("play m" + tail).c_str(), nullptr, 0, 1); break;
            case 3: platform::mciSendString(("seek m to start" + tail).c_str(), nullptr, 0, 1); break;
            case 4: platform::mciSendString(("seek m to end" + tail).c_str(), nullptr, 0, 1); break;
            case 5: platform::mciSendString(("stop m" + tail).c_str(), nullptr, 0, 1); break;
            case 6: platform::mciSendString((std::string((b & 0x20) ? "close all" : "close m") + tail).c_str(), nullptr, 0, 1); break;
            case 7: {
                char answer[16];
                platform::MciError e = platform::mciSendString("status m mode", answer, sizeof answer, 0);
                platform::MciProbe p = platform::probeMci();
                Check(e != 0 || std::string(answer) == (p.playing ? "playing" : "stopped"));
                break;
            }
            case 8: platform::mciSendString("play other notify", nullptr, 0, 1); break;
            default:
                // (b & 0x0F) - 8 blocks of 256 frames up to the next 64 frames.
                platform::headless::renderAudioFrames(((b & 0x0F) - 8) * 256 + (b >> 4) * 64);
                break;
        }
        if (wasOpen && !platform::probeMci().open) {
            Drain({});   // the close's own notices
            closedIds.insert(before);
        }
        Drain(closedIds);
        CheckState();
    }
    platform::resetMci();
    Drain({});
    Check(platform::probeMci().livePlayers == 0);
    return 0;
}
