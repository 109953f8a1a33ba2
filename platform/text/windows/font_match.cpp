// Platform on Windows: the faces in the fonts folder beside the program. Windows has no
// fontconfig; the package carries the two Japanese faces (IPAex Gothic and Mincho, under the file
// names the web build gives them) and every family asked for is one of them, as on the web.
#include "platform/text/font_match.h"
#include "platform/text/packed_faces.h"

#include "platform/files/os.h"
#include "platform/window/program_name.h"

namespace platform::fonts {
namespace {

constexpr const char* kGothicFile = "quorbix-gothic.ttf";
constexpr const char* kMinchoFile = "quorbix-mincho.ttf";

std::string fontsFolder() { return os::executableFolder() + "fonts" + os::kSeparator; }

}  // namespace

bool startMatcher() {
    if (os::kindOf(fontsFolder() + kGothicFile) == os::Kind::regular) return true;
    platform::say("the fonts are missing from %s\n", fontsFolder().c_str());
    return false;
}

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
    const std::string path = fontsFolder() + file;
    if (os::kindOf(path) != os::Kind::regular) return false;
    out.path = path;
    out.index = 0;
    out.japanese = true;
    out.family = file == kMinchoFile ? "Quorbix Mincho" : "Quorbix Gothic";
    return true;
}

}  // namespace platform::fonts
