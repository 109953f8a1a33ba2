// NEWGAME: the game in a window (Escape or the close button ends it). --help lists its options:
// the picture's scale, the full screen, a trace, recording a session and replaying it.
#include <quorbix/program.h>

#include "game.h"

int main(int argc, char** argv) { return quorbix::RunWindowProgram(GameProgram(), argc, argv); }
