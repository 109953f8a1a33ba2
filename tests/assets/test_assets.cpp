// Tests: the committed sprite sheet, hit sound and music keep the formats the game loads them by.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadAsset(const std::string& name) {
    std::ifstream in(std::string(QRB_SOURCE_DIR) + "/assets/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t LE(const Bytes& b, std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i) v = v << 8 | b.at(at + i);
    return v;
}
std::uint32_t BE(const Bytes& b, std::size_t at, int size) {
    std::uint32_t v = 0;
    for (int i = 0; i < size; ++i) v = v << 8 | b.at(at + i);
    return v;
}

struct Field {
    const char* name;
    std::size_t offset;
    int size;
    std::uint32_t expected;
};

void ExpectFieldsLE(const Bytes& file, const std::vector<Field>& fields) {
    for (const Field& f : fields)
        EXPECT_EQ(LE(file, f.offset, f.size), f.expected) << f.name << " at offset " << f.offset;
}

// ---------------------------------------------------------------- CHARA.bmp

constexpr std::uint32_t kKey = 0x00FF00;

struct Sheet {
    Bytes file = ReadAsset("CHARA.bmp");
    // 0xRRGGBB of the pixel at (x, y), y counted from the top; rows are stored bottom-up.
    std::uint32_t At(int x, int y) const { return LE(file, 54 + (47 - y) * 576 + x * 3, 3); }
};

int Red(std::uint32_t c) { return c >> 16 & 0xFF; }
int Green(std::uint32_t c) { return c >> 8 & 0xFF; }
int Blue(std::uint32_t c) { return c & 0xFF; }
double Luma(std::uint32_t c) { return 0.299 * Red(c) + 0.587 * Green(c) + 0.114 * Blue(c); }

TEST(SpriteSheetAsset, HeaderDescribesA24BitBottomUpBitmap) {
    Sheet sheet;
    ASSERT_EQ(sheet.file.size(), 54u + 576u * 48u);
    ExpectFieldsLE(sheet.file, {{"signature", 0, 2, 0x4D42},
                                {"file size", 2, 4, 54 + 576 * 48},
                                {"pixel offset", 10, 4, 54},
                                {"info header size", 14, 4, 40},
                                {"width", 18, 4, 192},
                                {"height (positive: bottom-up)", 22, 4, 48},
                                {"planes", 26, 2, 1},
                                {"bits per pixel", 28, 2, 24},
                                {"compression (none)", 30, 4, 0},
                                {"palette colours", 46, 4, 0}});
}

// Each cell's sprite sits exactly where the blits take it from, and everything else is the key.
TEST(SpriteSheetAsset, SpritesFillTheirBoxesAndTheRestIsKey) {
    Sheet sheet;
    ASSERT_EQ(sheet.file.size(), 54u + 576u * 48u);
    struct Box {
        const char* sprite;
        int left, top, right, bottom;
    };
    const Box boxes[4] = {{"crosshair", 10, 9, 38, 38}, {"yellow ball", 2, 2, 45, 45}, {"pink ball", 2, 2, 45, 45},
                          {"red ball", 2, 2, 45, 45}};
    for (int cell = 0; cell < 4; ++cell) {
        Box found{boxes[cell].sprite, 48, 48, -1, -1};
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x)
                if (sheet.At(cell * 48 + x, y) != kKey) {
                    found = {found.sprite, std::min(found.left, x), std::min(found.top, y), std::max(found.right, x),
                             std::max(found.bottom, y)};
                }
        const Box& want = boxes[cell];
        EXPECT_TRUE(found.left == want.left && found.top == want.top && found.right == want.right &&
                    found.bottom == want.bottom)
            << want.sprite << ": expected x " << want.left << "-" << want.right << ", y " << want.top << "-"
            << want.bottom << "; found x " << found.left << "-" << found.right << ", y " << found.top << "-"
            << found.bottom;
    }
    // A ball is a solid disc around (23.5, 23.5): no key-coloured hole inside, no stray pixel outside.
    for (int cell = 1; cell < 4; ++cell)
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                double r = std::hypot(x - 23.5, y - 23.5);
                bool key = sheet.At(cell * 48 + x, y) == kKey;
                if (r <= 21.5) {
                    EXPECT_FALSE(key) << "hole in cell " << cell << " at (" << x << ", " << y << ")";
                }
                if (r >= 22.5) {
                    EXPECT_TRUE(key) << "stray pixel in cell " << cell << " at (" << x << ", " << y << ")";
                }
            }
}

