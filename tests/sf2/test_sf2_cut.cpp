// The web build's sound font cutter (tools/sf2_cut.h): which presets a MIDI file sounds, and the
// cut font's structure. That the cut renders like the full font is the cutter's own check, run
// by the web build; here are the cases a game's music does not reach.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tools/sf2_cut.h"

namespace {

using sf2cut::Bytes;
using sf2cut::PresetId;

constexpr const char* kFullFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A format 1 file of the given tracks, each given as its events (delta time included), ended.
Bytes midiFile(const std::vector<Bytes>& tracks) {
    Bytes f{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, static_cast<std::uint8_t>(tracks.size()), 0, 96};
    for (Bytes t : tracks) {
        t.insert(t.end(), {0, 0xff, 0x2f, 0});
        f.insert(f.end(), {'M', 'T', 'r', 'k', 0, 0, static_cast<std::uint8_t>(t.size() >> 8), static_cast<std::uint8_t>(t.size())});
        f.insert(f.end(), t.begin(), t.end());
    }
    return f;
}

TEST(Sf2Cut, PresetsFollowProgramsBanksAndPercussionInTime) {
    // Track 0: a program change at tick 0 on channel 1, and a bank select with a program later on
    // channel 2. Track 1: notes, some before those changes (running status, and a note-on of
    // velocity 0, which is a release), and a note on the percussion channel.
    const Bytes conductor{
        0x00, 0xc1, 33,                          // ch 1: program 33
        0x60, 0xb2, 0x00, 8, 0x00, 0xc2, 5,      // tick 96, ch 2: bank 8, program 5
    };
    const Bytes notes{
        0x00, 0x90, 60, 100,                     // ch 0: no program change, preset 0:0
        0x00, 0x91, 60, 100,                     // ch 1 at tick 0: program 33 (track 0 comes first)
        0x10, 0x92, 60, 100,                     // ch 2 before its bank select: 0:0
        0x10, 62, 0,                             // running status, velocity 0: a release
        0x60, 0x92, 64, 90,                      // ch 2 after: 8:5, with 0:5 to fall back on
        0x00, 0x99, 36, 100,                     // percussion: 128:0
        0x00, 0xc3, 20, 0x00, 0x93, 60, 0,       // ch 3 only releases: nothing sounded
    };
    const std::set<PresetId> got = sf2cut::presetsSounded(midiFile({conductor, notes}));
    const std::set<PresetId> want{{0, 0}, {0, 33}, {8, 5}, {0, 5}, {128, 0}};
    EXPECT_EQ(got, want);

    // A bank select on the percussion channel selects that bank's kit, and the standard one stays
    // as the fallback.
    const std::set<PresetId> kit = sf2cut::presetsSounded(midiFile({{0x00, 0xb9, 0, 1, 0x00, 0xc9, 25, 0x00, 0x99, 40, 90}}));
    EXPECT_EQ(kit, (std::set<PresetId>{{1, 25}, {128, 25}, {128, 0}}));
}

TEST(Sf2Cut, BrokenMidiFilesAreRefusedNotOverrun) {
    const Bytes whole = midiFile({{0x00, 0xc0, 4, 0x00, 0x90, 60, 100, 0x83, 0x00, 0x80, 60, 0,
                                   0x00, 0xff, 0x03, 3, 'a', 'b', 'c', 0x00, 0xf0, 2, 0x7e, 0xf7}});
    EXPECT_EQ(sf2cut::presetsSounded(whole), (std::set<PresetId>{{0, 4}}));
    // Every shorter file: refused with a reason or read as far as it goes, never read past its end
    // (the sanitizer build catches a read past it).
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(n));
        try {
            sf2cut::presetsSounded(cut);
        } catch (const sf2cut::FormatError& e) {
            EXPECT_NE(std::string(e.what()), "");
        }
    }
    EXPECT_THROW(sf2cut::presetsSounded(midiFile({{0x00, 60, 100}})), sf2cut::FormatError);        // running status first
    EXPECT_THROW(sf2cut::presetsSounded(midiFile({{0x00, 0xff, 0x01, 0x7f}})), sf2cut::FormatError);  // meta past the end
    EXPECT_THROW(sf2cut::presetsSounded(midiFile({{0xff, 0xff, 0xff, 0xff, 0x7f}})), sf2cut::FormatError);  // 5-byte time
    EXPECT_THROW(sf2cut::presetsSounded(Bytes{'R', 'I', 'F', 'F'}), sf2cut::FormatError);
}

