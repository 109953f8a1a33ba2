// The edge states of polled keys and buttons, the plain key-down poll, and the input locks that
// hold them back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/shell/flip.h"
#include "framework/input/button_state.h"
#include "framework/input/keys.h"
#include "framework/input/joystick.h"
#include "framework/system/system_utils.h"
#include "platform/headless/headless.h"
#include "tests/support/test_support.h"

namespace hl = platform::headless;

namespace {
constexpr int kVkSpace = 32;

// Polls one key once per step with the key down or up as given; returns the states read.
std::vector<int> PollKey(const std::vector<bool>& downs) {
    ButtonState state = 0;
    std::vector<int> seen;
    for (bool down : downs) {
        hl::setKeyDown(kVkSpace, down);
        int returned = elSystem::GetKey(kVkSpace, state);
        EXPECT_EQ(returned, state) << "the result is also stored in the caller's state";
        seen.push_back(returned);
    }
    return seen;
}

// A program whose one scene reads two keys with IsKeyDown; the trace shows Left.
int leftDown = -1, escapeDown = -1;
void KeyScene() {
    leftDown = elSystem::IsKeyDown(elKey::Left);
    escapeDown = elSystem::IsKeyDown(elKey::Escape);
}
void UseKeyProgram() {
    ProgramSetup setup;
    setup.Init = [] { Shell.SceneId = 1; };
    setup.Scenes[1] = KeyScene;
    setup.TraceFields = [](std::string& line) { line += ",\"left\":" + std::to_string(leftDown); };
    UseProgram(setup);
}
}  // namespace

TEST(KeyPoll, EdgeStatesFollowTheKey) {
    StartFresh();
    struct Case {
        const char* name;
        std::vector<bool> downs;
        std::vector<int> expected;
    } cases[] = {
        {"held across polls, then released", {true, true, true, false, false}, {1, 3, 3, 2, 0}},
        {"down, up, down: a press right after a release reads held", {true, false, true}, {1, 2, 3}},
        {"never pressed", {false, false}, {0, 0}},
        {"pressed again after resting up", {true, false, false, true}, {1, 2, 0, 1}},
    };
    for (const Case& c : cases) EXPECT_EQ(PollKey(c.downs), c.expected) << c.name;
}

TEST(KeyPoll, StatesOutsideTheFourStepSafely) {
    StartFresh();
    // The caller's variable may hold anything: other values count as "not up".
    for (ButtonState previous : {7, -1, 1 << 30}) {
        EXPECT_EQ(elJoystick::NextButtonState(previous, true), 3) << "previous " << previous << ", down";
        EXPECT_EQ(elJoystick::NextButtonState(previous, false), 0) << "previous " << previous << ", up";
    }
}

TEST(KeyPoll, LocksReadEveryKeyAndButtonAsUp) {
    struct Lock { const char* name; void (*on)(); void (*off)(); } locks[] = {
        {"transition running", [] { elDraw::TransitionOut(); }, [] { Present.TransitionStep = 0; Present.TransitionDirection = 0; }},
        {"scroll page on", [] { Present.ScrollMode = 1; }, [] { Present.ScrollMode = 0; }},
        {"input held", [] { elSystem::HoldInput(); }, [] { elSystem::ResumeInput(); }},
    };
    for (const Lock& lock : locks) {
        StartFresh();
        hl::setKeyDown(kVkSpace, true);
        hl::setJoystick(0, 32767, 32767, 0x1);
        elJoystick::Init();
        ButtonState key = 0;
        EXPECT_EQ(elSystem::GetKey(kVkSpace, key), 1) << lock.name;
        EXPECT_EQ(elJoystick::GetButtonState(0, 1), 1) << lock.name;
        lock.on();
        EXPECT_EQ(elSystem::GetKey(kVkSpace, key), 0) << lock.name;
        EXPECT_EQ(key, 0) << lock.name << ": 0 is stored";
        EXPECT_EQ(elJoystick::GetButtonState(0, 1), 0) << lock.name;
        EXPECT_EQ(elJoystick::Joysticks.Pad[0].Buttons[0], 0) << lock.name << ": 0 is stored";
        ButtonState s[4] = {9, 9, 9, 9};
        elJoystick::GetButtonStates(0, s[0], s[1], s[2], s[3]);
        for (int b = 0; b < 4; ++b) EXPECT_EQ(s[b], 0) << lock.name << ", button " << b + 1;
        lock.off();
        EXPECT_EQ(elSystem::GetKey(kVkSpace, key), 1) << lock.name << ": still down after the lock";
        EXPECT_EQ(elJoystick::GetButtonState(0, 1), 1) << lock.name << ": still down after the lock";
    }
}

TEST(KeyPoll, KeyCodesOutsideTheTableReadAsUp) {
    StartFresh();
    for (int vk : {-1, 256, 100000, -2147483647 - 1}) {
        ButtonState state = 3;
        EXPECT_EQ(elSystem::GetKey(vk, state), 2) << "code " << vk << ": a held state is released";
    }
}

TEST(KeyPoll, IsKeyDownFollowsTheScriptsKeys) {
    auto t = RunScript("2 key 37\n4 keyup 37\n", 5, 0, 0, 0, UseKeyProgram);
    ASSERT_EQ(t.size(), 5u);
    std::vector<long long> left;
    for (const std::string& line : t) left.push_back(Field(line, "left"));
    EXPECT_EQ(left, (std::vector<long long>{0, 1, 1, 0, 0}));
    EXPECT_EQ(escapeDown, 0);
}

TEST(KeyPoll, IsKeyDownReadsUpUnderALockAndForCodesOutOfRange) {
    StartFresh();
    hl::setKeyDown(elKey::Space, true);
    hl::setKeyDown(elKey::F12, true);
    EXPECT_EQ(elSystem::IsKeyDown(elKey::Space), 1);
    EXPECT_EQ(elSystem::IsKeyDown(elKey::F12), 1);
    EXPECT_EQ(elSystem::IsKeyDown(elKey::A), 0);
    for (int code : {0, -1, 256, 32 + 256}) EXPECT_EQ(elSystem::IsKeyDown(code), 0) << code;
    elSystem::HoldInput();
    EXPECT_EQ(elSystem::IsKeyDown(elKey::Space), 0) << "held input reads up, as GetKey's does";
    elSystem::ResumeInput();
    EXPECT_EQ(elSystem::IsKeyDown(elKey::Space), 1) << "and it keeps no state of its own";
}
