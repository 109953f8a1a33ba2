// Scripts and recordings as they are read: what is not a script file, bytes a text has no place
// for, the frame numbers a run can reach, the size cap, long words in messages, a recording's
// state comments; and a replay that hands the window its own input back once it is used up.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/window/input_script.h"
#include "platform/window/recorded_states.h"
#include "platform/window/recording.h"
#include "platform/window/window.h"
#include "tests/support/largest_allocation.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

// A directory of the test's own, made afresh.
fs::path WorkDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::path(QRB_BINARY_DIR) / "tests" / "script_files" / info->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

// The message parseScript refuses the text with ("" when it takes it).
std::string Refusal(const std::string& text) {
    platform::Script script;
    std::string error;
    return platform::parseScript(text, script, error) ? "" : error;
}

// Reads "-" with standard input taken from `path` for the while.
bool ReadStandardInputFrom(const char* path, std::string& text, std::string& error) {
    const int fd = ::open(path, O_RDONLY);
    const int saved = ::dup(STDIN_FILENO);
    ::dup2(fd, STDIN_FILENO);
    const bool ok = platform::readScriptFile("-", text, error);
    ::dup2(saved, STDIN_FILENO);
    ::close(saved);
    ::close(fd);
    return ok;
}

// Runs the tests' program on a script with a frame limit; the trace's frame lines.
std::vector<std::string> RunLimited(const std::string& script, int frames, bool framesCoverScript) {
    RunOptions options;
    options.config.frames = frames;
    options.config.framesCoverScript = framesCoverScript;
    options.script = script;
    options.prepare = UseTestProgram;
    return RunTrace(options);
}

}  // namespace

TEST(ScriptFiles, DirectoriesAndMissingFilesAreRefusedWithTheirReason) {
    const fs::path dir = WorkDir();
    std::string text, error;
    EXPECT_FALSE(platform::readScriptFile(dir.string(), text, error));
    EXPECT_EQ(error, "cannot read '" + dir.string() + "': Is a directory");
    EXPECT_FALSE(ReadStandardInputFrom(dir.c_str(), text, error)) << "a directory on standard input is no empty script";
    EXPECT_EQ(error, "cannot read standard input: Is a directory");
    EXPECT_FALSE(platform::readScriptFile((dir / "none.txt").string(), text, error));
    EXPECT_EQ(error, "cannot read '" + (dir / "none.txt").string() + "': No such file or directory");
    // The window's replay reads its file the same way (it threw here once).
    EXPECT_FALSE(platform::startReplay(dir.string(), error));
    EXPECT_EQ(error, "cannot read '" + dir.string() + "': Is a directory");
    // Files and devices that are not directories still read: /dev/null is an empty script.
    EXPECT_TRUE(platform::readScriptFile("/dev/null", text, error)) << error;
    EXPECT_TRUE(text.empty());
}

TEST(ScriptFiles, AScriptOverTheCapIsRefusedWithItsOwnMessage) {
    const fs::path big = WorkDir() / "big.txt";
    WriteFile(big, "");
    fs::resize_file(big, platform::kMaxScriptBytes + 1);   // sparse: refused by its size alone
    std::string text, error;
    const std::string said = "larger than 32 MB, the most a script may hold";
    EXPECT_FALSE(platform::readScriptFile(big.string(), text, error));
    EXPECT_NE(error.find(said), std::string::npos) << error;
    // An endless stream stops at the cap.
    EXPECT_FALSE(ReadStandardInputFrom("/dev/zero", text, error));
    EXPECT_EQ(error, "cannot read standard input: " + said);
    EXPECT_LE(text.size(), platform::kMaxScriptBytes);
}

