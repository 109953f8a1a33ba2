// A file's bytes in memory (os::MappedFile), as the font engine takes a face's file: the whole
// file, byte for byte; nothing held for a name that is no regular file or is too long.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files/os.h"

namespace {

namespace fs = std::filesystem;
using platform::os::MappedFile;

fs::path Folder() {
    fs::path dir = fs::temp_directory_path() / ("qrb-mapped-" + std::to_string(getpid()));
    fs::create_directories(dir);
    return dir;
}

void Write(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(MappedFile, HoldsTheWholeFileAndRefusesWhatIsNoFile) {
    const fs::path dir = Folder();
    // Longer than a page and not a whole number of them, every byte value at every place.
    std::vector<unsigned char> bytes(70001);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7 + i / 256);
    Write(dir / "face.ttf", bytes);
    Write(dir / "other.ttf", {1, 2, 3});
    Write(dir / "empty.ttf", {});

    MappedFile file;
    ASSERT_TRUE(file.open((dir / "face.ttf").string(), bytes.size()));
    ASSERT_EQ(file.size(), bytes.size());
    EXPECT_EQ(std::memcmp(file.data(), bytes.data(), bytes.size()), 0);
    // Opening another file lets the first go.
    ASSERT_TRUE(file.open((dir / "other.ttf").string(), 100));
    ASSERT_EQ(file.size(), 3u);
    EXPECT_EQ(file.data()[2], 3);
    ASSERT_TRUE(file.open((dir / "empty.ttf").string(), 100)) << "an empty file is no bytes, for the reader to refuse";
    EXPECT_EQ(file.size(), 0u);

    // A named pipe is refused at once, not waited on for a writer.
    ASSERT_EQ(mkfifo((dir / "pipe.ttf").c_str(), 0600), 0);
    struct Case {
        const char* what;
        fs::path path;
        std::uint64_t limit;
    } refused[] = {
        {"longer than the limit", dir / "face.ttf", bytes.size() - 1},
        {"missing", dir / "missing.ttf", 1000},
        {"a folder", dir, 1000000},
        {"a named pipe", dir / "pipe.ttf", 1000},
    };
    for (const Case& c : refused) {
        ASSERT_TRUE(file.open((dir / "other.ttf").string(), 100));
        EXPECT_FALSE(file.open(c.path.string(), c.limit)) << c.what;
        EXPECT_EQ(file.data(), nullptr) << c.what << ": the file opened before is let go too";
        EXPECT_EQ(file.size(), 0u) << c.what;
    }
    file.close();
    fs::remove_all(dir);
}

}  // namespace