// A pixel blended toward the key shows as a green fringe on the black play field.
TEST(SpriteSheetAsset, EdgesDoNotBlendTowardTheKey) {
    Sheet sheet;
    ASSERT_EQ(sheet.file.size(), 54u + 576u * 48u);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            std::uint32_t c = sheet.At(x, y);
            EXPECT_TRUE(c == kKey || c == 0xFFFFFF || c == 0x000000)
                << "crosshair pixel (" << x << ", " << y << ") is " << std::hex << c << ", expected white, black or key";
        }
    // Across each bar: outline, two white, outline, centred on 23.5; then key.
    const std::uint32_t across[5] = {0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000, kKey};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(sheet.At(30, 22 + i), across[i]) << "horizontal bar, row " << 22 + i;
        EXPECT_EQ(sheet.At(15, 22 + i), across[i]) << "horizontal bar, row " << 22 + i;
        EXPECT_EQ(sheet.At(22 + i, 15), across[i]) << "vertical bar, column " << 22 + i;
        EXPECT_EQ(sheet.At(22 + i, 32), across[i]) << "vertical bar, column " << 22 + i;
    }
    for (int cell = 1; cell < 4; ++cell)
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                std::uint32_t c = sheet.At(cell * 48 + x, y);
                if (c == kKey) continue;
                double distance = std::hypot(Red(c), Green(c) - 255, Blue(c));
                EXPECT_GE(distance, 120) << "cell " << cell << " (" << x << ", " << y << ") is " << std::hex << c
                                         << ", too close to the key";
                // Yellow and pink never have more green than red; a blend toward the key would.
                if (cell < 3) {
                    EXPECT_LE(Green(c), Red(c)) << "cell " << cell << " (" << x << ", " << y << ")";
                }
            }
}

// Lit from the upper left: a bright highlight there, darker toward the lower right, and
// smooth gradients rather than a few flat tones.
TEST(SpriteSheetAsset, BallsAreShadedLikeLitSpheres) {
    Sheet sheet;
    ASSERT_EQ(sheet.file.size(), 54u + 576u * 48u);
    for (int cell = 1; cell < 4; ++cell) {
        int bx = 0, by = 0;
        double brightest = -1;
        std::map<std::uint32_t, int> colours;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 48; ++x) {
                std::uint32_t c = sheet.At(cell * 48 + x, y);
                if (c == kKey) continue;
                ++colours[c];
                if (Luma(c) > brightest) brightest = Luma(c), bx = x, by = y;
            }
        EXPECT_TRUE(bx < 23 && by < 23) << "cell " << cell << ": highlight at (" << bx << ", " << by
                                        << "), expected in the upper left";
        EXPECT_GE(brightest, 240) << "cell " << cell;
        double centre = Luma(sheet.At(cell * 48 + 23, 23));
        double shadow = Luma(sheet.At(cell * 48 + 37, 37));
        EXPECT_TRUE(brightest > centre && centre > shadow + 40)
            << "cell " << cell << ": highlight " << brightest << ", centre " << centre << ", lower right " << shadow;
        EXPECT_GE(colours.size(), 300u) << "cell " << cell << " looks flat";
    }
}

// ---------------------------------------------------------------- HIT.wav

TEST(HitSoundAsset, CanonicalHeaderOf8BitMonoPcm) {
    Bytes wav = ReadAsset("HIT.wav");
    ASSERT_EQ(wav.size(), 44u + 11024u);
    ExpectFieldsLE(wav, {{"\"RIFF\"", 0, 4, 0x46464952},
                         {"RIFF size", 4, 4, 36 + 11024},
                         {"\"WAVE\"", 8, 4, 0x45564157},
                         {"\"fmt \"", 12, 4, 0x20746D66},
                         {"fmt size", 16, 4, 16},
                         {"format (PCM)", 20, 2, 1},
                         {"channels", 22, 2, 1},
                         {"sample rate", 24, 4, 11025},
                         {"byte rate", 28, 4, 11025},
                         {"block align", 32, 2, 1},
                         {"bits per sample", 34, 2, 8},
                         {"\"data\"", 36, 4, 0x61746164},
                         {"data size", 40, 4, 11024}});
}

