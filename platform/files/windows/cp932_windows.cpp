// Platform on Windows: code page 932 through Windows' own conversion (see cp932.h). Windows and
// the desktop's iconv differ on a handful of codes; there the desktop's answer is given, so that a
// text reads and writes the same bytes on every system (tests/windows/cp932_check.cpp compares all).
#include "platform/files/cp932.h"

#include <windows.h>

namespace platform::cp932 {
namespace {

constexpr UINT kCodePage = 932;

// Characters iconv gives a code and Windows (without best fit) does not: the JIS forms of the yen
// sign, the overline, the dashes and the wave dash, and the cent, pound and not signs, each
// written as the code page's own character.
struct Extra {
    char32_t c;
    std::uint16_t code;
};
constexpr Extra kIconvOnly[] = {{0x00A2, 0x8191}, {0x00A3, 0x8192}, {0x00A5, 0x005C}, {0x00AC, 0x81CA},
                                {0x2014, 0x815C}, {0x2016, 0x8161}, {0x203E, 0x007E}, {0x2212, 0x817C},
                                {0x301C, 0x8160}};

// What Windows alone maps: byte 0x80 to U+0080, and U+F8F0-U+F8F3 back to 0xA0 and 0xFD-0xFF.
bool windowsOnly(char32_t c) { return c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3); }

}  // namespace

std::uint16_t decode(const unsigned char* bytes, int length) {
    if (bytes == nullptr || length < 1 || length > 2) return kInvalid;
    // A lead byte followed by a byte that is no trail byte is two codes, not one.
    if (length == 2 && !IsDBCSLeadByteEx(kCodePage, bytes[0])) return kInvalid;
    if (length == 1 && (IsDBCSLeadByteEx(kCodePage, bytes[0]) || bytes[0] == 0x80)) return kInvalid;
    wchar_t out[4];
    const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes), length,
                                      out, 4);
    if (n != 1 || out[0] >= kInvalid) return kInvalid;
    return static_cast<std::uint16_t>(out[0]);
}

int encode(char32_t c, unsigned char out[2]) {
    // The code page has no character outside the Basic Multilingual Plane, and a surrogate alone
    // is no character.
    if (c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    if (windowsOnly(c)) return 0;
    for (const Extra& e : kIconvOnly) {
        if (e.c != c) continue;
        if (e.code < 0x100) {
            out[0] = static_cast<unsigned char>(e.code);
            return 1;
        }
        out[0] = static_cast<unsigned char>(e.code >> 8);
        out[1] = static_cast<unsigned char>(e.code & 0xFF);
        return 2;
    }
    const wchar_t wide = static_cast<wchar_t>(c);
    char code[4];
    BOOL usedDefault = FALSE;
    // No best fit: a character the code page lacks has no code, rather than a look-alike's.
    const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &wide, 1, code, sizeof code, nullptr,
                                      &usedDefault);
    if (usedDefault || (n != 1 && n != 2)) return 0;
    out[0] = static_cast<unsigned char>(code[0]);
    if (n == 2) out[1] = static_cast<unsigned char>(code[1]);
    return n;
}

}  // namespace platform::cp932
