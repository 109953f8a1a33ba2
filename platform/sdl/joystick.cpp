// SDL2 backend: joysticks 0 and 1 through SDL's joystick API, found again after they are plugged
// in or pulled out, and the key state from SDL's keyboard state. Leaves out: the driver's own
// dead zone (positions are passed on as the device reports them).
#include <SDL.h>

#include "platform/backend.h"
#include "platform/window/joystick.h"
#include "platform/sdl/sdl_backend.h"

namespace platform::sdl {
namespace {

struct JoystickSlots {
    SDL_Joystick* open[kJoystickIds] = {};
};

JoystickSlots joystickSlots;

void closeSlot(SDL_Joystick*& slot) {
    if (slot != nullptr) SDL_JoystickClose(slot);
    slot = nullptr;
}

// The joystick that is the system's id-th now. The slot is reopened when the device at that
// place changed: one pulled out moves the next one up, one plugged in takes a free place.
SDL_Joystick* openStick(int id) {
    SDL_Joystick*& slot = joystickSlots.open[id];
    if (slot != nullptr && !SDL_JoystickGetAttached(slot)) closeSlot(slot);
    if (id >= SDL_NumJoysticks()) {
        closeSlot(slot);
        return nullptr;
    }
    if (slot != nullptr && SDL_JoystickInstanceID(slot) != SDL_JoystickGetDeviceInstanceID(id))
        closeSlot(slot);
    if (slot == nullptr) slot = SDL_JoystickOpen(id);
    return slot;
}

// Axes run from -32768 to 32767; the query's scale runs from 0 to 65535.
std::uint32_t onScale(SDL_Joystick* stick, int axis) {
    if (axis >= SDL_JoystickNumAxes(stick)) return 32767;
    return static_cast<std::uint32_t>(SDL_JoystickGetAxis(stick, axis) + 32768);
}

}  // namespace
}  // namespace platform::sdl

namespace platform::backend {

bool readJoystick(int id, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons) {
    if (!sdl::ensureJoystick()) return false;
    // Reads the devices now and notices joysticks that came or went.
    SDL_JoystickUpdate();
    SDL_Joystick* stick = sdl::openStick(id);
    if (stick == nullptr) return false;
    x = sdl::onScale(stick, 0);
    y = sdl::onScale(stick, 1);
    buttons = 0;
    int count = SDL_JoystickNumButtons(stick);
    for (int b = 0; b < count && b < 32; ++b)
        if (SDL_JoystickGetButton(stick, b) != 0) buttons |= 1u << b;
    return true;
}

bool keyDown(int virtualKey) {
    if (!sdl::ensureVideo()) return false;
    // SDL keeps the state by physical key; the same table as the key messages names them.
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    for (int code = 0; code < count; ++code)
        if (state[code] != 0 &&
            sdl::virtualKey(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(code))) == virtualKey)
            return true;
    return false;
}

}  // namespace platform::backend
