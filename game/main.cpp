// quorbix: the game in a real window (SDL2 backend).
#include <quorbix/program.h>

#include "game/scenes.h"

int main(int argc, char** argv) {
    return quorbix::RunWindowProgram(GameProgram(), argc, argv, GameCommandLine());
}
