// Game: the one-time initialisation and the frame functions of the three scenes.
#pragma once
#include <string>

#include <quorbix/program.h>

// The game's scene numbers.
constexpr int kScenePlay = 1;
constexpr int kSceneTitle = 2;
constexpr int kSceneResult = 3;

// The game as the shell runs it: its window title, GameInit, the three scenes, the reset of the
// game's variables and the trace fields below.
quorbix::ProgramSetup GameProgram();
// What the game's two programs say of themselves in --help beside the host's options.
quorbix::HostCommandLine GameCommandLine();
quorbix::HostCommandLine GameHeadlessCommandLine();
// The game's own variables after a frame, as headless trace fields: level, score, time, the 40
// balls, the password and the next hit sound.
void AppendGameFields(std::string& line);

void GameInit();
void SceneTitle();
void ScenePlay();
void SceneResult();

// Lays out all 40 balls of a wave afresh from the random generator.
void LayOutWave();
// The result's three password letters from the score and the level, into PasswordText.
void MakePassword();
