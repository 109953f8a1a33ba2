// NEWGAME: the game, as the window's and the headless program's main and the test install it.
#pragma once

// Puts the game's start-up and scenes into the shell; called once before the game runs.
void UseGame();
