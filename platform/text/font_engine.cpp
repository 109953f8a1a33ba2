// Platform: FreeType faces of the files the font matcher names, and a small pool of sized faces
// whose rendered glyphs are kept.
#include "platform/window/program_name.h"
#include "platform/text/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>

#include "platform/text/font_match.h"
#include "platform/files/os.h"
#include "platform/files/text_codec.h"
#include "platform/backend.h"

namespace platform {
namespace {

constexpr int kSizedFaces = 32;           // sized faces kept at once; the least recently used goes
constexpr int kDefaultCellHeight = 16;    // a height of 0 asks for the default size
constexpr int kMaxPixelSize = 1024;       // larger requests are drawn at this size
constexpr std::size_t kMaxGlyphs = 4096;  // glyphs kept per sized face before they are dropped
constexpr std::size_t kMaxNames = 64;     // face names remembered with their match
constexpr FT_Fixed kObliqueShear = 0x0366A;   // about 12 degrees of slant for synthesised italics

// An opened font file.
struct FaceFile {
    std::string path;
    int index = 0;
    os::MappedFile bytes;    // the whole file, mapped (UTF-8 names on every system); FreeType
                             // reads it in place for as long as the face is open
    FT_Face face = nullptr;
    long unitsPerEm = 1000;
    long winAscent = 800;
    long winDescent = 200;
    long avgCharWidth = 500;
    char32_t replacement = U'?';
    // Where this file holds only what its program draws at start, the whole face's file, which
    // takes its place once it has come (see takeWholeFaces).
    std::string whole;
    FaceFile() = default;
    FaceFile(const FaceFile&) = delete;
    FaceFile& operator=(const FaceFile&) = delete;
    ~FaceFile() {
        if (face != nullptr) FT_Done_Face(face);   // before its bytes go
    }
};

// What makes two fonts draw alike: everything but the underline, which is drawn per call.
struct SizeKey {
    char faceName[32] = {};
    std::int32_t height = 0;       // > 0 cell height, < 0 em height, in pixels
    std::int32_t width = 0;        // 0 for the face's own proportions
    std::int32_t escapement = 0;   // 0 to 3599
    bool bold = false;
    bool italic = false;
    bool operator==(const SizeKey&) const = default;
};

SizeKey makeKey(const LogFont& f) {
    SizeKey k;
    std::size_t n = strnlen(f.lfFaceName, sizeof f.lfFaceName);
    std::memcpy(k.faceName, f.lfFaceName, n);
    // The sign says which height is meant; the size is capped so that a wild request cannot ask
    // for gigabytes of glyphs.
    std::int64_t h = f.lfHeight;
    if (h == 0) h = kDefaultCellHeight;
    if (h > kMaxPixelSize) h = kMaxPixelSize;
    if (h < -kMaxPixelSize) h = -kMaxPixelSize;
    k.height = static_cast<std::int32_t>(h);
    std::int64_t w = std::llabs(static_cast<std::int64_t>(f.lfWidth));
    k.width = static_cast<std::int32_t>(w > kMaxPixelSize ? kMaxPixelSize : w);
    k.escapement = static_cast<std::int32_t>(((static_cast<std::int64_t>(f.lfEscapement) % 3600) + 3600) % 3600);
    k.bold = f.lfWeight >= 600;   // semi-bold and heavier are drawn bold
    k.italic = f.lfItalic != 0;
    return k;
}

}  // namespace

struct FontFace {
    bool inUse = false;
    SizeKey key;
    FaceFile* file = nullptr;
    FT_Size size = nullptr;
    FontMetrics metrics;
    bool rotated = false;
    FT_Matrix rotation{};
    FT_Pos boldStrength = 0;       // 26.6
    std::uint64_t lastUse = 0;
    Glyph ascii[128];
    bool asciiReady[128] = {};
    std::unordered_map<char32_t, Glyph> others;
};

namespace {

struct EngineState {
    bool started = false;
    FT_Library library = nullptr;
    std::vector<std::unique_ptr<FaceFile>> files;
    std::vector<std::pair<std::string, FaceFile*>> names;
    FontFace faces[kSizedFaces];
    std::uint64_t clock = 0;
    bool noFontSaid = false;
    bool noJapaneseSaid = false;
    bool endRegistered = false;
    bool cutsOpen = false;        // a file of `files` is a cut whose whole face has not been taken
    // prepareFonts' thread, which has the state above to itself until the first text joins it.
    std::thread preparing;
};

EngineState engine;
const LogFont kDefaultLogFont{};

void finishPreparing() {
    if (engine.preparing.joinable()) engine.preparing.join();
}

// At the process's end, on the thread that registered it, once: a preparation still under way
// is waited for, then the matcher ends.
void endFonts() {
    finishPreparing();
    if (engine.started) fonts::stopMatcher();
}

void registerEnd() {
    if (!engine.endRegistered) {
        engine.endRegistered = true;
        std::atexit(endFonts);
    }
}

// The library and the matcher, started on the calling thread.
bool startHere() {
    if (!engine.started) {
        engine.started = true;
        if (FT_Init_FreeType(&engine.library) != 0) engine.library = nullptr;
        fonts::startMatcher();
    }
    return engine.library != nullptr;
}

bool start() {
    finishPreparing();
    registerEnd();
    return startHere();
}

FaceFile* openFile(const char* path, int index) {
    for (auto& f : engine.files)
        if (f->path == path && f->index == index) return f.get();
    // The file is mapped here rather than opened by FreeType, whose own opening takes the
    // system's narrow names (on Windows a Japanese folder would not open); reading it through a
    // stream instead would cost a seek and a read for each of FreeType's many small reads.
    auto file = std::make_unique<FaceFile>();
    if (!file->bytes.open(path, 0x7FFFFFFF)) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(engine.library, file->bytes.data(), static_cast<FT_Long>(file->bytes.size()), index,
                           &face) != 0)
        return nullptr;
    if (!FT_IS_SCALABLE(face)) {
        FT_Done_Face(face);
        return nullptr;
    }
    file->path = path;
    file->index = index;
    file->face = face;
    file->unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    // The cell is the face's Windows ascent and descent, as the classic renderer measures it.
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        file->winAscent = os2->usWinAscent;
        file->winDescent = os2->usWinDescent;
    } else if (face->ascender - face->descender > 0) {
        file->winAscent = face->ascender;
        file->winDescent = -face->descender;
    } else {
        file->winAscent = file->unitsPerEm * 4 / 5;
        file->winDescent = file->unitsPerEm - file->winAscent;
    }
    file->avgCharWidth = (os2 != nullptr && os2->xAvgCharWidth > 0) ? os2->xAvgCharWidth
                                                                     : file->unitsPerEm / 2;
    // The geta mark is the customary Japanese stand-in for a character that cannot be shown.
    for (char32_t c : {U'\uFFFD', U'\u3013', U'?'}) {
        if (FT_Get_Char_Index(face, c) != 0) {
            file->replacement = c;
            break;
        }
    }
    engine.files.push_back(std::move(file));
    return engine.files.back().get();
}

