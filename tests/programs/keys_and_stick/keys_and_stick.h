// A test program of the polled keyboard and joystick, on the public headers alone: a square that
// the arrow keys move (IsKeyDown) and joystick 0 moves (its direction), both at a speed per
// second (FrameDelta), drawn in the colour its buttons choose, with the last key pressed shown.
// tests/framework/host/replay_keys.sh records a session of it in the SDL window and replays it.
#pragma once
#include <quorbix/program.h>

quorbix::ProgramSetup KeysAndStickProgram();

// Called at the start of every frame when set: the window's program moves a virtual joystick there.
extern void (*MoveStick)();
