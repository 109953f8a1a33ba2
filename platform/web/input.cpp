// Web backend: the page's input events (pointer, keys, focus; touches arrive as the pointer's)
// as window messages, the key state they leave, and the browser's gamepads as the joysticks.
#include <emscripten.h>

#include <array>
#include <cstdint>
#include <cstddef>
#include <utility>

#include "platform/backend.h"
#include "platform/web/web_backend.h"
#include "platform/window/mouse_buttons.h"
#include "platform/window/recording.h"
#include "platform/window/window.h"

namespace platform::web {
namespace {

// clang-format off
// The next input event: its kind (0: none), numbers in out[0..3] and a key's name in code.
EM_JS(int, pageNextEvent, (int* out, char* code, int codeSize), {
    const e = Module.page.events.shift();
    if (!e) return 0;
    HEAP32[(out >> 2) + 0] = e.a | 0;
    HEAP32[(out >> 2) + 1] = e.b | 0;
    HEAP32[(out >> 2) + 2] = e.c | 0;
    HEAP32[(out >> 2) + 3] = e.d | 0;
    stringToUTF8(e.code ? e.code : "", code, codeSize);
    return e.kind;
});
EM_JS(int, pageEventsWaiting, (), { return Module.page.events.length; });
// Joystick id's position and buttons in out[0..2] as the page reads the gamepads now; 0 when no
// gamepad is behind that id.
EM_JS(int, pageReadJoystick, (int id, unsigned* out), {
    const s = Module.page.readJoystick(id);
    if (!s) return 0;
    HEAPU32[(out >> 2) + 0] = s[0];
    HEAPU32[(out >> 2) + 1] = s[1];
    HEAPU32[(out >> 2) + 2] = s[2];
    return 1;
});
// clang-format on

enum EventKind { kNone, kMove, kPress, kRelease, kKeyDown, kKeyUp, kFocus, kText };

// The page's input events as they are numbered by the page script.
struct Event {
    int kind = kNone;
    int a = 0, b = 0, c = 0, d = 0;
    char code[32] = {};
};

// The keys down and where the pointer was last reported, in client coordinates.
struct InputDevices {
    std::array<bool, 256> keys{};
    int pointerX = 0, pointerY = 0;
};

InputDevices inputDevices;

// The page numbers the buttons as the browser does: 0 left, 2 right.
MouseButton buttonOf(int button) {
    if (button == 0) return MouseButton::left;
    if (button == 2) return MouseButton::right;
    return MouseButton::other;
}

void translate(const Event& e) {
    const WindowId window = mainWindow();
    recording::beginInput();
    switch (e.kind) {
        case kMove:
            inputDevices.pointerX = e.b;
            inputDevices.pointerY = e.c;
            postMessage(window, WM_MOUSEMOVE, 0, makePosition(e.b, e.c));
            break;
        case kPress:
            inputDevices.pointerX = e.b;
            inputDevices.pointerY = e.c;
            // The browser counts quick presses on one spot (the event's detail).
            postMouseButton(buttonOf(e.a), true, e.d, e.b, e.c);
            break;
        case kRelease:
            postMouseButton(buttonOf(e.a), false, e.d, e.b, e.c);
            break;
        case kKeyDown:
        case kKeyUp: {
            const int vk = virtualKey(e.code);
            if (vk == 0) break;
            inputDevices.keys[static_cast<std::size_t>(vk)] = e.kind == kKeyDown;
            postMessage(window, e.kind == kKeyDown ? WM_KEYDOWN : WM_KEYUP, static_cast<WParam>(vk), 1);
            break;
        }
        case kText: {
            // One character a key typed, its code in a (the page leaves out keys that type none).
            const auto c = static_cast<std::uint32_t>(e.a);
            if (c >= 0x20 && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF) && !(c >= 0x7F && c < 0xA0))
                postMessage(window, WM_CHAR, static_cast<WParam>(c), 1);
            break;
        }
        case kFocus:
            // Keys held when the page lost the focus are never reported released: they are let
            // go here, with their messages, as the desktop's window does.
            if (e.a == 0)
                for (std::size_t vk = 0; vk < inputDevices.keys.size(); ++vk)
                    if (std::exchange(inputDevices.keys[vk], false)) postMessage(window, WM_KEYUP, vk, 1);
            postMessage(window, WM_ACTIVATEAPP, e.a != 0 ? 1 : 0, 0);
            break;
        default:
            break;
    }
    recording::endInput();
}

}  // namespace

bool drainEvents() {
    bool any = false;
    Event e;
    while ((e.kind = pageNextEvent(&e.a, e.code, sizeof e.code)) != kNone) {
        translate(e);
        any = true;
    }
    return any;
}

bool eventsWaiting() { return pageEventsWaiting() != 0; }

void pointerPosition(int& x, int& y) {
    x = inputDevices.pointerX;
    y = inputDevices.pointerY;
}

}  // namespace platform::web

namespace platform::backend {

using web::inputDevices;

// ---------------------------------------------------------------- input devices

bool readJoystick(int id, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons) {
    unsigned state[3] = {};
    if (web::pageReadJoystick(id, state) == 0) return false;
    x = state[0];
    y = state[1];
    buttons = state[2];
    return true;
}

bool keyDown(int virtualKey) {
    // As the key messages leave it, as on the desktop.
    return postedKeyDown(virtualKey);
}

}  // namespace platform::backend
