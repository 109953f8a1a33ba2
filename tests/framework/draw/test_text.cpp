// Text brackets, debug text and the frame-rate display on Back, through the framework.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/framework/draw/back_support.h"
#include "framework/draw/back_dc.h"
#include "framework/draw/debug_text.h"
#include "framework/draw/primitives.h"
#include "framework/draw/text.h"
#include "framework/core/texts.h"
#include "framework/system/wait_timers.h"
#include "platform/text/font_engine.h"
#include "platform/text/gdi_text.h"
#include "platform/headless/headless.h"
#include "platform/files/text_codec.h"
#include "tests/support/test_support.h"

namespace hl = platform::headless;

namespace {

std::string Sjis(const char* utf8) {
    char buf[512];
    platform::utf8ToSjis(utf8, buf, sizeof buf);
    return buf;
}

std::uint32_t BackAt(int x, int y) {
    platform::PixelView v = elDraw::BackPixels();
    return platform::pixelToColor(platform::readPixel(v, x, y), v.format);
}

void FillBack(std::uint32_t color) {
    platform::PixelView v = elDraw::BackPixels();
    for (int y = 0; y < v.height; ++y)
        for (int x = 0; x < v.width; ++x) platform::writePixel(v, x, y, platform::colorToPixel(color, v.format));
}

std::vector<std::uint32_t> Snapshot() {
    std::vector<std::uint32_t> s;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x) s.push_back(BackAt(x, y));
    return s;
}

int Count(std::uint32_t color) {
    int n = 0;
    for (std::uint32_t c : Snapshot()) n += c == color;
    return n;
}

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -(1 << 30), bottom = -(1 << 30);
};
Box InkOf(std::uint32_t color) {
    Box b;
    for (int y = 0; y < 360; ++y)
        for (int x = 0; x < 480; ++x)
            if (BackAt(x, y) == color) {
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x + 1);
                b.bottom = std::max(b.bottom, y + 1);
            }
    return b;
}

void Start() {
    StartFresh();
    elDraw::ResetBackPixels();
    elDraw::AllocFont();
}

void PutWhite(int face, int height, int angle, int weight, int underline, int x, int y, const std::string& text) {
    elDraw::BeginText(face, height, angle, weight, 0, underline);
    elDraw::SetTextColors(0xFFFFFF, 0x800000, 1);
    elDraw::PutText(x, y, text.c_str());
    elDraw::EndText();
}

}  // namespace

TEST(TextBrackets, FaceSelectorKeepsTheLastFaceForOtherValues) {
    Start();
    struct Step {
        const char* name;
        int face;
        const char* faceName;
        const char* family;
    } steps[] = {
        {"face 2 before any face: no name yet", 2, "", "IPAexGothic"},
        {"face 0", 0, "標準明朝", "IPAexMincho"},
        {"face 2 keeps Mincho", 2, "標準明朝", "IPAexMincho"},
        {"face 1", 1, "標準ゴシック", "IPAexGothic"},
        {"face 2 keeps Gothic", 2, "標準ゴシック", "IPAexGothic"},
        {"face -1 keeps Gothic", -1, "標準ゴシック", "IPAexGothic"},
    };
    for (const Step& s : steps) {
        elDraw::BeginText(s.face, 20, 0, 0, 0, 0);
        EXPECT_EQ(std::string(elDraw::Text.Font->lfFaceName), Sjis(s.faceName)) << s.name;
        ASSERT_NE(elDraw::Text.CurrentFont, nullptr) << s.name;
        EXPECT_STREQ(platform::fontFamily(elDraw::Text.CurrentFont->face), s.family) << s.name;
        elDraw::EndText();
    }
}

TEST(TextBrackets, WeightSelector) {
    Start();
    struct Case {
        const char* name;
        int selector;
        int lfWeight;
        int ink;
    } cases[] = {{"0 normal", 0, 400, 0}, {"1 bold", 1, 700, 0}, {"2 default", 2, 0, 0}, {"-1 default", -1, 0, 0}};
    for (Case& c : cases) {
        elDraw::ResetBackPixels();
        elDraw::BeginText(1, 24, 0, c.selector, 0, 0);
        EXPECT_EQ(elDraw::Text.Font->lfWeight, c.lfWeight) << c.name;
        elDraw::EndText();
        PutWhite(1, 24, 0, c.selector, 0, 10, 10, Sjis("文字 Text"));
        c.ink = Count(0xFFFFFF);
    }
    EXPECT_GT(cases[1].ink, cases[0].ink * 11 / 10) << "bold " << cases[1].ink << ", normal " << cases[0].ink;
    EXPECT_EQ(cases[2].ink, cases[0].ink) << "the default weight draws as normal";
}

