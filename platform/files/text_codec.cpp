// Platform: Shift-JIS <-> UTF-8, one code at a time (platform/files/cp932.h) so bad bytes never stop it.
#include "platform/files/text_codec.h"

#include <atomic>
#include <cstdint>
#include <cstring>

#include "platform/files/cp932.h"

namespace platform {
namespace {

using cp932::kInvalid;

// Byte length of one UTF-8 sequence from its lead byte (1 for anything malformed).
std::size_t utf8Length(unsigned char lead) {
    if (lead < 0xC0) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    if (lead < 0xF8) return 4;
    return 1;
}

// The character of one whole UTF-8 sequence of `n` bytes (n as utf8Length gives it, or fewer when
// the text ends inside it), or kNoChar. Overlong forms are refused: "\xC1\x81" is not 'A'.
constexpr char32_t kNoChar = 0xFFFFFFFF;
char32_t utf8Char(const unsigned char* s, std::size_t n) {
    if (n != utf8Length(s[0]) || n < 2) return kNoChar;
    char32_t c = s[0] & (0x7F >> n);
    for (std::size_t k = 1; k < n; ++k) {
        if ((s[k] & 0xC0) != 0x80) return kNoChar;
        c = (c << 6) | (s[k] & 0x3Fu);
    }
    static constexpr char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    return c < kSmallest[n] ? kNoChar : c;
}

void appendUtf8(std::string& out, std::uint16_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Decoded characters, indexed by the code's bytes (a single byte b at b, a pair at lead << 8 |
// trail). 0 means not converted yet, kInvalid a sequence the code page does not define. Only codes
// of a byte from 0x80 up are kept, and none of them is U+0000.
std::atomic<std::uint16_t> decoded[65536];

// The character of the code of `n` bytes (1 or 2) at `text`, converted once and then remembered.
std::uint16_t decodeCode(const char* text, std::size_t n) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text);
    std::size_t index = n == 2 ? (static_cast<std::size_t>(b[0]) << 8) | b[1] : b[0];
    std::uint16_t cp = decoded[index].load(std::memory_order_relaxed);
    if (cp == 0) {
        cp = cp932::decode(b, static_cast<int>(n));
        decoded[index].store(cp, std::memory_order_relaxed);
    }
    return cp;
}

}  // namespace

char32_t decodeSjisChar(const char* text, std::size_t length, std::size_t& used) {
    used = 1;
    if (text == nullptr || length == 0) return U'\uFFFD';
    unsigned char b = static_cast<unsigned char>(text[0]);
    if (b < 0x80) return b;
    std::size_t n = isLeadByte(b) ? 2 : 1;
    if (length < n) return U'\uFFFD';
    std::uint16_t cp = decodeCode(text, n);
    if (cp == kInvalid) return U'\uFFFD';
    used = n;
    return cp;
}

char32_t decodeUtf8Char(const char* text, std::size_t length, std::size_t& used) {
    used = 1;
    if (text == nullptr || length == 0) return U'\uFFFD';
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    if (s[0] < 0x80) return s[0];
    std::size_t n = utf8Length(s[0]);
    // The lead byte and the continuation bytes after it that belong to its sequence.
    std::size_t whole = 1;
    while (whole < n && whole < length && (s[whole] & 0xC0) == 0x80) ++whole;
    char32_t c = whole == n ? utf8Char(s, n) : kNoChar;
    if (c == kNoChar || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        // A continuation byte or a bad lead byte alone; a bad sequence with what it holds.
        used = n == 1 ? 1 : whole;
        return U'\uFFFD';
    }
    used = n;
    return c;
}

std::string validUtf8(const char* text) {
    std::string out;
    const std::size_t length = text == nullptr ? 0 : std::strlen(text);
    out.reserve(length);
    std::size_t i = 0;
    while (i < length) {
        std::size_t used;
        const char32_t c = decodeUtf8Char(text + i, length - i, used);
        if (c == U'\uFFFD' && !(used == 3 && std::memcmp(text + i, "\xEF\xBF\xBD", 3) == 0)) {
            out += "\xEF\xBF\xBD";
        } else {
            out.append(text + i, used);
        }
        i += used;
    }
    return out;
}

std::string sjisToUtf8(const char* text, std::size_t length) {
    std::string out;
    if (text == nullptr) return out;
    out.reserve(length * 3 / 2 + 4);
    std::size_t i = 0;
    while (i < length) {
        std::size_t used;
        // U+FFFD for what is no character.
        appendUtf8(out, static_cast<std::uint16_t>(decodeSjisChar(text + i, length - i, used)));
        i += used;
    }
    return out;
}

std::string sjisToUtf8(const char* text) {
    return text == nullptr ? std::string() : sjisToUtf8(text, std::strlen(text));
}

std::size_t utf8ToSjis(const char* utf8, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) return 0;
    std::size_t written = 0;
    std::size_t len = utf8 == nullptr ? 0 : std::strlen(utf8);
    std::size_t i = 0;
    while (i < len) {
        const unsigned char* s = reinterpret_cast<const unsigned char*>(utf8 + i);
        std::size_t n = utf8Length(s[0]);
        if (i + n > len) n = len - i;
        unsigned char out[2];
        int outLen = 0;
        if (n == 1 && s[0] < 0x80) {
            out[0] = s[0];
            outLen = 1;
        } else if (char32_t c = utf8Char(s, n); c != kNoChar) {
            outLen = cp932::encode(c, out);
        }
        // A character without a code, or a malformed sequence, becomes one '?': a malformed one
        // for its lead byte and the continuation bytes after it, never for the next character.
        if (outLen == 0) {
            out[0] = '?';
            outLen = 1;
            std::size_t taken = 1;
            while (taken < n && (s[taken] & 0xC0) == 0x80) ++taken;
            n = taken;
        }
        if (written + static_cast<std::size_t>(outLen) + 1 > size) break;
        std::memcpy(buffer + written, out, static_cast<std::size_t>(outLen));
        written += static_cast<std::size_t>(outLen);
        i += n;
    }
    buffer[written] = '\0';
    return written;
}

}  // namespace platform
