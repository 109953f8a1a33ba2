// elJoystick on the headless joysticks: buttons, directions, ramps, hold timers and failed reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "framework/input/joystick.h"
#include "framework/system/wait_timers.h"
#include "platform/headless/headless.h"
#include "tests/support/test_support.h"

using namespace elJoystick;
namespace hl = platform::headless;

namespace {
constexpr int kMid = 32767;

// A joystick 0 at rest when the display is set up, and frames of 0.1 s.
void StartWithStick() {
    StartFresh();
    hl::setJoystick(0, kMid, kMid, 0);
    Init();
    elSystem::Clock.FrameDelta = 0.1f;
}

std::vector<int> AnalogXOver(int frames) {
    std::vector<int> seen;
    for (int i = 0; i < frames; ++i) {
        int ax = -999, ay = -999;
        GetAnalog(0, ax, ay);
        seen.push_back(ax);
    }
    return seen;
}
}  // namespace

TEST(Joystick, InitCalibratesAndClearsEverything) {
    StartFresh();
    hl::setJoystick(0, 30000, 34000, 0);   // joystick 1 absent
    Joysticks.Pad[0].AnalogRate = 50;
    Joysticks.Pad[1].HoldTimer[2] = 40;
    Joysticks.Pad[0].Buttons[1] = 3;
    Init();
    int x = -1, y = -1;
    GetCenter(0, x, y);
    EXPECT_EQ(x, 30000);
    EXPECT_EQ(y, 34000);
    GetCenter(1, x, y);
    EXPECT_EQ(x, 0) << "a failed calibration rests at 0, 0";
    EXPECT_EQ(y, 0);
    EXPECT_EQ(Joysticks.Pad[0].AnalogRate, 0.0f);
    EXPECT_EQ(Joysticks.Pad[1].HoldTimer[2], 0.0f);
    EXPECT_EQ(Joysticks.Pad[0].Buttons[1], 0);

    // With the rates 0 that Init leaves, ramps and hold timers stand still.
    hl::setJoystick(0, 65535, 0, 0xF);
    elSystem::Clock.FrameDelta = 0.1f;
    int ax = -1, ay = -1, t = -1;
    for (int i = 0; i < 3; ++i) {
        GetAnalog(0, ax, ay);
        t = GetButtonHold(0, 1);
    }
    EXPECT_EQ(ax, 0);
    EXPECT_EQ(ay, 0);
    EXPECT_EQ(t, 0);
}

TEST(Joystick, ButtonsAndTwoPollsInOneFrame) {
    StartWithStick();
    hl::setJoystick(0, kMid, kMid, 0b0101);
    int b[4] = {-1, -1, -1, -1};
    GetButtons(0, b[0], b[1], b[2], b[3]);
    EXPECT_EQ(std::vector<int>(b, b + 4), (std::vector<int>{1, 0, 1, 0}));
    EXPECT_EQ(GetButton(0, 3), 1);
    EXPECT_EQ(GetButton(0, 4), 0);

    EXPECT_EQ(GetButtonState(0, 1), 1) << "pressed since the previous poll";
    EXPECT_EQ(GetButtonState(0, 1), 3) << "second poll in the same frame";
    EXPECT_EQ(GetButtonState(0, 1), 3) << "held since the previous frame";
    EXPECT_EQ(GetButtonState(0, 1), 3) << "and again in the same frame";

    ButtonState s[4] = {-1, -1, -1, -1};
    hl::setJoystick(0, kMid, kMid, 0b0110);
    GetButtonStates(0, s[0], s[1], s[2], s[3]);
    EXPECT_EQ(std::vector<int>(s, s + 4), (std::vector<int>{2, 1, 1, 0}))
        << "button 1 released, 2 pressed, 3 polled for the first time while down, 4 up";
}

