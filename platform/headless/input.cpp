// Headless backend: the scripted joysticks and key state. A joystick is absent until the script
// or a test sets it; keys follow the script's key and keyup events.
#include <cstdint>

#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/headless/script.h"
#include "platform/window/joystick.h"

namespace platform::headless {
namespace {

struct Stick {
    bool present = false;
    std::uint32_t x = 0, y = 0, buttons = 0;
};

struct InputDevices {
    Stick sticks[kJoystickIds];
    bool keys[256] = {};
};

InputDevices devices;

bool validId(int id) { return id >= 0 && id < kJoystickIds; }

}  // namespace

void resetInput() { devices = InputDevices{}; }

void setJoystick(int id, int x, int y, std::uint32_t buttons) {
    if (!validId(id)) return;
    // Positions are kept on the query's scale, whatever a test passes in.
    auto onScale = [](int v) { return static_cast<std::uint32_t>(v < 0 ? 0 : v > 65535 ? 65535 : v); };
    devices.sticks[id] = Stick{true, onScale(x), onScale(y), buttons};
}

void unplugJoystick(int id) {
    if (validId(id)) devices.sticks[id].present = false;
}

void setKeyDown(int virtualKey, bool down) {
    if (virtualKey >= 0 && virtualKey <= 255) devices.keys[virtualKey] = down;
}

}  // namespace platform::headless

namespace platform::backend {

using headless::devices;

bool readJoystick(int id, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons) {
    if (!headless::validId(id) || !devices.sticks[id].present) return false;
    x = devices.sticks[id].x;
    y = devices.sticks[id].y;
    buttons = devices.sticks[id].buttons;
    return true;
}

bool keyDown(int virtualKey) { return virtualKey >= 0 && virtualKey <= 255 && devices.keys[virtualKey]; }

}  // namespace platform::backend
