// Quorbix: a program without a display, for tests and tools. The headless program host
// (quorbix::RunHeadlessProgram, a headless program's main), a run from a script of input events
// inside a test (quorbix::RunHeadless, RunOptions, TraceField), and what a test sees and sets
// while it runs (quorbix::ShownPicture, SetKeyDown, SetJoystick, TakeBoxes...).
// A program that includes it links the runner (Quorbix::runner).
#pragma once
#pragma push_macro("QRB_PUBLIC_HEADERS")
#undef QRB_PUBLIC_HEADERS
#define QRB_PUBLIC_HEADERS 1
#include "framework/runner/headless_host.h"
#include "framework/runner/headless_runner.h"
#pragma pop_macro("QRB_PUBLIC_HEADERS")
