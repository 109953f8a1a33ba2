// Input: named virtual-key codes, the numbers every backend reports keys by (elSystem::GetKey,
// elSystem::IsKeyDown, Input.LastKey and the headless script's key events take them).
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/input/keys.h is the framework's own; include <quorbix/system.h> instead (this path goes in Quorbix 2.0)")
#endif
#include "framework/input/button_state.h"

namespace elKey {

// Letters and the main row's digits are their upper-case ASCII codes: elKey::A == 'A'.
constexpr int A = 'A', B = 'B', C = 'C', D = 'D', E = 'E', F = 'F', G = 'G', H = 'H', I = 'I', J = 'J',
              K = 'K', L = 'L', M = 'M', N = 'N', O = 'O', P = 'P', Q = 'Q', R = 'R', S = 'S', T = 'T',
              U = 'U', V = 'V', W = 'W', X = 'X', Y = 'Y', Z = 'Z';
constexpr int Digit0 = '0', Digit1 = '1', Digit2 = '2', Digit3 = '3', Digit4 = '4', Digit5 = '5',
              Digit6 = '6', Digit7 = '7', Digit8 = '8', Digit9 = '9';

constexpr int Backspace = 8;
constexpr int Tab = 9;
constexpr int Enter = 13;     // either Enter key
constexpr int Shift = 16;     // either Shift key
constexpr int Control = 17;   // either Ctrl key
constexpr int Alt = 18;       // either Alt key
constexpr int Pause = 19;
constexpr int CapsLock = 20;
constexpr int Escape = 27;    // also ends the program (the window procedure's shutdown)
constexpr int Space = 32;
constexpr int PageUp = 33;
constexpr int PageDown = 34;
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Insert = 45;
constexpr int Delete = 46;

// The numeric keypad.
constexpr int Pad0 = 96, Pad1 = 97, Pad2 = 98, Pad3 = 99, Pad4 = 100, Pad5 = 101, Pad6 = 102, Pad7 = 103,
              Pad8 = 104, Pad9 = 105;
constexpr int PadMultiply = 106;
constexpr int PadPlus = 107;
constexpr int PadMinus = 109;
constexpr int PadPoint = 110;
constexpr int PadDivide = 111;

constexpr int F1 = 112, F2 = 113, F3 = 114, F4 = 115, F5 = 116, F6 = 117, F7 = 118, F8 = 119, F9 = 120,
              F10 = 121, F11 = 122, F12 = 123;

}  // namespace elKey
