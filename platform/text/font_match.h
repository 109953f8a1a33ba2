// Platform: which font file draws a face name (platform/ only). The desktop asks fontconfig
// (font_match.cpp); the web build knows the files it packed (web/font_match.cpp).
#pragma once
#include <string>
#include <vector>

namespace platform::fonts {

struct FaceLocation {
    std::string path;
    int index = 0;               // the face within a collection file
    bool japanese = false;       // the face has Japanese characters (あ, 漢)
    std::string family;          // the face's family, for messages
};

// Called once, before the first match; false (said on standard error) when the matcher has no
// configuration. Matching may still give the built-in fallbacks.
bool startMatcher();

// Called once at the process's end, after the last match (and after startMatcher, which may not
// have finished on another thread until then): what the matcher holds is let go.
void stopMatcher();

// The best face for `families`, in order of preference; with `japanese`, faces with Japanese
// characters are preferred. With `exact`, the answer counts only if it carries the first family's
// name. False when there is no such face.
bool matchFace(const std::vector<const char*>& families, bool japanese, bool exact, FaceLocation& out);

}  // namespace platform::fonts
