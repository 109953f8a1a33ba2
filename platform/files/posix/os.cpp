// Platform: the operating system's answers on Linux and in the browser (see os.h): POSIX calls,
// where a file's name is its bytes.
#include "platform/files/os.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace platform::os {

std::FILE* openFile(const std::string& name, const char* mode) { return std::fopen(name.c_str(), mode); }

int openDescriptor(const std::string& name) { return ::open(name.c_str(), O_RDONLY | O_CLOEXEC); }

int standardInput() { return STDIN_FILENO; }

bool MappedFile::open(const std::string& name, std::uint64_t maxBytes) {
    close();
    // Not blocking: a named pipe in a file's place is refused below instead of waited on.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) <= maxBytes &&
              static_cast<std::uint64_t>(st.st_size) <= SIZE_MAX;
    if (ok && st.st_size > 0) {
        const auto bytes = static_cast<std::size_t>(st.st_size);
        void* view = ::mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE, fd, 0);
        if (view != MAP_FAILED) {
            data_ = static_cast<const unsigned char*>(view);
            size_ = bytes;
            mapped_ = true;
        } else {
            // A file system that cannot map: the file read whole, as one read normally does.
            copy_.resize(bytes);
            std::size_t got = 0;
            while (got < bytes) {
                const ssize_t n = ::read(fd, copy_.data() + got, bytes - got);
                if (n <= 0) break;
                got += static_cast<std::size_t>(n);
            }
            ok = got == bytes;
            data_ = copy_.data();
            size_ = bytes;
        }
    }
    ::close(fd);
    if (!ok) close();
    return ok;
}

void MappedFile::close() {
    if (mapped_) ::munmap(const_cast<unsigned char*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
    mapped_ = false;
    std::vector<unsigned char>().swap(copy_);
}

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

int makeFolders(const std::string& folder) {
    // Each folder from the top: one that exists is passed, a missing one made.
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string part = folder.substr(0, end);
        if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return errno;
        if (end == std::string::npos) break;
    }
    const Kind kind = kindOf(folder);
    return kind == Kind::directory ? 0 : kind == Kind::missing ? ENOENT : ENOTDIR;
}

#ifndef __EMSCRIPTEN__
// The page's are in web/user_data.cpp.
std::string userDataFolder(std::string& why) {
    // A relative $XDG_DATA_HOME is ignored, as the base directory rules say.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return data;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/share";
    why = "neither $XDG_DATA_HOME nor $HOME names a folder";
    return "";
}

bool userDataWritten(const std::string&, std::string&) { return true; }
#endif

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

#ifdef __EMSCRIPTEN__
namespace {
// clang-format off
// The browser's languages, comma-separated (tags have no commas), into out; "" where it names none.
EM_JS(void, pageLanguages, (char* out, int size), {
    const list = (typeof navigator !== 'undefined' && (navigator.languages || [navigator.language])) || [];
    stringToUTF8(list.filter(l => typeof l === 'string').join(','), out, size);
});
// clang-format on
}  // namespace

std::vector<std::string> userLanguages() {
    char list[512] = {};
    pageLanguages(list, sizeof list);
    const std::string text = list;
    std::vector<std::string> tags;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        if (comma > start) tags.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return tags;
}
#else
std::vector<std::string> userLanguages() {
    // The locale's categories as the C library settles them: LC_ALL over LC_MESSAGES over LANG.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || value[0] == '\0') continue;
        if (std::strcmp(value, "C") == 0 || std::strncmp(value, "C.", 2) == 0 || std::strcmp(value, "POSIX") == 0)
            return {};
        return {value};
    }
    return {};
}
#endif

void attachParentConsole(const std::string&) {}

std::string picturesFolder() {
    const char* home = std::getenv("HOME");
    std::string homeFolder = home != nullptr ? home : "";
    while (homeFolder.size() > 1 && homeFolder.back() == '/') homeFolder.pop_back();
    // The desktop's own answer, from the user's folder settings.
    std::string said;
    if (std::FILE* p = ::popen("xdg-user-dir PICTURES 2>/dev/null", "r")) {
        char buffer[PATH_MAX + 2];
        if (std::fgets(buffer, sizeof buffer, p) != nullptr) said = buffer;
        ::pclose(p);
    }
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r')) said.pop_back();
    while (said.size() > 1 && said.back() == '/') said.pop_back();
    if (!said.empty() && said[0] == '/' && said != homeFolder) return said;
    if (homeFolder.empty()) return "";
    return homeFolder + "/Pictures";
}

std::string soundFontFolder() { return "/usr/share/sounds/sf2"; }

const char* soundFontRemedy() { return "the package timgm6mb-soundfont installs one"; }

}  // namespace platform::os
