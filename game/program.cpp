// Game: what the game hands the shell, and its fields in the headless trace.
#include <cstdio>
#include <string>

#include "framework/shell/json_text.h"
#include "game/game_state.h"
#include "game/scenes.h"

ProgramSetup GameProgram() {
    ProgramSetup setup;
    setup.Name = "quorbix";
    setup.Title = "Quorbix v1.0";
    setup.Init = GameInit;
    setup.Scenes[kScenePlay] = ScenePlay;
    setup.Scenes[kSceneTitle] = SceneTitle;
    setup.Scenes[kSceneResult] = SceneResult;
    setup.Reset = [] { Game.reset(); };
    setup.TraceFields = AppendGameFields;
    return setup;
}

void AppendGameFields(std::string& line) {
    char num[32];
    line += ",\"level\":" + std::to_string(Game.Level);
    line += ",\"score\":" + std::to_string(Game.Score);
    line += ",\"time_left\":" + std::to_string(Game.TimeLeft);
    line += ",\"balls\":[";
    for (int i = 0; i < kBallCount; ++i) {
        if (i > 0) line += ",";
        // Nine significant digits give every float back exactly.
        std::snprintf(num, sizeof num, "[%.9g,", static_cast<double>(Game.BallX[i]));
        line += num;
        std::snprintf(num, sizeof num, "%.9g,%d]", static_cast<double>(Game.BallY[i]), Game.BallAlive[i]);
        line += num;
    }
    line += "]";
    line += ",\"password\":";
    AppendJsonString(line, Game.PasswordLetters);
    line += ",\"next_hit\":" + std::to_string(Game.NextHitSound);
}
