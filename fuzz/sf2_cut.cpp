// fuzz-sf2_cut: random bytes cut as a sound font, to every preset it holds and to a few notes of
// two presets. A font the cutter takes must come out as one it takes again, and cut to the same
// presets once more, the same bytes; a font it refuses is refused with a FormatError, nothing else.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "tools/sf2_cut.h"

namespace {

[[noreturn]] void wrong(const char* what, const char* why) {
    std::fprintf(stderr, "fuzz-sf2_cut: %s: %s\n", what, why);
    std::abort();
}

// Cuts the font; for one the cutter took, checks the cut against itself.
template <typename Keep>
void cutAndRecut(const sf2cut::Bytes& font, const Keep& keep) {
    sf2cut::Bytes cut;
    try {
        cut = sf2cut::cutFont(font, keep);
    } catch (const sf2cut::FormatError&) {
        return;
    }
    try {
        if (sf2cut::cutFont(cut, keep) != cut) wrong("a cut", "cut again it changes");
    } catch (const sf2cut::FormatError& e) {
        wrong("a cut is refused", e.what());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const sf2cut::Bytes font(data, data + size);
    std::set<sf2cut::PresetId> presets;
    try {
        presets = sf2cut::fontPresets(font);
    } catch (const sf2cut::FormatError&) {
        return 0;
    }
    cutAndRecut(font, presets);
    cutAndRecut(font, sf2cut::NotesByPreset{{{0, 0}, {{30, 100}, {60, 20}}}, {{128, 0}, {{36, 127}}}});
    return 0;
}
