// keys-and-stick: the test program in a window. With QRB_VIRTUAL_STICK set it plugs in a virtual
// joystick (SDL's) whose stick and buttons move with the wall clock, so that a recording holds
// joystick readings a replay cannot make up by itself.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include <quorbix/program.h>

#include "keys_and_stick.h"

namespace {
SDL_Joystick* stick = nullptr;

void MoveVirtualStick() {
    // A second right, a second left, a second at rest; button 1 held in the second of each three.
    const Uint32 phase = SDL_GetTicks() / 1000 % 3;
    SDL_JoystickSetVirtualAxis(stick, 0, phase == 0 ? 32767 : phase == 1 ? -32768 : 0);
    SDL_JoystickSetVirtualAxis(stick, 1, 0);
    SDL_JoystickSetVirtualButton(stick, 0, phase == 1 ? 1 : 0);
}

bool PlugInVirtualStick() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    if (index < 0) return false;
    stick = SDL_JoystickOpen(index);
    return stick != nullptr;
}
}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QRB_VIRTUAL_STICK") != nullptr) {
        if (!PlugInVirtualStick()) {
            std::fprintf(stderr, "keys-and-stick: no virtual joystick: %s\n", SDL_GetError());
            return 1;
        }
        MoveStick = MoveVirtualStick;
    }
    return quorbix::RunWindowProgram(KeysAndStickProgram(), argc, argv);
}
