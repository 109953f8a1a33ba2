// Saved data: the file's header against cut, changed and foreign files; the names a program may
// use; the folders it is kept in (made when missing, one that cannot be written, none at all).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "framework/system/saved_data.h"
#include "platform/files/saved_data.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

class SavedData : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("quorbix-saved-" + std::to_string(::getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        quorbix::KeepDataIn("");
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(dir_, ec))
            if (entry.is_directory()) fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    static Bytes ReadAll(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static void WriteAll(const fs::path& p, const Bytes& bytes) {
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    fs::path dir_;
};

const Bytes kScore = {0x2A, 0x00, 0x01, 0xFF, 0x80};

}  // namespace

TEST(SavedDataFile, RoundTripsAndChecksWithTheZipCrc) {
    const std::string check = "123456789";
    EXPECT_EQ(platform::saved::crc32(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0xCBF43926u);
    for (const Bytes& bytes : {Bytes{}, kScore, Bytes(70000, 0xA5)}) {
        const Bytes file = platform::saved::encode(bytes);
        ASSERT_EQ(file.size(), platform::saved::kHeaderSize + bytes.size());
        Bytes back{1, 2, 3};
        std::string error;
        EXPECT_TRUE(platform::saved::decode(file, back, error)) << error;
        EXPECT_EQ(back, bytes);
    }
}

// Every prefix, every byte changed, a byte more, a foreign file and a header claiming too much:
// each refused, with nothing handed back.
TEST(SavedDataFile, RefusesCutChangedLongerAndForeignFiles) {
    const Bytes file = platform::saved::encode(kScore);
    Bytes out;
    std::string error;
    for (std::size_t n = 0; n < file.size(); ++n) {
        EXPECT_FALSE(platform::saved::decode(Bytes(file.begin(), file.begin() + static_cast<long>(n)), out, error)) << n;
        EXPECT_TRUE(out.empty());
    }
    for (std::size_t i = 0; i < file.size(); ++i) {
        Bytes changed = file;
        changed[i] ^= 0x04;
        EXPECT_FALSE(platform::saved::decode(changed, out, error)) << "byte " << i;
        EXPECT_FALSE(error.empty());
    }
    Bytes longer = file;
    longer.push_back(0);
    EXPECT_FALSE(platform::saved::decode(longer, out, error));
    EXPECT_NE(error.find("more than its header"), std::string::npos) << error;
    const std::string text = "best=42\nname=someone else's file\n";
    EXPECT_FALSE(platform::saved::decode(Bytes(text.begin(), text.end()), out, error));
    EXPECT_EQ(error, "it is not saved data");
    Bytes huge = platform::saved::encode({});
    huge[11] = 0x7F;   // 2 GB claimed
    EXPECT_FALSE(platform::saved::decode(huge, out, error));
}

TEST(SavedDataNames, LettersDigitsDashAndUnderscoreOnlyAndNoDeviceNames) {
    for (const char* good : {"best", "a", "save_1-x", "Z9", "com10", "console", "nul1", "LPT"})
        EXPECT_TRUE(quorbix::DataNameValid(good)) << good;
    EXPECT_TRUE(quorbix::DataNameValid(std::string(quorbix::kDataNameMax, 'n')));
    for (const char* bad : {"", ".", "..", "../best", "a/b", "a\\b", "a.b", "a b", "best\n", "\xC3\xA9t\xC3\xA9", "con",
                            "NUL", "Aux", "prn", "com1", "LPT9", "C:x"})
        EXPECT_FALSE(quorbix::DataNameValid(bad)) << bad;
    EXPECT_FALSE(quorbix::DataNameValid(std::string(quorbix::kDataNameMax + 1, 'n')));
    EXPECT_FALSE(quorbix::DataNameValid(std::string("be\0st", 5)));
}

TEST_F(SavedData, RoundTripsInAFolderMadeWhenMissingAndReplacesWhole) {
    const fs::path folder = dir_ / "made" / "here";
    quorbix::KeepDataIn(folder.string() + "/");
    EXPECT_EQ(quorbix::DataFolder(), folder.string());
    Bytes out{9};
    EXPECT_FALSE(quorbix::LoadData("best", out));   // nothing saved yet, nothing said
    EXPECT_TRUE(out.empty());
    ASSERT_TRUE(quorbix::SaveData("best", kScore));
    EXPECT_EQ(ReadAll(folder / "best.dat"), platform::saved::encode(kScore));
    ASSERT_TRUE(quorbix::SaveData("best", {7}));
    ASSERT_TRUE(quorbix::SaveData("empty", {}));
    EXPECT_TRUE(quorbix::LoadData("best", out));
    EXPECT_EQ(out, Bytes{7});
    EXPECT_TRUE(quorbix::LoadData("empty", out));
    EXPECT_TRUE(out.empty());
    // Nothing beside the two files: the temporary ones were renamed.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST_F(SavedData, ADamagedFileIsSaidAndLeftAndTheProgramGetsNothing) {
    quorbix::KeepDataIn(dir_.string());
    ASSERT_TRUE(quorbix::SaveData("best", kScore));
    Bytes file = ReadAll(dir_ / "best.dat");
    file.back() ^= 1;
    WriteAll(dir_ / "best.dat", file);
    Bytes out;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(quorbix::LoadData("best", out));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(out.empty());
    EXPECT_NE(said.find("best.dat' is not used: it is damaged"), std::string::npos) << said;
    EXPECT_EQ(ReadAll(dir_ / "best.dat"), file);
    // A directory where the file should be: refused on load and on save, left as it is.
    fs::create_directory(dir_ / "odd.dat");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(quorbix::LoadData("odd", out));
    EXPECT_FALSE(quorbix::SaveData("odd", kScore));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("'odd' is not saved"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir_ / "odd.dat"));
}

TEST_F(SavedData, BadNamesAndTooMuchAreRefusedWritingNothing) {
    quorbix::KeepDataIn(dir_.string());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(quorbix::SaveData("../escape", kScore));
    EXPECT_FALSE(quorbix::SaveData("con", kScore));
    Bytes out;
    EXPECT_FALSE(quorbix::LoadData("../escape", out));
    EXPECT_FALSE(quorbix::SaveData("big", Bytes(quorbix::DataSizeMax() + 1)));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("saved data cannot be named '../escape'"), std::string::npos) << said;
    EXPECT_TRUE(fs::is_empty(dir_));
    EXPECT_FALSE(fs::exists(dir_.parent_path() / "escape.dat"));
}

