// Moved: framework/shell/app_state.h is now framework/core/app_state.h. Games include <quorbix/program.h>.
#pragma once
#pragma message("framework/shell/app_state.h moved; include <quorbix/program.h> instead (this path goes in Quorbix 2.0)")
#include "framework/core/app_state.h"
