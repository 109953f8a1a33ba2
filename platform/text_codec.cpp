// Platform: Shift-JIS <-> UTF-8 through iconv, one sequence at a time so bad bytes never stop it.
#include "platform/text_codec.h"

#include <atomic>
#include <cstdint>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace platform {
namespace {

// iconv descriptors are not shared between threads: each thread opens its own, once.
struct Converter {
    iconv_t cd;
    Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Converter() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
    bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

Converter& fromSjis() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& toSjis() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

// Byte length of one UTF-8 sequence from its lead byte (1 for anything malformed).
std::size_t utf8Length(unsigned char lead) {
    if (lead < 0xC0) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    if (lead < 0xF8) return 4;
    return 1;
}

bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Decoded characters, indexed by the code's bytes (a single byte b at b, a pair at lead << 8 |
// trail). 0 means not converted yet, kInvalid a sequence the code page does not define. Every code
// page 932 character lies in the Basic Multilingual Plane, so 16 bits hold it.
constexpr std::uint16_t kInvalid = 0xFFFF;
std::atomic<std::uint16_t> decoded[65536];

std::uint16_t convertOnce(const char* in, std::size_t n) {
    Converter& conv = fromSjis();
    if (!conv.ok()) return kInvalid;
    char src[2] = {in[0], n == 2 ? in[1] : '\0'};
    char buf[8];
    char* inp = src;
    std::size_t inLeft = n;
    char* outp = buf;
    std::size_t outLeft = sizeof buf;
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(conv.cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
        return kInvalid;
    std::size_t len = sizeof buf - outLeft;
    // One UTF-8 sequence of up to three bytes is expected; anything else is not one character.
    const unsigned char* u = reinterpret_cast<const unsigned char*>(buf);
    std::uint32_t cp;
    if (len == 1 && u[0] < 0x80)
        cp = u[0];
    else if (len == 2 && (u[0] & 0xE0) == 0xC0)
        cp = ((u[0] & 0x1Fu) << 6) | (u[1] & 0x3Fu);
    else if (len == 3 && (u[0] & 0xF0) == 0xE0)
        cp = ((u[0] & 0x0Fu) << 12) | ((u[1] & 0x3Fu) << 6) | (u[2] & 0x3Fu);
    else
        return kInvalid;
    if (cp == 0 || cp >= kInvalid) return kInvalid;
    return static_cast<std::uint16_t>(cp);
}

}  // namespace

char32_t decodeSjisChar(const char* text, std::size_t length, std::size_t& used) {
    used = 1;
    if (text == nullptr || length == 0) return U'\uFFFD';
    unsigned char b = static_cast<unsigned char>(text[0]);
    if (b < 0x80) return b;
    std::size_t n = 1;
    std::size_t index = b;
    if (isLeadByte(b)) {
        if (length < 2) return U'\uFFFD';
        n = 2;
        index = (static_cast<std::size_t>(b) << 8) | static_cast<unsigned char>(text[1]);
    }
    std::uint16_t cp = decoded[index].load(std::memory_order_relaxed);
    if (cp == 0) {
        cp = convertOnce(text, n);
        decoded[index].store(cp, std::memory_order_relaxed);
    }
    if (cp == kInvalid) return U'\uFFFD';
    used = n;
    return cp;
}

std::string sjisToUtf8(const char* text, std::size_t length) {
    std::string out;
    if (text == nullptr) return out;
    Converter& conv = fromSjis();
    out.reserve(length * 3 / 2 + 4);
    std::size_t i = 0;
    while (i < length) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b));
            ++i;
            continue;
        }
        // Lead bytes of two-byte characters: 0x81-0x9F and 0xE0-0xFC.
        std::size_t n = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1;
        bool converted = false;
        if (i + n <= length && conv.ok()) {
            char in[2] = {text[i], n == 2 ? text[i + 1] : '\0'};
            char buf[8];
            char* inp = in;
            std::size_t inLeft = n;
            char* outp = buf;
            std::size_t outLeft = sizeof buf;
            iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(conv.cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1) &&
                inLeft == 0) {
                out.append(buf, sizeof buf - outLeft);
                converted = true;
            }
        }
        if (!converted) {
            out.append("\xEF\xBF\xBD");  // U+FFFD
            n = 1;
        }
        i += n;
    }
    return out;
}

std::string sjisToUtf8(const char* text) {
    return text == nullptr ? std::string() : sjisToUtf8(text, std::strlen(text));
}

std::size_t utf8ToSjis(const char* utf8, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) return 0;
    std::size_t written = 0;
    Converter& conv = toSjis();
    std::size_t len = utf8 == nullptr ? 0 : std::strlen(utf8);
    std::size_t i = 0;
    while (i < len) {
        std::size_t n = utf8Length(static_cast<unsigned char>(utf8[i]));
        if (i + n > len) n = len - i;
        char out[4];
        std::size_t outLen = 0;
        if (n == 1 && static_cast<unsigned char>(utf8[i]) < 0x80) {
            out[0] = utf8[i];
            outLen = 1;
        } else if (conv.ok()) {
            char in[4];
            std::memcpy(in, utf8 + i, n);
            char* inp = in;
            std::size_t inLeft = n;
            char* outp = out;
            std::size_t outLeft = sizeof out;
            iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(conv.cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1) &&
                inLeft == 0)
                outLen = sizeof out - outLeft;
        }
        if (outLen == 0) {
            out[0] = '?';
            outLen = 1;
        }
        if (written + outLen + 1 > size) break;
        std::memcpy(buffer + written, out, outLen);
        written += outLen;
        i += n;
    }
    buffer[written] = '\0';
    return written;
}

}  // namespace platform