// The matcher's best face for `families` (in order of preference), opened. With `exact`, the
// answer counts only if it carries the first family's name.
FaceFile* match(const std::vector<const char*>& families, bool japanese, bool exact) {
    fonts::FaceLocation found;
    if (!fonts::matchFace(families, japanese, exact, found)) return nullptr;
    FaceFile* file = openFile(found.path.c_str(), found.index);
    if (file != nullptr && !found.whole.empty() && file->whole.empty() && file->path != found.whole) {
        file->whole = found.whole;
        engine.cutsOpen = true;
    }
    if (file != nullptr && japanese && !found.japanese && !engine.noJapaneseSaid) {
        engine.noJapaneseSaid = true;
        platform::say(
                     "no Japanese font is installed (IPAexGothic and IPAexMincho are "
                     "expected); text is drawn with %s and Japanese characters may not show\n",
                     found.family.c_str());
    }
    return file;
}

FaceFile* gothic() { return match({"IPAexGothic", "IPAGothic", "sans-serif"}, true, false); }
FaceFile* mincho() { return match({"IPAexMincho", "IPAMincho", "serif"}, true, false); }

FaceFile* faceForName(const std::string& name) {
    for (auto& entry : engine.names)
        if (entry.first == name) return entry.second;
    std::string utf8 = sjisToUtf8(name.data(), name.size());
    FaceFile* file = nullptr;
    if (utf8 == "標準明朝") {
        file = mincho();
    } else if (utf8.empty() || utf8 == "標準ゴシック") {
        file = gothic();
    } else {
        file = match({utf8.c_str()}, false, true);
        if (file == nullptr) file = gothic();
    }
    if (file == nullptr) file = match({"sans-serif"}, false, false);
    if (engine.names.size() >= kMaxNames) engine.names.clear();
    engine.names.emplace_back(name, file);
    return file;
}

