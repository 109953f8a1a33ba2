// Game: start-up and the scenes' frame functions.
#include "game/scenes.h"

#include "app/app_state.h"
#include "app/flip.h"
#include "framework/draw/display.h"
#include "framework/system/wait_timers.h"

void GameInit() {
    elDraw::Screen(480, 360);
    elSystem::SetWait(1, 50);
    Shell.SceneId = 2;
}

void SceneTitle() { elDraw::Flip(); }
void ScenePlay() { elDraw::Flip(); }
void SceneResult() { elDraw::Flip(); }
