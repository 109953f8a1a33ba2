// Platform: Shift-JIS <-> UTF-8 through iconv, one sequence at a time so bad bytes never stop it.
#include "platform/text_codec.h"

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

}  // namespace

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
