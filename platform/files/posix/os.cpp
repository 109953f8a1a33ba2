// Platform: the operating system's answers on Linux and in the browser (see os.h): POSIX calls,
// where a file's name is its bytes.
#include "platform/files/os.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace platform::os {

std::FILE* openFile(const std::string& name, const char* mode) { return std::fopen(name.c_str(), mode); }

int openDescriptor(const std::string& name) { return ::open(name.c_str(), O_RDONLY | O_CLOEXEC); }

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

#ifdef __EMSCRIPTEN__
std::string userDataFolder(std::string& why) {
    why = "a page keeps no saved data";
    return "";
}
#else
std::string userDataFolder(std::string& why) {
    // A relative $XDG_DATA_HOME is ignored, as the base directory rules say.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return data;
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/share";
    why = "neither $XDG_DATA_HOME nor $HOME names a folder";
    return "";
}
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

std::string soundFontFolder() { return "/usr/share/sounds/sf2"; }

const char* soundFontRemedy() { return "the package timgm6mb-soundfont installs one"; }

}  // namespace platform::os
