// Platform: the joystick query and the key state, checked here once for every backend.
#include "platform/window/joystick.h"

#include "platform/backend.h"
#include "platform/window/window.h"

namespace platform {

std::uint32_t joyGetPosEx(int id, JoyInfoEx& info) {
    if (id < 0 || id >= kJoystickIds || info.size != sizeof(JoyInfoEx)) return JOYERR_PARMS;
    std::uint32_t x = 0, y = 0, buttons = 0;
    bool present = backend::readJoystick(id, x, y, buttons);
    // A recorded session notes the reading; a replayed one gives the recorded reading instead.
    if (const SessionHooks* hooks = sessionHooks()) present = hooks->joystick(id, present, x, y, buttons);
    if (!present) return JOYERR_UNPLUGGED;
    if (info.flags & JOY_RETURNX) info.xpos = x;
    if (info.flags & JOY_RETURNY) info.ypos = y;
    if (info.flags & JOY_RETURNBUTTONS) info.buttons = buttons;
    return JOYERR_NOERROR;
}

std::int16_t getKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    // The classic value of a key that is down: high bit and bit 0x80 both set.
    return backend::keyDown(virtualKey) ? static_cast<std::int16_t>(-128) : 0;
}

}  // namespace platform
