// first-scene: the guide's first example as a game of one's own, in a window.
#include <quorbix/program.h>

#include "first_scene.h"

int main(int argc, char** argv) { return quorbix::RunWindowProgram(FirstSceneProgram(), argc, argv); }
