// Platform: the operating system's answers on Linux and in the browser (see os.h): POSIX calls,
// where a file's name is its bytes.
#include "platform/files/os.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <climits>

namespace platform::os {

std::FILE* openFile(const std::string& name, const char* mode) { return std::fopen(name.c_str(), mode); }

int openDescriptor(const std::string& name) { return ::open(name.c_str(), O_RDONLY | O_CLOEXEC); }

int standardInput() { return STDIN_FILENO; }

Kind kindOf(const std::string& name, std::uint64_t* size) {
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0) return Kind::missing;
    if (S_ISDIR(st.st_mode)) return Kind::directory;
    if (!S_ISREG(st.st_mode)) return Kind::other;
    if (size != nullptr) *size = static_cast<std::uint64_t>(st.st_size);
    return Kind::regular;
}

bool listFolder(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    DIR* d = opendir(folder.c_str());
    if (d == nullptr) return false;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
    return true;
}

std::vector<std::string> arguments(int argc, char** argv) {
    std::vector<std::string> words;
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i) words.push_back(argv[i]);
    return words;
}

std::string executablePath() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
}

std::string executableFolder() {
    const std::string path = executablePath();
    return path.substr(0, path.rfind(kSeparator) + 1);
}

bool diskSpace(const std::string& folder, std::uint64_t& freeBytes, std::uint64_t& totalBytes) {
    struct statvfs fs {};
    if (statvfs(folder.c_str(), &fs) != 0) return false;
    freeBytes = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
    totalBytes = static_cast<std::uint64_t>(fs.f_blocks) * fs.f_frsize;
    return true;
}

std::uint64_t availableMemory() {
    struct sysinfo info {};
    if (sysinfo(&info) != 0) return 0;
    return (static_cast<std::uint64_t>(info.freeram) + info.bufferram) * info.mem_unit;
}

std::string soundFontFolder() { return "/usr/share/sounds/sf2"; }

const char* soundFontRemedy() { return "the package timgm6mb-soundfont installs one"; }

}  // namespace platform::os