TEST(Script, NulBytesAndByteOrderMarksAreNamedByTheirLine) {
    using namespace std::string_literals;
    const std::string nul = "a NUL byte: a script is text";
    EXPECT_EQ(Refusal("5\0junk move 10 20\n"s), "line 1: " + nul) << "not frame 5";
    EXPECT_EQ(Refusal("1 move 1 2\n6 key 27\0zzz\n"s), "line 2: " + nul) << "not key 27";
    EXPECT_EQ(Refusal("1 close # \0\n"s), "line 1: " + nul);
    // Numbers are whole words: nothing may follow the digits.
    EXPECT_EQ(Refusal("6 key 27z\n"), "line 1: 'key' takes 1 number(s) from 1 to 255");
    EXPECT_EQ(Refusal("0x5 close\n"), "line 1: frame number must be 1 or more, not '0x5'");
    // A byte-order mark is skipped at the very start, and named anywhere else.
    platform::Script script;
    std::string error;
    ASSERT_TRUE(platform::parseScript("\xEF\xBB\xBF" "3 key 27\n", script, error)) << error;
    EXPECT_EQ(script.events.at(0).frame, 3);
    EXPECT_EQ(Refusal("1 close\n\xEF\xBB\xBF" "2 close\n"),
              "line 2: a byte-order mark (EF BB BF), which only the start of a script may hold");
}

TEST(Script, FrameNumbersGoAsFarAsARunAndSaySo) {
    EXPECT_EQ(Refusal("100000000 close\n"), "");
    for (const char* frame : {"100000001", "2147483647", "99999999999999999999"})
        EXPECT_EQ(Refusal(std::string(frame) + " close\n"),
                  std::string("line 1: frame number must be 100000000 at most, not '") + frame + "'");
    EXPECT_EQ(Refusal("-1 close\n"), "line 1: frame number must be 1 or more, not '-1'");
}

TEST(Script, LongWordsAreCutInMessages) {
    const std::string huge(2 << 20, 'x');
    for (const std::string& text : {huge + " close\n", "1 " + huge + "\n", "1 close " + huge + "\n"}) {
        const std::string error = Refusal(text);
        EXPECT_LT(error.size(), 120u) << error.substr(0, 200);
        EXPECT_NE(error.find(std::string(40, 'x') + "...'"), std::string::npos) << error.substr(0, 200);
    }
    EXPECT_EQ(Refusal("1 \x1b[2J\n"), "line 1: unknown event '\\x1B[2J'") << "control bytes reach no terminal";
}

TEST(Script, RoomIsTakenOnlyForEventsRead) {
    // Sixteen million lines of junk: refused at line 1 before room is made for sixteen million events.
    std::string junk;
    for (std::size_t i = 0; i < platform::kMaxScriptBytes / 2; ++i) junk += "x\n";
    {
        testalloc::LargestAllocation watch;
        EXPECT_EQ(Refusal(junk), "line 1: frame number must be 1 or more, not 'x'");
        EXPECT_LT(watch.bytes(), 1u << 20);
    }
    junk = "1 move 1 2\n" + junk.substr(0, 2000);
    testalloc::LargestAllocation watch;
    EXPECT_EQ(Refusal(junk), "line 2: frame number must be 1 or more, not 'x'");
    EXPECT_LT(watch.bytes(), 1u << 16);
}

TEST(RecordedStates, StatesAndTheEndAreReadAndEveryOtherCommentLeftAlone) {
    platform::RecordedStates r;
    std::string error;
    ASSERT_TRUE(platform::readRecordedStates("# a note\n1 move 2 3\n# state 4 1 00000000000000ff\n"
                                             "# stated otherwise\n# state 9 2 ABC\n"
                                             "# end after frame 9: scene 2 ,\"score\":5 x\n",
                                             r, error))
        << error;
    ASSERT_EQ(r.states.size(), 2u);
    EXPECT_EQ(r.states.at(4).hash, 0xffu);
    EXPECT_EQ(r.states.at(9).scene, 2);
    EXPECT_EQ(r.states.at(9).hash, 0xabcu);
    EXPECT_TRUE(r.haveEnd);
    EXPECT_EQ(r.endFrame, 9);
    EXPECT_EQ(r.endFields, ",\"score\":5 x");
    EXPECT_FALSE(platform::readRecordedStates("\n# state 0 1 ab\n", r, error)) << "frames start at 1";
    EXPECT_EQ(error.rfind("line 2: '# state 0 1 ab' is not", 0), 0u) << error;
}