long roundDiv(double v) { return std::lround(v); }

void dropGlyphs(FontFace& f) {
    for (int i = 0; i < 128; ++i) {
        f.asciiReady[i] = false;
        f.ascii[i].spans.clear();
    }
    f.others.clear();
}

void release(FontFace& f) {
    if (f.size != nullptr) FT_Done_Size(f.size);
    f.size = nullptr;
    f.inUse = false;
    dropGlyphs(f);
}

bool setUp(FontFace& f, const SizeKey& key, FaceFile* file) {
    f.key = key;
    f.file = file;
    if (FT_New_Size(file->face, &f.size) != 0) {
        f.size = nullptr;
        return false;
    }
    FT_Activate_Size(f.size);
    double upem = static_cast<double>(file->unitsPerEm);
    double emPx = key.height > 0 ? key.height * upem / static_cast<double>(file->winAscent + file->winDescent)
                                 : -static_cast<double>(key.height);
    if (emPx < 1.0) emPx = 1.0;
    double emPxX = key.width > 0 ? key.width * upem / static_cast<double>(file->avgCharWidth) : emPx;
    if (emPxX < 1.0) emPxX = 1.0;
    if (emPxX > 2.0 * kMaxPixelSize) emPxX = 2.0 * kMaxPixelSize;
    if (FT_Set_Char_Size(file->face, static_cast<FT_F26Dot6>(std::lround(emPxX * 64)),
                         static_cast<FT_F26Dot6>(std::lround(emPx * 64)), 72, 72) != 0) {
        FT_Done_Size(f.size);
        f.size = nullptr;
        return false;
    }
    FontMetrics& m = f.metrics;
    m.ascent = static_cast<int>(roundDiv(file->winAscent * emPx / upem));
    if (key.height > 0) {
        // A cell height is kept exactly, whatever the rounding of its parts.
        if (m.ascent > key.height) m.ascent = key.height;
        m.descent = key.height - m.ascent;
    } else {
        m.descent = static_cast<int>(roundDiv(file->winDescent * emPx / upem));
    }
    if (m.ascent + m.descent < 1) m.ascent = 1;
    m.height = m.ascent + m.descent;
    m.aveCharWidth = static_cast<int>(roundDiv(file->avgCharWidth * emPxX / upem));
    m.weight = key.bold ? 700 : 400;
    m.italic = key.italic;
    FT_Face face = file->face;
    int thick = static_cast<int>(roundDiv(face->underline_thickness * emPx / upem));
    if (thick < 1) thick = 1;
    int offset = static_cast<int>(roundDiv(-face->underline_position * emPx / upem)) - thick / 2;
    // The underline stays inside the cell, so that an opaque background covers it.
    if (offset > m.descent - thick) offset = m.descent - thick;
    if (offset < 0) offset = 0;
    m.underlineOffset = offset;
    m.underlineThickness = thick;
    m.escapement = key.escapement;
    f.boldStrength = key.bold ? std::max<FT_Pos>(64, std::lround(emPx * 64 / 24)) : 0;
    f.rotated = key.escapement != 0;
    double angle = key.escapement * std::numbers::pi / 1800.0;
    f.rotation.xx = static_cast<FT_Fixed>(std::lround(std::cos(angle) * 65536.0));
    f.rotation.xy = static_cast<FT_Fixed>(std::lround(-std::sin(angle) * 65536.0));
    f.rotation.yx = -f.rotation.xy;
    f.rotation.yy = f.rotation.xx;
    f.inUse = true;
    return true;
}

