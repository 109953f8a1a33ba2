// Platform text: code-page decoding, faces, line breaking, replacement marks and pixel formats.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/memory_dc.h"
#include "platform/text/font_engine.h"
#include "platform/text/gdi_text.h"
#include "platform/files/text_codec.h"

using namespace platform;

namespace {

std::string Sjis(const char* utf8) {
    char buf[512];
    utf8ToSjis(utf8, buf, sizeof buf);
    return buf;
}

// A font in one of the two faces (UTF-8 name), cell height `height`.
HGDIOBJ MakeFont(const char* face, int height, int weight = FW_NORMAL) {
    LogFont lf{};
    std::string name = Sjis(face);
    std::memcpy(lf.lfFaceName, name.data(), std::min(name.size(), sizeof lf.lfFaceName - 1));
    lf.lfHeight = height;
    lf.lfWeight = weight;
    return createFontIndirect(&lf);
}

struct Selected {
    HDC dc;
    HGDIOBJ font, previous;
    Selected(HDC d, HGDIOBJ f) : dc(d), font(f), previous(selectObject(d, f)) {}
    ~Selected() {
        selectObject(dc, previous);
        deleteObject(font);
    }
};

void Draw(MemoryDC& m, int x, int y, const std::string& sjis) {
    textOut(m.dc, x, y, sjis.data(), static_cast<int>(sjis.size()));
}

}  // namespace

TEST(ShiftJis, OneCharacterAtATime) {
    struct Case {
        const char* name;
        std::string bytes;
        char32_t expected;
        std::size_t used;
    } cases[] = {
        {"ASCII", "A", U'A', 1},
        {"hiragana", "\x82\xA0", U'あ', 2},
        {"half-width katakana", "\xB1", U'ｱ', 1},
        {"lead byte cut off at the end", "\x82", U'\uFFFD', 1},
        {"byte no code page character starts with", "\xFF", U'\uFFFD', 1},
        {"lead byte with a trail byte out of range", std::string("\x82\x20", 2), U'\uFFFD', 1},
    };
    for (int pass = 0; pass < 2; ++pass) {   // the second pass reads the remembered codes
        for (const Case& c : cases) {
            std::size_t used = 0;
            char32_t got = decodeSjisChar(c.bytes.data(), c.bytes.size(), used);
            EXPECT_EQ(static_cast<std::uint32_t>(got), static_cast<std::uint32_t>(c.expected)) << c.name;
            EXPECT_EQ(used, c.used) << c.name;
        }
    }
}

// A sequence that is not one character of UTF-8 becomes a single '?' and the text goes on.
TEST(ShiftJis, FromUtf8MalformedAndMissingCharactersBecomeQuestionMarks) {
    struct Case {
        const char* name;
        const char* utf8;
        std::string sjis;
    } cases[] = {
        {"NEC row, IBM extension, duplicate symbol, yen sign", "①ⅰ≒¥", "\x87\x40\xFA\x40\x81\xE0\x5C"},
        {"overlong two-byte form of 'A'", "x\xC1\x81y", "x?y"},
        {"overlong three-byte form", "\xE0\x81\x81y", "?y"},
        {"overlong four-byte form", "\xF0\x80\x81\x81y", "?y"},
        {"stray continuation byte", "\x80y", "?y"},
        {"surrogate", "\xED\xA0\x80y", "?y"},
        {"outside the Basic Multilingual Plane", "\xF0\x9F\x98\x80y", "?y"},
        {"cut off at the end", "y\xE3\x81", "y?"},
        // The bytes a broken lead promises are not taken from the characters after it.
        {"lead byte followed by plain text", "\xE3" "A\x81" "B", "?A?B"},
        {"two-byte lead before a Japanese character", "\xC3\xE3\x81\x82", "?\x82\xA0"},
    };
    for (const Case& c : cases) EXPECT_EQ(Sjis(c.utf8), c.sjis) << c.name;
}

