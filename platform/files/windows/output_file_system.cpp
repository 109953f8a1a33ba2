// Platform on Windows: files written whole or not at all (see output_file.h). The temporary file
// is made with CreateFileW and put in the target's place with MoveFileExW, which replaces a file
// that is there: the C library's rename refuses to, so a second run to the same name would fail.
#include "platform/files/output_file_system.h"
#include "platform/files/windows/wide.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <cwchar>

namespace platform {
namespace {

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

// Creates the temporary file beside `target`. Returns its stream, or nullptr with errno set.
std::FILE* createTemporary(const std::string& target, std::string& temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = output_system::temporaryName(target, "\\/", GetCurrentProcessId());
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

}  // namespace

namespace output_system {

int openOutput(const std::string& target, std::FILE*& file, std::string& replaced, std::string& temp) {
    replaced = target;
    std::wstring wide;
    if (!windows::toWide(target, wide)) return ENOENT;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return EISDIR;
    // A device (NUL, CON) is written in place: there is nothing there to keep.
    if (exists && (attributes & FILE_ATTRIBUTE_DEVICE)) {
        file = _wfopen(wide.c_str(), L"wb");
        return file != nullptr ? 0 : errno;
    }
    // A file the user may not write is not replaced behind the user's back either.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return EACCES;
    file = createTemporary(replaced, temp);
    return file != nullptr ? 0 : errno;
}

bool settle(std::FILE* file) {
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (h == INVALID_HANDLE_VALUE || FlushFileBuffers(h)) return true;
    errno = errnoOf(GetLastError());
    return false;
}

// MoveFileExW replaces a file that is there; the C library's rename refuses to. A target another
// program holds open for a moment (a virus scanner, an indexer, a viewer reloading it) refuses
// the move with a sharing violation: tried again a few times, about a second in all.
int replaceTarget(const std::string& temp, const std::string& target) {
    std::wstring from, to;
    if (!windows::toWide(temp, from) || !windows::toWide(target, to)) return ENOENT;
    for (DWORD wait = 25;; wait *= 2) {
        if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
        const DWORD code = GetLastError();
        const bool busy = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED;
        if (!busy || wait > 400) return errnoOf(code);
        Sleep(wait);
    }
}

void removeTemporary(const std::string& temp) {
    std::wstring wide;
    if (windows::toWide(temp, wide)) DeleteFileW(wide.c_str());
}

}  // namespace output_system

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

bool output_system::sameFile(const std::string& a, const std::string& b) {
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
