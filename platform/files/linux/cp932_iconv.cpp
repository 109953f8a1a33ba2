// Platform: code page 932 through the C library's iconv (the desktop's; see cp932.h).
#include "platform/files/cp932.h"

#include <cstddef>
#include <iconv.h>

namespace platform::cp932 {
namespace {

// iconv descriptors are not shared between threads: each thread opens its own, once.
struct Converter {
    iconv_t cd;
    Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Converter() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all `n` bytes of `in` into `out` (room for `room` bytes); returns the bytes written,
    // or -1 when the descriptor did not open or the input is not wholly converted.
    long convert(const char* in, std::size_t n, char* out, std::size_t room) {
        if (cd == reinterpret_cast<iconv_t>(-1)) return -1;
        char src[4] = {};
        for (std::size_t i = 0; i < n; ++i) src[i] = in[i];
        char* inp = src;
        std::size_t inLeft = n;
        char* outp = out;
        std::size_t outLeft = room;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0)
            return -1;
        return static_cast<long>(room - outLeft);
    }
};

Converter& fromCodePage() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& toCodePage() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

}  // namespace

std::uint16_t decode(const unsigned char* bytes, int length) {
    if (bytes == nullptr || length < 1 || length > 2) return kInvalid;
    char buf[8];
    long len = fromCodePage().convert(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length),
                                      buf, sizeof buf);
    // One UTF-8 sequence of up to three bytes is expected; anything else is not one character.
    const unsigned char* u = reinterpret_cast<const unsigned char*>(buf);
    std::uint32_t cp;
    if (len == 1 && u[0] < 0x80)
        cp = u[0];
    else if (len == 2 && (u[0] & 0xE0) == 0xC0 && (u[1] & 0xC0) == 0x80)
        cp = ((u[0] & 0x1Fu) << 6) | (u[1] & 0x3Fu);
    else if (len == 3 && (u[0] & 0xF0) == 0xE0 && (u[1] & 0xC0) == 0x80 && (u[2] & 0xC0) == 0x80)
        cp = ((u[0] & 0x0Fu) << 12) | ((u[1] & 0x3Fu) << 6) | (u[2] & 0x3Fu);
    else
        return kInvalid;
    return cp >= kInvalid ? kInvalid : static_cast<std::uint16_t>(cp);
}

int encode(char32_t c, unsigned char out[2]) {
    // The code page has no character outside the Basic Multilingual Plane.
    if (c > 0xFFFF) return 0;
    char utf8[3];
    std::size_t n;
    if (c < 0x80) {
        utf8[0] = static_cast<char>(c);
        n = 1;
    } else if (c < 0x800) {
        utf8[0] = static_cast<char>(0xC0 | (c >> 6));
        utf8[1] = static_cast<char>(0x80 | (c & 0x3F));
        n = 2;
    } else {
        // Surrogates are written like any other value; iconv refuses them.
        utf8[0] = static_cast<char>(0xE0 | (c >> 12));
        utf8[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        utf8[2] = static_cast<char>(0x80 | (c & 0x3F));
        n = 3;
    }
    char code[4];
    long len = toCodePage().convert(utf8, n, code, sizeof code);
    // A character iconv drops (converts into nothing) has no code either.
    if (len != 1 && len != 2) return 0;
    out[0] = static_cast<unsigned char>(code[0]);
    if (len == 2) out[1] = static_cast<unsigned char>(code[1]);
    return static_cast<int>(len);
}

}  // namespace platform::cp932
