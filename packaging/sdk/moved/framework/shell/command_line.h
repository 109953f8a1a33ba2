// Moved: framework/shell/command_line.h is now framework/host/command_line.h, and a program's main
// is quorbix::RunWindowProgram (<quorbix/program.h>).
#pragma once
#pragma message("framework/shell/command_line.h moved; include <quorbix/program.h> instead (this path goes in Quorbix 2.0)")
#include "framework/host/command_line.h"
