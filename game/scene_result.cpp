// Game: the result scene: score, password and level; back to the title after a second.
#include <cstdio>

#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/sound.h>
#include <quorbix/system.h>

#include "game/game_state.h"
#include "game/scenes.h"
#include "game/texts.h"

void MakePassword() {
    const int s = Game.Score;
    const int l = Game.Level;
    const int p = (s + l) % 26;
    const int q = (s + 11 * l) % 26;
    const int r = (s + 111 * l) % 26;
    const int n = p * q * r;
    const char first = static_cast<char>(65 + n / 676);
    const char second = static_cast<char>(65 + (n / 26) % 26);
    const char third = static_cast<char>(65 + n % 26);
    // The password shows the base-26 digits of n lowest first. The label (12 bytes, 10 in English) and the three
    // letters fit the text; the bound only tells the compiler so.
    constexpr int kLabelRoom = static_cast<int>(sizeof Game.PasswordText) - 4;
    std::snprintf(Game.PasswordText, sizeof Game.PasswordText, "%.*s%c%c%c", kLabelRoom,
                  quorbix::Text(kTextPasswordLabel), third, second, first);
    Game.PasswordLetters[0] = third;
    Game.PasswordLetters[1] = second;
    Game.PasswordLetters[2] = first;
    Game.PasswordLetters[3] = '\0';
}

void SceneResult() {
    if (Shell.SceneEntered == 1) {
        elSound::StopMidi();
        MakePassword();
        Game.ResultEnteredAt = quorbix::TickCount();
    }

    char scoreLine[20];
    std::snprintf(scoreLine, sizeof scoreLine, "SCORE- %.5d", Game.Score);

    elDraw::FillBlack();

    elDraw::BeginText(0, 36, 0, 1, 0, 1);
    elDraw::SetTextColors(0x00FFFF, 0xFF00FF, 1);
    elDraw::PutText(100, 50, scoreLine);
    elDraw::PutText(100, 100, Game.PasswordText);
    elDraw::EndText();

    elDraw::BeginText(1, 24, 0, 1, 0, 1);
    elDraw::SetTextColors(0xFFFFFF, 0xFF00FF, 1);
    PutLevelLine();
    elDraw::EndText();

    elDraw::BeginText(1, 24, 0, 1, 0, 1);
    elDraw::SetTextColors(0xFFFFFF, 0xFF00FF, 1);
    elDraw::PutText(70, 250, quorbix::Text(kTextTitlePrompt));
    elDraw::PutText(70, 285, quorbix::Text(kTextVersionPrompt));
    elDraw::EndText();

    DrawBallRows(Game.ResultBallCell);
    DrawCrosshair(Input.MouseX, Input.MouseY);
    elDraw::ShowFps();
    elDraw::Flip();

    // The version box comes first; a left click that arrives while it is open still counts below.
    if (Input.RightClick == 1) elSystem::Message("Quorbix v1.0");
    if (quorbix::TickCount() - Game.ResultEnteredAt >= 1000u && Input.LeftClick == 1)
        Shell.SceneId = kSceneTitle;
}
