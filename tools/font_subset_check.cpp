// Checks that a subset of a font draws every character the framework can draw exactly as the
// full font does, with the load and render options of platform/text/font_engine.cpp.
//
//   font_subset_check --repertoire                 prints the characters, one "U+XXXX" a line
//   font_subset_check FULL.ttf SUBSET.ttf [SIZES]  compares; SIZES like 12,16,18 (cell heights)
//   font_subset_check --chars LIST FULL SUBSET [SIZES]
//                                                  compares the characters LIST names ("U+XXXX" a
//                                                  line), for a cut of what one program draws
//
// The repertoire is what text can turn into on its way to the renderer: every character that
// code page 932 decodes to (one byte, or a lead and a trail byte, through the C library's iconv),
// the ASCII range that the decoder passes through unconverted, and the stand-ins the renderer
// uses for a character it cannot show. For each character and size both fonts load the glyph
// with the engine's flags and must agree on the hinted outline, the advance, and the
// monochrome bitmap with its offsets. Bold, italic and rotated text are transforms of that
// outline, so an equal outline draws equally in every style. The face values the engine reads
// (units per em, the Windows ascent and descent, the average width, the underline) must agree
// too. Exits 1 on the first differences (up to 20 are listed), 2 on a usage or file error.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <iconv.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// The options font_engine.cpp renders with: monochrome, the automatic hinter, no embedded bitmaps.
constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO | FT_LOAD_FORCE_AUTOHINT;
constexpr int kDefaultSizes[] = {12, 16, 18, 24, 28, 30, 36, 56, 72};
constexpr int kMaxReported = 20;

// Decodes `bytes` as code page 932; adds what comes out when the whole input converts.
void decodeInto(iconv_t cd, const unsigned char* bytes, std::size_t n, std::set<char32_t>& out) {
    char in[2];
    std::memcpy(in, bytes, n);
    char buf[16];
    char* inp = in;
    std::size_t inLeft = n;
    char* outp = buf;
    std::size_t outLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return;
    for (std::size_t i = 0; i + 4 <= sizeof buf - outLeft; i += 4) {
        char32_t c = static_cast<unsigned char>(buf[i]) | static_cast<unsigned char>(buf[i + 1]) << 8 |
                     static_cast<unsigned char>(buf[i + 2]) << 16 |
                     static_cast<char32_t>(static_cast<unsigned char>(buf[i + 3])) << 24;
        out.insert(c);
    }
}

bool repertoire(std::vector<char32_t>& out) {
    iconv_t cd = iconv_open("UTF-32LE", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "font_subset_check: this C library's iconv has no CP932\n");
        return false;
    }
    std::set<char32_t> chars;
    for (char32_t c = 0; c < 0x80; ++c) chars.insert(c);   // the decoder passes ASCII through
    for (int b = 0; b < 256; ++b) {
        unsigned char one[1] = {static_cast<unsigned char>(b)};
        decodeInto(cd, one, 1, chars);
        if (b < 0x80) continue;
        for (int t = 0; t < 256; ++t) {
            unsigned char two[2] = {static_cast<unsigned char>(b), static_cast<unsigned char>(t)};
            decodeInto(cd, two, 2, chars);
        }
    }
    iconv_close(cd);
    for (char32_t c : {U'\uFFFD', U'\u3013', U'?'}) chars.insert(c);
    out.assign(chars.begin(), chars.end());
    return true;
}

struct Font {
    const char* path = nullptr;
    FT_Face face = nullptr;
    long winAscent = 0, winDescent = 0, avgCharWidth = 0;
    bool hasOs2 = false;
};

bool open(FT_Library lib, const char* path, Font& f) {
    f.path = path;
    if (FT_New_Face(lib, path, 0, &f.face) != 0) {
        std::fprintf(stderr, "font_subset_check: cannot open %s as a font\n", path);
        return false;
    }
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f.face, FT_SFNT_OS2));
    if (os2 != nullptr) {
        f.hasOs2 = true;
        f.winAscent = os2->usWinAscent;
        f.winDescent = os2->usWinDescent;
        f.avgCharWidth = os2->xAvgCharWidth;
    }
    return true;
}

int differences = 0;

std::string hex(char32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(c));
    return buf;
}

void differ(const char* what, char32_t c, int size, const std::string& detail) {
    if (++differences > kMaxReported) return;
    std::string where;
    if (c != 0 || size != 0) where = " of U+" + hex(c);   // face values have neither
    if (size != 0) where += " at " + std::to_string(size) + " px";
    std::fprintf(stderr, "  differs: %s%s%s%s\n", what, where.c_str(), detail.empty() ? "" : ": ", detail.c_str());
}

