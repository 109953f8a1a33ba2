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
    // Where `path` holds only the characters its program draws at start (a web page's small
    // cut), the file the whole face will be in once it has come; empty for a whole face.
    std::string whole;
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

// Whether the whole faces of the cuts matchFace named (FaceLocation::whole) are there to open.
// With `wait`, waits until they are (saying so on standard error); false then only when they can
// never come. True where every face is whole from the start (the desktop).
bool wholeFacesHere(bool wait);

// Whether the cuts draw `c` exactly as the whole faces do: true for every character they were cut
// for, whether or not the face has a glyph for it (without one, neither face has), and everywhere
// on the desktop.
bool cutDraws(char32_t c);

}  // namespace platform::fonts
