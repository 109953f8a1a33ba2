// Every generated seed file (tools/corpus.cpp) is either read exactly as its generator meant it
// or refused with a reason: pictures pixel for pixel, waves' formats and samples byte for byte
// and played only where the device plays that format, MIDI files heard where they hold notes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "framework/sound/wave_file.h"
#include "platform/files/bmp.h"
#include "platform/sound/mci.h"
#include "platform/sound/midi_file.h"
#include "platform/files/riff.h"
#include "platform/sound/sound.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"
#include "tools/corpus.h"

using corpus::Entry;
using corpus::Kind;

namespace {

int Count(const std::vector<Entry>& all, Kind kind, bool accepted) {
    int n = 0;
    for (const Entry& e : all) n += e.kind == kind && e.accepted == accepted;
    return n;
}

bool Near(std::uint32_t a, std::uint32_t b, int step) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > step) return false;
    return true;
}

}  // namespace

TEST(Corpus, PicturesDecodeExactlyOrAreRefused) {
    const auto all = corpus::MakeCorpus();
    for (const Entry& e : all) {
        if (e.kind != Kind::Bmp) continue;
        platform::DecodedBitmap out;
        std::string error;
        const bool ok = platform::decodeBmpFile(e.bytes.data(), e.bytes.size(), out, error);
        if (!e.accepted) {
            EXPECT_FALSE(ok) << e.name;
            EXPECT_FALSE(error.empty()) << e.name;
            continue;
        }
        ASSERT_TRUE(ok) << e.name << ": " << error;
        ASSERT_EQ(out.width, e.width) << e.name;
        ASSERT_EQ(out.height, e.height) << e.name;
        for (std::size_t i = 0; i < e.pixels.size(); ++i)
            ASSERT_TRUE(Near(out.pixels[i], e.pixels[i], e.coarse ? 1 : 0))
                << e.name << " pixel " << i << ": " << std::hex << out.pixels[i] << " for " << e.pixels[i];
    }
    std::printf("corpus: %d pictures decoded exactly, %d refused\n", Count(all, Kind::Bmp, true), Count(all, Kind::Bmp, false));
}

TEST(Corpus, WavesReadExactlyAndPlayOnlyWhatTheDevicePlays) {
    StartFresh();
    platform::SoundDevice* device = nullptr;
    ASSERT_EQ(platform::directSoundCreate(&device), platform::DS_OK);
    const auto all = corpus::MakeCorpus();
    int played = 0, refusedByDevice = 0;
    for (const Entry& e : all) {
        if (e.kind != Kind::Wave) continue;
        platform::RiffFile file;
        ASSERT_TRUE(file.openMemory(e.bytes.data(), e.bytes.size(), platform::MMIO_ALLOCBUF));
        std::uint8_t* format = nullptr;
        std::uint8_t* samples = nullptr;
        std::uint32_t count = 0;
        const char* why = nullptr;
        const int result = elSound::ReadWaveFrom(file, &format, &samples, &count, &why);
        file.close();
        if (!e.accepted) {
            EXPECT_EQ(result, 1) << e.name;
            EXPECT_NE(why, nullptr) << e.name;
            continue;
        }
        ASSERT_EQ(result, 0) << e.name << ": " << (why != nullptr ? why : "");
        const platform::WaveFormat f = platform::decodeWaveFormat(format, platform::kWaveFormatBytes);
        EXPECT_EQ(f.formatTag, e.tag) << e.name;
        EXPECT_EQ(f.channels, e.channels) << e.name;
        EXPECT_EQ(f.samplesPerSec, e.rate) << e.name;
        EXPECT_EQ(f.bitsPerSample, e.bits) << e.name;
        EXPECT_EQ(std::vector<std::uint8_t>(samples, samples + count), e.samples) << e.name;

        platform::BufferDesc desc;
        desc.bufferBytes = count;
        desc.format = format;
        platform::SoundBuffer* buffer = nullptr;
        const bool plays = device->createSoundBuffer(desc, &buffer) == platform::DS_OK;
        EXPECT_EQ(plays, e.plays) << e.name;
        if (plays) {
            // What the buffer holds is what the mixer plays: the file's samples, unchanged.
            void* p1 = nullptr;
            void* p2 = nullptr;
            std::uint32_t n1 = 0, n2 = 0;
            ASSERT_EQ(buffer->lock(0, count, &p1, &n1, &p2, &n2, 0), platform::DS_OK);
            std::memcpy(p1, samples, n1);
            buffer->unlock(p1, n1, p2, n2);
            buffer->release();
            ++played;
        } else {
            ++refusedByDevice;
        }
        elSound::FreeWaveBlock(format);
        elSound::FreeWaveBlock(samples);
    }
    device->release();
    std::printf("corpus: %d waves read and played exactly, %d read but refused by the device, %d refused by the reader\n",
                played, refusedByDevice, Count(all, Kind::Wave, false));
}

