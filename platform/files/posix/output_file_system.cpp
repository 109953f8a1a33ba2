// Platform: files written whole or not at all (see output_file.h), with the POSIX calls: the
// temporary file is made beside the target and renamed over it.
#include "platform/files/output_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

// The absolute path with links, "." and ".." resolved as far as the path exists.
bool resolved(const std::string& path, std::filesystem::path& out) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) out = std::filesystem::weakly_canonical(absolute, ec);
    return !ec;
}

// The file a write to `path` reaches: a symbolic link followed to the file it names.
std::string followLinks(const std::string& path) {
    struct stat link {};
    std::filesystem::path real;
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode) || !resolved(path, real)) return path;
    return real.string();
}

// Creates the temporary file beside `target` with the permissions a new file gets, or those of
// the file it replaces. Returns the descriptor, or -1 with errno set.
int createTemporary(const std::string& target, const struct stat* replaced, std::string& temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = output_system::temporaryName(target, "/", static_cast<unsigned long long>(::getpid()));
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (replaced != nullptr) (void)::fchmod(fd, replaced->st_mode & 07777);
            return fd;
        }
        if (errno != EEXIST) break;
    }
    temp.clear();
    return -1;
}

}  // namespace

namespace output_system {

int openOutput(const std::string& target, std::FILE*& file, std::string& replaced, std::string& temp) {
    replaced = followLinks(target);
    struct stat st {};
    const bool exists = ::stat(replaced.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return EISDIR;
    if (exists && !S_ISREG(st.st_mode)) {
        file = std::fopen(target.c_str(), "wb");
        return file != nullptr ? 0 : errno;
    }
    // A file the user may not write is not replaced behind the user's back either.
    if (exists && ::access(replaced.c_str(), W_OK) != 0) return errno;
    const int fd = createTemporary(replaced, exists ? &st : nullptr, temp);
    if (fd < 0) return errno;
    file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int why = errno;
        ::close(fd);
        removeTemporary(temp);
        temp.clear();
        return why;
    }
    return 0;
}

// The rename after the close is what makes the file whole; its bytes reach the disk in the
// system's own time.
bool settle(std::FILE*) { return true; }

int replaceTarget(const std::string& temp, const std::string& target) {
    return std::rename(temp.c_str(), target.c_str()) == 0 ? 0 : errno;
}

void removeTemporary(const std::string& temp) { ::unlink(temp.c_str()); }

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {}, sb {};
    const bool aExists = ::stat(a.c_str(), &sa) == 0, bExists = ::stat(b.c_str(), &sb) == 0;
    if (aExists && bExists) {
        if (sa.st_dev != sb.st_dev || sa.st_ino != sb.st_ino) return false;
        return S_ISREG(sa.st_mode) || S_ISDIR(sa.st_mode);
    }
    if (aExists != bExists) return false;
    std::filesystem::path pa, pb;
    return resolved(a, pa) && resolved(b, pb) && pa == pb;
}

}  // namespace output_system
}  // namespace platform
