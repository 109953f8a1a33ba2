// Output files written whole or not at all (platform/files/output_file.h), the command line's
// refusal of one file given to two outputs, and a recorded session that never ran.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/runner/runner_command_line.h"
#include "platform/files/output_file.h"
#include "platform/files/output_file_system.h"
#include "platform/window/recording.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder of the test's own.
fs::path Folder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::path(QRB_BINARY_DIR) / "tests" / "output-files" / info->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Write(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The names in a folder, sorted.
std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(OutputFile, TheTargetChangesOnlyAtCommitAndNothingIsLeftBeside) {
    const fs::path dir = Folder(), target = dir / "out.txt";
    Write(target, "old");
    std::string error;
    {
        platform::OutputFile out;
        ASSERT_TRUE(out.open(target.string(), error)) << error;
        ASSERT_TRUE(out.write("new", 3));
        out.flush();
        EXPECT_EQ(Read(target), "old") << "the target while the output is written";
        EXPECT_EQ(Names(dir).size(), 2u) << "the temporary file lies beside the target";
    }   // destroyed without a commit: a run that failed
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"out.txt"});
    platform::OutputFile out;
    ASSERT_TRUE(out.open(target.string(), error)) << error;
    out.write("new", 3);
    ASSERT_TRUE(out.commit(error)) << error;
    EXPECT_EQ(Read(target), "new");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"out.txt"});
}

TEST(OutputFile, ReplacedFilesKeepModeAndLinksAndWhatCannotBeReplacedIsRefused) {
    const fs::path dir = Folder();
    std::string error;
    auto writeWhole = [&](const fs::path& path, const std::string& text) {
        platform::OutputFile out;
        return out.open(path.string(), error) && out.write(text.data(), text.size()) && out.commit(error);
    };
    // A private file stays private; a link stays a link to the file that is replaced.
    Write(dir / "private", "old");
    fs::permissions(dir / "private", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(writeWhole(dir / "private", "new")) << error;
    EXPECT_EQ(fs::status(dir / "private").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("private", dir / "link");
    ASSERT_TRUE(writeWhole(dir / "link", "through the link")) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(Read(dir / "private"), "through the link");
    // Not a regular file: written in place.
    EXPECT_TRUE(writeWhole("/dev/null", "gone")) << error;
    // Refused up front, with the reason.
    EXPECT_FALSE(writeWhole(dir, "x"));
    EXPECT_NE(error.find("Is a directory"), std::string::npos) << error;
    EXPECT_FALSE(writeWhole(dir / "missing" / "x", "x"));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    if (::geteuid() != 0) {   // the superuser may write anything
        fs::permissions(dir / "private", fs::perms::owner_read);
        EXPECT_FALSE(writeWhole(dir / "private", "x")) << "a read-only file was replaced";
        EXPECT_EQ(Read(dir / "private"), "through the link");
    }
    EXPECT_EQ(Names(dir), (std::vector<std::string>{"link", "private"}));
}

TEST(OutputFile, ALongNameIsCutForItsTemporaryFileAtACharactersStart) {
    // 67 three-byte characters: 201 bytes, past the 200 a temporary name keeps of a name.
    std::string name;
    for (int i = 0; i < 67; ++i) name += "\xe3\x82\xb2";   // ゲ
    const std::string temp = platform::output_system::temporaryName("dir/" + name, "/", 1);
    const std::string kept = temp.substr(4, temp.rfind(".part-") - 4);
    EXPECT_EQ(kept, name.substr(0, 198)) << "66 whole characters";
    // A whole name of Japanese characters is written whole.
    const fs::path dir = Folder();
    const std::string target = (dir / name).string();
    platform::OutputFile out;
    std::string error;
    ASSERT_TRUE(out.open(target, error)) << error;
    ASSERT_TRUE(out.write("x", 1));
    ASSERT_TRUE(out.commit(error)) << error;
    EXPECT_EQ(Read(dir / name), "x");
}

TEST(OutputFile, OneFileUnderTwoNames) {
    const fs::path dir = Folder();
    Write(dir / "a", "a");
    Write(dir / "b", "b");
    fs::create_hard_link(dir / "a", dir / "hard");
    fs::create_symlink("a", dir / "soft");
    fs::create_directories(dir / "sub");
    const std::string d = dir.string() + "/";
    const struct {
        std::string first, second;
        bool same;
    } cases[] = {
        {d + "a", d + "a", true},           {d + "a", d + "./sub/../a", true}, {d + "a", d + "hard", true},
        {d + "a", d + "soft", true},        {d + "a", d + "b", false},         {d + "new", d + "sub/../new", true},
        {d + "new", d + "new2", false},     {d + "a", d + "new", false},       {"/dev/null", "/dev/null", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::sameOutputFile(c.first, c.second), c.same) << c.first << " and " << c.second;
}

TEST(CommandLineFiles, OneFileIsNotGivenToTwoOutputsNorToAnOutputAndTheScript) {
    const fs::path dir = Folder();
    const std::string d = dir.string() + "/";
    Write(dir / "script.txt", "1 close\n");
    const CommandLineSyntax syntax{"prog-headless", "[OPTIONS] [SCRIPT]", "A program.", RunnerOptions()};
    auto parse = [&](std::vector<std::string> words) {
        words.insert(words.begin(), "prog-headless");
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        HeadlessCommandLine run;
        testing::internal::CaptureStderr();
        const int code = ParseHeadlessCommandLine(static_cast<int>(argv.size()), argv.data(), syntax, run);
        testing::internal::GetCapturedStderr();
        return code;
    };
    EXPECT_EQ(parse({"--trace", d + "t", "--audio", d + "./t"}), 2);
    EXPECT_EQ(parse({"--trace", d + "t", "--frames-dir", d + "t", "--dump", "1"}), 2);
    EXPECT_EQ(parse({"--audio", d + "script.txt", d + "script.txt"}), 2);
    EXPECT_EQ(parse({"--trace", d + "t", "--audio", d + "a.wav", d + "script.txt"}), -1);
    EXPECT_EQ(parse({"--trace", d + "t", "--trace", d + "u", "--audio", d + "t"}), -1) << "the last --trace counts";
    EXPECT_EQ(parse({"--trace", "-", "-"}), -1) << "standard input is no file";
    EXPECT_EQ(Names(dir), std::vector<std::string>{"script.txt"}) << "nothing is written while parsing";
}

TEST(Recording, ASessionThatNeverRanLeavesTheEarlierOneAndNoTemporaryFile) {
    const fs::path dir = Folder(), session = dir / "session.txt";
    Write(session, "1 move 1 2\n");
    std::string error;
    ASSERT_TRUE(platform::startRecording(session.string(), error)) << error;
    EXPECT_EQ(Read(session), "1 move 1 2\n");
    ASSERT_TRUE(platform::stopRecording(false, error)) << error;
    EXPECT_EQ(Read(session), "1 move 1 2\n");
    EXPECT_EQ(Names(dir), std::vector<std::string>{"session.txt"});
    // A session that ended takes the earlier one's place.
    ASSERT_TRUE(platform::startRecording(session.string(), error)) << error;
    ASSERT_TRUE(platform::stopRecording(true, error)) << error;
    EXPECT_EQ(Read(session).rfind("# A session of quorbix-tests,", 0), 0u) << Read(session);
    EXPECT_EQ(Names(dir), std::vector<std::string>{"session.txt"});
}
