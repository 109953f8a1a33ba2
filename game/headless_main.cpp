// quorbix-headless: the game on the headless backend, driven by a script (docs/headless.md).
#include <quorbix/headless.h>

#include "game/scenes.h"

int main(int argc, char** argv) {
    return quorbix::RunHeadlessProgram(GameProgram(), argc, argv, GameHeadlessCommandLine());
}
