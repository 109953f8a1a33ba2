// Quorbix: elJoystick, joysticks 0 and 1 polled: buttons with their edge states (ButtonState:
// kButtonUp, kButtonPressed, kButtonHeld, kButtonReleased), directions, positions and
// time-based ramps.
#pragma once
#pragma push_macro("QRB_PUBLIC_HEADERS")
#undef QRB_PUBLIC_HEADERS
#define QRB_PUBLIC_HEADERS 1
#include "framework/input/button_state.h"
#include "framework/input/joystick.h"
#pragma pop_macro("QRB_PUBLIC_HEADERS")
