// keys-and-stick-pad: the test program in a window with a virtual pad (SDL's) plugged in before
// it starts, moved by a script of frames and not by the clock, so that every frame's reading is
// known: the trace's "pad_step" says which step the frame is in, and tests/windows/pads.sh checks
// the square's direction ("stick") and buttons against it, on Linux and under Wine. The program
// ends itself after the last step. The pad is made by SDL itself, in the program and not in the
// framework: the same SDL pad path a real pad takes (the pad's mapping, the query's scale, the
// dead zone), with nothing added to the programs a player gets.
#define SDL_MAIN_HANDLED   // main stays the program's own on Windows too
#include <SDL.h>
// SDL's pkg-config flags for Windows add -Dmain=SDL_main, which SDL_MAIN_HANDLED does not undo:
// main would become SDL_main, and MinGW's start-up code would call the framework's WinMain with
// Windows' arguments (its show command 0, a hidden window, and no program set up).
#undef main

#include <cstdio>
#include <string>

#include <quorbix/program.h>
#include <quorbix/system.h>

#include "keys_and_stick.h"

namespace {

constexpr int kStepFrames = 10;

// The pad's controls, in the order they are made: the left stick, the face buttons, the d-pad.
enum Button { A, B, X, Y, Up, Down, Left, Right, kButtonCount };

struct Step {
    Sint16 x, y;
    unsigned buttons;   // bit n: Button n held
};

// Each step held for kStepFrames frames. A stick pushed less than half way from the centre is
// within elJoystick's dead zone (step 5).
constexpr Step kScript[] = {
    {0, 0, 0},                                         // 0 at rest
    {32767, 0, 0},                                     // 1 right
    {-32768, -32768, 1u << A},                         // 2 up and left, A held
    {0, 0, 1u << B | 1u << X | 1u << Y},               // 3 B, X and Y held
    {0, 0, 1u << Down},                                // 4 the d-pad down
    {12000, -12000, 1u << Left | 1u << Right},         // 5 a small push; the d-pad both ways
    {0, 32767, 1u << Up},                              // 6 the stick down, the d-pad up: the d-pad wins
};
constexpr int kSteps = sizeof kScript / sizeof kScript[0];

SDL_Joystick* pad = nullptr;
int frame = 0;
quorbix::ProgramSetup program;
quorbix::SceneFunction programFrame = nullptr;
void (*programFields)(std::string&) = nullptr;

int StepOf(int f) { return f / kStepFrames; }

void MoveByScript() {
    const int step = StepOf(frame++);
    if (step >= kSteps) return;   // the program is ending
    const Step& s = kScript[step];
    SDL_JoystickSetVirtualAxis(pad, 0, s.x);
    SDL_JoystickSetVirtualAxis(pad, 1, s.y);
    for (int b = 0; b < kButtonCount; ++b) SDL_JoystickSetVirtualButton(pad, b, (s.buttons >> b) & 1u);
}

// The program's frame, after which the program ends once the script is over.
void Frame() {
    programFrame();
    if (StepOf(frame) >= kSteps) elSystem::Shutdown();
}

void TraceFields(std::string& line) {
    programFields(line);
    line += ",\"pad_step\":" + std::to_string(StepOf(frame - 1));
}

bool PlugInPad() {
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = 2;
    desc.nbuttons = kButtonCount;
    desc.axis_mask = 1u << SDL_CONTROLLER_AXIS_LEFTX | 1u << SDL_CONTROLLER_AXIS_LEFTY;
    desc.button_mask = 1u << SDL_CONTROLLER_BUTTON_A | 1u << SDL_CONTROLLER_BUTTON_B | 1u << SDL_CONTROLLER_BUTTON_X |
                       1u << SDL_CONTROLLER_BUTTON_Y | 1u << SDL_CONTROLLER_BUTTON_DPAD_UP |
                       1u << SDL_CONTROLLER_BUTTON_DPAD_DOWN | 1u << SDL_CONTROLLER_BUTTON_DPAD_LEFT |
                       1u << SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    desc.name = "Quorbix test pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) return false;
    pad = SDL_JoystickOpen(index);
    return pad != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (!PlugInPad()) {
        std::fprintf(stderr, "keys-and-stick-pad: no virtual pad: %s\n", SDL_GetError());
        return 1;
    }
    SDL_version linked;
    SDL_GetVersion(&linked);
    std::printf("keys-and-stick-pad: SDL %d.%d.%d, %d joystick(s), the first \"%s\"\n", linked.major, linked.minor,
                linked.patch, SDL_NumJoysticks(), SDL_JoystickNameForIndex(0));
    std::fflush(stdout);
    MoveStick = MoveByScript;
    program = KeysAndStickProgram();
    program.Name = "keys-and-stick-pad";
    programFrame = program.Scenes[1];
    programFields = program.TraceFields;
    program.Scenes[1] = Frame;
    program.TraceFields = TraceFields;
    return quorbix::RunWindowProgram(program, argc, argv);
}
