// Game: the title scene: name, credit, level and prompts over two rows of balls.
#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/system.h>

#include "game/game_state.h"
#include "game/scenes.h"
#include "game/texts.h"

void SceneTitle() {
    elDraw::FillBlack();

    elDraw::BeginText(0, 36, 0, 1, 0, 1);
    elDraw::SetTextColors(0x00FFFF, 0xFF00FF, 1);
    elDraw::PutText(50, 50, "Quorbix v1.0");
    elDraw::EndText();

    elDraw::BeginText(1, 36, 0, 1, 0, 1);
    elDraw::SetTextColors(0xFFFFFF, 0xFF00FF, 1);
    elDraw::PutText(250, 95, quorbix::Text(kTextCredit));
    elDraw::EndText();

    elDraw::BeginText(1, 24, 0, 1, 0, 1);
    elDraw::SetTextColors(0xFFFFFF, 0xFF00FF, 1);
    PutLevelLine();
    elDraw::PutText(70, 250, quorbix::Text(kTextStartPrompt));
    elDraw::PutText(70, 285, quorbix::Text(kTextLevelPrompt));
    elDraw::EndText();

    DrawBallRows(Game.TitleBallCell);
    DrawCrosshair(Input.MouseX, Input.MouseY);
    elDraw::ShowFps();
    elDraw::Flip();

    // After the picture: a level change shows from the next frame on.
    if (Input.RightClick == 1) Game.Level = Game.Level + 1;
    if (Game.Level == 4) Game.Level = 1;
    if (Input.LeftClick == 1) Shell.SceneId = kScenePlay;
}
