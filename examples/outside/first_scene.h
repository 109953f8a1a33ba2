// The first scene's program: the window's and the headless main install it before they run it.
#pragma once

// Puts the program's start-up and its two scenes into the shell (ProgramSetup, UseProgram);
// called once by main before WinMain or the headless runner.
void UseFirstScene();
