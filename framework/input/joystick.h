// elJoystick: polling of joysticks 0 and 1: buttons with edge states and hold timers, stick
// directions with a dead zone, and analogue positions that ramp at a rate per second.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/input/joystick.h is the framework's own; include <quorbix/joystick.h> instead (this path goes in Quorbix 2.0)")
#endif
#include "framework/input/button_state.h"
#include "platform/window/joystick.h"

namespace elJoystick {

constexpr int kJoysticks = 2;    // ids 0 and 1
constexpr int kButtons = 4;      // buttons 1 to 4
constexpr float kRampLimit = 100.0f;

// Where the stick lay when it was calibrated; 0, 0 when that read failed.
struct RestPosition {
    int X = 0;
    int Y = 0;
};

// One stick's record: its ramps, hold timers, button states and rates.
struct JoystickState {
    float AnalogX = 0.0f;             // -100 to 100
    float AnalogY = 0.0f;
    float AnalogRate = 0.0f;          // units per second
    float HoldTimer[kButtons] = {};   // 0 to 100, per button 1 to 4
    float HoldRate = 0.0f;            // units per second
    ButtonState Buttons[kButtons] = {};
};

// Both sticks' records, rest positions and last reading.
struct JoystickTable {
    RestPosition Rest[kJoysticks];
    JoystickState Pad[kJoysticks];
    platform::JoyInfoEx Query;   // the one query record every read goes through
    void reset() { *this = JoystickTable{}; }
};
// The joysticks themselves: elJoystick::Joysticks.
extern JoystickTable Joysticks;

// Called once by elDraw::Screen at display set-up: calibrates, then clears both records
// entirely (positions, timers, button states and rates).
void Init();
// Reads joystick 0, then 1, and keeps each one's position as its rest position.
void Calibrate();
// Ramps and hold timers back to 0; rates and button states are kept.
void Clear();
// Rates in units per second. A rate that is not a finite number is refused (the old one stays).
void SetRates(int id, float analogRate, float holdRate);
// The stick's rest position, as calibrated.
void GetCenter(int id, int& x, int& y);

// Every operation below reads the device once. An id other than 0 or 1, a button outside 1
// to 4, or a failed read leaves outputs and stored values untouched; the functions with a
// result then return 0 (GetDirectionCode returns 5, the centre).

// 1 while the button (1 to 4) is down.
int GetButton(int id, int button);
// Polls the button and steps its edge state (pressed, held, released, up).
ButtonState GetButtonState(int id, int button);
// GetButton for all four buttons at once.
void GetButtons(int id, int& b1, int& b2, int& b3, int& b4);
// GetButtonState for all four buttons at once.
void GetButtonStates(int id, ButtonState& s1, ButtonState& s2, ButtonState& s3, ButtonState& s4);
// The button's hold timer after this frame; a failed read counts as the button up (timer 0).
int GetButtonHold(int id, int button);
// GetButtonHold for all four buttons at once.
void GetButtonHolds(int id, int& t1, int& t2, int& t3, int& t4);
// -1, 0 or 1 per axis around the rest position.
void GetDirection(int id, int& dx, int& dy);
// The digit of a numeric keypad that points the stick's way: 7 8 9 / 4 5 6 / 1 2 3.
int GetDirectionCode(int id);
// The stick's raw position (0 to 65535 per axis).
void GetPosition(int id, int& x, int& y);
// The analogue ramps, moving towards -100 or 100 per axis at the rate SetRates gave.
void GetAnalog(int id, int& ax, int& ay);

}  // namespace elJoystick
