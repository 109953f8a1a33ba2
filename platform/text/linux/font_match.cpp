// Platform: face names matched to font files through fontconfig.
#include "platform/window/program_name.h"
#include "platform/text/font_match.h"

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>

namespace platform::fonts {
namespace {

bool hasJapanese(FcPattern* match) {
    FcCharSet* cs = nullptr;
    if (FcPatternGetCharSet(match, FC_CHARSET, 0, &cs) != FcResultMatch) return false;
    return FcCharSetHasChar(cs, 0x3042) && FcCharSetHasChar(cs, 0x6F22);   // あ, 漢
}

std::string familyOf(FcPattern* match) {
    FcChar8* fam = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch) return reinterpret_cast<char*>(fam);
    return "an unnamed face";
}

}  // namespace

bool startMatcher() {
    if (FcInit()) return true;
    platform::say("fontconfig could not load its configuration\n");
    return false;
}

void stopMatcher() { FcFini(); }   // nothing of fontconfig's is held past a match

bool matchFace(const std::vector<const char*>& families, bool japanese, bool exact, FaceLocation& out) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    for (const char* f : families) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(f));
    if (japanese) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (found == nullptr) return false;
    bool accepted = true;
    if (exact) {
        accepted = false;
        FcChar8* fam = nullptr;
        for (int i = 0; FcPatternGetString(found, FC_FAMILY, i, &fam) == FcResultMatch; ++i)
            if (FcStrCmpIgnoreCase(fam, reinterpret_cast<const FcChar8*>(families[0])) == 0) accepted = true;
    }
    FcChar8* path = nullptr;
    int index = 0;
    if (accepted && FcPatternGetString(found, FC_FILE, 0, &path) == FcResultMatch) {
        FcPatternGetInteger(found, FC_INDEX, 0, &index);
        out.path = reinterpret_cast<const char*>(path);
        out.index = index;
        out.japanese = hasJapanese(found);
        out.family = familyOf(found);
    } else {
        accepted = false;
    }
    FcPatternDestroy(found);
    return accepted;
}

bool wholeFacesHere(bool) { return true; }   // the installed faces are whole

bool cutDraws(char32_t) { return true; }

}  // namespace platform::fonts
