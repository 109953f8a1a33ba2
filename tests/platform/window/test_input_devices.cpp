// The platform's joystick query and key state on the headless backend, and the script events
// that drive them.
#include <gtest/gtest.h>

#include <string>

#include "platform/headless/headless.h"
#include "platform/window/joystick.h"
#include "platform/window/window.h"
#include "tests/support/test_support.h"

namespace hl = platform::headless;
using platform::JoyInfoEx;

namespace {
JoyInfoEx Query(std::uint32_t flags) {
    JoyInfoEx q;
    q.size = sizeof q;
    q.flags = flags;
    q.xpos = q.ypos = q.buttons = 0xDEAD;
    return q;
}
}  // namespace

TEST(InputDevices, QueryFailuresTouchNothing) {
    StartFresh();
    hl::setJoystick(0, 100, 200, 1);
    struct Case { const char* name; int id; std::uint32_t size; std::uint32_t result; } cases[] = {
        {"absent joystick", 1, 52, platform::JOYERR_UNPLUGGED},
        {"id -1", -1, 52, platform::JOYERR_PARMS},
        {"id 2", 2, 52, platform::JOYERR_PARMS},
        {"record size 0", 0, 0, platform::JOYERR_PARMS},
        {"record size 64", 0, 64, platform::JOYERR_PARMS},
    };
    for (const Case& c : cases) {
        JoyInfoEx q = Query(platform::JOY_RETURNALL);
        q.size = c.size;
        EXPECT_EQ(platform::joyGetPosEx(c.id, q), c.result) << c.name;
        EXPECT_EQ(q.xpos, 0xDEADu) << c.name;
        EXPECT_EQ(q.buttons, 0xDEADu) << c.name;
    }
    hl::unplugJoystick(0);
    JoyInfoEx q = Query(platform::JOY_RETURNALL);
    EXPECT_EQ(platform::joyGetPosEx(0, q), platform::JOYERR_UNPLUGGED) << "pulled out";
}

TEST(InputDevices, ScriptDrivesJoysticksAndKeys) {
    StartFresh();
    std::string error;
    ASSERT_TRUE(hl::loadScript("0 joy 0 100 200 5   # plugged in at start-up\n"
                               "1 key 65\n"
                               "2 joy 0 65535 0 15\n2 keyup 65\n"
                               "3 joy-off 0\n",
                               error))
        << error;
    struct Step { int frame; std::uint32_t result, x, buttons; bool keyDown; } steps[] = {
        {0, platform::JOYERR_NOERROR, 100, 5, false},
        {1, platform::JOYERR_NOERROR, 100, 5, true},
        {2, platform::JOYERR_NOERROR, 65535, 15, false},
        {3, platform::JOYERR_UNPLUGGED, 0xDEAD, 0xDEAD, false},
    };
    for (const Step& s : steps) {
        while (hl::currentFrame() < s.frame) {
            platform::waitFrame(50);
            platform::Message m;
            while (platform::peekMessage(m)) {}
        }
        JoyInfoEx q = Query(platform::JOY_RETURNALL);
        EXPECT_EQ(platform::joyGetPosEx(0, q), s.result) << "frame " << s.frame;
        EXPECT_EQ(q.xpos, s.x) << "frame " << s.frame;
        EXPECT_EQ(q.buttons, s.buttons) << "frame " << s.frame;
        EXPECT_EQ(platform::getKeyState(65) & 0x80, s.keyDown ? 0x80 : 0) << "frame " << s.frame;
    }
}

TEST(InputDevices, BadJoystickLinesAreNamed) {
    struct Case { const char* line; const char* expected; } cases[] = {
        {"1 joy 2 0 0 0", "line 1: 'joy' takes ID (0 or 1), X and Y (0 to 65535) and BUTTONS (0 to 4294967295, bit n for button n + 1)"},
        {"1 joy 0 0 0 4294967296", "line 1: 'joy' takes ID (0 or 1), X and Y (0 to 65535) and BUTTONS (0 to 4294967295, bit n for button n + 1)"},
        {"1 joy-off 2", "line 1: 'joy-off' takes 1 number(s) from 0 to 1"},
        {"0 key 65", "line 1: frame number must be 1 or more, not '0' (frame 0 is for joy, joy-off, tick and time only)"},
        {"-1 joy 0 0 0 0", "line 1: frame number must be 1 or more, not '-1'"},
    };
    for (const Case& c : cases) {
        StartFresh();
        std::string error;
        EXPECT_FALSE(hl::loadScript(c.line, error)) << c.line;
        EXPECT_EQ(error, c.expected) << c.line;
        JoyInfoEx q = Query(platform::JOY_RETURNALL);
        EXPECT_EQ(platform::joyGetPosEx(0, q), platform::JOYERR_UNPLUGGED) << c.line << ": nothing applied";
    }
}