TEST(HitSoundAsset, PopStartsCleanlyAndDecaysToSilence) {
    Bytes wav = ReadAsset("HIT.wav");
    ASSERT_EQ(wav.size(), 44u + 11024u);
    auto level = [&](int n) { return std::abs(wav[44 + n] - 128); };
    EXPECT_EQ(wav[44], 128) << "the first sample should sit on the zero line (no click)";
    // Loudest part within 20 ms windows: up to its peak early, never louder again after it.
    constexpr int kWindow = 220;
    std::vector<int> peaks;
    for (int start = 0; start + kWindow <= 11024; start += kWindow) {
        int peak = 0;
        for (int n = start; n < start + kWindow; ++n) peak = std::max(peak, level(n));
        peaks.push_back(peak);
    }
    EXPECT_GE(peaks[0], 64) << "the pop should be loud at once";
    for (std::size_t w = 1; w < peaks.size(); ++w)
        EXPECT_LE(peaks[w], peaks[w - 1]) << "window at " << w * 20 << " ms grows again";
    for (int n = 0; n < 11024; ++n) {
        EXPECT_TRUE(wav[44 + n] != 0 && wav[44 + n] != 255) << "clipped at sample " << n;
        if (n >= 11025 / 2) {
            EXPECT_EQ(wav[44 + n], 128) << "not silent at sample " << n;
        }
    }
}

// ---------------------------------------------------------------- QRBX.MID

struct MidiNote {
    int channel, key;
    std::uint32_t on, off;
};
struct ParsedMidi {
    std::string error;  // empty when the whole file parsed
    int format = -1, ticksPerQuarter = 0;
    std::vector<std::uint32_t> trackEnds;  // tick of each track's end-of-track event
    std::vector<std::pair<std::uint32_t, std::uint32_t>> tempos, timeSignatures;  // tick, value
    std::vector<MidiNote> notes;
    std::map<int, std::uint32_t> firstProgram;  // channel -> tick of its first program change
    int hangingNotes = 0;
};

// A reader of its own, independent of the generator: every chunk length, running status, sysex.
ParsedMidi ParseMidi(const Bytes& f) {
    ParsedMidi m;
    if (f.size() < 14 || BE(f, 0, 4) != 0x4D546864 || BE(f, 4, 4) != 6) return m.error = "no MThd of 6 bytes", m;
    m.format = BE(f, 8, 2);
    int tracks = BE(f, 10, 2);
    m.ticksPerQuarter = BE(f, 12, 2);
    std::size_t p = 14;
    for (int t = 0; t < tracks; ++t) {
        if (p + 8 > f.size() || BE(f, p, 4) != 0x4D54726B) return m.error = "track " + std::to_string(t) + " missing", m;
        std::size_t end = p + 8 + BE(f, p + 4, 4);
        if (end > f.size()) return m.error = "track " + std::to_string(t) + " runs past the file", m;
        p += 8;
        std::uint32_t tick = 0;
        int status = 0;
        bool ended = false;
        std::map<std::pair<int, int>, std::uint32_t> sounding;
        auto varLen = [&](std::uint32_t& v) {
            v = 0;
            for (int i = 0; i < 4 && p < end; ++i) {
                std::uint8_t b = f[p++];
                v = v << 7 | (b & 0x7F);
                if (!(b & 0x80)) return true;
            }
            return false;
        };
        while (p < end && !ended) {
            std::uint32_t delta, len;
            if (!varLen(delta) || p >= end) return m.error = "bad delta", m;
            tick += delta;
            if (f[p] & 0x80) status = f[p++];
            if (status == 0xFF) {
                if (p >= end) return m.error = "cut meta", m;
                int type = f[p++];
                if (!varLen(len) || p + len > end) return m.error = "cut meta", m;
                if (type == 0x2F) ended = true, m.trackEnds.push_back(tick);
                if (type == 0x51 && len == 3) m.tempos.push_back({tick, BE(f, p, 3)});
                if (type == 0x58 && len == 4) m.timeSignatures.push_back({tick, BE(f, p, 2)});
                p += len;
                status = 0;
            } else if (status == 0xF0 || status == 0xF7) {
                if (!varLen(len) || p + len > end) return m.error = "cut sysex", m;
                p += len;
                status = 0;
            } else if (status >= 0x80) {
                int kind = status & 0xF0, channel = status & 0x0F;
                std::size_t size = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
                if (p + size > end) return m.error = "cut event", m;
                if (kind == 0xC0 && !m.firstProgram.count(channel)) m.firstProgram[channel] = tick;
                if (kind == 0x90 && f[p + 1] > 0) {
                    sounding[{channel, f[p]}] = tick;
                } else if (kind == 0x80 || kind == 0x90) {
                    auto it = sounding.find({channel, f[p]});
                    if (it != sounding.end()) m.notes.push_back({channel, f[p], it->second, tick}), sounding.erase(it);
                }
                p += size;
            } else {
                return m.error = "data byte without a status", m;
            }
        }
        if (!ended || p != end) return m.error = "track " + std::to_string(t) + ": end of track is not the chunk's end", m;
        m.hangingNotes += static_cast<int>(sounding.size());
    }
    if (p != f.size()) m.error = "bytes after the last track";
    return m;
}

