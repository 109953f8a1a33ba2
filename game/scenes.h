// Game: the one-time initialisation and the frame functions of the three scenes.
#pragma once

void GameInit();
void SceneTitle();
void ScenePlay();
void SceneResult();
