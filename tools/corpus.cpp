// Seed-corpus generator: the files and their expectations.
#include "tools/corpus.h"

#include <functional>

#include "platform/files/bmp_writer.h"
#include "platform/files/bytes.h"
#include "platform/sound/wave.h"

namespace corpus {
namespace {

using platform::putBe16;
using platform::putBe32;
using platform::putLe16;
using platform::putLe32;
using platform::putText;

void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// ---------------------------------------------------------------- BMP

constexpr int W = 5, H = 3;

// Distinct colours: palette entry i.
std::uint32_t Colour(int i) { return (0x3A1F07u * static_cast<std::uint32_t>(i + 1)) & 0xFFFFFFu; }

struct Bmp {
    int headerSize = 40;
    int depth = 24;
    bool topDown = false;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;   // written in info headers
    int tableEntries = 0;           // entries actually written
    std::uint32_t masks[3] = {0, 0, 0};
    int width = W, height = H;
};

// The packed bitmap (header, masks, table) before the pixels.
Bytes Head(const Bmp& s) {
    platform::BmpInfo info;
    info.headerSize = s.headerSize;
    info.width = s.width;
    info.height = s.topDown ? -s.height : s.height;
    info.bitsPerPixel = s.depth;
    info.compression = s.compression;
    info.pixelsPerMetre = platform::kBmpPixelsPerMetre72Dpi;
    info.colorsUsed = s.colorsUsed;
    for (int i = 0; i < 3; ++i) info.masks[i] = s.masks[i];
    Bytes b;
    platform::putBmpInfoHeader(b, info);
    for (int i = 0; i < s.tableEntries; ++i) platform::putBmpTableEntry(b, Colour(i), s.headerSize == 12);
    return b;
}

Bytes FileOf(const Bytes& head, const Bytes& pixels) {
    Bytes b;
    platform::putBmpFileHeader(b, static_cast<std::uint32_t>(platform::kBmpFileHeaderBytes + head.size() + pixels.size()),
                               static_cast<std::uint32_t>(platform::kBmpFileHeaderBytes + head.size()));
    Append(b, head);
    Append(b, pixels);
    return b;
}

// Uncompressed rows of raw values (indices, or pixel values little-endian).
Bytes Rows(const Bmp& s, const std::function<std::uint32_t(int, int)>& value) {
    const std::size_t rowBytes = (static_cast<std::size_t>(s.width) * s.depth + 31) / 32 * 4;
    Bytes out(rowBytes * s.height, 0);
    for (int row = 0; row < s.height; ++row) {
        const int y = s.topDown ? row : s.height - 1 - row;
        std::uint8_t* r = out.data() + rowBytes * row;
        for (int x = 0; x < s.width; ++x) {
            std::uint32_t v = value(x, y);
            if (s.depth < 8) {
                int bit = x * s.depth;
                r[bit / 8] |= static_cast<std::uint8_t>(v << (8 - s.depth - bit % 8));
            } else {
                for (int i = 0; i < s.depth / 8; ++i) r[x * (s.depth / 8) + i] = static_cast<std::uint8_t>(v >> (8 * i));
            }
        }
    }
    return out;
}

Entry Make(Kind kind, std::string name, Bytes bytes) {
    Entry e;
    e.kind = kind;
    e.name = std::move(name);
    e.bytes = std::move(bytes);
    return e;
}

Entry BmpEntry(const std::string& name, const Bmp& s, const Bytes& pixels,
               const std::function<std::uint32_t(int, int)>& expect, bool coarse = false) {
    Entry e = Make(Kind::Bmp, name + ".bmp", FileOf(Head(s), pixels));
    e.width = s.width;
    e.height = s.height;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) e.pixels.push_back(expect(x, y));
    e.coarse = coarse;
    return e;
}

Entry Refused(Kind kind, const std::string& name, Bytes bytes) {
    Entry e = Make(kind, name, std::move(bytes));
    e.accepted = false;
    return e;
}

std::uint32_t Scale5(std::uint32_t v) { return (v * 255 + 15) / 31; }
std::uint32_t Scale6(std::uint32_t v) { return (v * 255 + 31) / 63; }

void AddBmps(std::vector<Entry>& out) {
    auto truecolour = [](int x, int y) { return Colour(x + W * y); };
    for (int hs : {12, 40, 52, 56, 108, 124}) {
        const std::string h = "h" + std::to_string(hs);
        for (int depth : {1, 4, 8}) {
            const int entries = hs == 12 ? 1 << depth : (depth == 1 ? 2 : 6);
            for (bool topDown : {false, true}) {
                if (topDown && hs == 12) continue;   // the core header's height is unsigned
                Bmp s;
                s.headerSize = hs;
                s.depth = depth;
                s.topDown = topDown;
                s.tableEntries = entries;
                s.colorsUsed = hs == 12 ? 0 : static_cast<std::uint32_t>(entries);
                auto index = [entries](int x, int y) { return static_cast<std::uint32_t>((x + 2 * y) % entries); };
                out.push_back(BmpEntry("g-" + h + "-pal" + std::to_string(depth) + (topDown ? "-topdown" : ""), s,
                                       Rows(s, index), [&](int x, int y) { return Colour(static_cast<int>(index(x, y))); }));
            }
        }
        for (bool topDown : {false, true}) {
            if (topDown && hs == 12) continue;
            Bmp s;
            s.headerSize = hs;
            s.depth = 24;
            s.topDown = topDown;
            out.push_back(BmpEntry("g-" + h + "-rgb24" + (topDown ? "-topdown" : ""), s, Rows(s, truecolour), truecolour));
            s.depth = 32;
            out.push_back(BmpEntry("g-" + h + "-rgb32" + (topDown ? "-topdown" : ""), s,
                                   Rows(s, [&](int x, int y) { return truecolour(x, y) | 0x5A000000u; }), truecolour));
        }
        if (hs == 12) continue;
        // 16 bits, 5-5-5 by default and 5-6-5 with bit fields; 32 bits with red and blue swapped.
        Bmp s;
        s.headerSize = hs;
        s.depth = 16;
        auto v555 = [](int x, int y) { return static_cast<std::uint32_t>((x * 7) << 10 | (y * 15) << 5 | (31 - x)); };
        out.push_back(BmpEntry("g-" + h + "-rgb555", s, Rows(s, v555), [&](int x, int y) {
            std::uint32_t v = v555(x, y);
            return Scale5(v >> 10 & 31) << 16 | Scale5(v >> 5 & 31) << 8 | Scale5(v & 31);
        }, true));
        s.compression = 3;
        s.masks[0] = 0xF800;
        s.masks[1] = 0x07E0;
        s.masks[2] = 0x001F;
        auto v565 = [](int x, int y) { return static_cast<std::uint32_t>((x * 7) << 11 | (y * 31) << 5 | (31 - x)); };
        out.push_back(BmpEntry("g-" + h + "-bf565", s, Rows(s, v565), [&](int x, int y) {
            std::uint32_t v = v565(x, y);
            return Scale5(v >> 11 & 31) << 16 | Scale6(v >> 5 & 63) << 8 | Scale5(v & 31);
        }, true));
        s.depth = 32;
        s.masks[0] = 0x000000FF;
        s.masks[1] = 0x0000FF00;
        s.masks[2] = 0x00FF0000;
        out.push_back(BmpEntry("g-" + h + "-bf32-swapped", s, Rows(s, [&](int x, int y) {
            std::uint32_t c = truecolour(x, y);
            return (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16;
        }), truecolour));
    }

    // Colour tables: more entries than indices, and a count far beyond the data.
    {
        Bmp s;
        s.depth = 8;
        s.colorsUsed = 300;
        s.tableEntries = 300;
        auto index = [](int x, int y) { return static_cast<std::uint32_t>(248 + x + y); };
        out.push_back(BmpEntry("g-pal8-table300", s, Rows(s, index), [&](int x, int y) { return Colour(static_cast<int>(index(x, y))); }));
        s.colorsUsed = 0x12345678;
        s.tableEntries = 4;
        out.push_back(Refused(Kind::Bmp, "g-pal8-table-huge.bmp", FileOf(Head(s), Rows(s, [](int, int) { return 0u; }))));
        // Indices beyond a short table read as black.
        s.colorsUsed = 2;
        s.tableEntries = 2;
        out.push_back(BmpEntry("g-pal8-beyond-table", s, Rows(s, [](int x, int) { return static_cast<std::uint32_t>(x); }),
                               [](int x, int) { return x < 2 ? Colour(x) : 0u; }));
    }

    // RLE8 and RLE4: runs, literals of odd length, a move, end of line and end of bitmap.
    {
        Bmp s;
        s.depth = 8;
        s.compression = 1;
        s.width = 6;
        s.colorsUsed = 5;
        s.tableEntries = 5;
        // Bottom row: a run of 3 of index 1, then the literal 2 3 4; middle row: a move of two to
        // the right, then a run of 4 of index 2; top row: cut short by the end of the bitmap.
        Bytes rle = {3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 0, 4, 2, 0, 0, 2, 3, 0, 1};
        std::uint32_t pic[3][6] = {{3, 3, 0, 0, 0, 0}, {0, 0, 2, 2, 2, 2}, {1, 1, 1, 2, 3, 4}};
        out.push_back(BmpEntry("g-rle8", s, rle, [&](int x, int y) { return Colour(static_cast<int>(pic[y][x])); }));
        s.depth = 4;
        s.compression = 2;
        // Bottom row: runs of 4 alternating 1 and 2 and of 2 alternating 3 and 4; middle: a move,
        // then a run of 4 of 2 2; top: a literal of three nibbles (two bytes, no padding).
        Bytes rle4 = {4, 0x12, 2, 0x34, 0, 0, 0, 2, 2, 0, 4, 0x22, 0, 0, 0, 3, 0x43, 0x20, 0, 1};
        std::uint32_t pic4[3][6] = {{4, 3, 2, 0, 0, 0}, {0, 0, 2, 2, 2, 2}, {1, 2, 1, 2, 3, 4}};
        out.push_back(BmpEntry("g-rle4", s, rle4, [&](int x, int y) { return Colour(static_cast<int>(pic4[y][x])); }));
        Bytes cut(rle.begin(), rle.begin() + 5);
        s.depth = 8;
        s.compression = 1;
        out.push_back(Refused(Kind::Bmp, "g-rle8-cut.bmp", FileOf(Head(s), cut)));
    }

    // Refused headers and truncations.
    {
        Bmp s;
        Bytes good = FileOf(Head(s), Rows(s, truecolour));
        out.push_back(Refused(Kind::Bmp, "g-cut-pixels.bmp", Bytes(good.begin(), good.begin() + good.size() / 2 + 14)));
        out.push_back(Refused(Kind::Bmp, "g-cut-header.bmp", Bytes(good.begin(), good.begin() + 30)));
        Bytes jpeg = good;
        jpeg[30] = 4;
        out.push_back(Refused(Kind::Bmp, "g-compression-jpeg.bmp", jpeg));
        Bytes depth2 = good;
        depth2[28] = 2;
        out.push_back(Refused(Kind::Bmp, "g-depth2.bmp", depth2));
        Bytes header64 = good;
        header64[14] = 64;
        out.push_back(Refused(Kind::Bmp, "g-header64.bmp", header64));
        Bytes offset = good;
        offset[10] = 0xF0;
        offset[11] = 0xFF;
        out.push_back(Refused(Kind::Bmp, "g-offset-past-end.bmp", offset));
    }
}

// ---------------------------------------------------------------- wave

struct Wave {
    std::uint16_t tag = 1, channels = 1, bits = 8;
    std::uint32_t rate = 11025;
    int fmtSize = 16;                 // bytes of the fmt chunk
    std::uint32_t cbSize = 0;         // written when fmtSize >= 18
    Bytes samples;
    bool dataFirst = false;
    bool listBetween = false;         // an odd-sized LIST chunk between the two
    std::int64_t declaredData = -1;
};

Bytes WaveFile(const Wave& w) {
    Bytes fmt;
    putText(fmt, "fmt ");
    putLe32(fmt, static_cast<std::uint32_t>(w.fmtSize));
    platform::putWaveFormatFields(fmt, w.tag, w.channels, w.rate, w.bits);
    if (w.fmtSize >= 18) putLe16(fmt, w.cbSize);
    for (int i = 18; i < w.fmtSize; ++i) fmt.push_back(static_cast<std::uint8_t>(i));
    if (w.fmtSize & 1) fmt.push_back(0);
    Bytes data;
    putText(data, "data");
    putLe32(data, static_cast<std::uint32_t>(w.declaredData >= 0 ? w.declaredData : static_cast<std::int64_t>(w.samples.size())));
    Append(data, w.samples);
    if (w.samples.size() & 1) data.push_back(0);
    Bytes list;
    if (w.listBetween) {
        putText(list, "LIST");
        putLe32(list, 5);
        list.insert(list.end(), {'I', 'N', 'F', 'O', 'x', 0});
    }
    Bytes body;
    putText(body, "WAVE");
    Append(body, w.dataFirst ? data : fmt);
    Append(body, list);
    Append(body, w.dataFirst ? fmt : data);
    Bytes out;
    putText(out, "RIFF");
    putLe32(out, static_cast<std::uint32_t>(body.size()));
    Append(out, body);
    return out;
}

Bytes Ramp(std::size_t n) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 37 + 11);
    return b;
}