// Turns the rendered bitmap of the glyph slot into spans around the pen position.
void collectSpans(FT_GlyphSlot slot, Glyph& g) {
    const FT_Bitmap& b = slot->bitmap;
    if (b.buffer == nullptr || b.pixel_mode != FT_PIXEL_MODE_MONO) return;
    int pitch = b.pitch < 0 ? -b.pitch : b.pitch;
    for (unsigned r = 0; r < b.rows; ++r) {
        const unsigned char* row = b.buffer + static_cast<std::size_t>(b.pitch >= 0 ? r : b.rows - 1 - r) * pitch;
        long dy = static_cast<long>(r) - slot->bitmap_top;
        unsigned c = 0;
        while (c < b.width) {
            while (c < b.width && !((row[c >> 3] >> (7 - (c & 7))) & 1)) ++c;
            if (c >= b.width) break;
            unsigned start = c;
            while (c < b.width && ((row[c >> 3] >> (7 - (c & 7))) & 1)) ++c;
            long x0 = slot->bitmap_left + static_cast<long>(start);
            long x1 = slot->bitmap_left + static_cast<long>(c);
            if (dy < -32768 || dy > 32767 || x0 < -32768 || x1 > 32767) continue;
            if (g.spans.empty()) {
                g.left = static_cast<int>(x0);
                g.right = static_cast<int>(x1);
                g.top = static_cast<int>(dy);
            }
            g.left = std::min(g.left, static_cast<int>(x0));
            g.right = std::max(g.right, static_cast<int>(x1));
            g.bottom = static_cast<int>(dy) + 1;
            g.spans.push_back({static_cast<std::int16_t>(dy), static_cast<std::int16_t>(x0),
                               static_cast<std::int16_t>(x1)});
        }
    }
}

void render(FontFace& f, char32_t c, Glyph& g) {
    g.spans.clear();
    g.left = g.top = g.right = g.bottom = 0;
    g.advanceX = g.advanceY = 0;
    FT_Face face = f.file->face;
    FT_Activate_Size(f.size);
    FT_UInt index = FT_Get_Char_Index(face, c);
    // Monochrome with the automatic hinter: crisp at the small sizes of a 480 x 360 screen, and
    // the same pixels in every surface format.
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO | FT_LOAD_FORCE_AUTOHINT) != 0) {
        g.advanceX = (f.metrics.aveCharWidth > 0 ? f.metrics.aveCharWidth : 1) * 64;
        return;
    }
    FT_GlyphSlot slot = face->glyph;
    FT_Vector advance{slot->advance.x, 0};
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (f.key.italic) {
            FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
        if (f.boldStrength > 0) {
            FT_Outline_EmboldenXY(&slot->outline, f.boldStrength, f.boldStrength);
            // Bold text is wider by whole pixels, so that upright text stays on the pixel grid.
            advance.x += (f.boldStrength + 63) & ~63;
        }
        if (f.rotated) {
            FT_Outline_Transform(&slot->outline, &f.rotation);
            FT_Vector_Transform(&advance, &f.rotation);
        }
    }
    if (!f.rotated) advance.x = (advance.x + 32) & ~63;
    g.advanceX = static_cast<std::int32_t>(advance.x);
    g.advanceY = static_cast<std::int32_t>(-advance.y);   // screen rows grow downward
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0) collectSpans(slot, g);
}

// Puts the whole faces in the place of the cuts opened so far: each sized face of a cut is set up
// again on its whole face, with the same measures (the cuts are checked at build time to draw
// every character they hold exactly as the whole faces do), so the glyphs it keeps stay right
// and whatever an operation holds stays valid. Callers make sure the whole faces are there.
void takeWholeFaces() {
    engine.cutsOpen = false;
    for (std::size_t i = 0; i < engine.files.size(); ++i) {
        FaceFile* cut = engine.files[i].get();
        if (cut->whole.empty()) continue;
        std::string wholePath = cut->whole;
        cut->whole.clear();
        FaceFile* whole = openFile(wholePath.c_str(), cut->index);
        if (whole == nullptr) {
            platform::say("the whole face %s cannot be opened; characters the page's cut of it lacks are "
                          "drawn as missing\n", wholePath.c_str());
            continue;
        }
        bool stillUsed = false;
        for (FontFace& f : engine.faces) {
            if (!f.inUse || f.file != cut) continue;
            FT_Size old = f.size;
            f.size = nullptr;
            if (setUp(f, f.key, whole)) {
                FT_Done_Size(old);
            } else {   // kept on the cut, which draws what it holds alike
                if (f.size != nullptr) FT_Done_Size(f.size);
                f.size = old;
                f.file = cut;
                f.inUse = true;
                stillUsed = true;
            }
        }
        for (auto& entry : engine.names)
            if (entry.second == cut) entry.second = whole;
        if (!stillUsed) {
            engine.files.erase(engine.files.begin() + static_cast<std::ptrdiff_t>(i));
            --i;
        }
    }
}