TEST(MusicAsset, StandardMidiFileThatLoopsOnABarLine) {
    ParsedMidi m = ParseMidi(ReadAsset("QRBX.MID"));
    ASSERT_EQ(m.error, "");
    EXPECT_EQ(m.format, 1);
    ASSERT_GT(m.ticksPerQuarter, 0) << "ticks per quarter note, not SMPTE time";
    ASSERT_EQ(m.tempos.size(), 1u);
    EXPECT_EQ(m.tempos[0].first, 0u) << "tempo set at the top";
    ASSERT_EQ(m.timeSignatures.size(), 1u);
    EXPECT_EQ(m.timeSignatures[0].second, 0x0402u) << "4/4";

    // Every track ends at the same tick, on a bar line: the loop point.
    ASSERT_GE(m.trackEnds.size(), 2u);
    std::uint32_t loop = m.trackEnds[0];
    for (std::size_t t = 0; t < m.trackEnds.size(); ++t) EXPECT_EQ(m.trackEnds[t], loop) << "track " << t;
    std::uint32_t bar = 4 * m.ticksPerQuarter;
    EXPECT_EQ(loop % bar, 0u) << "loop point " << loop << " is not on a bar line";
    double seconds = static_cast<double>(loop) / m.ticksPerQuarter * m.tempos[0].second / 1e6;
    EXPECT_TRUE(seconds >= 30 && seconds <= 60) << "one pass lasts " << seconds << " s";

    // Notes: all released by the loop point, and music from the first tick into the last bar, so
    // that there is no silence at the seam.
    ASSERT_FALSE(m.notes.empty());
    EXPECT_EQ(m.hangingNotes, 0);
    std::uint32_t first = loop, last = 0;
    for (const MidiNote& n : m.notes) {
        EXPECT_TRUE(n.on < n.off && n.off <= loop) << "channel " << n.channel + 1 << " key " << n.key << " from "
                                                   << n.on << " to " << n.off << ", loop at " << loop;
        first = std::min(first, n.on);
        last = std::max(last, n.off);
        // Melodic channels choose their instrument before they play; channel 10 is the drum kit.
        if (n.channel != 9) {
            EXPECT_TRUE(m.firstProgram.count(n.channel) && m.firstProgram[n.channel] <= n.on)
                << "channel " << n.channel + 1 << " plays before a program change";
        }
    }
    EXPECT_EQ(first, 0u);
    EXPECT_GE(last, loop - m.ticksPerQuarter / 2);
}

}  // namespace