Entry WaveEntry(const std::string& name, const Wave& w, bool plays) {
    Entry e = Make(Kind::Wave, name + ".wav", WaveFile(w));
    e.tag = w.tag;
    e.channels = w.channels;
    e.bits = w.bits;
    e.rate = w.rate;
    e.samples = w.samples;
    e.plays = plays;
    return e;
}

void AddWaves(std::vector<Entry>& out) {
    struct Pcm {
        const char* name;
        std::uint16_t channels, bits;
        std::uint32_t rate;
    } pcm[] = {{"pcm8-mono", 1, 8, 11025}, {"pcm8-stereo", 2, 8, 22050}, {"pcm16-mono", 1, 16, 44100},
               {"pcm16-stereo", 2, 16, 22050}};
    for (const Pcm& p : pcm) {
        Wave w;
        w.channels = p.channels;
        w.bits = p.bits;
        w.rate = p.rate;
        w.samples = Ramp(96);
        out.push_back(WaveEntry(std::string("g-") + p.name, w, true));
        w.fmtSize = 18;
        out.push_back(WaveEntry(std::string("g-") + p.name + "-fmt18", w, true));
        w.fmtSize = 16;
        w.dataFirst = true;
        w.listBetween = true;
        out.push_back(WaveEntry(std::string("g-") + p.name + "-data-first-list", w, true));
    }
    {
        Wave w;
        w.samples = Ramp(33);   // an odd data chunk, padded
        w.listBetween = true;
        out.push_back(WaveEntry("g-pcm8-odd-list", w, true));
    }
    // Formats the device does not play: read whole, then refused by the device.
    struct Other {
        const char* name;
        std::uint16_t tag, channels, bits;
        int fmtSize;
        std::uint32_t cbSize;
    } other[] = {{"pcm24", 1, 1, 24, 16, 0},         {"pcm16-3ch", 1, 3, 16, 16, 0},
                 {"float32-fmt16", 3, 1, 32, 16, 0}, {"float32-fmt18", 3, 1, 32, 18, 0},
                 {"adpcm", 2, 1, 4, 50, 32},         {"alaw", 6, 1, 8, 18, 0},
                 {"mulaw", 7, 1, 8, 18, 0},          {"extensible", 0xFFFE, 2, 16, 40, 22},
                 {"adpcm-cb-past-chunk", 2, 1, 4, 20, 300}};
    for (const Other& o : other) {
        Wave w;
        w.tag = o.tag;
        w.channels = o.channels;
        w.bits = o.bits;
        w.fmtSize = o.fmtSize;
        w.cbSize = o.cbSize;
        w.samples = Ramp(48);
        out.push_back(WaveEntry(std::string("g-") + o.name, w, false));
    }
    // Refused by the reader.
    Wave w;
    w.samples = Ramp(64);
    Bytes good = WaveFile(w);
    out.push_back(Refused(Kind::Wave, "g-cut-in-data.wav", Bytes(good.begin(), good.end() - 10)));
    out.push_back(Refused(Kind::Wave, "g-cut-in-fmt.wav", Bytes(good.begin(), good.begin() + 28)));
    Bytes notWave = good;
    notWave[8] = 'A';
    out.push_back(Refused(Kind::Wave, "g-not-wave.wav", notWave));
    Wave huge = w;
    huge.declaredData = 0x7FFFFFF0;
    out.push_back(Refused(Kind::Wave, "g-data-huge.wav", WaveFile(huge)));
    Wave shortFmt = w;
    shortFmt.fmtSize = 14;
    Bytes sf = WaveFile(shortFmt);
    out.push_back(Refused(Kind::Wave, "g-fmt14.wav", sf));
    Bytes noData(good.begin(), good.begin() + 36);
    noData[4] = 28;
    noData[5] = noData[6] = noData[7] = 0;
    out.push_back(Refused(Kind::Wave, "g-no-data.wav", noData));
}

