// Input: the edge step shared by the keyboard and joystick polls, and the keyboard polls.
#include "framework/input/button_state.h"

#include "framework/core/app_state.h"
#include "framework/system/system_utils.h"
#include "platform/window/joystick.h"

namespace elJoystick {

bool InputLocked() {
    return Present.TransitionStep != 0 || Present.ScrollMode != 0 || elSystem::System.InputHold != 0;
}

ButtonState NextButtonState(ButtonState previous, bool down) {
    ButtonState next;
    if (down)
        // A press right after a release still counts as held: the key never rested up.
        next = previous == kButtonUp ? kButtonPressed : kButtonHeld;
    else
        next = (previous == kButtonPressed || previous == kButtonHeld) ? kButtonReleased : kButtonUp;
    return InputLocked() ? kButtonUp : next;
}

}  // namespace elJoystick

namespace elSystem {

ButtonState GetKey(int virtualKey, ButtonState& state) {
    bool down = (platform::getKeyState(virtualKey) & 0x80) != 0;
    state = elJoystick::NextButtonState(state, down);
    return state;
}

int IsKeyDown(int virtualKey) {
    if (elJoystick::InputLocked()) return 0;
    return (platform::getKeyState(virtualKey) & 0x80) != 0 ? 1 : 0;
}

}  // namespace elSystem
