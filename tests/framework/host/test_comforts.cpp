// The programs' command line and the script's clock events that make a recorded session replay
// exactly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/host/command_line.h"
#include "framework/shell/frame_loop.h"
#include "platform/headless/headless.h"
#include "platform/window/input_script.h"
#include "platform/window/program_name.h"
#include "tests/support/test_support.h"

namespace {

const CommandLineSyntax kSpec{"prog", "[OPTIONS] [TEXT...]", "A program.",
                            {{"--scale", "N", "scale"}, {"--record", "FILE", "record"}, {"--quiet", nullptr, "flag"}}};

int Parse(std::vector<std::string> words, ParsedCommandLine& out) {
    std::vector<char*> argv;
    words.insert(words.begin(), "prog");
    for (std::string& w : words) argv.push_back(w.data());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int code = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), kSpec, out);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    return code;
}

}  // namespace

TEST(CommandLine, OptionsThenTheProgramsOwnText) {
    ParsedCommandLine args;
    EXPECT_EQ(Parse({"--scale", "3", "--record=a b.txt", "--quiet", "hello", "--scale", "9"}, args), -1);
    EXPECT_EQ(args.value("--scale"), "3");   // the words after the first text are the program's
    EXPECT_EQ(args.value("--record"), "a b.txt");
    EXPECT_TRUE(args.has("--quiet"));
    EXPECT_EQ(args.rest, "hello --scale 9");
    EXPECT_EQ(Parse({"--", "--scale", "2"}, args), -1);
    EXPECT_FALSE(args.has("--scale"));
    EXPECT_EQ(args.rest, "--scale 2");
    EXPECT_EQ(Parse({}, args), -1);
    EXPECT_EQ(args.rest, "");
}

TEST(CommandLine, HelpVersionAndUsageErrors) {
    ParsedCommandLine args;
    EXPECT_EQ(Parse({"--help"}, args), 0);
    EXPECT_EQ(Parse({"--version", "--bogus"}, args), 0);
    EXPECT_EQ(Parse({"--bogus"}, args), 2);
    EXPECT_EQ(Parse({"-x"}, args), 2);
    EXPECT_EQ(Parse({"--scale"}, args), 2);          // its argument is missing
    EXPECT_EQ(Parse({"--quiet=1"}, args), 2);        // a flag takes none
    EXPECT_EQ(VersionText("prog").rfind("prog ", 0), 0u);
    int n = 0;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(CommandLineNumber(kSpec, "--scale", "0", 1, 16, n));
    EXPECT_FALSE(CommandLineNumber(kSpec, "--scale", "2x", 1, 16, n));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(CommandLineNumber(kSpec, "--scale", "16", 1, 16, n));
    EXPECT_EQ(n, 16);
}

// A game on the framework speaks as itself: its --version and the platform's messages carry the
// program's name and version, not the framework's.
TEST(CommandLine, AProgramsOwnNameAndVersion) {
    CommandLineSyntax own = kSpec;
    own.program = "my-game";
    own.version = "0.3";
    std::vector<std::string> words = {"my-game", "--version"};
    std::vector<char*> argv = {words[0].data(), words[1].data()};
    ParsedCommandLine args;
    testing::internal::CaptureStdout();
    EXPECT_EQ(ParseCommandLine(2, argv.data(), own, args), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "my-game 0.3\n");

    ProgramSetup setup;
    setup.Name = "my-game";
    UseProgram(setup);
    testing::internal::CaptureStderr();
    platform::say("no audio device (%d)\n", 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "my-game: no audio device (7)\n");
    // Without a name, the executable's own file name: never the framework's.
    UseProgram(ProgramSetup{});
    const std::string unnamed = platform::programName();
    EXPECT_NE(unnamed, "my-game");
    EXPECT_NE(unnamed, "");
}

TEST(ScriptClock, TickAndTimeEventsAreParsedWithTheirRanges) {
    platform::Script script;
    std::string error;
    EXPECT_TRUE(platform::parseScript("0 tick 4294967295\n0 time 1700000000\n7 tick 0\n", script, error)) << error;
    ASSERT_EQ(script.events.size(), 3u);
    EXPECT_EQ(script.events[0].args[0], 4294967295LL);
    EXPECT_FALSE(platform::parseScript("3 tick 4294967296\n", script, error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(platform::parseScript("3 time -1\n", script, error));
    EXPECT_FALSE(platform::parseScript("0 move 1 2\n", script, error));   // frame 0 is the machine only
}

TEST(ScriptClock, TickEventMovesTheClockFromItsFrameOn) {
    const auto lines = RunScript("4 tick 100000\n", 6);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(Field(lines[2], "tick"), 150);
    EXPECT_EQ(Field(lines[3], "tick"), 100000);
    EXPECT_EQ(Field(lines[4], "tick"), 100050);
}
