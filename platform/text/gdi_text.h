// Platform: GDI-style text on a device context: fonts from the classic font description, text and
// background colours, TextOut, word-broken DrawText and text measures. Text is code-page
// (Shift-JIS) bytes with a byte length, or UTF-8 bytes when the call says so; a byte sequence the
// encoding does not define draws a replacement mark and never stops the drawing.
#pragma once
#include <cstdint>

#include "platform/files/text_codec.h"
#include "platform/video/gdi.h"
#include "platform/window/system.h"

namespace platform {

constexpr std::uint32_t DT_WORDBREAK = 0x0010;
constexpr std::uint32_t DT_SINGLELINE = 0x0020;
constexpr std::uint32_t DT_NOCLIP = 0x0100;
constexpr std::uint32_t DT_CALCRECT = 0x0400;
constexpr std::uint32_t DT_NOPREFIX = 0x0800;

// ---------------------------------------------------------------- fonts and colours

// Called by the entry point at the program's start, before its window opens: the font matcher
// reads its configuration and the framework's two faces are found and opened on a thread of
// their own meanwhile, on Linux the longest part of the start-up; the first font made waits for
// what is left of it. Nothing on a platform without threads, or once a font has been made.
void prepareFonts();

// Called by elDraw::BeginText for every text bracket. Height, width, escapement, weight, italic,
// underline and face name are honoured (see platform/text/font_engine.h for the faces); the other
// members are ignored. Making a font is cheap: faces and their glyphs are kept between fonts.
// The caller deletes the font with deleteObject once it is no longer selected.
HGDIOBJ createFontIndirect(const LogFont* font);

// Called by elDraw::SetTextColors. Each answers the previous value, or CLR_INVALID (0 for the
// mode) without a context. A mode other than TRANSPARENT and OPAQUE changes nothing.
std::uint32_t setTextColor(HDC dc, std::uint32_t color);
std::uint32_t setBkColor(HDC dc, std::uint32_t color);
int setBkMode(HDC dc, int mode);

// ---------------------------------------------------------------- drawing

// Called by elDraw::PutText. Draws `length` bytes of text with the cell's top-left corner at
// (x, y), rotated about that point by the font's escapement. In OPAQUE mode the text's cells are
// painted in the background colour first. False without a context or without any usable font.
bool textOut(HDC dc, int x, int y, const char* text, int length,
             TextEncoding encoding = TextEncoding::ShiftJis);

// Called by elDraw::DrawTextBox and elDraw::MeasureTextBox. Lays the text out in `rect` from its
// top-left corner, one line per cell height; a length below 0 means up to the terminator. Line
// ends (CR, LF, CR LF) break lines unless DT_SINGLELINE. With DT_WORDBREAK lines also break where
// the next character would pass the right edge: after spaces, and between Japanese characters,
// but never before closing punctuation (。、）」 and the like, the long-vowel mark, small kana) nor
// after opening brackets; a word wider than the box is not cut. Without DT_NOPREFIX an ampersand
// is dropped ("&&" draws one). The drawing is clipped to `rect` unless DT_NOCLIP. With DT_CALCRECT
// nothing is drawn and `rect` is widened to the text and its bottom moved to the last line.
// Answers the height of the text (0 for no text or on failure).
int drawText(HDC dc, const char* text, int length, Rect* rect, std::uint32_t format,
             TextEncoding encoding = TextEncoding::ShiftJis);

// ---------------------------------------------------------------- measures

struct TextMetric {
    int height = 0, ascent = 0, descent = 0, aveCharWidth = 0, weight = 0;
    bool italic = false, underlined = false;
};

// The size of a line of text: the sum of its advances and the cell height.
bool getTextExtentPoint(HDC dc, const char* text, int length, int& width, int& height,
                        TextEncoding encoding = TextEncoding::ShiftJis);
bool getTextMetrics(HDC dc, TextMetric& metric);

}  // namespace platform