TEST(TextBrackets, OpaquePaintsTheCellsTransparentLeavesThem) {
    Start();
    std::string text = Sjis("Ab字");
    struct Case {
        const char* name;
        int transparent;
        std::uint32_t cellColor;   // what the non-ink pixels of the text's cells show
    } cases[] = {{"transparent 0: the context's opaque mode", 0, 0x800000}, {"transparent 1", 1, 0x00FF00}};
    for (const Case& c : cases) {
        elDraw::ResetBackPixels();
        FillBack(0x00FF00);
        elDraw::BeginText(1, 20, 0, 0, 0, 0);
        elDraw::SetTextColors(0xFFFFFF, 0x800000, c.transparent);
        int width = 0, height = 0;
        platform::getTextExtentPoint(elDraw::Text.Context, text.data(), static_cast<int>(text.size()), width, height);
        elDraw::PutText(100, 100, text.c_str());
        elDraw::EndText();
        ASSERT_EQ(height, 20);
        int ink = 0, cell = 0, other = 0;
        for (int y = 100; y < 120; ++y)
            for (int x = 100; x < 100 + width; ++x) {
                std::uint32_t p = BackAt(x, y);
                ink += p == 0xFFFFFF;
                cell += p == c.cellColor;
                other += p != 0xFFFFFF && p != c.cellColor;
            }
        EXPECT_GT(ink, 50) << c.name;
        EXPECT_GT(cell, 100) << c.name;
        EXPECT_EQ(other, 0) << c.name;
        for (int x = 99; x <= 100 + width; ++x) {
            EXPECT_EQ(BackAt(x, 99), 0x00FF00u) << c.name << ": above the cell at x " << x;
            EXPECT_EQ(BackAt(x, 120), 0x00FF00u) << c.name << ": below the cell at x " << x;
        }
        EXPECT_EQ(BackAt(99, 110), 0x00FF00u) << c.name;
        EXPECT_EQ(BackAt(100 + width, 110), 0x00FF00u) << c.name;
    }
}

TEST(TextBrackets, UnderlineRunsUnderTheTextInsideTheCell) {
    Start();
    std::string text = Sjis("あいう");
    int longest[2] = {0, 0};
    for (int underline = 0; underline < 2; ++underline) {
        elDraw::ResetBackPixels();
        PutWhite(1, 24, 0, 0, underline, 50, 50, text);
        for (int y = 50; y < 74; ++y) {
            int run = 0;
            for (int x = 0; x < 480; ++x) {
                run = BackAt(x, y) == 0xFFFFFF ? run + 1 : 0;
                longest[underline] = std::max(longest[underline], run);
            }
        }
        Box ink = InkOf(0xFFFFFF);
        EXPECT_LE(ink.bottom, 74) << "underline " << underline << " stays in the cell";
    }
    EXPECT_LT(longest[0], 30) << "no underline";
    EXPECT_GE(longest[1], 60) << "the underline crosses all three characters";
}

TEST(TextBrackets, AngleTurnsTheTextCounterClockwiseAboutItsCorner) {
    Start();
    std::string text = Sjis("回転する文字");   // wider than tall when upright
    struct Case {
        const char* name;
        int angle;
        bool alongX;                        // the text runs along x
        int minLeft, maxRight, minTop, maxBottom;
    } cases[] = {
        {"0: right and down", 0, true, 238, 480, 178, 210},
        {"90: up, cell to the right", 90, false, 238, 270, 0, 182},
        {"180: left, cell above", 180, true, 0, 242, 150, 182},
        {"270: down, cell to the left", 270, false, 210, 242, 178, 360},
        {"450 is 90", 450, false, 238, 270, 0, 182},
        {"-90 is 270", -90, false, 210, 242, 178, 360},
    };
    for (const Case& c : cases) {
        elDraw::ResetBackPixels();
        PutWhite(1, 24, c.angle, 0, 0, 240, 180, text);
        Box ink = InkOf(0xFFFFFF);
        EXPECT_GE(ink.left, c.minLeft) << c.name;
        EXPECT_LE(ink.right, c.maxRight) << c.name;
        EXPECT_GE(ink.top, c.minTop) << c.name;
        EXPECT_LE(ink.bottom, c.maxBottom) << c.name;
        int w = ink.right - ink.left, h = ink.bottom - ink.top;
        EXPECT_EQ(w > h, c.alongX) << c.name << ": ink " << w << " x " << h;
    }
    // Angles whose tenths do not fit an int still turn the text (whole turns dropped).
    elDraw::ResetBackPixels();
    PutWhite(1, 24, 2147483647, 0, 0, 240, 180, text);
    EXPECT_GT(Count(0xFFFFFF), 100);
    EXPECT_EQ(elDraw::Text.Font->lfEscapement, 1270);
}

