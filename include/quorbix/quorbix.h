// Quorbix: the whole framework a windowed game uses, its four services and the program host.
// Tests and tools add <quorbix/headless.h>.
#pragma once
#include "draw.h"
#include "joystick.h"
#include "program.h"
#include "sound.h"
#include "system.h"
