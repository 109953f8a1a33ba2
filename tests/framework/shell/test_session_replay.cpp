// Recorded sessions replayed exactly: the keys a program polls follow the key messages, joystick
// readings are recorded and given back, and a replay is checked frame by frame against the
// recording's states (the scene, the program's fields, the picture).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/input/button_state.h"
#include "framework/draw/primitives.h"
#include "framework/shell/frame_state.h"
#include "platform/window/joystick.h"
#include "platform/window/recording.h"
#include "platform/window/state_check.h"
#include "platform/window/window.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

fs::path WorkDir() {
    const fs::path dir = fs::path(QRB_BINARY_DIR) / "tests" / "session-replay" /
                         testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A program whose picture and fields follow the mouse and the space bar: a square at the pointer,
// white while space is down.
struct Follower {
    int X = 0, Y = 0, Space = 0;
};
Follower follower;

void FollowerScene() {
    follower.X = Input.MouseX;
    follower.Y = Input.MouseY;
    follower.Space = elSystem::IsKeyDown(0x20);
    elDraw::FillBlack();
    elDraw::FillRect(follower.X, follower.Y, follower.X + 8, follower.Y + 8, follower.Space ? 0xFFFFFF : 0x0000FF);
    elDraw::Flip();
}

void UseFollower() {
    ProgramSetup setup;
    setup.Init = [] {
        elDraw::Screen(480, 360);
        Shell.SceneId = 1;
    };
    setup.Scenes[1] = FollowerScene;
    setup.Reset = [] { follower = Follower{}; };
    setup.TraceFields = [](std::string& line) {
        line += ",\"x\":" + std::to_string(follower.X) + ",\"space\":" + std::to_string(follower.Space);
    };
    UseProgram(setup);
}

const char* const kSession = "2 move 10 20\n4 key 32\n6 move 30 40\n7 keyup 32\n";

// The session's states as a recorder writes them: the script, then a state after every frame.
std::string Recorded(int frames) {
    std::ostringstream states;
    RunOptions options;
    options.config.frames = frames;
    options.script = kSession;
    options.prepare = UseFollower;
    options.frameEndUser = &states;
    options.frameEnd = [](int frame, void* user) {
        const FrameState state = CurrentFrameState(Program.TraceFields);
        *static_cast<std::ostringstream*>(user) << "# state " << frame << " 1 " << std::hex
                                                << platform::stateHash(state.Fields) << " " << state.Picture
                                                << std::dec << "\n";
    };
    std::string error;
    EXPECT_EQ(RunHeadless(options, error), 0) << error;
    return std::string(kSession) + states.str();
}

int Check(const std::string& recording, std::string& error) {
    RunOptions options;
    options.config.frames = 8;
    options.script = recording;
    options.prepare = UseFollower;
    options.checkStates = true;
    return RunHeadless(options, error);
}

}  // namespace

TEST(StateCheck, EachFrameIsComparedWithTheLastStateAtOrBeforeIt) {
    std::string error;
    const std::string fields = ",\"x\":1";
    char text[256];
    std::snprintf(text, sizeof text, "# state 3 2 %llx 1f\n# state 6 2 %llx\n# end after frame 8: scene 2 %s\n",
                  static_cast<unsigned long long>(platform::stateHash(fields)),
                  static_cast<unsigned long long>(platform::stateHash(fields)), fields.c_str());
    ASSERT_TRUE(platform::startStateCheck(text, error)) << error;
    struct Case {
        int frame, scene;
        const char* fields;
        std::uint64_t picture;
        int differing;   // after this frame
    } cases[] = {
        {1, 5, ",\"x\":9", 7, 0},      // before the first state: nothing to compare
        {3, 2, ",\"x\":1", 0x1f, 0},   // as recorded
        {4, 2, ",\"x\":1", 0x1f, 0},   // the state of frame 3 still holds
        {5, 2, ",\"x\":1", 0x20, 1},   // the picture differs
        {6, 2, ",\"x\":1", 0x99, 1},   // a state without a picture: the picture is not compared
        {7, 3, ",\"x\":1", 0x99, 2},   // the scene differs
        {8, 2, ",\"x\":2", 0x99, 3},   // the fields differ
        {9, 7, "", 0, 3},              // past the session's end: not compared
    };
    for (const Case& c : cases) {
        platform::checkFrameState(c.frame, c.scene, c.fields, c.picture);
        EXPECT_EQ(platform::stateCheckResult().differing, c.differing) << "after frame " << c.frame;
    }
    const platform::StateCheckResult r = platform::stateCheckResult();
    EXPECT_EQ(r.checked, 6);
    EXPECT_EQ(r.firstFrame, 5);
    EXPECT_EQ(platform::stateCheckSummary(),
              "replay: 3 of 6 frames differ from the recording, the first at frame 5 (the picture)");
    EXPECT_FALSE(platform::startStateCheck("# state 1 2 xyz\n", error));
    EXPECT_EQ(error.rfind("line 1: ", 0), 0u) << error;
}