TEST(Joystick, DeadZoneAndKeypadCodes) {
    struct Case { const char* name; int restX, restY, x, y; int dx, dy, code; } cases[] = {
        {"at rest", kMid, kMid, kMid, kMid, 0, 0, 5},
        {"up and left", kMid, kMid, 0, 0, -1, -1, 7},
        {"down and right", kMid, kMid, 65535, 65535, 1, 1, 3},
        {"up", kMid, kMid, kMid, 1000, 0, -1, 8},
        {"left", kMid, kMid, 1000, kMid, -1, 0, 4},
        {"right", kMid, kMid, 60000, kMid, 1, 0, 6},
        {"down and left", kMid, kMid, 0, 65535, -1, 1, 1},
        {"up and right", kMid, kMid, 65535, 0, 1, -1, 9},
        {"down", kMid, kMid, kMid, 65535, 0, 1, 2},
        {"edges: half and just above", kMid, kMid, 16383, 16384, -1, 0, 4},
        {"edges: just below rest + half and at it", kMid, kMid, 49149, 49150, 0, 1, 2},
        {"failed calibration, reading 0", 0, 0, 0, 0, -1, -1, 7},
        {"failed calibration, any reading above 0", 0, 0, 1, 32767, 1, 1, 3},
    };
    for (const Case& c : cases) {
        StartWithStick();
        Joysticks.Rest[0] = RestPosition{c.restX, c.restY};
        hl::setJoystick(0, c.x, c.y, 0);
        int dx = -9, dy = -9;
        GetDirection(0, dx, dy);
        EXPECT_EQ(dx, c.dx) << c.name;
        EXPECT_EQ(dy, c.dy) << c.name;
        EXPECT_EQ(GetDirectionCode(0), c.code) << c.name;
    }
}

TEST(Joystick, AnalogRampsAtItsRateAndPassesThroughZero) {
    StartWithStick();
    SetRates(0, 200.0f, 0.0f);
    hl::setJoystick(0, 65535, kMid, 0);
    EXPECT_EQ(AnalogXOver(6), (std::vector<int>{20, 40, 60, 80, 100, 100})) << "held right";
    hl::setJoystick(0, kMid, kMid, 0);
    EXPECT_EQ(AnalogXOver(6), (std::vector<int>{80, 60, 40, 20, 0, 0})) << "released";

    hl::setJoystick(0, 65535, kMid, 0);
    AnalogXOver(5);
    hl::setJoystick(0, 0, kMid, 0);
    EXPECT_EQ(AnalogXOver(11), (std::vector<int>{80, 60, 40, 20, 0, -20, -40, -60, -80, -100, -100}))
        << "reversed: through 0 at the same rate, no snap";
    hl::setJoystick(0, kMid, kMid, 0);
    EXPECT_EQ(AnalogXOver(2), (std::vector<int>{-80, -60})) << "released from the left";

    // Truncation is toward zero: -10.5 reads -10.
    SetRates(0, 105.0f, 0.0f);
    Clear();
    hl::setJoystick(0, 0, kMid, 0);
    EXPECT_EQ(AnalogXOver(1), (std::vector<int>{-10}));
}

TEST(Joystick, HoldTimersGrowToOneHundredAndDropAtRelease) {
    StartWithStick();
    SetRates(0, 0.0f, 300.0f);
    hl::setJoystick(0, kMid, kMid, 0b0010);
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i) seen.push_back(GetButtonHold(0, 2));
    EXPECT_EQ(seen, (std::vector<int>{30, 60, 90, 100, 100}));
    int t[4] = {-1, -1, -1, -1};
    GetButtonHolds(0, t[0], t[1], t[2], t[3]);
    EXPECT_EQ(std::vector<int>(t, t + 4), (std::vector<int>{0, 100, 0, 0}));
    hl::setJoystick(0, kMid, kMid, 0);
    EXPECT_EQ(GetButtonHold(0, 2), 0) << "first poll with the button up";

    // Clear restarts ramps and timers and keeps rates and button states.
    hl::setJoystick(0, 65535, kMid, 0b0001);
    SetRates(0, 200.0f, 300.0f);
    GetButtonHold(0, 1);
    GetButtonState(0, 1);
    int ax = 0, ay = 0;
    GetAnalog(0, ax, ay);
    Clear();
    EXPECT_EQ(Joysticks.Pad[0].HoldTimer[0], 0.0f);
    EXPECT_EQ(Joysticks.Pad[0].AnalogX, 0.0f);
    EXPECT_EQ(Joysticks.Pad[0].AnalogRate, 200.0f);
    EXPECT_EQ(Joysticks.Pad[0].HoldRate, 300.0f);
    EXPECT_EQ(Joysticks.Pad[0].Buttons[0], 1);
}

