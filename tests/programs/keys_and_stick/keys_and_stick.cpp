// A test program of the polled keyboard and joystick (keys_and_stick.h).
#include "keys_and_stick.h"

#include <string>

#include <quorbix/draw.h>
#include <quorbix/joystick.h>
#include <quorbix/system.h>

void (*MoveStick)() = nullptr;

namespace {

constexpr int kScene = 1;
constexpr float kSpeed = 120.0f;   // pixels a second

struct KeysState {
    float X = 220.0f, Y = 160.0f;
    int Buttons = 0;      // joystick 0's buttons 1 to 4 as bits
    int StickX = 0, StickY = 0;
    ButtonState Space = kButtonUp;
    int Presses = 0;      // space bar presses (GetKey's edges)
};
KeysState State;

void Init() {
    elDraw::Screen(480, 360);
    Shell.SceneId = kScene;
}

void Frame() {
    if (MoveStick != nullptr) MoveStick();
    const float step = kSpeed * elSystem::Clock.FrameDelta;
    if (elSystem::IsKeyDown(elKey::Left)) State.X -= step;
    if (elSystem::IsKeyDown(elKey::Right)) State.X += step;
    if (elSystem::IsKeyDown(elKey::Up)) State.Y -= step;
    if (elSystem::IsKeyDown(elKey::Down)) State.Y += step;
    if (elSystem::GetKey(elKey::Space, State.Space) == kButtonPressed) ++State.Presses;
    elJoystick::GetDirection(0, State.StickX, State.StickY);
    State.X += State.StickX * step;
    State.Y += State.StickY * step;
    int b[4] = {};
    elJoystick::GetButtons(0, b[0], b[1], b[2], b[3]);
    State.Buttons = 0;
    for (int i = 0; i < 4; ++i) State.Buttons |= (b[i] != 0 ? 1 : 0) << i;

    elDraw::FillBlack();
    const int x = static_cast<int>(State.X), y = static_cast<int>(State.Y);
    const std::uint32_t colour = State.Buttons == 0 ? 0x00FFFFFF : 0x000000FF | (State.Buttons << 12);
    elDraw::FillRect(x, y, x + 40, y + 40, colour);
    elDraw::DebugPrint(8, 330, "last key %d, space %d, stick %d %d, buttons %d", Input.LastKey, State.Presses,
                       State.StickX, State.StickY, State.Buttons);
    elDraw::Flip();
}

}  // namespace

quorbix::ProgramSetup KeysAndStickProgram() {
    quorbix::ProgramSetup setup;
    setup.Name = "keys-and-stick";
    setup.Title = "Keys and stick";
    setup.Init = Init;
    setup.Scenes[kScene] = Frame;
    setup.Reset = [] { State = KeysState{}; };
    setup.TraceFields = [](std::string& line) {
        line += ",\"x\":" + std::to_string(static_cast<int>(State.X)) + ",\"y\":" +
                std::to_string(static_cast<int>(State.Y)) + ",\"presses\":" + std::to_string(State.Presses) +
                ",\"buttons\":" + std::to_string(State.Buttons) + ",\"stick\":[" + std::to_string(State.StickX) + "," +
                std::to_string(State.StickY) + "]";
    };
    return setup;
}
