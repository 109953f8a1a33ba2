// elJoystick: joystick polling over the platform's position query, one device read per call.
#include "framework/input/joystick.h"

#include <cmath>
#include <cstdint>

#include "framework/system/wait_timers.h"
#include "framework/core/program_state.h"

namespace elJoystick {

JoystickTable Joysticks;
const ProgramStateRegistration kJoysticksReset{ResetStage::Input, [] { Joysticks.reset(); }};

namespace {

using platform::JOY_RETURNALL;
using platform::JOY_RETURNBUTTONS;
using platform::JOY_RETURNX;
using platform::JOY_RETURNY;
using platform::JOY_USEDEADZONE;

bool ValidId(int id) { return id >= 0 && id < kJoysticks; }
bool ValidButton(int button) { return button >= 1 && button <= kButtons; }

// One device read into the shared query record; false when the joystick cannot be read.
bool Read(int id, std::uint32_t flags) {
    platform::JoyInfoEx& q = Joysticks.Query;
    q.size = sizeof(platform::JoyInfoEx);
    q.flags = flags;
    return platform::joyGetPosEx(id, q) == platform::JOYERR_NOERROR;
}

bool ButtonDown(int button) { return (Joysticks.Query.buttons >> (button - 1)) & 1u; }

// Dead zone: a position at or below half the rest position reads -1, one at or above one and a
// half times it reads +1. Worked in 64 bits so that no reading overflows the sum.
int AxisDirection(std::uint32_t position, int rest) {
    std::int64_t v = position;
    std::int64_t half = rest / 2;
    if (v <= half) return -1;
    if (v >= rest + half) return 1;
    return 0;
}

float Clamp(float v, float low, float high) { return v < low ? low : v > high ? high : v; }

// One frame of an analogue ramp. Pushed, it moves towards the push; let go, it returns to 0 at
// the same rate without overshooting. The final clamp keeps a negative rate (an inverted axis)
// from carrying the value out of range while it returns.
float Ramp(float a, int direction, float rate, float delta) {
    if (direction != 0) {
        a += static_cast<float>(direction) * rate * delta;
        if (a >= kRampLimit) a = kRampLimit;
        if (a <= -kRampLimit) a = -kRampLimit;
    } else {
        if (a > 0.0f) {
            a -= rate * delta;
            if (a < 0.0f) a = 0.0f;
        }
        if (a < 0.0f) {
            a += rate * delta;
            if (a > 0.0f) a = 0.0f;
        }
    }
    return Clamp(a, -kRampLimit, kRampLimit);
}

// One frame of a hold timer: grows while down up to 100, back to 0 when up.
float Hold(float t, bool down, float rate) {
    if (!down) return 0.0f;
    t += rate * elSystem::Clock.FrameDelta;
    if (t >= kRampLimit) t = kRampLimit;
    return Clamp(t, 0.0f, kRampLimit);
}

}  // namespace

void Init() {
    Calibrate();
    for (JoystickState& pad : Joysticks.Pad) pad = JoystickState{};
}

void Calibrate() {
    for (int id = 0; id < kJoysticks; ++id) {
        RestPosition& rest = Joysticks.Rest[id];
        if (Read(id, JOY_RETURNALL | JOY_USEDEADZONE))
            rest = RestPosition{static_cast<int>(Joysticks.Query.xpos), static_cast<int>(Joysticks.Query.ypos)};
        else
            rest = RestPosition{0, 0};
    }
}

void Clear() {
    for (JoystickState& pad : Joysticks.Pad) {
        pad.AnalogX = pad.AnalogY = 0.0f;
        for (float& t : pad.HoldTimer) t = 0.0f;
    }
}

void SetRates(int id, float analogRate, float holdRate) {
    if (!ValidId(id)) return;
    // NaN or infinity would poison the ramps for good (infinity times a zero frame is NaN).
    if (std::isfinite(analogRate)) Joysticks.Pad[id].AnalogRate = analogRate;
    if (std::isfinite(holdRate)) Joysticks.Pad[id].HoldRate = holdRate;
}

void GetCenter(int id, int& x, int& y) {
    if (!ValidId(id)) return;
    x = Joysticks.Rest[id].X;
    y = Joysticks.Rest[id].Y;
}

int GetButton(int id, int button) {
    if (!ValidId(id) || !ValidButton(button) || !Read(id, JOY_RETURNBUTTONS)) return 0;
    return ButtonDown(button) ? 1 : 0;
}

ButtonState GetButtonState(int id, int button) {
    if (!ValidId(id) || !ValidButton(button) || !Read(id, JOY_RETURNBUTTONS)) return kButtonUp;
    ButtonState& state = Joysticks.Pad[id].Buttons[button - 1];
    state = NextButtonState(state, ButtonDown(button));
    return state;
}

void GetButtons(int id, int& b1, int& b2, int& b3, int& b4) {
    if (!ValidId(id) || !Read(id, JOY_RETURNBUTTONS)) return;
    int* out[kButtons] = {&b1, &b2, &b3, &b4};
    for (int b = 1; b <= kButtons; ++b) *out[b - 1] = ButtonDown(b) ? 1 : 0;
}

void GetButtonStates(int id, ButtonState& s1, ButtonState& s2, ButtonState& s3, ButtonState& s4) {
    if (!ValidId(id) || !Read(id, JOY_RETURNBUTTONS)) return;
    ButtonState* out[kButtons] = {&s1, &s2, &s3, &s4};
    for (int b = 1; b <= kButtons; ++b) {
        ButtonState& state = Joysticks.Pad[id].Buttons[b - 1];
        state = NextButtonState(state, ButtonDown(b));
        *out[b - 1] = state;
    }
}

int GetButtonHold(int id, int button) {
    if (!ValidId(id) || !ValidButton(button)) return 0;
    JoystickState& pad = Joysticks.Pad[id];
    float& t = pad.HoldTimer[button - 1];
    t = Hold(t, GetButton(id, button) != 0, pad.HoldRate);
    return static_cast<int>(t);
}

void GetButtonHolds(int id, int& t1, int& t2, int& t3, int& t4) {
    if (!ValidId(id) || !Read(id, JOY_RETURNBUTTONS)) return;
    JoystickState& pad = Joysticks.Pad[id];
    int* out[kButtons] = {&t1, &t2, &t3, &t4};
    for (int b = 1; b <= kButtons; ++b) {
        float& t = pad.HoldTimer[b - 1];
        t = Hold(t, ButtonDown(b), pad.HoldRate);
        *out[b - 1] = static_cast<int>(t);
    }
}

void GetDirection(int id, int& dx, int& dy) {
    if (!ValidId(id) || !Read(id, JOY_RETURNX | JOY_RETURNY | JOY_USEDEADZONE)) return;
    dx = AxisDirection(Joysticks.Query.xpos, Joysticks.Rest[id].X);
    dy = AxisDirection(Joysticks.Query.ypos, Joysticks.Rest[id].Y);
}

int GetDirectionCode(int id) {
    int dx = 0, dy = 0;
    GetDirection(id, dx, dy);
    // Smaller y is forward, so y -1 is the keypad's top row.
    return 5 + dx - 3 * dy;
}

void GetPosition(int id, int& x, int& y) {
    if (!ValidId(id) || !Read(id, JOY_RETURNX | JOY_RETURNY | JOY_USEDEADZONE)) return;
    x = static_cast<int>(Joysticks.Query.xpos);
    y = static_cast<int>(Joysticks.Query.ypos);
}

void GetAnalog(int id, int& ax, int& ay) {
    if (!ValidId(id) || !Read(id, JOY_RETURNX | JOY_RETURNY | JOY_USEDEADZONE)) return;
    JoystickState& pad = Joysticks.Pad[id];
    const RestPosition& rest = Joysticks.Rest[id];
    float delta = elSystem::Clock.FrameDelta;
    pad.AnalogX = Ramp(pad.AnalogX, AxisDirection(Joysticks.Query.xpos, rest.X), pad.AnalogRate, delta);
    pad.AnalogY = Ramp(pad.AnalogY, AxisDirection(Joysticks.Query.ypos, rest.Y), pad.AnalogRate, delta);
    ax = static_cast<int>(pad.AnalogX);
    ay = static_cast<int>(pad.AnalogY);
}

}  // namespace elJoystick