TEST(RecordedStates, CrLfReadsAsLfAndASecondStateForAFrameIsRefused) {
    platform::RecordedStates r;
    std::string error;
    ASSERT_TRUE(platform::readRecordedStates("1 move 2 3\r\n# state 4 1 ff\r\n# end after frame 4: scene 1 ,\"score\":5\r\n",
                                             r, error))
        << error;
    EXPECT_EQ(r.states.at(4).hash, 0xffu);
    EXPECT_EQ(r.endFields, ",\"score\":5");
    EXPECT_FALSE(platform::readRecordedStates("# state 4 1 ff\n1 move 2 3\n# state 4 2 ee\n", r, error));
    EXPECT_EQ(error, "line 3: a second state for frame 4 (the first on line 1)");
}

TEST(Runner, AScriptLongerThanTheDefaultLimitRunsToItsLastEvent) {
    // Without --frames the limit moves out to the script's last event.
    std::vector<std::string> lines = RunLimited("8 move 1 1\n", 5, true);
    ASSERT_EQ(lines.size(), 8u);
    int first = 0;
    EXPECT_EQ(platform::headless::eventsNotPlayed(first), 0u);
    // With it, the events past the limit are counted for the runner to say.
    lines = RunLimited("3 move 1 1\n8 move 2 2\n9 close\n", 5, false);
    EXPECT_EQ(lines.size(), 5u);
    EXPECT_TRUE(platform::headless::frameLimitReached());
    EXPECT_EQ(platform::headless::eventsNotPlayed(first), 2u);
    EXPECT_EQ(first, 8);
}

TEST(Replay, TheWindowsOwnInputPassesOnceTheReplayIsUsedUp) {
    StartFresh();
    std::string error;
    ASSERT_TRUE(platform::startReplay(WriteFile(WorkDir() / "replay.txt", "2 key 65\n"), error)) << error;
    // Escape pressed in the window, as the backend posts it; true when it reached the queue.
    auto escapeReaches = [] {
        platform::recording::beginInput();
        platform::postMessage(0, platform::WM_KEYDOWN, 27, 1);
        platform::recording::endInput();
        bool seen = false;
        for (platform::Message m; platform::peekMessage(m);) seen |= m.message == platform::WM_KEYDOWN && m.wParam == 27;
        return seen;
    };
    testing::internal::CaptureStderr();
    EXPECT_FALSE(escapeReaches()) << "the replay has events left: the window's input is dropped";
    while (platform::headless::currentFrame() < 1) platform::waitFrame(50);
    EXPECT_FALSE(escapeReaches());
    platform::waitFrame(50);   // enters frame 2: the replay posts its last event
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(escapeReaches()) << "the replay is used up";
    EXPECT_NE(said.find("the window's own input takes over"), std::string::npos) << said;
    platform::setSessionHooks(nullptr);
}

