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

void stopMatcher() {}

bool matchFace(const std::vector<const char*>& families, bool, bool exact, FaceLocation& out) {
    const auto regular = [](const std::string& path) { return os::kindOf(path) == os::Kind::regular; };
    return matchPackedFace(families, exact, fontsFolder() + kGothicFile, fontsFolder() + kMinchoFile, regular, out);
}

bool wholeFacesHere(bool) { return true; }   // the installed faces are whole

bool cutDraws(char32_t) { return true; }

}  // namespace platform::fonts
