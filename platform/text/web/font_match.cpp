// Web backend: the faces the page packs. The two Japanese faces (IPAex Gothic and Mincho, cut to
// what code page 932 can encode, which is all the text can hold, and renamed as their licence
// asks of a cut) are what every family asked for is drawn with.
//
// A page built with a small cut of each face (the characters its program draws at start, with
// the list of them in /fonts/start/chars.txt) packs the cuts under /fonts/start; the page's
// script fetches the whole faces after the first frame (page/quorbix-page.js), and they are
// written under /fonts when the program first asks for them after that, or when a text needs a
// character the cuts were not made for, which waits for them. A page without cuts packs the whole
// faces under /fonts.
#include "platform/text/font_match.h"
#include "platform/text/packed_faces.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/window/program_name.h"

namespace platform::fonts {
namespace {

constexpr const char* kGothicFile = "/fonts/quorbix-gothic.woff2";
constexpr const char* kMinchoFile = "/fonts/quorbix-mincho.woff2";
constexpr const char* kGothicCut = "/fonts/start/quorbix-gothic.woff2";
constexpr const char* kMinchoCut = "/fonts/start/quorbix-mincho.woff2";
constexpr const char* kCutChars = "/fonts/start/chars.txt";

bool readable(const std::string& path) {
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe != nullptr) std::fclose(probe);
    return probe != nullptr;
}

// The whole faces as the page's script holds them once fetched, written into the file system:
// 1 when they are there (now or before), 0 when not yet, -1 when they never will be (a page that
// fetches none). `start` asks the script to fetch them now if it has not begun.
EM_JS(int, pageTakeWholeFaces, (int start), {
    const w = Module.page && Module.page.wholeFaces;
    if (!w || !w.fetch) return -1;
    if (w.state === 'taken') return 1;
    if (w.state === 'here') {
        for (const name of Object.keys(w.files)) FS.writeFile('/fonts/' + name, w.files[name]);
        w.files = null;
        w.state = 'taken';
        w.takenMs = performance.now();
        return 1;
    }
    if (start) w.fetch();
    return 0;
});

// A text waited for the whole faces from `fromMs` to `toMs` (the page's clock): kept in the
// page's record (page.wholeFaces.waits) beside what standard error says.
EM_JS(void, pageNoteWait, (double fromMs, double toMs), {
    const w = Module.page && Module.page.wholeFaces;
    if (w) w.waits.push({ fromMs, toMs });
});

int wholeState = 0;   // pageTakeWholeFaces' answer once it is not 0

}  // namespace

bool startMatcher() { return true; }

void stopMatcher() {}

bool matchFace(const std::vector<const char*>& families, bool, bool exact, FaceLocation& out) {
    if (readable(kGothicFile) || !readable(kGothicCut))
        return matchPackedFace(families, exact, kGothicFile, kMinchoFile, readable, out);
    if (!matchPackedFace(families, exact, kGothicCut, kMinchoCut, readable, out)) return false;
    out.whole = out.path == kMinchoCut ? kMinchoFile : kGothicFile;
    return true;
}

bool wholeFacesHere(bool wait) {
    if (wholeState == 0) wholeState = pageTakeWholeFaces(wait ? 1 : 0);
    if (wholeState != 0 || !wait) return wholeState > 0;
    double from = emscripten_get_now();
    platform::say("a text needs a character outside the page's cut of its faces: waiting for the whole faces\n");
    while ((wholeState = pageTakeWholeFaces(1)) == 0) emscripten_sleep(10);
    double to = emscripten_get_now();
    pageNoteWait(from, to);
    if (wholeState > 0) platform::say("the whole faces came after %.0f ms of waiting\n", to - from);
    return wholeState > 0;
}

bool cutDraws(char32_t c) {
    static std::vector<char32_t> chars;
    static bool read = false;
    if (!read) {
        read = true;
        if (std::FILE* f = std::fopen(kCutChars, "r")) {
            unsigned v = 0;
            while (std::fscanf(f, " U+%x", &v) == 1) chars.push_back(static_cast<char32_t>(v));
            std::fclose(f);
            std::sort(chars.begin(), chars.end());
        }
    }
    return std::binary_search(chars.begin(), chars.end(), c);
}

}  // namespace platform::fonts
