// Platform: the polled input devices: joysticks 0 and 1 through the classic position query, and
// the keyboard's key state.
#pragma once
#include <cstdint>

namespace platform {

// ---------------------------------------------------------------- joystick

constexpr int kJoystickIds = 2;   // 0 is the system's first joystick, 1 its second

// Flags of the query record: which fields the caller wants filled in.
constexpr std::uint32_t JOY_RETURNX = 0x001;
constexpr std::uint32_t JOY_RETURNY = 0x002;
constexpr std::uint32_t JOY_RETURNZ = 0x004;
constexpr std::uint32_t JOY_RETURNR = 0x008;
constexpr std::uint32_t JOY_RETURNU = 0x010;
constexpr std::uint32_t JOY_RETURNV = 0x020;
constexpr std::uint32_t JOY_RETURNPOV = 0x040;
constexpr std::uint32_t JOY_RETURNBUTTONS = 0x080;
constexpr std::uint32_t JOY_RETURNALL = 0x0FF;
constexpr std::uint32_t JOY_USEDEADZONE = 0x800;

// Results of the query.
constexpr std::uint32_t JOYERR_NOERROR = 0;
constexpr std::uint32_t JOYERR_PARMS = 165;       // bad id or a record of the wrong size
constexpr std::uint32_t JOYERR_UNPLUGGED = 167;   // no joystick behind that id now

// The 52-byte query record. Positions are on the scale 0 to 65535 with the centre near 32767;
// smaller y is forward. Bit n of buttons is button n + 1.
struct JoyInfoEx {
    std::uint32_t size = 0;
    std::uint32_t flags = 0;
    std::uint32_t xpos = 0, ypos = 0, zpos = 0, rpos = 0, upos = 0, vpos = 0;
    std::uint32_t buttons = 0;
    std::uint32_t buttonNumber = 0;
    std::uint32_t pov = 0;
    std::uint32_t reserved1 = 0, reserved2 = 0;
};
static_assert(sizeof(JoyInfoEx) == 52, "the query record has the published size");

// Called by every elJoystick operation that reads a device, once per read. The caller sets
// size to 52 and flags to what it wants; x, y and the buttons mask are filled in as the flags
// ask (the other fields are left as they are; JOY_USEDEADZONE is the driver's business and
// changes nothing here). Returns JOYERR_NOERROR, or non-zero with the record untouched when
// the id is not 0 or 1, the size is wrong or no joystick is there.
std::uint32_t joyGetPosEx(int id, JoyInfoEx& info);

// ---------------------------------------------------------------- keyboard

// Called by elSystem::GetKey, once per poll. The state of a virtual key (1 to 255) as of the
// messages taken from the queue so far: bit 0x80 (and the sign bit) set while it is down, 0
// while it is up. Codes outside 0 to 255 read as up.
std::int16_t getKeyState(int virtualKey);

}  // namespace platform