TEST(TextBoxes, MeasureGivesTheHeightDrawTextBoxDrawsAndDrawsNothing) {
    Start();
    std::string text = Sjis("左クリックでスタート、右クリックでレベルを選びます。Level select.");
    struct Case {
        const char* name;
        int left, top, right, bottom;
    } cases[] = {{"wide", 10, 10, 470, 100}, {"narrow", 10, 10, 100, 350}, {"one character wide", 10, 10, 20, 20},
                 {"inside out", 300, 300, 10, 10}};
    for (const Case& c : cases) {
        elDraw::ResetBackPixels();
        elDraw::BeginText(0, 18, 0, 0, 0, 0);
        elDraw::SetTextColors(0xFFFFFF, 0x800000, 0);
        int measured = elDraw::MeasureTextBox(c.left, c.top, c.right, c.bottom, text.c_str());
        EXPECT_EQ(Count(0), 480 * 360) << c.name << ": measuring drew";
        int drawn = elDraw::DrawTextBox(c.left, c.top, c.right, c.bottom, text.c_str());
        elDraw::EndText();
        EXPECT_EQ(measured, drawn) << c.name;
        EXPECT_GT(drawn, 0) << c.name;
        EXPECT_EQ(drawn % 18, 0) << c.name;
    }
}

TEST(FrameRate, ShowsTheFramesOfTheLastTwoSecondsHalved) {
    struct Case {
        const char* name;
        std::uint32_t start;
        int fps;
        int frames;
        float expected;
    } cases[] = {
        {"first two seconds", 1000, 20, 40, 0.0f},
        {"20 frames a second", 1000, 20, 41, 20.0f},
        {"60 frames a second after two windows", 0, 60, 241, 60.0f},
        {"1000 frames a second is held at 499.5", 0, 1000, 2001, 499.5f},
        {"across the wrap of the tick count", 0xFFFFF000u, 20, 200, 20.0f},
    };
    for (const Case& c : cases) {
        StartFresh(c.start);
        elDraw::ResetBackPixels();
        elDraw::AllocFont();
        float lowest = 1e9f;
        for (int i = 0; i < c.frames; ++i) {
            hl::setTick(c.start + static_cast<std::uint32_t>(static_cast<long long>(i) * 1000 / c.fps));
            elDraw::ShowFps();
            if (i * 1000 / c.fps >= 4000) lowest = std::min(lowest, elDraw::Fps.FrameRate);
        }
        EXPECT_FLOAT_EQ(elDraw::Fps.FrameRate, c.expected) << c.name;
        if (c.frames * 1000 / c.fps > 4000) {
            EXPECT_FLOAT_EQ(lowest, c.expected) << c.name << ": lowest after 4 s";
        }
    }
    // A window opened by a frame that ran a millisecond late holds 41 frames of a steady 20 a
    // second before the next deadline: over the time it lasted that is still 20.0 (not 20.5).
    StartFresh(1000);
    elDraw::ResetBackPixels();
    elDraw::AllocFont();
    for (int i = 0; i <= 41 + 40; ++i) {
        hl::setTick(1000 + static_cast<std::uint32_t>(i) * 50 + (i == 0 ? 1 : 0));
        elDraw::ShowFps();
        if (i == 41 || i == 81) {
            char text[16];
            std::snprintf(text, sizeof text, "%3.1f", static_cast<double>(elDraw::Fps.FrameRate));
            EXPECT_STREQ(text, "20.0") << "window closed by frame " << i;
        }
    }
    // The display is the rate as "%3.1f FPS" in the top-left corner.
    std::vector<std::uint32_t> shown = Snapshot();
    elDraw::ResetBackPixels();
    elDraw::BeginText(1, 16, 0, 1, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x800000, 0);
    elDraw::PutText(0, 0, "20.0 FPS");
    elDraw::EndText();
    EXPECT_TRUE(shown == Snapshot());
}

