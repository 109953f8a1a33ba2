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
