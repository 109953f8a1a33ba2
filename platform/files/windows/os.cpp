// Platform: the operating system's answers on Windows (see os.h). Names are UTF-8 here and UTF-16
// at Windows' own calls: the C library's narrow calls would read them in the ANSI code page,
// where a name with characters outside it (a Japanese folder on a Western system) cannot open.
#include "platform/files/os.h"
#include "platform/files/windows/wide.h"

#include <windows.h>

#include <cerrno>
#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

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

int standardInput() {
    const int fd = _fileno(stdin);
    _setmode(fd, _O_BINARY);
    return fd;
}

bool MappedFile::open(const std::string& name, std::uint64_t maxBytes) {
    close();
    std::wstring wide;
    if (!windows::toWide(name, wide)) return false;
    // Others may read the file, and rename or delete it (an update replacing a font), meanwhile.
    // A folder does not open this way.
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER length{};
    bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &length) && length.QuadPart >= 0 &&
              static_cast<std::uint64_t>(length.QuadPart) <= maxBytes &&
              static_cast<std::uint64_t>(length.QuadPart) <= SIZE_MAX;
    if (ok && length.QuadPart > 0) {
        const auto bytes = static_cast<std::size_t>(length.QuadPart);
        // The view holds the file open; the mapping's handle is not needed once it is made.
        HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        void* view = mapping != nullptr ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
        if (mapping != nullptr) CloseHandle(mapping);
        if (view != nullptr) {
            data_ = static_cast<const unsigned char*>(view);
            size_ = bytes;
            mapped_ = true;
        } else {
            copy_.resize(bytes);
            std::size_t got = 0;
            while (got < bytes) {
                const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes - got, 1u << 30));
                DWORD n = 0;
                if (!ReadFile(file, copy_.data() + got, want, &n, nullptr) || n == 0) break;
                got += n;
            }
            ok = got == bytes;
            data_ = copy_.data();
            size_ = bytes;
        }
    }
    CloseHandle(file);
    if (!ok) close();
    return ok;
}

void MappedFile::close() {
    if (mapped_) UnmapViewOfFile(data_);
    data_ = nullptr;
    size_ = 0;
    mapped_ = false;
    std::vector<unsigned char>().swap(copy_);
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

namespace {

// Whether argv holds the process's own arguments: the C library's __argv, or the copy of it
// MinGW's start-up code hands main (other pointers, the same words).
bool processArguments(int argc, char** argv) {
    if (argv == nullptr || __argv == nullptr || argc != __argc) return false;
    for (int i = 0; i < argc; ++i)
        if (argv[i] == nullptr || __argv[i] == nullptr || std::strcmp(argv[i], __argv[i]) != 0) return false;
    return true;
}

}  // namespace

std::vector<std::string> arguments(int argc, char** argv) {
    std::vector<std::string> words;
    // The process's own words come from the UTF-16 command line, where no character is lost;
    // another argv (a test's, a program's own list) is taken as it is.
    int count = 0;
    LPWSTR* wide = processArguments(argc, argv) ? CommandLineToArgvW(GetCommandLineW(), &count) : nullptr;
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i) {
            std::string word;
            if (!windows::toUtf8(wide[i], word)) break;
            words.push_back(word);
        }
        LocalFree(wide);
        if (words.size() == static_cast<std::size_t>(count)) return words;
    }
    words.clear();
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i) words.push_back(argv[i]);
    return words;
}