TEST(DebugText, PrintCutsAt255BytesOnAWholeCharacter) {
    Start();
    // 120 two-byte characters and 21 letters: 261 bytes, of which 255 fit (the last letter cut).
    std::string wide;
    for (int i = 0; i < 120; ++i) wide += Sjis("あ");
    std::string tail = "ABCDEFGHIJKLMNOPQRSTU";
    platform::HDC dc = platform::createCompatibleDC(nullptr);
    platform::LogFont lf{};
    std::string gothic = Sjis("標準ゴシック");
    std::memcpy(lf.lfFaceName, gothic.data(), gothic.size());
    lf.lfHeight = 12;
    platform::HGDIOBJ font = platform::createFontIndirect(&lf);
    platform::HGDIOBJ old = platform::selectObject(dc, font);
    int w = 0, h = 0;
    platform::getTextExtentPoint(dc, wide.data(), static_cast<int>(wide.size()), w, h);
    platform::selectObject(dc, old);
    platform::deleteObject(font);
    platform::deleteDC(dc);

    int x = 100 - w;   // the tail lands on screen from x = 100
    elDraw::DebugText(x, 20, (wide + tail.substr(0, 15)).c_str());
    std::vector<std::uint32_t> expected = Snapshot();
    elDraw::ResetBackPixels();
    elDraw::DebugPrint(x, 20, "%s%s", wide.c_str(), tail.c_str());
    EXPECT_TRUE(expected == Snapshot()) << "DebugPrint differs from the text cut at 255 bytes";

    // A cut that would split a two-byte character drops the whole character.
    elDraw::ResetBackPixels();
    elDraw::DebugText(10, 40, (std::string(253, 'x') + "").c_str());
    expected = Snapshot();
    elDraw::ResetBackPixels();
    elDraw::DebugPrint(10, 40, "%s%s", std::string(253, 'x').c_str(), Sjis("あい").c_str());
    EXPECT_TRUE(expected == Snapshot());
    elDraw::ResetBackPixels();
    elDraw::DebugPrint(10, 300, "score %05d", 42);
    expected = Snapshot();
    elDraw::ResetBackPixels();
    elDraw::DebugText(10, 300, "score 00042");
    EXPECT_TRUE(expected == Snapshot());
    EXPECT_GT(Count(0x800000), 100) << "white on dark blue";
}

TEST(TextBrackets, WithoutFontDescriptionOrContextNothingIsDrawn) {
    StartFresh();
    elDraw::ResetBackPixels();
    elDraw::FreeFont();   // the display's set-up allocated it: back to before AllocFont
    elDraw::BeginText(1, 20, 0, 0, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x800000, 0);
    EXPECT_EQ(elDraw::PutText(0, 0, "text"), 0);
    EXPECT_EQ(elDraw::DrawTextBox(0, 0, 100, 100, "text"), 0);
    EXPECT_EQ(elDraw::MeasureTextBox(0, 0, 100, 100, "text"), 0);
    elDraw::EndText();
    elDraw::ShowFps();
    elDraw::DebugText(0, 100, "text");
    elDraw::DebugPrint(0, 200, "%d", 5);
    EXPECT_EQ(Count(0), 480 * 360) << "before AllocFont";

    // Back's one context already taken: brackets and primitives get none.
    elDraw::AllocFont();
    platform::HDC held = elDraw::TakeBackDC();
    ASSERT_NE(held, nullptr);
    elDraw::BeginText(1, 20, 0, 0, 0, 0);
    EXPECT_EQ(elDraw::PutText(0, 0, "text"), 0);
    EXPECT_EQ(elDraw::DrawTextBox(0, 0, 100, 100, "text"), 0);
    elDraw::EndText();
    elDraw::ShowFps();
    elDraw::Line(0, 0, 100, 100, 0xFFFFFF, 1);
    elDraw::SetPixel(5, 5, 0xFFFFFF);
    elDraw::InvertRect(0, 0, 480, 360);
    elDraw::Point tri[3] = {{0, 0}, {100, 0}, {0, 100}};
    elDraw::Polygon(tri, 3, 0xFFFFFF, 0x0000FF, 1, 1);
    int r = 0, g = 0, b = 0;
    elDraw::GetPixel(5, 5, r, g, b);
    EXPECT_EQ(r + g + b, 3 * 255) << "the invalid colour";
    elDraw::GiveBackDC(held);
    EXPECT_EQ(Count(0), 480 * 360) << "without a context";

    // A null text draws nothing.
    elDraw::BeginText(1, 20, 0, 0, 0, 0);
    EXPECT_EQ(elDraw::PutText(0, 0, nullptr), 0);
    EXPECT_EQ(elDraw::DrawTextBox(0, 0, 10, 10, nullptr), 0);
    elDraw::EndText();
}

