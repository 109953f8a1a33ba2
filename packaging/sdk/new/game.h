// NEWGAME: the game, as the window's and the headless program's main and the test run it.
#pragma once
#include <quorbix/program.h>

// The game's name, start-up, scene and trace fields, as the program host runs them.
quorbix::ProgramSetup GameProgram();
