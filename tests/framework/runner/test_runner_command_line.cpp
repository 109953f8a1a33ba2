// The headless programs' command line: the runner's options parsed from the shared table into
// the run's configuration, options before and after the script, and a program's own options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/runner/runner_command_line.h"

namespace {

const CommandLineSyntax kHeadless{"prog-headless", "[OPTIONS] [SCRIPT]", "A program.",
                                  RunnerOptions({{"--frames-dir", "DIR", "its own"}, {"--quiet", nullptr, "own"}})};

int Parse(std::vector<std::string> words, HeadlessCommandLine& out) {
    std::vector<char*> argv;
    words.insert(words.begin(), "prog-headless");
    for (std::string& w : words) argv.push_back(w.data());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int code = ParseHeadlessCommandLine(static_cast<int>(argv.size()), argv.data(), kHeadless, out);
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
    return code;
}

}  // namespace

TEST(RunnerCommandLine, OptionsReachTheRunAtTheEdgesOfTheirRanges) {
    HeadlessCommandLine run;
    ASSERT_EQ(Parse({"--start-tick", "4294967295", "script.txt", "--time=253402300799", "--frame-ms", "60000",
                     "--frames", "0", "--quiet", "--frames-dir", "out", "--dump", "1,3-4", "--audio", "a.wav"},
                    run),
              -1);
    EXPECT_EQ(run.options.config.startTick, 4294967295u);
    EXPECT_EQ(run.options.config.time, 253402300799LL);
    EXPECT_EQ(run.options.config.frameMs, 60000u);
    EXPECT_TRUE(run.options.frameMsGiven) << "the program's frame period does not replace it";
    EXPECT_EQ(run.options.config.frames, 0);
    EXPECT_FALSE(run.options.config.framesCoverScript) << "--frames given: the run stops there";
    EXPECT_EQ(run.scriptPath, "script.txt");   // options follow the script as well as lead it
    EXPECT_TRUE(run.args.has("--quiet"));      // the program's own, left to it
    EXPECT_EQ(run.options.framesDir, "out");
    EXPECT_TRUE(run.options.dump.contains(3) && run.options.dump.contains(4));
    EXPECT_FALSE(run.options.dump.contains(2));
    EXPECT_EQ(run.options.audioPath, "a.wav");
    // Without options the run has the backend's defaults; "-" and words after "--" are scripts.
    ASSERT_EQ(Parse({"--", "-"}, run), -1);
    EXPECT_EQ(run.scriptPath, "-");
    EXPECT_EQ(run.options.config.frames, platform::headless::Config{}.frames);
    EXPECT_FALSE(run.options.frameMsGiven) << "the clock follows the program's frame period";
    EXPECT_TRUE(run.options.config.framesCoverScript) << "without --frames a longer script runs whole";
}

TEST(RunnerCommandLine, UsageErrorsAndHelp) {
    HeadlessCommandLine run;
    const std::vector<std::vector<std::string>> refused = {
        {"--frames", "100000001"}, {"--time", "253402300800"}, {"--start-tick", "4294967296"},
        {"--frame-ms", "0"},       {"--frames", "-3"},        {"a.txt", "b.txt"},
        {"--frames-dir", ""},      {"--dump", "4-2"},         {"--dump", "1,,2"},
        {"--bogus"},               {"--quiet=1"},
        {"--from", "2"},           {"--gif", "a.gif", "--from", "5", "--to", "4"},
        {"--gif", "a.gif", "--gif-scale", "3"}, {"--gif", "a.gif", "--from", "0"},
        {"--gif", ""},             {"--gif", "a.gif", "--trace", "a.gif"},
        {"--video", ""},           {"--video", "a.webm", "--gif-scale", "2"},
        {"--video", "a.webm", "--audio", "a.webm"}, {"--video", "a.webm", "--from", "5", "--to", "4"},
    };
    for (const auto& words : refused) {
        std::string all;
        for (const std::string& w : words) all += w + " ";
        EXPECT_EQ(Parse(words, run), 2) << all;
    }
    // --from and --to go with the video as with the GIF.
    ASSERT_EQ(Parse({"--video", "a.webm", "--from", "3", "--to", "9"}, run), -1);
    EXPECT_EQ(run.options.videoPath, "a.webm");
    EXPECT_EQ(run.options.gifFrom, 3);
    EXPECT_EQ(run.options.gifTo, 9);
    EXPECT_EQ(Parse({"a.txt", "--help"}, run), 0);
    EXPECT_EQ(Parse({"--version"}, run), 0);
}

TEST(RunnerCommandLine, AProgramsOwnOptionTakesTheRunnersPlaceOrFollowsThem) {
    const std::vector<CommandLineOption> runner = RunnerOptions();
    ASSERT_EQ(kHeadless.options.size(), runner.size() + 1);
    for (std::size_t i = 0; i < runner.size(); ++i) {
        const bool own = std::string(runner[i].name) == "--frames-dir";
        EXPECT_EQ(std::string(kHeadless.options[i].name), runner[i].name);
        EXPECT_EQ(std::string(kHeadless.options[i].help), own ? "its own" : runner[i].help);
    }
    EXPECT_EQ(std::string(kHeadless.options.back().name), "--quiet");
}
