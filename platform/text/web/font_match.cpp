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

void stopMatcher() {}

bool matchFace(const std::vector<const char*>& families, bool, bool exact, FaceLocation& out) {
    const auto readable = [](const std::string& path) {
        std::FILE* probe = std::fopen(path.c_str(), "rb");
        if (probe != nullptr) std::fclose(probe);
        return probe != nullptr;
    };
    return matchPackedFace(families, exact, kGothicFile, kMinchoFile, readable, out);
}

}  // namespace platform::fonts
