// Game: GameInit, which registers the texts, opens the display and loads the sprite sheet and the
// hit sounds.
#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/sound.h>
#include <quorbix/system.h>

#include "game/game_state.h"
#include "game/scenes.h"
#include "game/texts.h"

void GameInit() {
    AddGameTexts();
    elDraw::Screen(480, 360);
    elDraw::SetDefaultKey(0x00FF00);
    Game.SheetObject = elDraw::LoadObject("CHARA");
    // Five copies of one sound, so that up to five pops can sound over each other.
    for (int i = 0; i < kHitSoundCount; ++i) Game.HitSounds[i] = elSound::LoadObject("HIT");
    elSystem::SetWait(1, 50);
    Shell.SceneId = kSceneTitle;
}
