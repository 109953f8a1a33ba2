// first-scene-headless: the same program without a display, from a script, writing the trace.
#include <quorbix/headless.h>

#include "first_scene.h"

int main(int argc, char** argv) { return quorbix::RunHeadlessProgram(FirstSceneProgram(), argc, argv); }
