// Moved: framework/system/code_page.h is now framework/core/code_page.h. Games include <quorbix/system.h>.
#pragma once
#pragma message("framework/system/code_page.h moved; include <quorbix/system.h> instead (this path goes in Quorbix 2.0)")
#include "framework/core/code_page.h"
