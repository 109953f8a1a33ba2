// Platform on Windows: files written whole or not at all (see output_file.h). The temporary file
// is made with CreateFileW and put in the target's place with MoveFileExW, which replaces a file
// that is there: the C library's rename refuses to, so a second run to the same name would fail.
#include "platform/files/output_file.h"
#include "platform/files/windows/wide.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cwchar>

namespace platform {
namespace {

std::string reason(int error) { return std::strerror(error); }

// The C library's number for what Windows said, for messages worded as on the other systems.
int errnoOf(DWORD code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    default:
        return EIO;
    }
}

// Six letters and digits that differ between processes and between calls.
std::string uniqueSuffix() {
    thread_local unsigned long long state = 0;
    if (state == 0)
        state = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                (static_cast<unsigned long long>(GetCurrentProcessId()) << 32);
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string s;
    for (unsigned long long v = state >> 16; s.size() < 6; v /= 36) s += kLetters[v % 36];
    return s;
}

// Creates TARGET.part-XXXXXX beside `target` (a long name cut so that the temporary one stays
// within the 255 characters a name may have). Returns its stream, or nullptr with errno set.
std::FILE* createTemporary(const std::string& target, std::string& temp) {
    const std::size_t slash = target.find_last_of("\\/");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string stem = target.substr(0, nameStart + std::min<std::size_t>(target.size() - nameStart, 200));
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = stem + ".part-" + uniqueSuffix();
        std::wstring wide;
        if (!windows::toWide(temp, wide)) {
            errno = ENOENT;
            break;
        }
        HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) continue;
            errno = errnoOf(code);
            break;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY | _O_WRONLY);
        std::FILE* f = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
        if (f != nullptr) return f;
        const int why = errno;
        if (fd >= 0) _close(fd);
        else CloseHandle(h);
        DeleteFileW(wide.c_str());
        errno = why;
        break;
    }
    temp.clear();
    return nullptr;
}

// The attributes of a name, INVALID_FILE_ATTRIBUTES when it does not exist (or is no name).
DWORD attributesOf(const std::string& name) {
    std::wstring wide;
    return windows::toWide(name, wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
}

bool removeFile(const std::string& name) {
    std::wstring wide;
    return windows::toWide(name, wide) && DeleteFileW(wide.c_str());
}

}  // namespace

bool OutputFile::open(const std::string& target, std::string& error) {
    discard();
    target_ = target;
    replaced_ = target;
    const std::string cannot = "cannot write '" + target + "': ";
    std::wstring wide;
    if (target.empty() || !windows::toWide(target, wide)) {
        error = cannot + reason(ENOENT);
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = cannot + reason(EISDIR);
        return false;
    }
    // A device (NUL, CON) is written in place: there is nothing there to keep.
    if (exists && (attributes & FILE_ATTRIBUTE_DEVICE)) {
        file_ = _wfopen(wide.c_str(), L"wb");
        if (file_ == nullptr) error = cannot + reason(errno);
        return file_ != nullptr;
    }
    // A file the user may not write is not replaced behind the user's back either.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
        error = cannot + reason(EACCES);
        return false;
    }
    file_ = createTemporary(replaced_, temp_);
    if (file_ == nullptr) {
        error = cannot + reason(errno);
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
    if (ok && !temp_.empty()) {
        std::wstring from, to;
        if (!windows::toWide(temp_, from) || !windows::toWide(replaced_, to)) {
            ok = false;
            why = ENOENT;
        } else if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            ok = false;
            why = errnoOf(GetLastError());
        }
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
    if (!temp_.empty()) removeFile(temp_);
    temp_.clear();
}

namespace {

// The volume and the file's index on it: one pair per file, whatever its names.
bool fileIdentity(const std::string& name, unsigned long long& volume, unsigned long long& index) {
    std::wstring wide;
    if (!windows::toWide(name, wide)) return false;
    HANDLE h = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    volume = info.dwVolumeSerialNumber;
    index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return ok;
}

// The absolute path, "." and ".." resolved; names on Windows differ in case only as one file.
bool fullPath(const std::string& name, std::wstring& out) {
    std::wstring wide;
    if (!windows::toWide(name, wide)) return false;
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return false;
    out.assign(n, L'\0');
    const DWORD got = GetFullPathNameW(wide.c_str(), n, out.data(), nullptr);
    if (got == 0 || got >= n) return false;
    out.resize(got);
    for (wchar_t& c : out)
        if (c == L'/') c = L'\\';
    return true;
}

}  // namespace

bool sameOutputFile(const std::string& a, const std::string& b) {
    const DWORD aAttributes = attributesOf(a), bAttributes = attributesOf(b);
    const bool aExists = aAttributes != INVALID_FILE_ATTRIBUTES, bExists = bAttributes != INVALID_FILE_ATTRIBUTES;
    if (aExists && bExists) {
        if ((aAttributes & FILE_ATTRIBUTE_DEVICE) || (bAttributes & FILE_ATTRIBUTE_DEVICE)) return false;
        unsigned long long va = 0, ia = 0, vb = 0, ib = 0;
        return fileIdentity(a, va, ia) && fileIdentity(b, vb, ib) && va == vb && ia == ib;
    }
    if (aExists != bExists) return false;
    std::wstring pa, pb;
    return fullPath(a, pa) && fullPath(b, pb) &&
           CompareStringOrdinal(pa.c_str(), static_cast<int>(pa.size()), pb.c_str(), static_cast<int>(pb.size()),
                                TRUE) == CSTR_EQUAL;
}

}  // namespace platform