// Every way a read can fail: outputs keep what they held and the records stay as they were,
// except that a failed hold poll lets go of that button's timer.
TEST(Joystick, FailedReadsTouchNothing) {
    struct Case { const char* name; int id; bool pullOut; } cases[] = {
        {"joystick pulled out", 0, true}, {"id -1", -1, false}, {"id 2", 2, false},
        {"id INT_MIN", INT_MIN, false},   {"id INT_MAX", INT_MAX, false},
    };
    for (const Case& c : cases) {
        StartWithStick();
        SetRates(0, 200.0f, 300.0f);
        hl::setJoystick(0, 65535, kMid, 0b1111);
        int o[4];
        ButtonState s[4];
        GetAnalog(0, o[0], o[1]);
        GetButtonStates(0, s[0], s[1], s[2], s[3]);
        GetButtonHolds(0, o[0], o[1], o[2], o[3]);
        if (c.pullOut) hl::unplugJoystick(0);
        SetRates(c.id, 1.0f, 1.0f);
        JoystickTable before = Joysticks;

        std::fill(o, o + 4, -7);
        std::fill(s, s + 4, -7);
        GetButtons(c.id, o[0], o[1], o[2], o[3]);
        GetButtonStates(c.id, s[0], s[1], s[2], s[3]);
        GetButtonHolds(c.id, o[0], o[1], o[2], o[3]);
        GetDirection(c.id, o[0], o[1]);
        GetPosition(c.id, o[0], o[1]);
        GetAnalog(c.id, o[0], o[1]);
        if (!c.pullOut) GetCenter(c.id, o[0], o[1]);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(o[i], -7) << c.name << ", output " << i;
            EXPECT_EQ(s[i], -7) << c.name << ", state output " << i;
        }
        EXPECT_EQ(GetButton(c.id, 1), 0) << c.name;
        EXPECT_EQ(GetButtonState(c.id, 1), 0) << c.name;
        EXPECT_EQ(GetDirectionCode(c.id), 5) << c.name;
        EXPECT_EQ(std::memcmp(&before, &Joysticks, offsetof(JoystickTable, Query)), 0)
            << c.name << ": rest positions and records unchanged";
        EXPECT_EQ(GetButtonHold(c.id, 4), 0) << c.name;
        EXPECT_EQ(Joysticks.Pad[0].HoldTimer[3], c.pullOut ? 0.0f : 30.0f) << c.name;
    }
    StartWithStick();
    hl::setJoystick(0, kMid, kMid, 0b1111);
    for (int button : {0, 5, -1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(GetButton(0, button), 0) << "button " << button;
        EXPECT_EQ(GetButtonState(0, button), 0) << "button " << button;
        EXPECT_EQ(GetButtonHold(0, button), 0) << "button " << button;
    }
}

TEST(Joystick, RatesCannotCarryRampsOutOfRange) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    StartWithStick();
    SetRates(0, 200.0f, 300.0f);
    SetRates(0, nan, inf);
    EXPECT_EQ(Joysticks.Pad[0].AnalogRate, 200.0f) << "NaN refused, the old rate stays";
    EXPECT_EQ(Joysticks.Pad[0].HoldRate, 300.0f) << "infinity refused, the old rate stays";

    // A negative rate ramps the other way while pushed; let go, it must not run away.
    SetRates(0, -200.0f, -300.0f);
    hl::setJoystick(0, 65535, kMid, 0b0001);
    EXPECT_EQ(AnalogXOver(2), (std::vector<int>{-20, -40}));
    EXPECT_EQ(GetButtonHold(0, 1), 0);
    hl::setJoystick(0, kMid, kMid, 0);
    std::vector<int> released = AnalogXOver(2000);
    for (int v : released) ASSERT_TRUE(v >= -100 && v <= 100) << "analogue value " << v;

    // The largest finite rate over a long pause still lands on the limit.
    SetRates(0, std::numeric_limits<float>::max(), std::numeric_limits<float>::max());
    elSystem::Clock.FrameDelta = 4294967.0f;
    hl::setJoystick(0, 0, kMid, 0b0001);
    EXPECT_EQ(AnalogXOver(1), (std::vector<int>{-100}));
    EXPECT_EQ(GetButtonHold(0, 1), 100);
}