// The glyph of `c` from a cut that was not made for it: the whole face is waited for (a text
// that needs it is drawn right or not yet, never with a wrong or missing glyph) and taken.
void needWholeFace(FontFace& f, char32_t c) {
    if (f.file->whole.empty() || fonts::cutDraws(c)) return;
    if (fonts::wholeFacesHere(true)) takeWholeFaces();
}

}  // namespace

void prepareFaces() {
    // A preparation under way owns `started`: it is not read until the thread is joined.
    if (engine.preparing.joinable() || engine.started || !backend::describe().threads) return;
    registerEnd();
    engine.preparing = std::thread([] {
        if (!startHere()) return;
        // The framework's two faces under the names its texts ask for (code-page text), and the
        // default font's empty name: what the first frames draw with.
        for (const char* utf8 : {"標準ゴシック", "標準明朝", ""}) {
            char name[32];
            faceForName(std::string(name, utf8ToSjis(utf8, name, sizeof name)));
        }
    });
}

FontFace* resolveFont(const LogFont& font, FontFace* hint) {
    finishPreparing();
    // Between operations, the whole faces take the cuts' place as soon as they are there.
    if (engine.cutsOpen && fonts::wholeFacesHere(false)) takeWholeFaces();
    SizeKey key = makeKey(font);
    ++engine.clock;
    FontFace* found = nullptr;
    if (hint != nullptr && hint->inUse && hint->key == key) found = hint;
    for (int i = 0; found == nullptr && i < kSizedFaces; ++i)
        if (engine.faces[i].inUse && engine.faces[i].key == key) found = &engine.faces[i];
    if (found != nullptr) {
        found->lastUse = engine.clock;
        // Glyphs are dropped only here, between operations, never while one holds them.
        if (found->others.size() > kMaxGlyphs) found->others.clear();
        return found;
    }
    if (!start()) return nullptr;
    FaceFile* file = faceForName(std::string(key.faceName, strnlen(key.faceName, sizeof key.faceName)));
    if (file == nullptr) {
        if (!engine.noFontSaid) {
            engine.noFontSaid = true;
            platform::say("no font can be opened (the font matcher offers none); text is not drawn\n");
        }
        return nullptr;
    }
    FontFace* slot = &engine.faces[0];
    for (int i = 0; i < kSizedFaces; ++i) {
        FontFace& f = engine.faces[i];
        if (!f.inUse) {
            slot = &f;
            break;
        }
        if (f.lastUse < slot->lastUse) slot = &f;
    }
    release(*slot);
    if (!setUp(*slot, key, file)) {
        release(*slot);
        return nullptr;
    }
    slot->lastUse = engine.clock;
    return slot;
}

const LogFont& defaultLogFont() { return kDefaultLogFont; }

const FontMetrics& fontMetrics(const FontFace* face) { return face->metrics; }

const Glyph& glyphFor(FontFace* face, char32_t c) {
    if (c < 128) {
        if (!face->asciiReady[c]) {
            needWholeFace(*face, c);
            render(*face, c, face->ascii[c]);
            face->asciiReady[c] = true;
        }
        return face->ascii[c];
    }
    auto it = face->others.find(c);
    if (it != face->others.end()) return it->second;
    needWholeFace(*face, c);
    Glyph& g = face->others[c];
    render(*face, c, g);
    return g;
}

char32_t replacementChar(FontFace* face) { return face->file->replacement; }

const char* fontFile(const FontFace* face) { return face->file->path.c_str(); }

const char* fontFamily(const FontFace* face) {
    const char* name = face->file->face->family_name;
    return name != nullptr ? name : "";
}

}  // namespace platform