// ---------------------------------------------------------------- MIDI

Bytes Track(const Bytes& events) {
    Bytes t;
    putText(t, "MTrk");
    putBe32(t, static_cast<std::uint32_t>(events.size()));
    Append(t, events);
    return t;
}

Bytes Header(std::uint16_t format, std::uint16_t tracks, std::uint16_t division = 480, std::uint32_t length = 6) {
    Bytes h;
    putText(h, "MThd");
    putBe32(h, length);
    putBe16(h, format);
    putBe16(h, tracks);
    putBe16(h, division);
    h.resize(8 + length, 0);
    return h;
}

// A loud chord a quarter of a second long, with running status.
Bytes Chord() { return {0, 0xC0, 0, 0, 0x90, 60, 110, 0, 64, 110, 0x83, 0x60, 0x80, 60, 0, 0, 64, 0}; }
Bytes End() { return {0, 0xFF, 0x2F, 0}; }
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) Append(b, p);
    return b;
}

Entry MidiEntry(const std::string& name, Bytes bytes, bool audible) {
    Entry e = Make(Kind::Midi, name + ".mid", std::move(bytes));
    e.audible = audible;
    return e;
}

void AddMidis(std::vector<Entry>& out) {
    const Bytes chordTrack = Track(Cat({Chord(), End()}));
    out.push_back(MidiEntry("g-format0", Cat({Header(0, 1), chordTrack}), true));
    out.push_back(MidiEntry("g-format1", Cat({Header(1, 2), Track(Cat({{0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20}, End()})),
                                            chordTrack}), true));
    out.push_back(MidiEntry("g-header10", Cat({Header(0, 1, 480, 10), chordTrack}), true));
    out.push_back(MidiEntry("g-foreign-chunk", Cat({Header(1, 2), chordTrack, {'X', 'F', 'I', 'H', 0, 0, 0, 2, 1, 2}, chordTrack}), true));
    out.push_back(MidiEntry("g-escape", Cat({Header(0, 1), Track(Cat({{0, 0xF7, 2, 0xF8, 0xFA}, Chord(), End()}))}), true));
    out.push_back(MidiEntry("g-sysex", Cat({Header(0, 1), Track(Cat({{0, 0xF0, 5, 0x7E, 0x7F, 9, 1, 0xF7}, Chord(), End()}))}), true));
    out.push_back(MidiEntry("g-tick0-only", Cat({Header(0, 1), Track(Cat({{0, 0x90, 62, 120}, End()}))}), true));
    out.push_back(MidiEntry("g-tempo-change", Cat({Header(0, 1), Track(Cat({{0, 0xFF, 0x51, 3, 0x03, 0xD0, 0x90}, Chord(),
                                                                              {0, 0xFF, 0x51, 3, 0x0F, 0x42, 0x40}, Chord(), End()}))}), true));
    // The longest delta time, after a tempo ten times as fast: a rest of 7.8 hours.
    out.push_back(MidiEntry("g-long-delta", Cat({Header(0, 1), Track(Cat({Chord(), {0, 0xFF, 0x51, 3, 0x00, 0xC3, 0x50},
                                                                            {0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0}}))}), true));
    out.push_back(MidiEntry("g-meta-only", Cat({Header(0, 1), Track(Cat({{0, 0xFF, 0x03, 4, 'n', 'a', 'm', 'e'}, End()}))}), false));
    out.push_back(MidiEntry("g-silent-velocity0", Cat({Header(0, 1), Track(Cat({{0, 0x90, 60, 0, 0x60, 0x80, 60, 0}, End()}))}), false));

    // Damage with one plain reading, played that way.
    out.push_back(MidiEntry("g-format2", Cat({Header(2, 1), chordTrack}), true));
    // Two patterns: played together from the start, as the tracks of format 1.
    out.push_back(MidiEntry("g-format2-two", Cat({Header(2, 2), Track(Cat({{0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20}, End()})),
                                                 chordTrack}), true));
    out.push_back(MidiEntry("g-running-after-meta",
                            Cat({Header(0, 1), Track(Cat({{0, 0x90, 60, 100, 0, 0xFF, 0x01, 0, 0x60, 60, 0}, End()}))}), true));
    out.push_back(MidiEntry("g-running-after-sysex",
                            Cat({Header(0, 1), Track(Cat({{0, 0x90, 60, 100, 0, 0xF0, 1, 0xF7, 0x60, 60, 0}, End()}))}), true));
    out.push_back(MidiEntry("g-no-end-of-track", Cat({Header(0, 1), Track(Chord())}), true));
    out.push_back(MidiEntry("g-no-end-then-track", Cat({Header(1, 2), Track(Chord()), chordTrack}), true));
    Bytes huge = Cat({Header(0, 1), chordTrack});
    huge[18] = 0x7F;
    out.push_back(MidiEntry("g-track-huge", huge, true));
    Bytes hugeNoEnd = Cat({Header(0, 1), Track(Chord())});
    hugeNoEnd[18] = 0x7F;
    out.push_back(MidiEntry("g-track-huge-no-end", hugeNoEnd, true));

    out.push_back(Refused(Kind::Midi, "g-smpte.mid", Cat({Header(0, 1, 0xE728), chordTrack})));
    out.push_back(Refused(Kind::Midi, "g-data-byte-high.mid", Cat({Header(0, 1), Track(Cat({{0, 0x90, 60, 0xC0}, End()}))})));
    // A huge track cannot be followed by another.
    out.push_back(Refused(Kind::Midi, "g-track-huge-then-track.mid", [&] {
        Bytes b = Cat({Header(1, 2), chordTrack, chordTrack});
        b[18] = 0x7F;
        return b;
    }()));
    // A track that stops inside a delta time, without its end-of-track event.
    out.push_back(Refused(Kind::Midi, "g-cut-in-delta.mid", Cat({Header(0, 1), Track(Cat({Chord(), {0x83}}))})));
    out.push_back(Refused(Kind::Midi, "g-fewer-tracks.mid", Cat({Header(1, 3), chordTrack})));
    Bytes many = Header(1, 129);
    for (int i = 0; i < 129; ++i) Append(many, Track(End()));
    out.push_back(Refused(Kind::Midi, "g-129-tracks.mid", many));
    out.push_back(Refused(Kind::Midi, "g-tempo-zero.mid", Cat({Header(0, 1), Track(Cat({{0, 0xFF, 0x51, 3, 0, 0, 0}, End()}))})));
    out.push_back(Refused(Kind::Midi, "g-varlen-five.mid", Cat({Header(0, 1), Track(Cat({{0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}, End()}))})));
    Bytes cut = Cat({Header(0, 1), chordTrack});
    cut.resize(cut.size() - 6);
    out.push_back(Refused(Kind::Midi, "g-cut.mid", cut));
    // Pieces of millennia: lengths past 64 bits of frames, and of microseconds.
    out.push_back(Refused(Kind::Midi, "g-too-long-14000-years.mid", RestsMidi(0xFFFFFF, 0x0FFFFFFF, 100)));
    out.push_back(Refused(Kind::Midi, "g-too-long-1m-years.mid", RestsMidi(0xFFFFFF, 0x0FFFFFFF, 8192)));
}

}  // namespace

Bytes RestsMidi(std::uint32_t microsPerQuarter, std::uint32_t delta, int count) {
    Bytes events = {0, 0xFF, 0x51, 3};
    events.push_back(static_cast<std::uint8_t>(microsPerQuarter >> 16));
    events.push_back(static_cast<std::uint8_t>(microsPerQuarter >> 8));
    events.push_back(static_cast<std::uint8_t>(microsPerQuarter));
    Append(events, {0, 0xC0, 0});
    for (int i = 0; i < count; ++i) {
        platform::putVarLen(events, delta);
        events.push_back(0);
    }
    Append(events, End());
    return Cat({Header(0, 1, 1), Track(events)});
}

const char* FolderOf(Kind kind) {
    switch (kind) {
        case Kind::Bmp: return "bmp";
        case Kind::Wave: return "wave";
        case Kind::Midi: return "midi";
    }
    return "";
}

std::vector<Entry> MakeCorpus() {
    std::vector<Entry> out;
    AddBmps(out);
    AddWaves(out);
    AddMidis(out);
    return out;
}

}  // namespace corpus
