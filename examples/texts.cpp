// Example: text on Back: brackets, the two faces, colours, a turned line, a word-wrapped box,
// and the debugging text that takes no bracket.
#include <cstdio>

#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "examples/examples.h"

#include <quorbix/system.h>

namespace {

// Converted into Shift-JIS once, when the program starts.
const elSystem::CodePageText kTitle("テキストの例");
const elSystem::CodePageText kTurned("斜めの文字");
const elSystem::CodePageText kStory(
    "文字列はシフトJISのバイト列で渡します。DrawTextBoxは枠の幅で折り返して描き、描いた高さを返します。");

struct TextState {
    int Score = 0;
    int BoxHeight = 0;
};
TextState State;

void TextInit() {
    elDraw::Screen(480, 360);
    Shell.SceneId = 2;
}

void SceneTexts() {
    elDraw::FillBlack();
    // One bracket: BeginText makes the font and takes Back's context, EndText gives both back.
    elDraw::BeginText(elDraw::kFaceMincho, 36, 0, 1, 0, 1);   // 36 pixels, bold, underlined
    elDraw::SetTextColors(0x00FFFF, 0x000000, 1);             // yellow (0x00BBGGRR), no background
    elDraw::PutText(40, 30, kTitle);
    elDraw::EndText();

    char score[32];
    std::snprintf(score, sizeof score, "SCORE %05d", State.Score);
    elDraw::BeginText(elDraw::kFaceGothic, 18, 0, 1, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x800000, 0);   // white on an opaque dark blue
    elDraw::PutText(300, 90, score);
    elDraw::EndText();

    elDraw::BeginText(elDraw::kFaceGothic, 20, 30, 0, 0, 0);   // turned 30 degrees anticlockwise
    elDraw::SetTextColors(0x80FF80, 0x000000, 1);
    elDraw::PutText(40, 120, kTurned);
    elDraw::EndText();

    elDraw::BeginText(elDraw::kFaceGothic, 16, 0, 0, 0, 0);
    elDraw::SetTextColors(0xC0C0C0, 0x000000, 1);
    State.BoxHeight = elDraw::DrawTextBox(200, 140, 440, 300, kStory);
    elDraw::EndText();

    // DebugPrint takes Back's context itself: outside any bracket.
    elDraw::DebugPrint(200, 310, "DrawTextBox drew %d pixels high", State.BoxHeight);
    elDraw::ShowFps();
    elDraw::Flip();
    State.Score += 7;
}

// Texts in two languages: the program numbers its texts and registers a table for each
// language; the program host has chosen the language shown before the program starts.
enum { kTextStart, kTextQuit, kTextCount };
const char* const kJapanese[kTextCount] = {"クリックでスタート", "Escで終了"};
const char* const kEnglish[kTextCount] = {"Click to start", "Escape quits"};

void LanguagesInit() {
    quorbix::AddTextTable({"ja", kJapanese, kTextCount});
    quorbix::AddTextTable({"en", kEnglish, kTextCount});
    elDraw::Screen(480, 360);
    Shell.SceneId = 2;
}

void SceneLanguages() {
    elDraw::FillBlack();
    elDraw::BeginText(elDraw::kFaceGothic, 20, 0, 0, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x000000, 1);
    elDraw::PutText(70, 250, quorbix::Text(kTextStart));
    elDraw::PutText(70, 280, quorbix::Text(kTextQuit));
    elDraw::EndText();
    elDraw::Flip();
}

}  // namespace

void UseLanguages() {
    quorbix::ProgramSetup setup;
    setup.Title = "Languages";
    setup.Init = LanguagesInit;
    setup.Scenes[2] = SceneLanguages;
    quorbix::UseProgram(setup);
}

void UseTexts() {
    quorbix::ProgramSetup setup;
    setup.Title = "Texts";
    setup.Init = TextInit;
    setup.Scenes[2] = SceneTexts;
    setup.Reset = [] { State = TextState{}; };
    quorbix::UseProgram(setup);
}
