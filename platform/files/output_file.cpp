// Platform: files written whole or not at all, through a temporary file renamed over the target.
#include "platform/files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

std::string reason(int error) { return std::strerror(error); }

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

// Six letters and digits that differ between processes and between calls.
std::string uniqueSuffix() {
    thread_local unsigned long long state = 0;
    if (state == 0)
        state = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                (static_cast<unsigned long long>(::getpid()) << 32);
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s;
    for (unsigned long long v = state >> 16; s.size() < 6; v /= 36) s += kLetters[v % 36];
    return s;
}

// Creates TARGET.part-XXXXXX beside `target` with the permissions a new file gets, or those of
// the file it replaces; a long name is cut so that the temporary one stays within the 255 bytes a
// name may have. Returns the descriptor, or -1 with errno set.
int createTemporary(const std::string& target, const struct stat* replaced, std::string& temp) {
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string stem = target.substr(0, nameStart + std::min<std::size_t>(target.size() - nameStart, 200));
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = stem + ".part-" + uniqueSuffix();
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

bool OutputFile::open(const std::string& target, std::string& error) {
    discard();
    target_ = target;
    replaced_ = followLinks(target);
    const std::string cannot = "cannot write '" + target + "': ";
    if (target.empty()) {
        error = cannot + reason(ENOENT);
        return false;
    }
    struct stat st {};
    const bool exists = ::stat(replaced_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        error = cannot + reason(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        file_ = std::fopen(target.c_str(), "wb");
        if (file_ == nullptr) error = cannot + reason(errno);
        return file_ != nullptr;
    }
    // A file the user may not write is not replaced behind the user's back either.
    if (exists && ::access(replaced_.c_str(), W_OK) != 0) {
        error = cannot + reason(errno);
        return false;
    }
    const int fd = createTemporary(replaced_, exists ? &st : nullptr, temp_);
    if (fd < 0) {
        error = cannot + reason(errno);
        return false;
    }
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        error = cannot + reason(errno);
        ::close(fd);
        discard();
        return false;
    }
    return true;
}

bool OutputFile::write(const void* data, std::size_t size) {
    if (file_ == nullptr) return false;
    if (size > 0 && std::fwrite(data, 1, size, file_) != size && writeError_ == 0) writeError_ = errno;
    return std::ferror(file_) == 0;
}

bool OutputFile::flush() {
    if (file_ == nullptr) return false;
    if (std::fflush(file_) != 0 && writeError_ == 0) writeError_ = errno;
    return std::ferror(file_) == 0;
}

bool OutputFile::commit(std::string& error) {
    if (file_ == nullptr) {
        error = "writing '" + target_ + "' failed: it is not open";
        return false;
    }
    errno = 0;
    bool ok = std::fflush(file_) == 0 && std::ferror(file_) == 0;
    int why = writeError_ != 0 ? writeError_ : errno;
    if (std::fclose(file_) != 0 && ok) {
        ok = false;
        why = errno;
    }
    file_ = nullptr;
    if (ok && !temp_.empty() && std::rename(temp_.c_str(), replaced_.c_str()) != 0) {
        ok = false;
        why = errno;
    }
    if (ok) {
        temp_.clear();
        return true;
    }
    error = "writing '" + target_ + "' failed: " + (why != 0 ? reason(why) : "a write failed");
    discard();
    return false;
}

void OutputFile::discard() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    writeError_ = 0;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

bool sameOutputFile(const std::string& a, const std::string& b) {
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

}  // namespace platform
