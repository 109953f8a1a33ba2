// Input: the edge state of a polled key or button, the locks that hold polled input back, and
// the keyboard polls elSystem::GetKey and elSystem::IsKeyDown.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/input/button_state.h is the framework's own; include <quorbix/system.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdint>

// Edge state of a key or button at one poll.
using ButtonState = std::int32_t;
constexpr ButtonState kButtonUp = 0;
constexpr ButtonState kButtonPressed = 1;    // down now, up at the previous poll
constexpr ButtonState kButtonReleased = 2;   // up now, down at the previous poll
constexpr ButtonState kButtonHeld = 3;       // down now and at the previous poll (or just released)

namespace elJoystick {

// True while polled input reads as up: a scene transition runs, the scrolling page is shown,
// or input is held.
bool InputLocked();

// One poll's step from the previous state. Under an input lock the result is always up, so a
// key still down when the lock ends reads as pressed at the next poll.
ButtonState NextButtonState(ButtonState previous, bool down);

}  // namespace elJoystick

namespace elSystem {

// Polls a virtual key once: steps the caller's state, stores the new state there and returns
// it. Call it once per frame per key for the states to describe frames.
ButtonState GetKey(int virtualKey, ButtonState& state);

// Called by a scene whenever it likes, as often as it likes: 1 while the key (a virtual-key
// code, elKey:: in framework/input/keys.h) is down as of the messages taken so far, else 0. It
// keeps no state. Like GetKey it reads 0 while polled input is held back (InputLocked); codes
// outside 1 to 255 read 0.
int IsKeyDown(int virtualKey);

}  // namespace elSystem
