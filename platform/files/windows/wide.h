// Platform on Windows: UTF-8 to UTF-16 and back, for the names handed to Windows' wide calls.
#pragma once
#include <string>

namespace platform::windows {

// False (out unchanged) when `text` is not valid UTF-8 or not valid UTF-16: a name cut in the
// middle of a character names no file, and guessing one could open the wrong file.
bool toWide(const std::string& text, std::wstring& out);
bool toUtf8(const std::wstring& text, std::string& out);

}  // namespace platform::windows