std::string pair(long a, long b) { return std::to_string(a) + " vs " + std::to_string(b); }

void compareFace(const Font& a, const Font& b) {
    auto same = [](const char* what, long x, long y) {
        if (x != y) differ(what, 0, 0, pair(x, y));
    };
    same("units per em", a.face->units_per_EM, b.face->units_per_EM);
    same("OS/2 table present", a.hasOs2, b.hasOs2);
    same("OS/2 winAscent", a.winAscent, b.winAscent);
    same("OS/2 winDescent", a.winDescent, b.winDescent);
    same("OS/2 xAvgCharWidth", a.avgCharWidth, b.avgCharWidth);
    same("ascender", a.face->ascender, b.face->ascender);
    same("descender", a.face->descender, b.face->descender);
    same("underline position", a.face->underline_position, b.face->underline_position);
    same("underline thickness", a.face->underline_thickness, b.face->underline_thickness);
    same("scalable", FT_IS_SCALABLE(a.face) != 0, FT_IS_SCALABLE(b.face) != 0);
}

// The engine's size for a cell height: the em is the cell scaled by units per em over the
// Windows ascent plus descent.
bool setSize(const Font& f, int cellHeight) {
    long cell = f.winAscent + f.winDescent;
    if (!f.hasOs2 || cell <= 0) cell = f.face->ascender - f.face->descender;
    if (cell <= 0) cell = f.face->units_per_EM;
    double emPx = cellHeight * static_cast<double>(f.face->units_per_EM) / static_cast<double>(cell);
    if (emPx < 1.0) emPx = 1.0;
    FT_F26Dot6 s = static_cast<FT_F26Dot6>(std::lround(emPx * 64));
    return FT_Set_Char_Size(f.face, s, s, 72, 72) == 0;
}

void compareGlyph(const Font& a, const Font& b, char32_t c, int size) {
    FT_UInt ia = FT_Get_Char_Index(a.face, c);
    FT_UInt ib = FT_Get_Char_Index(b.face, c);
    if ((ia == 0) != (ib == 0)) {
        differ("presence", c, size, ia == 0 ? "only in the subset" : "missing from the subset");
        return;
    }
    FT_Error ea = FT_Load_Glyph(a.face, ia, kLoadFlags);
    FT_Error eb = FT_Load_Glyph(b.face, ib, kLoadFlags);
    if ((ea != 0) != (eb != 0)) {
        differ("load result", c, size, pair(ea, eb));
        return;
    }
    if (ea != 0) return;
    FT_GlyphSlot sa = a.face->glyph;
    FT_GlyphSlot sb = b.face->glyph;
    if (sa->advance.x != sb->advance.x || sa->advance.y != sb->advance.y) {
        differ("advance", c, size, pair(sa->advance.x, sb->advance.x));
        return;
    }
    if (sa->format != sb->format) {
        differ("glyph format", c, size, "");
        return;
    }
    if (sa->format == FT_GLYPH_FORMAT_OUTLINE) {
        const FT_Outline& oa = sa->outline;
        const FT_Outline& ob = sb->outline;
        if (oa.n_points != ob.n_points || oa.n_contours != ob.n_contours || oa.flags != ob.flags ||
            std::memcmp(oa.points, ob.points, sizeof(FT_Vector) * oa.n_points) != 0 ||
            std::memcmp(oa.tags, ob.tags, static_cast<std::size_t>(oa.n_points)) != 0 ||
            std::memcmp(oa.contours, ob.contours, sizeof(short) * oa.n_contours) != 0) {
            differ("hinted outline", c, size, pair(oa.n_points, ob.n_points) + " points");
            return;
        }
    }
    ea = FT_Render_Glyph(sa, FT_RENDER_MODE_MONO);
    eb = FT_Render_Glyph(sb, FT_RENDER_MODE_MONO);
    if ((ea != 0) != (eb != 0)) {
        differ("render result", c, size, pair(ea, eb));
        return;
    }
    const FT_Bitmap& ba = sa->bitmap;
    const FT_Bitmap& bb = sb->bitmap;
    if (sa->bitmap_left != sb->bitmap_left || sa->bitmap_top != sb->bitmap_top) {
        differ("bitmap offset", c, size, pair(sa->bitmap_left, sb->bitmap_left) + ", " + pair(sa->bitmap_top, sb->bitmap_top));
        return;
    }
    if (ba.rows != bb.rows || ba.width != bb.width || ba.pitch != bb.pitch || ba.pixel_mode != bb.pixel_mode) {
        differ("bitmap size", c, size, pair(ba.width, bb.width) + " x " + pair(ba.rows, bb.rows));
        return;
    }
    if (ba.rows > 0 && ba.buffer != nullptr &&
        std::memcmp(ba.buffer, bb.buffer, static_cast<std::size_t>(std::abs(ba.pitch)) * ba.rows) != 0)
        differ("bitmap", c, size, "");
}