TEST(Corpus, MidiFilesAreHeardWhereTheyHoldNotesOrRefused) {
    StartFresh();
    const auto all = corpus::MakeCorpus();
    int heard = 0, silent = 0;
    for (const Entry& e : all) {
        if (e.kind != Kind::Midi) continue;
        const char* why = nullptr;
        const bool ok = platform::checkMidiFile(e.bytes.data(), e.bytes.size(), &why);
        soundtest::ExeFile file(e.name, e.bytes);
        const std::string open = "open " + file.path() + " type sequencer alias c";
        if (!e.accepted) {
            EXPECT_FALSE(ok) << e.name;
            EXPECT_NE(why, nullptr) << e.name;
            EXPECT_EQ(platform::mciSendString(open.c_str(), nullptr, 0, 0), platform::MCIERR_INVALID_FILE) << e.name;
            continue;
        }
        ASSERT_TRUE(ok) << e.name << ": " << why;
        ASSERT_EQ(platform::mciSendString(open.c_str(), nullptr, 0, 0), 0u) << e.name;
        platform::mciSendString("play c", nullptr, 0, 0);
        auto mix = soundtest::Mix(22050);   // half a second
        platform::mciSendString("close c", nullptr, 0, 0);
        const int peak = std::max(soundtest::Peak(mix, 0, 0, 22050), soundtest::Peak(mix, 1, 0, 22050));
        if (e.audible) {
            EXPECT_GT(peak, 500) << e.name;
            ++heard;
        } else {
            EXPECT_LT(peak, 50) << e.name << ": inaudible";
            ++silent;
        }
    }
    platform::Message m;
    while (platform::peekMessage(m)) {
    }
    std::printf("corpus: %d MIDI files heard, %d accepted and silent as written, %d refused\n", heard, silent,
                Count(all, Kind::Midi, false));
}

// What the sequencer hands the synthesiser's player leaves it nothing to guess: a 6-byte header
// of format 0 or 1, then track chunks whose lengths end exactly at their end-of-track events,
// and read again it is the same file of the same length.
TEST(Corpus, RepairedMidiFilesAreTheirOwnRepair) {
    for (const Entry& e : corpus::MakeCorpus()) {
        if (e.kind != Kind::Midi || !e.accepted) continue;
        platform::MidiPiece piece, again;
        ASSERT_TRUE(platform::normaliseMidiFile(e.bytes.data(), e.bytes.size(), piece)) << e.name;
        const auto& f = piece.file;
        ASSERT_GE(f.size(), 14u) << e.name;
        EXPECT_EQ(std::memcmp(f.data(), "MThd\0\0\0\6\0", 9), 0) << e.name;
        EXPECT_LE(f[9], 1) << e.name;
        const std::size_t tracks = static_cast<std::size_t>(f[10] << 8 | f[11]);
        std::size_t pos = 14, seen = 0;
        for (; pos + 8 <= f.size(); ++seen) {
            ASSERT_EQ(std::memcmp(f.data() + pos, "MTrk", 4), 0) << e.name << " at " << pos;
            const std::size_t len =
                static_cast<std::size_t>(f[pos + 4]) << 24 | f[pos + 5] << 16 | f[pos + 6] << 8 | f[pos + 7];
            ASSERT_LE(pos + 8 + len, f.size()) << e.name;
            ASSERT_GE(len, 4u) << e.name;
            EXPECT_EQ(std::memcmp(f.data() + pos + 8 + len - 3, "\xFF\x2F\0", 3), 0) << e.name << " track " << seen;
            pos += 8 + len;
        }
        EXPECT_EQ(pos, f.size()) << e.name;
        EXPECT_EQ(seen, tracks) << e.name;
        ASSERT_TRUE(platform::normaliseMidiFile(f.data(), f.size(), again)) << e.name;
        EXPECT_EQ(again.file, f) << e.name;
        EXPECT_EQ(again.micros, piece.micros) << e.name;
    }
}
