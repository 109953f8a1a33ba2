// Game: the play scene: 600 frames, a wave of 40 balls every 40 frames, clicks pop them.
#include <cstdio>

#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/sound.h>
#include <quorbix/system.h>

#include "game/game_state.h"
#include "game/scenes.h"
#include "game/trig.h"

void LayOutWave() {
    for (int i = 0; i < kBallCount; ++i) {
        int r1 = elSystem::Random();
        int r2 = elSystem::Random();
        int r3 = elSystem::Random();
        Game.BallX[i] = static_cast<float>(r1 * 320 / 32767 + 80);
        Game.BallY[i] = static_cast<float>(r2 * 200 / 32767 + 80);
        Game.BallAngle[i] = static_cast<float>((2 * r3) * 3.1415926 / 32767.0);
        Game.BallAlive[i] = 1;
    }
}

void ScenePlay() {
    const int mx = Input.MouseX;
    const int my = Input.MouseY;
    const int b = Game.TimeLeft % kWaveFrames;

    elDraw::FillBlack();

    if (Shell.SceneEntered == 1) {
        elSound::PlayMidi("QRBX.MID");
        elSystem::SeedRandom(static_cast<std::uint32_t>(quorbix::CalendarTime()));
        Game.Score = 0;
        LayOutWave();
        Game.TimeLeft = kGameFrames;
    }

    if (Input.LeftClick == 1) {
        for (int i = 0; i < kBallCount; ++i) {
            float dx = Game.BallX[i] - static_cast<float>(mx);
            float dy = Game.BallY[i] - static_cast<float>(my);
            if (dx * dx + dy * dy <= 400.0f && Game.BallAlive[i] == 1) {
                Game.BallAlive[i] = 0;
                Game.Score = Game.Score + b + 21;
                elSound::Play(Game.HitSounds[Game.NextHitSound]);
                Game.NextHitSound = Game.NextHitSound + 1;
                if (Game.NextHitSound == kHitSoundCount) Game.NextHitSound = 0;
            }
        }
    }

    const double speed = (Game.Level + 2) * 3;
    for (int i = 0; i < kBallCount; ++i) {
        Game.BallX[i] = static_cast<float>(Game.BallX[i] + GameCos(Game.BallAngle[i]) * speed);
        Game.BallY[i] = static_cast<float>(Game.BallY[i] + GameSin(Game.BallAngle[i]) * speed);
    }

    if (b == 0) LayOutWave();

    const int cell = 48 * Game.Level;
    for (int i = 0; i < kBallCount; ++i) {
        if (Game.BallAlive[i] == 1)
            elDraw::PutObject(static_cast<int>(Game.BallX[i] - 24), static_cast<int>(Game.BallY[i] - 24),
                              Game.SheetObject, cell, 0, cell + 47, 47);
    }

    char status[32];
    std::snprintf(status, sizeof status, "SCORE- %.5d  TIME- %d", Game.Score, Game.TimeLeft / 20);
    elDraw::BeginText(1, 18, 0, 1, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x800000, 0);
    elDraw::PutText(150, 0, status);
    elDraw::EndText();

    DrawCrosshair(mx, my);
    elDraw::ShowFps();

    Game.TimeLeft = Game.TimeLeft - 1;
    if (Game.TimeLeft == 0) Shell.SceneId = kSceneResult;

    elDraw::Flip();
}
