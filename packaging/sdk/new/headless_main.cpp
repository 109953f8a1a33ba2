// NEWGAME-headless: the game without a display, its input from a script (or a session recorded
// in the window with --record), writing the trace, pictures and sound that its options ask for
// (--help lists them).
#include <quorbix/headless.h>

#include "game.h"

int main(int argc, char** argv) { return quorbix::RunHeadlessProgram(GameProgram(), argc, argv); }