// Each case's bytes sit in a buffer of exactly their length, so that a read past them is caught by
// the address sanitizer; `used` must always move the caller on without swallowing the next
// character.
TEST(Utf8, OneCharacterAtATimeAndMalformedSequencesOnlyTheirOwnBytes) {
    struct Case {
        const char* name;
        std::string bytes;
        char32_t expected;
        std::size_t used;
    } cases[] = {
        {"ASCII", "A", U'A', 1},
        {"two bytes", "\xC3\xA9", U'\u00E9', 2},
        {"three bytes", "\xE3\x81\x82", U'あ', 3},
        {"four bytes", "\xF0\x9F\x98\x80", U'\U0001F600', 4},
        {"highest character", "\xF4\x8F\xBF\xBF", U'\U0010FFFF', 4},
        {"the replacement mark itself", "\xEF\xBF\xBD", U'\uFFFD', 3},
        {"stray continuation byte", "\x80" "A", U'\uFFFD', 1},
        {"overlong two-byte 'A'", "\xC1\x81", U'\uFFFD', 2},
        {"overlong three-byte form", "\xE0\x81\x81", U'\uFFFD', 3},
        {"surrogate", "\xED\xA0\x80", U'\uFFFD', 3},
        {"past U+10FFFF", "\xF4\x90\x80\x80", U'\uFFFD', 4},
        {"five-byte lead", "\xF8\x88\x80\x80\x80", U'\uFFFD', 1},
        {"cut off by the end", "\xE3\x81", U'\uFFFD', 2},
        {"cut off by plain text", "\xE3" "A", U'\uFFFD', 1},
        {"cut off by another lead", "\xE3\x81\xE3\x81\x82", U'\uFFFD', 2},
    };
    for (const Case& c : cases) {
        std::vector<char> exact(c.bytes.begin(), c.bytes.end());
        std::size_t used = 0;
        char32_t got = decodeUtf8Char(exact.data(), exact.size(), used);
        EXPECT_EQ(static_cast<std::uint32_t>(got), static_cast<std::uint32_t>(c.expected)) << c.name;
        EXPECT_EQ(used, c.used) << c.name;
    }
    std::size_t used = 9;
    EXPECT_EQ(static_cast<std::uint32_t>(decodeUtf8Char(nullptr, 0, used)), 0xFFFDu);
    EXPECT_EQ(used, 1u) << "nothing left still moves the caller on";
    EXPECT_EQ(validUtf8("a\xE3\x81" "b\xFF\xEF\xBF\xBD" "c\xC3\xA9"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD" "c\xC3\xA9");
    EXPECT_EQ(validUtf8(nullptr), "");
}

TEST(Utf8, DrawsTheSamePixelsAsShiftJisAndMarksBadBytes) {
    MemoryDC sjis(300, 30, PixelFormat::XRGB8888), utf8(300, 30, PixelFormat::XRGB8888);
    Selected a(sjis.dc, MakeFont("標準ゴシック", 20)), b(utf8.dc, MakeFont("標準ゴシック", 20));
    const std::string japanese = Sjis("日本語 Text〓〓");
    textOut(sjis.dc, 0, 0, japanese.data(), static_cast<int>(japanese.size()));
    const std::string text = "日本語 Text\xE3\x81\xFF";   // a cut-off sequence and a bad byte
    textOut(utf8.dc, 0, 0, text.data(), static_cast<int>(text.size()), TextEncoding::Utf8);
    EXPECT_GT(sjis.CountNot(0), 200);
    EXPECT_TRUE(SamePicture(sjis, utf8)) << sjis.Picture(0xFFFFFF, 0, 20) << utf8.Picture(0xFFFFFF, 0, 20);
    // The same bytes read as Shift-JIS are other characters.
    MemoryDC asSjis(300, 30, PixelFormat::XRGB8888);
    Selected c(asSjis.dc, MakeFont("標準ゴシック", 20));
    textOut(asSjis.dc, 0, 0, text.data(), static_cast<int>(text.size()));
    EXPECT_FALSE(SamePicture(asSjis, utf8));
    // Measures and boxes read the encoding too: "é" is one character, not two.
    int w1 = 0, w2 = 0, h = 0;
    ASSERT_TRUE(getTextExtentPoint(utf8.dc, "\xC3\xA9", 2, w1, h, TextEncoding::Utf8));
    ASSERT_TRUE(getTextExtentPoint(utf8.dc, "\xC3\xA9", 2, w2, h));
    EXPECT_GT(w1, 0);
    EXPECT_LT(w1, w2);
    Rect box{0, 0, 50, 100}, sjisBox = box;
    const int lines = drawText(utf8.dc, "あいうえおかきくけこ", -1, &box, DT_WORDBREAK | DT_CALCRECT, TextEncoding::Utf8);
    EXPECT_EQ(lines, drawText(sjis.dc, Sjis("あいうえおかきくけこ").c_str(), -1, &sjisBox, DT_WORDBREAK | DT_CALCRECT));
    EXPECT_GT(lines, 20) << "broken into several lines";
}

TEST(Fonts, FaceNamesChooseMinchoOrGothic) {
    struct Case {
        const char* name;
        const char* face;
        const char* file;
    } cases[] = {
        {"Mincho", "標準明朝", "IPAexMincho"},
        {"Gothic", "標準ゴシック", "IPAexGothic"},
        {"empty name", "", "IPAexGothic"},
        {"a family nobody installed", "Nonexistent Face 12345", "IPAexGothic"},
    };
    for (const Case& c : cases) {
        HGDIOBJ font = MakeFont(c.face, 20);
        ASSERT_NE(font->face, nullptr) << c.name;
        EXPECT_STREQ(fontFamily(font->face), c.file) << c.name << ": " << fontFile(font->face);
        deleteObject(font);
    }
}

TEST(Fonts, HeightSignAndWildSizes) {
    MemoryDC m(8, 8, PixelFormat::XRGB8888);
    struct Case {
        const char* name;
        int height;
        int expectHeight;   // 0: only bounded
    } cases[] = {
        {"positive is the cell height", 24, 24},
        {"negative is the em height, the cell is taller", -24, 0},
        {"zero is the default size", 0, 16},
        {"huge is capped", 2000000000, 1024},
        {"most negative int", -2147483647 - 1, 0},
    };
    for (const Case& c : cases) {
        Selected s(m.dc, MakeFont("標準ゴシック", c.height));
        TextMetric tm;
        ASSERT_TRUE(getTextMetrics(m.dc, tm)) << c.name;
        EXPECT_EQ(tm.ascent + tm.descent, tm.height) << c.name;
        if (c.expectHeight != 0)
            EXPECT_EQ(tm.height, c.expectHeight) << c.name;
        else
            EXPECT_GT(tm.height, 24) << c.name;
        EXPECT_LE(tm.height, 1400) << c.name;
    }
}

// DrawText must draw each line exactly as TextOut draws that line at its place.
TEST(DrawText, LinesBreakAtSpacesAndBetweenJapaneseButKeepPunctuation) {
    struct Case {
        const char* name;
        const char* text;
        const char* widthOf;   // the box is exactly as wide as this text
        std::vector<const char*> lines;
    } cases[] = {
        {"kana fill the box", "あいうえお", "あいうえ", {"あいうえ", "お"}},
        {"full stop never starts a line", "あいう。", "あいう", {"あい", "う。"}},
        {"long-vowel mark stays with its kana", "ラーメン", "ラ", {"ラー", "メ", "ン"}},
        {"brackets and small kana", "「はい」と言った", "はい", {"「は", "い」", "と", "言っ", "た"}},
        {"words break at spaces", "the quick brown fox", "the quick brown", {"the quick brown", "fox"}},
        {"a word wider than the box is not cut", "abcdefgh ij", "abc", {"abcdefgh", "ij"}},
        {"line ends", "ab\r\ncd\ref\ngh", "abcdefghijkl", {"ab", "cd", "ef", "gh"}},
        {"Japanese sentence", "今日は晴れ、明日は雨でしょう。", "今日は晴れ", {"今日は晴", "れ、明日は", "雨でしょ", "う。"}},
    };
    for (const Case& c : cases) {
        MemoryDC boxed(200, 140, PixelFormat::XRGB8888), expected(200, 140, PixelFormat::XRGB8888);
        Selected a(boxed.dc, MakeFont("標準ゴシック", 20)), b(expected.dc, MakeFont("標準ゴシック", 20));
        setTextColor(boxed.dc, 0xFFFFFF);
        setTextColor(expected.dc, 0xFFFFFF);
        setBkMode(boxed.dc, TRANSPARENT);
        setBkMode(expected.dc, TRANSPARENT);
        std::string widthOf = Sjis(c.widthOf);
        int w = 0, h = 0;
        getTextExtentPoint(boxed.dc, widthOf.data(), static_cast<int>(widthOf.size()), w, h);
        std::string text = Sjis(c.text);
        Rect r{5, 2, 5 + w, 140};
        int height = drawText(boxed.dc, text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_NOCLIP);
        EXPECT_EQ(height, static_cast<int>(c.lines.size()) * 20) << c.name;
        for (std::size_t i = 0; i < c.lines.size(); ++i) Draw(expected, 5, 2 + static_cast<int>(i) * 20, Sjis(c.lines[i]));
        EXPECT_TRUE(SamePicture(boxed, expected)) << c.name << "\ndrawn:\n"
                                                  << boxed.Picture(0xFFFFFF, 0, height) << "expected:\n"
                                                  << expected.Picture(0xFFFFFF, 0, height);
    }
}

TEST(DrawText, CalcRectMeasuresWithoutDrawing) {
    MemoryDC m(100, 100, PixelFormat::XRGB8888, 0x123456);
    Selected s(m.dc, MakeFont("標準明朝", 18));
    std::string text = Sjis("あいうえおかきくけこ");
    struct Case {
        const char* name;
        Rect box;
        int lines;
    } cases[] = {
        {"wide box", {0, 0, 1000, 10}, 1},
        {"narrow box", {0, 0, 40, 10}, 5},
        {"empty box: one character a line", {10, 10, 10, 10}, 10},
        {"inside-out box", {50, 50, 0, 0}, 10},
    };
    for (const Case& c : cases) {
        Rect r = c.box;
        int h = drawText(m.dc, text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        EXPECT_EQ(h, c.lines * 18) << c.name;
        EXPECT_EQ(r.bottom, c.box.top + h) << c.name;
    }
    EXPECT_EQ(m.CountNot(0x123456), 0);
    Rect empty{0, 0, 50, 50};
    EXPECT_EQ(drawText(m.dc, "", -1, &empty, DT_WORDBREAK), 0) << "no text, no lines";
}

TEST(TextOut, BadBytesDrawAReplacementMarkAndTheRestStillDraws) {
    MemoryDC bad(200, 30, PixelFormat::XRGB8888), good(200, 30, PixelFormat::XRGB8888);
    Selected a(bad.dc, MakeFont("標準ゴシック", 20)), b(good.dc, MakeFont("標準ゴシック", 20));
    for (MemoryDC* m : {&bad, &good}) {
        setTextColor(m->dc, 0xFFFFFF);
        setBkColor(m->dc, 0x000080);
    }
    Draw(bad, 0, 0, std::string("A\xFF" "B\x82\x20" "C\x82", 7));
    Draw(good, 0, 0, Sjis("A〓B〓 C〓"));
    EXPECT_TRUE(SamePicture(bad, good)) << bad.Picture(0xFFFFFF, 0, 20) << good.Picture(0xFFFFFF, 0, 20);
}

TEST(TextOut, SamePixelsInEveryFormat) {
    // Colours that every format holds exactly, so that the pictures must match pixel for pixel.
    MemoryDC ref(160, 60, PixelFormat::XRGB8888, 0x000000);
    MemoryDC rgb565(160, 60, PixelFormat::RGB565, 0x000000);
    MemoryDC rgb888(160, 60, PixelFormat::RGB888, 0x000000);
    for (MemoryDC* m : {&ref, &rgb565, &rgb888}) {
        Selected s(m->dc, MakeFont("標準明朝", 24, FW_BOLD));
        setTextColor(m->dc, 0x00FFFF);
        setBkColor(m->dc, 0xFF0000);
        Draw(*m, 3, 4, Sjis("文字 Text"));
        setBkMode(m->dc, TRANSPARENT);
        Draw(*m, -5, 30, Sjis("はみ出す文字列です"));
    }
    EXPECT_GT(ref.CountNot(0), 500);
    EXPECT_TRUE(SamePicture(ref, rgb565)) << "RGB565";
    EXPECT_TRUE(SamePicture(ref, rgb888)) << "RGB888";
}

TEST(TextOut, NoContextOrNoPixels) {
    std::string t = Sjis("文字");
    EXPECT_FALSE(textOut(nullptr, 0, 0, t.data(), static_cast<int>(t.size())));
    Rect r{0, 0, 10, 10};
    EXPECT_EQ(drawText(nullptr, t.c_str(), -1, &r, DT_WORDBREAK), 0);
    HDC bare = createCompatibleDC(nullptr);   // no bitmap selected: nothing to draw into
    EXPECT_TRUE(textOut(bare, 0, 0, t.data(), static_cast<int>(t.size())));
    EXPECT_EQ(setBkMode(bare, 7), 0) << "unknown mode";
    EXPECT_EQ(setBkMode(bare, TRANSPARENT), OPAQUE);
    deleteDC(bare);
}

TEST(TextOut, AFontSelectedFirstCanBeSelectedOutAndDeleted) {
    MemoryDC m(100, 30, PixelFormat::XRGB8888);
    HGDIOBJ font = MakeFont("標準明朝", 20);
    HGDIOBJ previous = selectObject(m.dc, font);
    ASSERT_NE(previous, nullptr) << "the context's own font";
    EXPECT_EQ(selectObject(m.dc, previous), font);
    deleteObject(font);
    // The context draws with its own font again (Gothic, 16 high), not with the deleted one.
    setBkMode(m.dc, TRANSPARENT);
    setTextColor(m.dc, 0xFFFFFF);
    Draw(m, 0, 0, "Abc");
    TextMetric tm;
    ASSERT_TRUE(getTextMetrics(m.dc, tm));
    EXPECT_EQ(tm.height, 16);
    EXPECT_GT(m.CountNot(0), 20);
}
