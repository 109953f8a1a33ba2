// Web backend: the faces the page packs. The two Japanese faces (IPAex Gothic and Mincho, cut to
// what code page 932 can encode, which is all the text can hold, and renamed as their licence
// asks of a cut) lie in the program's file system under /fonts; every family asked for is one
// of them.
#include "platform/text/font_match.h"
#include "platform/text/packed_faces.h"

#include <cstdio>

namespace platform::fonts {
namespace {

constexpr const char* kGothicFile = "/fonts/quorbix-gothic.woff2";
constexpr const char* kMinchoFile = "/fonts/quorbix-mincho.woff2";

}  // namespace

bool startMatcher() { return true; }

bool matchFace(const std::vector<const char*>& families, bool, bool exact, FaceLocation& out) {
    if (families.empty()) return false;
    const char* file = nullptr;
    for (const char* f : families) {
        if (isMinchoFamily(f)) file = kMinchoFile;
        else if (isGothicFamily(f)) file = kGothicFile;
        if (file != nullptr || exact) break;
    }
    // Any other family is drawn with the Gothic face, as a desktop without it would choose.
    if (file == nullptr) {
        if (exact) return false;
        file = kGothicFile;
    }
    std::FILE* probe = std::fopen(file, "rb");
    if (probe == nullptr) return false;
    std::fclose(probe);
    out.path = file;
    out.index = 0;
    out.japanese = true;
    out.family = file == kMinchoFile ? "Quorbix Mincho" : "Quorbix Gothic";
    return true;
}

}  // namespace platform::fonts
