// Platform on Windows: UTF-8 and UTF-16 through Windows' own conversion (see wide.h).
#include "platform/files/windows/wide.h"

#include <windows.h>

namespace platform::windows {

bool toWide(const std::string& text, std::wstring& out) {
    if (text.empty()) {
        out.clear();
        return true;
    }
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
    if (n <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), wide.data(), n);
    out.swap(wide);
    return true;
}

bool toUtf8(const std::wstring& text, std::string& out) {
    if (text.empty()) {
        out.clear();
        return true;
    }
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), narrow.data(), n,
                        nullptr, nullptr);
    out.swap(narrow);
    return true;
}

}  // namespace platform::windows
