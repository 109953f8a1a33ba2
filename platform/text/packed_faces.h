// The family names a program may ask for where the two Japanese faces come with it (the web page,
// the Windows package) instead of from fontconfig: each names the Mincho or the Gothic face.
#pragma once

#include <strings.h>

#include <string>
#include <vector>

#include "platform/text/font_match.h"

namespace platform::fonts {

inline bool isMinchoFamily(const char* family) {
    return strcasecmp(family, "IPAexMincho") == 0 || strcasecmp(family, "IPAMincho") == 0 ||
           strcasecmp(family, "serif") == 0;
}

inline bool isGothicFamily(const char* family) {
    return strcasecmp(family, "IPAexGothic") == 0 || strcasecmp(family, "IPAGothic") == 0 ||
           strcasecmp(family, "sans-serif") == 0;
}

// matchFace where the two faces are the files `gothic` and `mincho`: the first family named that
// is one of them (with `exact`, the first family alone); any other family is drawn with the
// Gothic face, as a desktop without it would choose, unless `exact`. False when the chosen file
// is not there (`exists`).
inline bool matchPackedFace(const std::vector<const char*>& families, bool exact, const std::string& gothic,
                            const std::string& mincho, bool (*exists)(const std::string&), FaceLocation& out) {
    if (families.empty()) return false;
    const std::string* file = nullptr;
    for (const char* f : families) {
        if (isMinchoFamily(f)) file = &mincho;
        else if (isGothicFamily(f)) file = &gothic;
        if (file != nullptr || exact) break;
    }
    if (file == nullptr) {
        if (exact) return false;
        file = &gothic;
    }
    if (!exists(*file)) return false;
    out.path = *file;
    out.index = 0;
    out.japanese = true;
    out.family = file == &mincho ? "Quorbix Mincho" : "Quorbix Gothic";
    return true;
}

}  // namespace platform::fonts