// ------------------------------------------------------------- small fonts made on the spot

void putLe(Bytes& out, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

Bytes named(const char* name, std::size_t width = 20) {
    Bytes b(width, 0);
    for (std::size_t i = 0; name[i] != 0 && i < width; ++i) b[i] = static_cast<std::uint8_t>(name[i]);
    return b;
}

Bytes chunk(const std::string& id, const Bytes& data) {
    Bytes out(id.begin(), id.end());
    putLe(out, static_cast<std::uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
    return out;
}

// A pdta array's records, each given as its fields' values and widths.
using Record = std::vector<std::pair<std::uint32_t, int>>;
Bytes records(const std::vector<std::pair<Bytes, Record>>& list) {
    Bytes out;
    for (const auto& [name, fields] : list) {
        out.insert(out.end(), name.begin(), name.end());
        for (const auto& [v, n] : fields) putLe(out, v, n);
    }
    return out;
}

using Arrays = std::vector<std::pair<std::string, Bytes>>;

// One preset (0:0) of one zone naming instrument 0, whose zones each name one sample; every
// sample header lies over the same data, `points` samples long. In file order.
Arrays onePreset(int samples, std::uint32_t points) {
    std::vector<std::pair<Bytes, Record>> ibag, igen, shdr;
    for (int i = 0; i < samples; ++i) {
        ibag.push_back({{}, {{i, 2}, {0, 2}}});
        igen.push_back({{}, {{53, 2}, {static_cast<std::uint32_t>(i), 2}}});
        shdr.push_back({named("s"), {{0, 4}, {points, 4}, {8, 4}, {points - 8, 4}, {22050, 4}, {60, 1}, {0, 1}, {0, 2}, {1, 2}}});
    }
    ibag.push_back({{}, {{static_cast<std::uint32_t>(samples), 2}, {0, 2}}});
    igen.push_back({{}, {{0, 2}, {0, 2}}});
    shdr.push_back({named("EOS"), {{0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 4}, {0, 1}, {0, 1}, {0, 2}, {0, 2}}});
    return {
        {"phdr", records({{named("p"), {{0, 2}, {0, 2}, {0, 2}, {0, 4}, {0, 4}, {0, 4}}},
                          {named("EOP"), {{0, 2}, {0, 2}, {1, 2}, {0, 4}, {0, 4}, {0, 4}}}})},
        {"pbag", records({{{}, {{0, 2}, {0, 2}}}, {{}, {{1, 2}, {0, 2}}}})},
        {"pmod", Bytes(10, 0)},
        {"pgen", records({{{}, {{41, 2}, {0, 2}}}, {{}, {{0, 2}, {0, 2}}}})},
        {"inst", records({{named("i"), {{0, 2}}}, {named("EOI"), {{static_cast<std::uint32_t>(samples), 2}}}})},
        {"ibag", records(ibag)},
        {"imod", Bytes(10, 0)},
        {"igen", records(igen)},
        {"shdr", records(shdr)},
    };
}

Bytes fontFile(const Arrays& arrays, std::uint32_t points) {
    Bytes info{'I', 'N', 'F', 'O'}, sdta{'s', 'd', 't', 'a'}, pdta{'p', 'd', 't', 'a'};
    Bytes version;
    putLe(version, 2, 2);
    putLe(version, 1, 2);
    const Bytes ifil = chunk("ifil", version);
    info.insert(info.end(), ifil.begin(), ifil.end());
    Bytes samples;
    for (std::uint32_t i = 0; i < points; ++i) putLe(samples, (i * 37) & 0x7fff, 2);
    const Bytes smpl = chunk("smpl", samples);
    sdta.insert(sdta.end(), smpl.begin(), smpl.end());
    for (const auto& [id, data] : arrays) {
        const Bytes c = chunk(id, data);
        pdta.insert(pdta.end(), c.begin(), c.end());
    }
    Bytes body{'s', 'f', 'b', 'k'};
    for (const Bytes* list : {&info, &sdta, &pdta}) {
        const Bytes c = chunk("LIST", *list);
        body.insert(body.end(), c.begin(), c.end());
    }
    return chunk("RIFF", body);
}

// The message a cut refuses the font with ("" when it cuts it).
std::string refusal(const Bytes& font) {
    try {
        sf2cut::cutFont(font, std::set<PresetId>{{0, 0}});
        sf2cut::cutFont(font, sf2cut::NotesByPreset{{{0, 0}, {{60, 100}}}});
    } catch (const sf2cut::FormatError& e) {
        return e.what();
    }
    return "";
}

TEST(Sf2Cut, SampleHeadersOverTheSameDataShareOneCopyOfIt) {
    constexpr std::uint32_t kPoints = 5000;
    const Bytes font = fontFile(onePreset(100, kPoints), kPoints);
    sf2cut::CutSummary summary;
    const Bytes cut = sf2cut::cutFont(font, std::set<PresetId>{{0, 0}}, &summary);
    EXPECT_EQ(summary.samples, 100);
    // The data once, its guard of silence after it, the headers and the rest: not a copy per header.
    EXPECT_LT(cut.size(), font.size() + 1000);
    EXPECT_EQ(sf2cut::fontPresets(cut), (std::set<PresetId>{{0, 0}}));
    EXPECT_EQ(sf2cut::cutFont(cut, std::set<PresetId>{{0, 0}}), cut);
    // An empty sample where a longer one starts: the longer one's data is kept all the same.
    Arrays arrays = onePreset(2, 100);
    std::fill(arrays[8].second.begin() + 20, arrays[8].second.begin() + 36, 0);
    const Bytes twoCut = sf2cut::cutFont(fontFile(arrays, 100), std::set<PresetId>{{0, 0}});
    EXPECT_EQ(sf2cut::cutFont(twoCut, std::set<PresetId>{{0, 0}}), twoCut);
    // A loop's end before its sample's start (no loop a synthesiser plays): moved with the rest,
    // not below the data's start.
    arrays = onePreset(1, 100);
    std::fill(arrays[8].second.begin() + 32, arrays[8].second.begin() + 36, 0);
    arrays[8].second[20] = 50;
    const Bytes backLoop = sf2cut::cutFont(fontFile(arrays, 100), std::set<PresetId>{{0, 0}});
    EXPECT_EQ(sf2cut::cutFont(backLoop, std::set<PresetId>{{0, 0}}), backLoop);
}

TEST(Sf2Cut, ZonesNamingTwoInstrumentsOrSamplesAreRefused) {
    ASSERT_EQ(refusal(fontFile(onePreset(2, 100), 100)), "");
    // The preset's zone names instrument 1, then instrument 0; the font has two.
    Arrays twoInstruments = onePreset(2, 100);
    twoInstruments[3].second = records({{{}, {{41, 2}, {1, 2}}}, {{}, {{41, 2}, {0, 2}}}, {{}, {{0, 2}, {0, 2}}}});
    twoInstruments[1].second = records({{{}, {{0, 2}, {0, 2}}}, {{}, {{2, 2}, {0, 2}}}});
    twoInstruments[4].second = records({{named("i"), {{0, 2}}}, {named("j"), {{1, 2}}}, {named("EOI"), {{2, 2}}}});
    EXPECT_EQ(refusal(fontFile(twoInstruments, 100)), "a preset zone of the sound font names two instruments");
    // The instrument's first zone names sample 1, then sample 0.
    Arrays twoSamples = onePreset(2, 100);
    twoSamples[7].second = records({{{}, {{53, 2}, {1, 2}}}, {{}, {{53, 2}, {0, 2}}}, {{}, {{0, 2}, {0, 2}}}});
    twoSamples[5].second = records({{{}, {{0, 2}, {0, 2}}}, {{}, {{2, 2}, {0, 2}}}, {{}, {{2, 2}, {0, 2}}}});
    EXPECT_EQ(refusal(fontFile(twoSamples, 100)), "an instrument zone of the sound font names two samples");
}

TEST(Sf2Cut, PdtaArraysTwiceOrMissingAreRefused) {
    Arrays arrays = onePreset(1, 100);
    arrays[4] = arrays[0];   // phdr twice, no inst
    EXPECT_EQ(refusal(fontFile(arrays, 100)), "the sound font's pdta holds 'phdr' twice");
    arrays = onePreset(1, 100);
    arrays.erase(arrays.begin() + 8);   // no shdr
    EXPECT_EQ(refusal(fontFile(arrays, 100)), "the sound font's pdta lacks its 'shdr' array");
}

class Sf2CutFont : public ::testing::Test {
protected:
    void SetUp() override {
        full = readFile(kFullFont);
        if (full.empty()) GTEST_SKIP() << kFullFont << " is not installed (timgm6mb-soundfont): nothing to cut";
    }
    Bytes full;
};

TEST_F(Sf2CutFont, KeepsExactlyThePresetsAskedForThatTheFontHas) {
    const std::set<PresetId> all = sf2cut::fontPresets(full);
    ASSERT_TRUE(all.count({0, 0}) && all.count({128, 0}));
    const std::set<PresetId> ask{{0, 0}, {0, 33}, {128, 0}, {77, 77}};
    sf2cut::CutSummary summary;
    const Bytes cut = sf2cut::cutFont(full, ask, &summary);
    EXPECT_EQ(sf2cut::fontPresets(cut), (std::set<PresetId>{{0, 0}, {0, 33}, {128, 0}}));
    EXPECT_EQ(summary.presets, 3);
    EXPECT_EQ(summary.fontPresets, static_cast<int>(all.size()));
    EXPECT_LT(cut.size(), full.size() / 2);
    // Cutting the cut again to the same presets changes nothing: the instruments, samples and
    // their data came across whole and in order.
    EXPECT_EQ(sf2cut::cutFont(cut, ask), cut);
    // Nothing asked for: a valid font of no presets.
    EXPECT_TRUE(sf2cut::fontPresets(sf2cut::cutFont(full, std::set<PresetId>{})).empty());
}

TEST_F(Sf2CutFont, NotesKeepOnlyTheZonesThatAnswerThem) {
    // One drum and one piano note: of the kit and the piano only the zones of those keys stay.
    const sf2cut::NotesByPreset few{{{128, 0}, {{36, 100}}}, {{0, 0}, {{60, 64}}}};
    sf2cut::CutSummary byNotes, byPresets;
    const Bytes small = sf2cut::cutFont(full, few, &byNotes);
    sf2cut::cutFont(full, std::set<PresetId>{{128, 0}, {0, 0}}, &byPresets);
    EXPECT_EQ(sf2cut::fontPresets(small), (std::set<PresetId>{{0, 0}, {128, 0}}));
    EXPECT_GE(byNotes.samples, 2);
    EXPECT_LT(byNotes.samples, byPresets.samples);
    // More notes keep at least as much; the same notes again keep the same bytes.
    sf2cut::NotesByPreset more = few;
    more[{128, 0}].insert({38, 100});
    sf2cut::CutSummary byMore;
    sf2cut::cutFont(full, more, &byMore);
    EXPECT_GE(byMore.samples, byNotes.samples);
    EXPECT_EQ(sf2cut::cutFont(small, few), small);
    // A preset asked for that the font lacks is no error: there is nothing of it to keep.
    sf2cut::NotesByPreset absent = few;
    absent[{77, 77}] = {{60, 1}};
    EXPECT_EQ(sf2cut::cutFont(full, absent), small);
}

TEST_F(Sf2CutFont, BrokenFontsAreRefusedNotOverrun) {
    const Bytes small = sf2cut::cutFont(full, std::set<PresetId>{{0, 0}});
    // Cut short at every tenth of its structure and around its arrays: refused, never a read past
    // its end.
    for (std::size_t n : {std::size_t{0}, std::size_t{11}, std::size_t{12}, std::size_t{100}, small.size() / 2,
                          small.size() - 1000, small.size() - 200, small.size() - 47, small.size() - 1}) {
        const Bytes cut(small.begin(), small.begin() + static_cast<long>(n));
        EXPECT_THROW(sf2cut::cutFont(cut, std::set<PresetId>{{0, 0}}), sf2cut::FormatError) << "cut to " << n << " bytes";
    }
    // A preset zone naming an instrument past the last: refused, not followed. The one preset's
    // first generator that names an instrument is found from the end (pdta is the last list).
    Bytes bad = small;
    bool changed = false;
    for (std::size_t at = bad.size() - 4; at > 8 && !changed; --at) {
        if (std::equal(bad.begin() + static_cast<long>(at), bad.begin() + static_cast<long>(at) + 4, "pgen")) {
            const std::size_t gen = at + 8;
            for (std::size_t g = gen; g + 4 <= bad.size() && !changed; g += 4) {
                if (bad[g] == 41 && bad[g + 1] == 0) {
                    bad[g + 2] = 0xff, bad[g + 3] = 0x7f;
                    changed = true;
                }
            }
        }
    }
    ASSERT_TRUE(changed);
    EXPECT_THROW(sf2cut::cutFont(bad, std::set<PresetId>{{0, 0}}), sf2cut::FormatError);
}

}  // namespace
