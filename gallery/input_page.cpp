// Gallery: the input page. Both joysticks polled every frame (position, direction, keypad code,
// analogue ramps, button edge states and hold timers) and the edge states of a few keys with
// their recent history. Each joystick operation reads the device once; each key is polled once
// per frame, so that its states describe frames.
#include <cstdio>

#include <quorbix/draw.h>
#include <quorbix/joystick.h>
#include <quorbix/system.h>

#include "gallery/gallery.h"

namespace {

constexpr int kHistory = 32;
constexpr int kKeys = 10;
constexpr int VK_C = 'C';

const elSystem::CodePageText kLeft("←");
const elSystem::CodePageText kRight("→");
const elSystem::CodePageText kUp("↑");
const elSystem::CodePageText kDown("↓");
const elSystem::CodePageText kNote("C: elJoystick::Calibrate   rates 200 / 100 per second");

struct KeyRow {
    const char* name;
    int virtualKey;
    ButtonState* polled;   // the arrows are polled by the gallery's own frame; null: polled here
};

struct InputPageState {
    ButtonState Keys[kKeys] = {};
    ButtonState History[kKeys][kHistory] = {};
    int Head = 0;   // the slot of History that the next frame writes
};
InputPageState State;

const KeyRow kKeyRows[kKeys] = {
    {kLeft, 37, &Gallery.KeyLeft}, {kRight, 39, &Gallery.KeyRight}, {kUp, 38, &Gallery.KeyUp},
    {kDown, 40, &Gallery.KeyDown}, {"Space", 32, nullptr},        {"Enter", 13, nullptr},
    {"Shift", 16, nullptr},        {"Z", 'Z', nullptr},             {"X", 'X', nullptr},
    {"C", VK_C, nullptr},
};

// Colours (COLORREF) of the four edge states: up, pressed, released, held.
constexpr std::uint32_t kStateColors[4] = {0x505050, 0x40FF40, 0x4040FF, 0x00FFFF};
const char* const kStateNames[4] = {"up", "pressed", "released", "held"};

struct Pad {
    bool connected = false;
    int x = -1, y = -1, dx = 0, dy = 0, code = 5, ax = 0, ay = 0, cx = 0, cy = 0;
    ButtonState buttons[elJoystick::kButtons] = {};
    int holds[elJoystick::kButtons] = {};
};

Pad Poll(int id) {
    Pad p;
    // A failed read leaves the outputs as they were: x stays -1 when nothing answers.
    elJoystick::GetPosition(id, p.x, p.y);
    p.connected = p.x >= 0;
    elJoystick::GetDirection(id, p.dx, p.dy);
    p.code = elJoystick::GetDirectionCode(id);
    elJoystick::GetAnalog(id, p.ax, p.ay);
    elJoystick::GetButtonStates(id, p.buttons[0], p.buttons[1], p.buttons[2], p.buttons[3]);
    elJoystick::GetButtonHolds(id, p.holds[0], p.holds[1], p.holds[2], p.holds[3]);
    elJoystick::GetCenter(id, p.cx, p.cy);
    return p;
}

// Bars and the keypad: primitives, each taking Back's context by itself.
void DrawPadShapes(const Pad& p, int x0) {
    // The keypad digits 7 8 9 / 4 5 6 / 1 2 3; the stick's digit cross-hatched.
    for (int digit = 1; digit <= 9; ++digit) {
        const int col = (digit - 1) % 3, row = 2 - (digit - 1) / 3;
        const int left = x0 + 160 + 20 * col, top = 60 + 20 * row;
        const elDraw::Point cell[4] = {{left, top}, {left + 18, top}, {left + 18, top + 18}, {left, top + 18}};
        elDraw::Polygon(cell, 4, digit == p.code ? 0x40FFFF : 0x808080, 0x303030, 1, digit == p.code ? 1 : 0);
    }
    if (!p.connected) return;
    // Analogue positions, -100 to 100 around a centre line.
    const int mid = x0 + 110;
    for (int axis = 0; axis < 2; ++axis) {
        const int y = 138 + 16 * axis, value = axis == 0 ? p.ax : p.ay;
        elDraw::Line(mid - 100, y, mid + 101, y, 0x404040, 1);
        elDraw::Line(mid, y, mid + value, y, 0xFFC040, 8);
    }
    // Hold timers, 0 to 100, in the colour of the button's edge state.
    for (int b = 0; b < elJoystick::kButtons; ++b) {
        const int y = 182 + 16 * b;
        elDraw::Line(x0 + 90, y, x0 + 191, y, 0x404040, 1);
        if (p.holds[b] > 0) elDraw::Line(x0 + 90, y, x0 + 90 + p.holds[b], y, kStateColors[p.buttons[b] & 3], 8);
    }
}

void DrawPadText(const Pad& p, int id, int x0) {
    char line[96];
    std::snprintf(line, sizeof line, "Joystick %d: %s", id, p.connected ? "connected" : "not connected");
    elDraw::SetTextColors(p.connected ? 0xFFFFFF : 0x808080, 0, 1);
    elDraw::PutText(x0, 40, line);
    std::snprintf(line, sizeof line, "rest %d, %d", p.cx, p.cy);
    elDraw::PutText(x0, 58, line);
    if (!p.connected) return;
    std::snprintf(line, sizeof line, "x %d  y %d", p.x, p.y);
    elDraw::PutText(x0, 76, line);
    std::snprintf(line, sizeof line, "direction %d, %d", p.dx, p.dy);
    elDraw::PutText(x0, 94, line);
    std::snprintf(line, sizeof line, "code %d", p.code);
    elDraw::PutText(x0, 112, line);
    std::snprintf(line, sizeof line, "ax %d", p.ax);
    elDraw::PutText(x0, 131, line);
    std::snprintf(line, sizeof line, "ay %d", p.ay);
    elDraw::PutText(x0, 147, line);
    for (int b = 0; b < elJoystick::kButtons; ++b) {
        std::snprintf(line, sizeof line, "%d: %d %s", b + 1, p.buttons[b], kStateNames[p.buttons[b] & 3]);
        elDraw::PutText(x0, 175 + 16 * b, line);
    }
}

void Enter() {
    State = InputPageState{};
    for (int id = 0; id < elJoystick::kJoysticks; ++id) elJoystick::SetRates(id, 200.0f, 100.0f);
    elJoystick::Clear();
}

void Frame(int t) {
    for (int k = 0; k < kKeys; ++k) {
        const KeyRow& row = kKeyRows[k];
        if (row.polled == nullptr)
            elSystem::GetKey(row.virtualKey, State.Keys[k]);
        else
            State.Keys[k] = *row.polled;
        State.History[k][State.Head] = State.Keys[k];
    }
    State.Head = (State.Head + 1) % kHistory;
    if (State.Keys[kKeys - 1] == kButtonPressed) elJoystick::Calibrate();
    const Pad pads[2] = {Poll(0), Poll(1)};

    DrawPadShapes(pads[0], 8);
    DrawPadShapes(pads[1], 248);
    // Each key's last frames, oldest on the left.
    for (int k = 0; k < kKeys; ++k) {
        const int x0 = 70 + k / 5 * 240, y = 256 + 14 * (k % 5);
        for (int i = 0; i < kHistory; ++i) {
            const ButtonState s = State.History[k][(State.Head + i) % kHistory];
            elDraw::Line(x0 + 5 * i, y, x0 + 5 * i, y + 8, kStateColors[s & 3], 4);
        }
    }

    elDraw::BeginText(elDraw::kFaceGothic, 12, 0, 0, 0, 0);
    DrawPadText(pads[0], 0, 8);
    DrawPadText(pads[1], 1, 248);
    char line[32];
    for (int k = 0; k < kKeys; ++k) {
        const int x0 = 8 + k / 5 * 240, y = 252 + 14 * (k % 5);
        elDraw::SetTextColors(0xFFFFFF, 0, 1);
        elDraw::PutText(x0, y, kKeyRows[k].name);
        std::snprintf(line, sizeof line, "%d", State.Keys[k]);
        elDraw::SetTextColors(kStateColors[State.Keys[k] & 3], 0, 1);
        elDraw::PutText(x0 + 44, y, line);
    }
    elDraw::SetTextColors(0xA0A0A0, 0, 1);
    elDraw::PutText(8, 326, kNote);
    elDraw::EndText();
}

}  // namespace

const GalleryPage kInputPage = {
    .name = "elJoystick and elSystem::GetKey",
    .call = "elJoystick::GetButtonStates(id, s1, s2, s3, s4);  elSystem::GetKey(VK_SPACE, state);",
    .file = "input",
    .enter = Enter,
    .frame = Frame,
    .showcase = 20,
    .stays = true,
};
