// Game: the shared game variables and the drawing steps the scenes have in common.
#include "game/game_state.h"

#include <quorbix/draw.h>
#include <quorbix/system.h>

#include "game/texts.h"

GameState Game;

void DrawCrosshair(int mouseX, int mouseY) {
    elDraw::PutObject(mouseX - 15, mouseY - 15, Game.SheetObject, 9, 9, 39, 39);
}

void DrawBallRows(int& cell) {
    cell = cell + 1;
    if (cell == 3) cell = 1;
    for (int x = 0; x < 480; x += 48) {
        elDraw::PutObject(x, 0, Game.SheetObject, 48 * cell, 0, 48 * cell + 48, 48);
        elDraw::PutObject(x, 150, Game.SheetObject, 48 * cell, 0, 48 * cell + 48, 48);
    }
}

void PutLevelLine() {
    switch (Game.Level) {
        case 1: elDraw::PutText(150, 200, quorbix::Text(kTextLevelEasy)); break;
        case 2: elDraw::PutText(150, 200, quorbix::Text(kTextLevelNormal)); break;
        case 3: elDraw::PutText(150, 200, quorbix::Text(kTextLevelHard)); break;
        default: break;
    }
}
