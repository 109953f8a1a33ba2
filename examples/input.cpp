// Example: polled input. The arrow keys or joystick 0 move a ball at a speed per second; Space
// or button 1 counts jumps; the stick's analogue ramp and the button's hold timer are shown.
#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "examples/examples.h"

#include <quorbix/joystick.h>
#include <quorbix/system.h>

namespace {

// Virtual-key codes.
constexpr int VK_SPACE = 32;
constexpr int VK_LEFT = 37;
constexpr int VK_RIGHT = 39;

struct InputExampleState {
    int Sheet = 0;
    ButtonState Left = kButtonUp;   // each key's state lives with the caller
    ButtonState Right = kButtonUp;
    ButtonState Space = kButtonUp;
    float X = 240.0f;
    int Jumps = 0;
};
InputExampleState State;

bool IsDown(ButtonState s) { return s == kButtonPressed || s == kButtonHeld; }

void InputInit() {
    elDraw::Screen(480, 360);                  // calibrates the sticks as they lie now
    elJoystick::SetRates(0, 200.0f, 100.0f);   // ramp 200 a second, hold timers 100 a second
    elDraw::SetDefaultKey(0x00FF00);
    State.Sheet = elDraw::LoadObject("CHARA");
    Shell.SceneId = 2;
}

void SceneInput() {
    // Each key polled once per frame, so that pressed and released each last one frame.
    elSystem::GetKey(VK_LEFT, State.Left);
    elSystem::GetKey(VK_RIGHT, State.Right);
    elSystem::GetKey(VK_SPACE, State.Space);
    int dx = 0, dy = 0;
    elJoystick::GetDirection(0, dx, dy);   // left as they are when no stick answers
    if (IsDown(State.Left)) dx = -1;
    if (IsDown(State.Right)) dx = 1;
    // 160 pixels a second, whatever the frame rate.
    State.X += dx * 160.0f * elSystem::Clock.FrameDelta;
    if (State.X < 24.0f) State.X = 24.0f;
    if (State.X > 456.0f) State.X = 456.0f;
    if (State.Space == kButtonPressed || elJoystick::GetButtonState(0, 1) == kButtonPressed) ++State.Jumps;
    int ax = 0, ay = 0;
    elJoystick::GetAnalog(0, ax, ay);
    const int hold = elJoystick::GetButtonHold(0, 1);

    elDraw::FillBlack();
    elDraw::PutObject(static_cast<int>(State.X) - 24, 156, State.Sheet, 48, 0, 96, 48);
    elDraw::DebugPrint(60, 260, "jumps %d   stick: keypad %d, ramp %d, %d   button 1 held %d", State.Jumps,
                       elJoystick::GetDirectionCode(0), ax, ay, hold);
    elDraw::ShowFps();
    elDraw::Flip();
}

}  // namespace

void UseInput() {
    quorbix::ProgramSetup setup;
    setup.Title = "Input";
    setup.Init = InputInit;
    setup.Scenes[2] = SceneInput;
    setup.Reset = [] { State = InputExampleState{}; };
    quorbix::UseProgram(setup);
}
