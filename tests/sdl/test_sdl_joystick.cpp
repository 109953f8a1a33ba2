// The SDL backend's joystick query against SDL's virtual joysticks: the scale, the buttons mask,
// and joysticks plugged in and pulled out while the program runs.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/window/joystick.h"

namespace {

struct Reading {
    std::uint32_t result, x, y, buttons;
};

Reading Read(int id) {
    platform::JoyInfoEx q;
    q.size = sizeof q;
    q.flags = platform::JOY_RETURNALL | platform::JOY_USEDEADZONE;
    q.xpos = q.ypos = q.buttons = 0xDEAD;
    std::uint32_t result = platform::joyGetPosEx(id, q);
    return Reading{result, q.xpos, q.ypos, q.buttons};
}

void ExpectReading(const char* step, int id, Reading expected) {
    Reading r = Read(id);
    EXPECT_EQ(r.result, expected.result) << step << ", id " << id;
    EXPECT_EQ(r.x, expected.x) << step << ", id " << id;
    EXPECT_EQ(r.y, expected.y) << step << ", id " << id;
    EXPECT_EQ(r.buttons, expected.buttons) << step << ", id " << id;
}

constexpr std::uint32_t kUnread = 0xDEAD;
constexpr Reading kAbsent{platform::JOYERR_UNPLUGGED, kUnread, kUnread, kUnread};

}  // namespace

TEST(SdlJoystick, FoundWhenPluggedInAndLostWhenPulledOut) {
    ExpectReading("before any joystick", 0, kAbsent);   // also starts SDL's joystick subsystem
    if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "this machine has joysticks of its own";

    int first = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 6, 0);
    ASSERT_EQ(first, 0) << SDL_GetError();
    SDL_Joystick* a = SDL_JoystickOpen(first);
    ASSERT_NE(a, nullptr) << SDL_GetError();
    SDL_JoystickSetVirtualAxis(a, 0, -32768);
    SDL_JoystickSetVirtualAxis(a, 1, 32767);
    for (int b : {0, 3, 5}) SDL_JoystickSetVirtualButton(a, b, 1);
    // SDL maps a virtual pad of the controller kind: buttons 1 and 4 are A and Y, the sixth is
    // no face button.
    ExpectReading("first plugged in", 0, {platform::JOYERR_NOERROR, 0, 65535, 0b1001});
    ExpectReading("first plugged in", 1, kAbsent);

    int second = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    ASSERT_EQ(second, 1) << SDL_GetError();
    SDL_Joystick* b = SDL_JoystickOpen(second);
    ASSERT_NE(b, nullptr) << SDL_GetError();
    SDL_JoystickSetVirtualAxis(b, 0, 0);
    SDL_JoystickSetVirtualAxis(b, 1, -1);
    SDL_JoystickSetVirtualButton(b, 1, 1);
    ExpectReading("second plugged in", 1, {platform::JOYERR_NOERROR, 32768, 32767, 0b10});

    SDL_JoystickClose(a);
    ASSERT_EQ(SDL_JoystickDetachVirtual(first), 0) << SDL_GetError();
    ExpectReading("first pulled out: the second moves up", 0, {platform::JOYERR_NOERROR, 32768, 32767, 0b10});
    ExpectReading("first pulled out", 1, kAbsent);

    SDL_JoystickClose(b);
    ASSERT_EQ(SDL_JoystickDetachVirtual(0), 0) << SDL_GetError();
    ExpectReading("both pulled out", 0, kAbsent);
}
