// Platform: the text renderer's fonts. FreeType faces found through fontconfig stay open for the
// whole run; each face at a size and style keeps the glyphs it has rendered, so that making and
// deleting a font for every piece of text costs a table lookup.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/video/gdi.h"

namespace platform {

// One run of ink on a row of a glyph, relative to the pen position on the baseline (y down):
// pixels x0 to x1 - 1 of row dy.
struct GlyphSpan {
    std::int16_t dy;
    std::int16_t x0;
    std::int16_t x1;
};

// A rendered glyph: where the pen moves next (26.6 fixed point; whole pixels when upright) and
// its ink as spans. Glyphs are monochrome, so text looks the same in every pixel format.
struct Glyph {
    std::int32_t advanceX = 0;
    std::int32_t advanceY = 0;
    std::vector<GlyphSpan> spans;
    // The box around the spans (right and bottom exclusive), so that a glyph well inside the
    // clip is drawn without checking each span.
    int left = 0, top = 0, right = 0, bottom = 0;
};

// A font's measures in whole pixels, as the text operations lay text out with them.
struct FontMetrics {
    int height = 0;               // the cell: ascent + descent
    int ascent = 0;
    int descent = 0;
    int aveCharWidth = 0;
    int weight = 400;             // 400 or 700 (bold is synthesised)
    bool italic = false;
    int underlineOffset = 0;      // top of the underline below the baseline
    int underlineThickness = 1;
    int escapement = 0;           // tenths of a degree, counter-clockwise, 0 to 3599
};

// Called by prepareFonts (gdi_text.h), which says what it does.
void prepareFaces();

// Called by createFontIndirect and by the text operations: the face, size and style `font`
// describes. The answer stays valid until the next call. `hint` is the face the font had before;
// when it still fits it is answered at once. nullptr when no face can be opened at all (said once
// on standard error). Face names: "標準明朝" is the Mincho face, "標準ゴシック", an empty name or a
// name that no installed family carries is the Gothic face (names are code-page text).
FontFace* resolveFont(const LogFont& font, FontFace* hint);

// The font a context draws with when none was selected.
const LogFont& defaultLogFont();

// Called by the text operations for every character they lay out or draw.
const FontMetrics& fontMetrics(const FontFace* face);
const Glyph& glyphFor(FontFace* face, char32_t c);

// The character drawn for a byte sequence the code page does not define.
char32_t replacementChar(FontFace* face);

// The file the face was opened from and its family name (for tests and diagnostics).
const char* fontFile(const FontFace* face);
const char* fontFamily(const FontFace* face);

}  // namespace platform
