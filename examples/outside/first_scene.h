// The first scene's program: the window's and the headless main run it.
#pragma once
#include <quorbix/program.h>

// The program's name, start-up and its two scenes, as the program host runs them.
quorbix::ProgramSetup FirstSceneProgram();
// Installs it (quorbix::UseProgram), for the guide's examples that run it headless.
void UseFirstScene();