// A folder that cannot be made (a file in its way) or written: false, said, the earlier data kept.
TEST_F(SavedData, AFolderThatCannotBeMadeOrWrittenFailsAndKeepsTheEarlierData) {
    WriteAll(dir_ / "file", {1});
    quorbix::KeepDataIn((dir_ / "file" / "data").string());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(quorbix::SaveData("best", kScore));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot be made"), std::string::npos);

    quorbix::KeepDataIn((dir_ / "closed").string());
    ASSERT_TRUE(quorbix::SaveData("best", kScore));
    fs::permissions(dir_ / "closed", fs::perms::owner_read | fs::perms::owner_exec);
    if (::access((dir_ / "closed").c_str(), W_OK) == 0) GTEST_SKIP() << "the user may write a read-only folder (root)";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(quorbix::SaveData("best", {1, 2, 3}));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("'best' is not saved"), std::string::npos);
    Bytes out;
    EXPECT_TRUE(quorbix::LoadData("best", out));
    EXPECT_EQ(out, kScore);
}

TEST_F(SavedData, NoFolderKeepsNothingAndSaysSoOnce) {
    quorbix::KeepDataIn("");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(quorbix::SaveData("best", kScore));
    EXPECT_FALSE(quorbix::SaveData("best", kScore));
    Bytes out;
    EXPECT_FALSE(quorbix::LoadData("best", out));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("no data is kept"), said.rfind("no data is kept")) << said;
    EXPECT_NE(said.find("no data is kept"), std::string::npos);
}

// $XDG_DATA_HOME when absolute, else ~/.local/share; the program's name as the folder's.
TEST_F(SavedData, TheUsersFolderFollowsTheEnvironment) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string xdg = savedXdg ? savedXdg : "", home = savedHome ? savedHome : "";
    ::setenv("XDG_DATA_HOME", (dir_ / "xdg").c_str(), 1);
    ::setenv("HOME", (dir_ / "home").c_str(), 1);
    quorbix::KeepDataPerUser("my-game");
    EXPECT_EQ(quorbix::DataFolder(), (dir_ / "xdg" / "my-game").string());
    EXPECT_TRUE(quorbix::SaveData("best", kScore));
    EXPECT_TRUE(fs::exists(dir_ / "xdg" / "my-game" / "best.dat"));
    ::setenv("XDG_DATA_HOME", "relative/data", 1);
    quorbix::KeepDataPerUser("my-game");
    EXPECT_EQ(quorbix::DataFolder(), (dir_ / "home" / ".local" / "share" / "my-game").string());
    // A Windows executable's name without its ".exe"; names that are no folder's keep nothing.
    quorbix::KeepDataPerUser("Dodge Blocks 2.EXE");
    EXPECT_EQ(quorbix::DataFolder(), (dir_ / "home" / ".local" / "share" / "Dodge Blocks 2").string());
    for (const char* bad : {"My Game!", "..", "../escape", ".hidden", "trailing.", "trailing ", "a/b", "nul", "nul.exe", ".exe", ""}) {
        quorbix::KeepDataPerUser(bad);
        EXPECT_EQ(quorbix::DataFolder(), "") << bad;
    }
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    quorbix::KeepDataPerUser("my-game");
    EXPECT_EQ(quorbix::DataFolder(), "");
    if (savedXdg) ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    if (savedHome) ::setenv("HOME", home.c_str(), 1);
}
