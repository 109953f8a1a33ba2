// Moved: platform/window.h is now platform/window/window.h. Games include <quorbix/program.h>
// and run their program with quorbix::RunWindowProgram.
#pragma once
#pragma message("platform/window.h moved; include <quorbix/program.h> instead (this path goes in Quorbix 2.0)")
#include "platform/window/window.h"