std::vector<int> parseSizes(const char* text) {
    std::vector<int> sizes;
    const char* p = text;
    while (*p != '\0') {
        char* end = nullptr;
        long v = std::strtol(p, &end, 10);
        if (end == p || v < 1 || v > 1024) return {};
        sizes.push_back(static_cast<int>(v));
        p = *end == ',' ? end + 1 : end;
        if (*end != ',' && *end != '\0') return {};
    }
    return sizes;
}

}  // namespace

// The characters a list names, one "U+XXXX" a line (other lines are ignored).
bool readList(const char* path, std::vector<char32_t>& out) {
    std::FILE* f = std::fopen(path, "r");
    if (f == nullptr) {
        std::fprintf(stderr, "font_subset_check: cannot read %s\n", path);
        return false;
    }
    std::set<char32_t> chars;
    char line[64];
    while (std::fgets(line, sizeof line, f) != nullptr) {
        if (line[0] != 'U' || line[1] != '+') continue;
        char* end = nullptr;
        unsigned long v = std::strtoul(line + 2, &end, 16);
        if (end == line + 2 || v > 0x10FFFF) {
            std::fprintf(stderr, "font_subset_check: %s: \"%.20s\" is not a character\n", path, line);
            std::fclose(f);
            return false;
        }
        chars.insert(static_cast<char32_t>(v));
    }
    std::fclose(f);
    out.assign(chars.begin(), chars.end());
    return true;
}

int main(int argc, char** argv) {
    std::vector<char32_t> chars;
    const char* list = nullptr;
    if (argc >= 3 && std::strcmp(argv[1], "--chars") == 0) {
        list = argv[2];
        argv += 2;
        argc -= 2;
    }
    if (argc == 2 && list == nullptr && std::strcmp(argv[1], "--repertoire") == 0) {
        if (!repertoire(chars)) return 2;
        for (char32_t c : chars) std::printf("U+%04X\n", static_cast<unsigned>(c));
        return 0;
    }
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: font_subset_check --repertoire\n"
                             "       font_subset_check [--chars LIST] FULL.ttf SUBSET.ttf [SIZE,SIZE,...]\n");
        return 2;
    }
    std::vector<int> sizes(std::begin(kDefaultSizes), std::end(kDefaultSizes));
    if (argc == 4) {
        sizes = parseSizes(argv[3]);
        if (sizes.empty()) {
            std::fprintf(stderr, "font_subset_check: sizes are cell heights 1 to 1024, separated by commas\n");
            return 2;
        }
    }
    if (list != nullptr ? !readList(list, chars) : !repertoire(chars)) return 2;
    auto start = std::chrono::steady_clock::now();
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) return 2;
    Font full, subset;
    if (!open(lib, argv[1], full) || !open(lib, argv[2], subset)) return 2;
    compareFace(full, subset);
    for (char32_t c : {U'\uFFFD', U'\u3013', U'?'})
        if ((FT_Get_Char_Index(full.face, c) == 0) != (FT_Get_Char_Index(subset.face, c) == 0))
            differ("stand-in presence", c, 0, "");
    std::size_t missing = 0;
    for (char32_t c : chars)
        if (FT_Get_Char_Index(full.face, c) == 0) ++missing;
    for (int size : sizes) {
        if (!setSize(full, size) || !setSize(subset, size)) {
            differ("size selection", U'?', size, "");
            continue;
        }
        for (char32_t c : chars) compareGlyph(full, subset, c, size);
    }
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("font_subset_check: %s: %zu characters (%zu not in the font), %zu sizes, %d differences, %.1f s\n",
                argv[2], chars.size(), missing, sizes.size(), differences, secs);
    FT_Done_Face(full.face);
    FT_Done_Face(subset.face);
    FT_Done_FreeType(lib);
    if (differences > kMaxReported) std::fprintf(stderr, "  (%d more)\n", differences - kMaxReported);
    return differences == 0 ? 0 : 1;
}
