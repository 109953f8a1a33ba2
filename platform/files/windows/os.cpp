// Platform: the operating system's answers on Windows (see os.h). Names are UTF-8 here and UTF-16
// at Windows' own calls: the C library's narrow calls would read them in the ANSI code page,
// where a name with characters outside it (a Japanese folder on a Western system) cannot open.
#include "platform/files/os.h"
#include "platform/files/windows/wide.h"

#include <windows.h>

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace platform::os {

std::FILE* openFile(const std::string& name, const char* mode) {
    std::wstring wide, wideMode;
    if (!windows::toWide(name, wide) || !windows::toWide(mode, wideMode)) {
        errno = EINVAL;
        return nullptr;
    }
    return _wfopen(wide.c_str(), wideMode.c_str());
}

int openDescriptor(const std::string& name) {
    std::wstring wide;
    if (!windows::toWide(name, wide)) {
        errno = EINVAL;
        return -1;
    }
    return _wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

Kind kindOf(const std::string& name, std::uint64_t* size) {
    std::wstring wide;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!windows::toWide(name, wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
        return Kind::missing;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return Kind::directory;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) return Kind::other;
    if (size != nullptr) *size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return Kind::regular;
}

bool listFolder(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    std::wstring pattern;
    if (!windows::toWide(folder, pattern)) return false;
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(pattern.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return false;
    do {
        std::string name;
        if (windows::toUtf8(found.cFileName, name) && name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return true;
}

std::vector<std::string> arguments(int argc, char** argv) {
    std::vector<std::string> words;
    // Another argv (a test's, a program's own list) is taken as it is.
    int count = 0;
    LPWSTR* wide = argv == __argv ? CommandLineToArgvW(GetCommandLineW(), &count) : nullptr;
    if (wide != nullptr && count == argc) {
        for (int i = 0; i < count; ++i) {
            std::string word;
            if (!windows::toUtf8(wide[i], word)) break;
            words.push_back(word);
        }
    }
    if (wide != nullptr) LocalFree(wide);
    if (words.size() == static_cast<std::size_t>(argc)) return words;
    words.clear();
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i) words.push_back(argv[i]);
    return words;
}

std::string executablePath() {
    // The path may be longer than MAX_PATH: the buffer grows until the whole path fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return "";
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        if (buffer.size() >= 32768) return "";
        buffer.resize(buffer.size() * 2);
    }
    std::string path;
    return windows::toUtf8(buffer, path) ? path : std::string();
}

std::string executableFolder() {
    const std::string path = executablePath();
    return path.substr(0, path.find_last_of("\\/") + 1);
}

bool diskSpace(const std::string& folder, std::uint64_t& freeBytes, std::uint64_t& totalBytes) {
    std::wstring wide;
    ULARGE_INTEGER avail{}, total{}, all{};
    if (!windows::toWide(folder, wide) || !GetDiskFreeSpaceExW(wide.c_str(), &avail, &total, &all)) return false;
    freeBytes = avail.QuadPart;
    totalBytes = total.QuadPart;
    return true;
}

std::uint64_t availableMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullAvailPhys : 0;
}

std::vector<std::string> userLanguages() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    std::string tag;
    if (LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) == 0 || !windows::toUtf8(name, tag) || tag.empty()) return {};
    return {tag};   // "en-US", "ja-JP"
}

int makeFolders(const std::string& folder) {
    std::wstring wide;
    if (!windows::toWide(folder, wide)) return EINVAL;
    // Each folder from the top made where it is missing ("C:" and a share's \\server are
    // passed); what is there at the end says whether it worked.
    for (std::size_t end = wide.find_first_of(L"\\/", 1);; end = wide.find_first_of(L"\\/", end + 1)) {
        const std::wstring part = wide.substr(0, end);
        if (!part.empty() && part.back() != L':' && GetFileAttributesW(part.c_str()) == INVALID_FILE_ATTRIBUTES)
            CreateDirectoryW(part.c_str(), nullptr);
        if (end == std::wstring::npos) break;
    }
    const Kind kind = kindOf(folder);
    return kind == Kind::directory ? 0 : kind == Kind::missing ? ENOENT : ENOTDIR;
}

std::string userDataFolder(std::string& why) {
    const wchar_t* data = _wgetenv(L"APPDATA");
    std::string folder;
    if (data != nullptr && data[0] != L'\0' && windows::toUtf8(data, folder)) return folder;
    why = "%APPDATA% names no folder";
    return "";
}

std::string soundFontFolder() { return executableFolder() + "sf2"; }

const char* soundFontRemedy() { return "the game's zip carries one: unpack it whole"; }

}  // namespace platform::os
