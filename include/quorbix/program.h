// Quorbix: a program on the framework. What the frame loop reads and writes every frame (Shell:
// the scene, SceneEntered; Input: the mouse, clicks and the last key; Present: transitions), what
// a program hands the framework (quorbix::ProgramSetup: its start-up, scenes, frame period,
// assets) and the program host that is a program's main (quorbix::RunWindowProgram, with its
// command line: --help, --version, --scale, --fullscreen, --trace, --record, --replay).
#pragma once
#pragma push_macro("QRB_PUBLIC_HEADERS")
#undef QRB_PUBLIC_HEADERS
#define QRB_PUBLIC_HEADERS 1
#include "framework/core/app_state.h"
#include "framework/host/command_line.h"
#include "framework/shell/frame_loop.h"
#include "framework/host/json_text.h"
#include "framework/host/program_host.h"
#pragma pop_macro("QRB_PUBLIC_HEADERS")