// Text events carry typed characters in quotes: escapes for what a line cannot hold as it is,
// whole printable UTF-8 only, and the recorder's quoting read back to the same characters.
TEST(Script, TextEventsTakeQuotedPrintableUtf8) {
    platform::Script script;
    std::string error;
    ASSERT_TRUE(platform::parseScript("2 text \"h\xC3\xA9llo \\\"q\\\" \\x23 \\\\\"  # a comment\n"
                                      "3 text \"\xF0\x9F\x98\x80\"\n",
                                      script, error))
        << error;
    ASSERT_EQ(script.events.size(), 2u);
    EXPECT_EQ(script.events[0].name, "text");
    EXPECT_EQ(script.events[0].text, "h\xC3\xA9llo \"q\" # \\");
    EXPECT_EQ(script.events[1].text, "\xF0\x9F\x98\x80");
    const std::string usage =
        "line 1: 'text' takes characters in double quotes (UTF-8, printable, up to 255 bytes; \\\\, \\\" and \\xNN "
        "escapes)";
    for (const std::string& bad : {
             std::string("1 text abc\n"),              // no quotes
             std::string("1 text \"abc\n"),            // not closed
             std::string("1 text \"\"\n"),             // nothing typed
             std::string("1 text \"a\" b\n"),          // something after it
             std::string("1 text \"\\q\"\n"),          // no such escape
             std::string("1 text \"\\x4\"\n"),         // half an escape
             std::string("1 text \"\\xFF\"\n"),        // no UTF-8
             std::string("1 text \"\xE3\x81\"\n"),     // a character cut off
             std::string("1 text \"\xC1\x81\"\n"),     // an overlong 'A'
             std::string("1 text \"\\x0A\"\n"),        // a control character is a key
             std::string("1 text \"a#b\"\n"),          // the comment cuts the quotes
             "1 text \"" + std::string(256, 'x') + "\"\n",
         })
        EXPECT_EQ(Refusal(bad), usage) << bad;
    EXPECT_EQ(Refusal("1 text \"" + std::string(255, 'x') + "\"\n"), "");

    const std::string typed = "a \"#\\\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80";
    ASSERT_TRUE(platform::parseScript("4 text " + platform::quoteScriptText(typed) + "\n", script, error)) << error;
    EXPECT_EQ(script.events.at(0).text, typed);
}

// A window's typed characters are recorded one a line (with the frame before which the window
// handled them) and replayed as the same characters.
TEST(Replay, TypedTextIsRecordedAndTypedAgain) {
    platform::stopReplay();   // the replays of the cases before
    StartFresh();
    const fs::path session = WorkDir() / "session.txt";
    std::string error;
    ASSERT_TRUE(platform::startRecording(session.string(), error)) << error;
    namespace rec = platform::recording;
    rec::beforeFrameWait(50);
    rec::afterFrameWait(true);   // frame 1
    rec::beginInput();
    const std::string typed = "A#\"\xC3\xA9\xF0\x9F\x98\x80";
    platform::postTypedText(typed.data(), typed.size());
    platform::postTypedText("\n\t\x7F", 3);   // keys, not text: nothing posted or written
    rec::endInput();
    ASSERT_TRUE(platform::stopRecording(true, error)) << error;
    platform::setSessionHooks(nullptr);
    std::string text;
    ASSERT_TRUE(platform::readScriptFile(session.string(), text, error)) << error;
    platform::Script script;
    ASSERT_TRUE(platform::parseScript(text, script, error)) << error << text;
    ASSERT_EQ(script.events.size(), 5u) << text;
    std::vector<std::string> lines;
    for (const platform::ScriptEvent& ev : script.events) {
        EXPECT_EQ(ev.name, "text");
        EXPECT_EQ(ev.frame, script.events.front().frame) << "all typed before one frame";
        lines.push_back(ev.text);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"A", "#", "\"", "\xC3\xA9", "\xF0\x9F\x98\x80"})) << text;
    EXPECT_NE(text.find(" text \"\\x23\"\n"), std::string::npos) << "a '#' would start a comment";

    StartFresh();
    ASSERT_TRUE(platform::startReplay(session.string(), error)) << error;
    std::u32string got;
    for (int frame = 1; frame <= script.events.front().frame + 1; ++frame) {
        rec::beforeFrameWait(50);
        rec::afterFrameWait(true);
        platform::Message m;
        while (platform::peekMessage(m))
            if (m.message == platform::WM_CHAR) got.push_back(static_cast<char32_t>(m.wParam));
    }
    EXPECT_EQ(got, U"A#\"\u00E9\U0001F600");
    platform::stopReplay();
    platform::setSessionHooks(nullptr);
}