TEST(TextBrackets, ABracketLeftOpenIsClosedByTheNextAndByFreeFont) {
    Start();
    elDraw::BeginText(1, 20, 0, 0, 0, 0);
    elDraw::BeginText(0, 30, 0, 1, 0, 0);   // no EndText for the first
    elDraw::EndText();
    platform::HDC dc = elDraw::TakeBackDC();
    EXPECT_NE(dc, nullptr) << "Back's context was given back";
    elDraw::GiveBackDC(dc);

    elDraw::BeginText(1, 20, 0, 0, 0, 0);
    elDraw::FreeFont();
    EXPECT_FALSE(elDraw::Text.Open);
    dc = elDraw::TakeBackDC();
    EXPECT_NE(dc, nullptr) << "FreeFont gave the context back";
    elDraw::GiveBackDC(dc);
    elDraw::BeginText(1, 20, 0, 0, 0, 0);
    EXPECT_FALSE(elDraw::Text.Open) << "no description after FreeFont";
}

// A program that declares its texts UTF-8: the text calls read UTF-8, draw what the Shift-JIS
// program draws for the same characters, and the tables keep the program's bytes.
TEST(Utf8Texts, TheTextCallsReadTheProgramsEncoding) {
    Start();
    elDraw::BeginText(elDraw::kFaceGothic, 20, 0, 0, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x800000, 0);
    elDraw::PutText(10, 10, Sjis("日本語のテキスト").c_str());
    const int sjisHeight = elDraw::MeasureTextBox(10, 40, 70, 300, Sjis("あいうえおかきくけこ").c_str());
    elDraw::DrawTextBox(10, 40, 70, 300, Sjis("あいうえおかきくけこ").c_str());
    elDraw::EndText();
    const std::vector<std::uint32_t> shiftJis = Snapshot();

    StartFresh();
    elDraw::ResetBackPixels();
    elDraw::AllocFont();
    quorbix::SetProgramTextEncoding(quorbix::TextEncoding::Utf8);
    elDraw::BeginText(elDraw::kFaceGothic, 20, 0, 0, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x800000, 0);
    elDraw::PutText(10, 10, "日本語のテキスト");
    EXPECT_EQ(elDraw::MeasureTextBox(10, 40, 70, 300, "あいうえおかきくけこ"), sjisHeight);
    elDraw::DrawTextBox(10, 40, 70, 300, "あいうえおかきくけこ");
    elDraw::EndText();
    EXPECT_TRUE(shiftJis == Snapshot());

    // Printing cuts at a whole UTF-8 character: 253 letters and "あ" (3 bytes) leave the letters.
    elDraw::ResetBackPixels();
    elDraw::DebugText(10, 80, std::string(253, 'x').c_str());
    const std::vector<std::uint32_t> letters = Snapshot();
    elDraw::ResetBackPixels();
    elDraw::DebugPrint(10, 80, "%s%s", std::string(253, 'x').c_str(), "あ");
    EXPECT_TRUE(letters == Snapshot());

    const char* const english[] = {"Café ☕"};
    ASSERT_TRUE(quorbix::AddTextTable({"ja", english, 1}));
    EXPECT_STREQ(quorbix::Text(0), "Café ☕") << "kept as UTF-8, not turned into '?'";

    // A new program starts from the default again.
    StartFresh();
    EXPECT_EQ(quorbix::ProgramTextEncoding(), quorbix::TextEncoding::ShiftJis);
    ASSERT_TRUE(quorbix::AddTextTable({"ja", english, 1}));
    EXPECT_STREQ(quorbix::Text(0), "Caf? ?");
}
