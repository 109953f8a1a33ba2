// Game: the one-time initialisation and the frame functions of the three scenes.
#pragma once

void GameInit();
void SceneTitle();   // scene 2
void ScenePlay();    // scene 1
void SceneResult();  // scene 3

// Lays out all 40 balls of a wave afresh from the random generator.
void LayOutWave();
// The result's three password letters from the score and the level, into PasswordText.
void MakePassword();