namespace {

// A standard handle the program was started without: it was not handed a file, a pipe or a console.
bool missingHandle(DWORD which) {
    HANDLE h = GetStdHandle(which);
    return h == nullptr || h == INVALID_HANDLE_VALUE || GetFileType(h) == FILE_TYPE_UNKNOWN;
}

// Puts descriptor `fd` and `stream` on the handle `h` (which it then owns): the console the
// process is attached to, or the log.
void streamToHandle(std::FILE* stream, int fd, DWORD which, HANDLE h, int mode) {
    const int opened = _open_osfhandle(reinterpret_cast<intptr_t>(h), mode);
    if (opened < 0) {
        CloseHandle(h);
        return;
    }
    if (_dup2(opened, fd) == 0) {
#ifndef _UCRT
        // The C library set the stream up on no descriptor at all (-2) when the process started
        // without a console; a stream on the descriptor takes its place. (freopen of "CONOUT$",
        // the usual way, refuses such a stream in some C libraries.)
        if (_fileno(stream) != fd) {
            if (std::FILE* onHandle = _fdopen(fd, "w"); onHandle != nullptr) *stream = *onHandle;
        }
#endif
        SetStdHandle(which, reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
        std::setvbuf(stream, nullptr, _IONBF, 0);
    }
    _close(opened);
}

void streamToConsole(std::FILE* stream, int fd, DWORD which) {
    HANDLE h = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) streamToHandle(stream, fd, which, h, _O_TEXT);
}

// A log past this size is put aside (NAME.old.log, replacing the one before) as a session starts.
constexpr std::uint64_t kLogKeptBytes = 1 << 20;

// The program's name as a file name: letters, digits, '-', '_' and '.' kept, anything else (a
// separator, a character Windows refuses in names) made '_'; "program" when nothing is left.
std::wstring logName(const std::string& program) {
    std::wstring name;
    for (char c : program) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '_' || (c == '.' && !name.empty());
        name += plain ? static_cast<wchar_t>(c) : L'_';
    }
    while (!name.empty() && name.back() == L'.') name.pop_back();
    return name.empty() ? L"program" : name;
}

// The log of a program started without a console (a double-click): %LOCALAPPDATA%\NAME\NAME.log,
// opened to append, so that two copies of the program running at once add their lines to it
// without writing over each other's. Null where there is no such folder or it cannot be made.
HANDLE openLog(const std::string& program) {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    if (local == nullptr || local[0] == L'\0') return nullptr;
    const std::wstring name = logName(program);
    const std::wstring folder = std::wstring(local) + L"\\" + name;
    std::string folderUtf8;
    if (!windows::toUtf8(folder, folderUtf8) || makeFolders(folderUtf8) != 0) return nullptr;
    const std::wstring file = folder + L"\\" + name + L".log";
    WIN32_FILE_ATTRIBUTE_DATA info{};
    if (GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &info) &&
        ((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow) > kLogKeptBytes)
        MoveFileExW(file.c_str(), (folder + L"\\" + name + L".old.log").c_str(), MOVEFILE_REPLACE_EXISTING);
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

}  // namespace

void attachParentConsole(const std::string& program) {
    // Handles the program was started with (its output redirected to a file or a pipe) are kept.
    const bool out = missingHandle(STD_OUTPUT_HANDLE), err = missingHandle(STD_ERROR_HANDLE);
    if (!out && !err) return;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (out) streamToConsole(stdout, 1, STD_OUTPUT_HANDLE);
        if (err) streamToConsole(stderr, 2, STD_ERROR_HANDLE);
        return;
    }
    // No console to write to: what the program says goes to its log, which begins each session
    // with a line of its own.
    HANDLE log = openLog(program);
    if (log == nullptr) return;
    HANDLE second = nullptr;
    if (out && err &&
        !DuplicateHandle(GetCurrentProcess(), log, GetCurrentProcess(), &second, 0, FALSE, DUPLICATE_SAME_ACCESS))
        second = nullptr;
    if (err) streamToHandle(stderr, 2, STD_ERROR_HANDLE, log, _O_TEXT);
    if (out) {
        HANDLE forOut = err ? second : log;
        if (forOut != nullptr) streamToHandle(stdout, 1, STD_OUTPUT_HANDLE, forOut, _O_TEXT);
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    std::fprintf(err ? stderr : stdout, "--- %s, process %lu, started %04u-%02u-%02u %02u:%02u:%02u\n", program.c_str(),
                 static_cast<unsigned long>(GetCurrentProcessId()), now.wYear, now.wMonth, now.wDay, now.wHour,
                 now.wMinute, now.wSecond);
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

std::string picturesFolder() {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &path)) && path != nullptr &&
        !windows::toUtf8(path, folder))
        folder.clear();
    CoTaskMemFree(path);
    return folder;
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

bool userDataWritten(const std::string&, std::string&) { return true; }

std::string soundFontFolder() { return executableFolder() + "sf2"; }

const char* soundFontRemedy() { return "the game's zip carries one: unpack it whole"; }

}  // namespace platform::os