TEST(StateCheck, AHeadlessReplayOfTheRecordingChecksEveryFrameAndNamesTheFirstThatDiffers) {
    const std::string recording = Recorded(8);
    std::string error;
    EXPECT_EQ(Check(recording, error), 0) << error;
    EXPECT_EQ(platform::stateCheckSummary(), "replay: 8 frames as recorded");

    // The same session without its space bar: the fields and the picture of frames 4 to 6 differ.
    std::string noKeys = recording;
    noKeys.replace(noKeys.find("4 key 32\n"), 9, "");
    EXPECT_EQ(Check(noKeys, error), 1);
    EXPECT_NE(error.find("replay: 3 of 8 frames differ from the recording, the first at frame 4 (the program's fields)"),
              std::string::npos) << error;

    // A recorded picture that is not the replay's.
    std::string otherPicture = recording;
    const std::size_t end = otherPicture.find('\n', otherPicture.find("# state 2 1 "));
    char& digit = otherPicture[end - 1];
    digit = digit == '0' ? '1' : '0';
    EXPECT_EQ(Check(otherPicture, error), 1);
    EXPECT_NE(error.find("the first at frame 2 (the picture)"), std::string::npos) << error;
}

TEST(Replay, KeysReadAsTheKeyMessagesPostedLeaveThem) {
    StartFresh();
    using platform::postedKeyDown;
    platform::postMessage(0, platform::WM_KEYDOWN, 65, 1);
    platform::postMessage(0, platform::WM_KEYDOWN, 32, 1);
    EXPECT_TRUE(postedKeyDown(65));
    platform::postMessage(0, platform::WM_KEYUP, 65, 1);
    EXPECT_FALSE(postedKeyDown(65));
    EXPECT_TRUE(postedKeyDown(32));
    EXPECT_FALSE(postedKeyDown(-1));
    EXPECT_FALSE(postedKeyDown(256));
    platform::postMessage(0, platform::WM_KEYDOWN, 300, 1);   // no key of 0 to 255: nothing held
    EXPECT_FALSE(postedKeyDown(300 & 0xFF));
    platform::resetWindows();
    EXPECT_FALSE(postedKeyDown(32)) << "a program started afresh holds no key";
}

TEST(Recording, JoystickReadingsAreWrittenWhereTheyChangeAndStandStillWithinAFrame) {
    StartFresh();
    const fs::path session = WorkDir() / "session.txt";
    std::string error;
    ASSERT_TRUE(platform::startRecording(session.string(), error)) << error;
    namespace rec = platform::recording;
    std::uint32_t x = 0, y = 0, b = 0;
    auto read = [&](bool present, std::uint32_t rx, std::uint32_t ry, std::uint32_t rb) {
        x = rx, y = ry, b = rb;
        return rec::joystick(0, present, x, y, b);
    };
    EXPECT_TRUE(read(true, 32767, 32767, 0));   // start-up: frame 0
    rec::beforeFrameWait(50);
    rec::afterFrameWait(true);                   // frame 1
    EXPECT_TRUE(read(true, 65535, 32767, 1));
    EXPECT_TRUE(read(true, 0, 0, 0)) << "the frame's first reading stands";
    EXPECT_EQ(x, 65535u);
    EXPECT_EQ(b, 1u);
    rec::beforeFrameWait(50);
    rec::afterFrameWait(true);                   // frame 2: as before, nothing written
    EXPECT_TRUE(read(true, 65535, 32767, 1));
    rec::beforeFrameWait(50);
    rec::afterFrameWait(true);                   // frame 3: pulled out
    EXPECT_FALSE(read(false, 0, 0, 0));
    EXPECT_EQ(rec::joystick(2, true, x, y, b), true) << "an id past the two sticks passes as it is";
    ASSERT_TRUE(platform::stopRecording(true, error)) << error;
    const std::string text = Read(session);
    EXPECT_NE(text.find("\n0 joy 0 32767 32767 0\n1 joy 0 65535 32767 1\n3 joy-off 0\n"), std::string::npos) << text;
    platform::setSessionHooks(nullptr);
}

TEST(Replay, JoysticksReadAsRecordedWhateverTheDevicesSay) {
    StartFresh();
    const fs::path script = WorkDir() / "replay.txt";
    std::ofstream(script) << "0 joy 1 100 200 5\n2 joy-off 1\n3 move 1 1\n";
    std::string error;
    ASSERT_TRUE(platform::startReplay(script.string(), error)) << error;
    platform::JoyInfoEx info;
    info.size = sizeof info;
    info.flags = platform::JOY_RETURNALL;
    EXPECT_EQ(platform::joyGetPosEx(1, info), platform::JOYERR_NOERROR) << "plugged in at start-up";
    EXPECT_EQ(info.xpos, 100u);
    EXPECT_EQ(info.ypos, 200u);
    EXPECT_EQ(info.buttons, 5u);
    EXPECT_EQ(platform::joyGetPosEx(0, info), platform::JOYERR_UNPLUGGED) << "never recorded: absent";
    platform::headless::setJoystick(1, 1, 1, 1);   // the device moves; the replay does not
    EXPECT_EQ(platform::joyGetPosEx(1, info), platform::JOYERR_NOERROR);
    EXPECT_EQ(info.xpos, 100u);
    namespace rec = platform::recording;
    for (int frame = 1; frame <= 2; ++frame) {
        rec::beforeFrameWait(50);
        rec::afterFrameWait(true);
    }
    EXPECT_EQ(platform::joyGetPosEx(1, info), platform::JOYERR_UNPLUGGED) << "pulled out at frame 2";
    platform::setSessionHooks(nullptr);
}
