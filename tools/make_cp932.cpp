// make-cp932: writes code page 932 as tables (cp932_table.inc), asked of this machine's iconv code
// by code, for a C library without the code page: platform/files/web/cp932_table.cpp compiles them in.
//
// It needs nothing but the C library, so the web build makes and runs it natively before building:
//   c++ -std=c++20 -O2 tools/make_cp932.cpp -o make-cp932 && ./make-cp932 OUT_DIR/cp932_table.inc
// and compiles platform/files/web/cp932_table.cpp with OUT_DIR on its include path. The desktop build
// makes it as target make_cp932_tool and writes build/generated/cp932_table.inc, on which the test
// Cp932Table checks the web conversions against iconv for every code and every character.
//
// Each code is converted as platform/files/linux/cp932_iconv.cpp converts it: a code is one character when
// iconv turns exactly its bytes into exactly one character; a character has a code when iconv
// turns it into one or two bytes. The output depends on nothing but the C library's tables.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iconv.h>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t kInvalid = 0xFFFF;
constexpr int kLeadCount = 0x9F - 0x81 + 1 + 0xFC - 0xE0 + 1;   // 60
constexpr int kTrailFirst = 0x40, kTrailLast = 0xFC;             // 189 trail bytes a lead

bool isLeadByte(int b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Converts all `n` bytes of `in`; returns the bytes written into `out`, or -1 when iconv refuses
// them or leaves some unconverted.
long convert(iconv_t cd, const unsigned char* in, std::size_t n, unsigned char* out, std::size_t room) {
    char src[4];
    std::memcpy(src, in, n);
    char* inp = src;
    std::size_t inLeft = n;
    char* outp = reinterpret_cast<char*>(out);
    std::size_t outLeft = room;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) return -1;
    return static_cast<long>(room - outLeft);
}

// The character of a code of `n` bytes, or kInvalid unless iconv gives exactly one character below
// U+FFFF.
std::uint16_t decodeCode(iconv_t cd, const unsigned char* code, std::size_t n) {
    unsigned char u[8];
    long len = convert(cd, code, n, u, sizeof u);
    std::uint32_t c;
    if (len == 1 && u[0] < 0x80)
        c = u[0];
    else if (len == 2 && (u[0] & 0xE0) == 0xC0 && (u[1] & 0xC0) == 0x80)
        c = ((u[0] & 0x1Fu) << 6) | (u[1] & 0x3Fu);
    else if (len == 3 && (u[0] & 0xF0) == 0xE0 && (u[1] & 0xC0) == 0x80 && (u[2] & 0xC0) == 0x80)
        c = ((u[0] & 0x0Fu) << 12) | ((u[1] & 0x3Fu) << 6) | (u[2] & 0x3Fu);
    else
        return kInvalid;
    return c >= kInvalid ? kInvalid : static_cast<std::uint16_t>(c);
}

// The code of character `c` (below U+10000) as one value: a single byte as itself, a pair as
// lead << 8 | trail; 0 with `length` 0 when it has none. `length` > 2 means iconv wrote more.
std::uint16_t encodeChar(iconv_t cd, std::uint32_t c, long& length) {
    unsigned char utf8[3];
    std::size_t n;
    if (c < 0x80) {
        utf8[0] = static_cast<unsigned char>(c);
        n = 1;
    } else if (c < 0x800) {
        utf8[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
        utf8[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        n = 2;
    } else {
        utf8[0] = static_cast<unsigned char>(0xE0 | (c >> 12));
        utf8[1] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        utf8[2] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        n = 3;
    }
    unsigned char code[8];
    length = convert(cd, utf8, n, code, sizeof code);
    if (length == 1) return code[0];
    if (length == 2) return static_cast<std::uint16_t>(code[0] << 8 | code[1]);
    if (length < 0) length = 0;   // refused, or converted into nothing: no code
    return 0;
}

// Appends `values` as a C++ array definition, twelve to a line; `rowBreak` > 0 starts a commented
// group every `rowBreak` values (the trail bytes of one lead byte).
void appendArray(std::string& out, const char* name, const std::vector<std::uint16_t>& values,
                 int rowBreak = 0, const std::vector<int>& rowNames = {}) {
    out += "constexpr std::uint16_t ";
    out += name;
    out += "[] = {";
    char buf[32];
    std::size_t column = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (rowBreak > 0 && i % rowBreak == 0) {
            std::snprintf(buf, sizeof buf, "\n    // lead byte 0x%02X", rowNames[i / rowBreak]);
            out += buf;
            column = 0;
        }
        if (column % 12 == 0) out += "\n   ";
        std::snprintf(buf, sizeof buf, " 0x%04X,", values[i]);
        out += buf;
        ++column;
    }
    out += "\n};\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        bool help = argc == 2;
        std::fputs("usage: make-cp932 OUT.inc\nWrites code page 932 as this machine's iconv converts it, as "
                   "tables for platform/files/web/cp932_table.cpp.\n", help ? stdout : stderr);
        return help ? 0 : 2;
    }
    iconv_t from = iconv_open("UTF-8", "CP932");
    iconv_t to = iconv_open("CP932", "UTF-8");
    if (from == reinterpret_cast<iconv_t>(-1) || to == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "make-cp932: this C library's iconv does not know CP932: %s\n", std::strerror(errno));
        return 1;
    }

    std::vector<std::uint16_t> single(256);
    for (int b = 0; b < 256; ++b) {
        unsigned char code[1] = {static_cast<unsigned char>(b)};
        single[b] = decodeCode(from, code, 1);
    }
    // Every pair is asked, so that a character outside the lead and trail ranges the table keeps
    // stops the build instead of going missing from it.
    std::vector<std::uint16_t> pairs;
    std::vector<int> leads;
    pairs.reserve(kLeadCount * (kTrailLast - kTrailFirst + 1));
    for (int lead = 0; lead < 256; ++lead) {
        if (isLeadByte(lead)) leads.push_back(lead);
        for (int trail = 0; trail < 256; ++trail) {
            unsigned char code[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            std::uint16_t c = decodeCode(from, code, 2);
            if (isLeadByte(lead) && trail >= kTrailFirst && trail <= kTrailLast) {
                pairs.push_back(c);
            } else if (c != kInvalid) {
                std::fprintf(stderr, "make-cp932: iconv reads %02X %02X as U+%04X, outside the lead and trail "
                             "bytes the table holds\n", lead, trail, c);
                return 1;
            }
        }
    }
    std::vector<std::uint16_t> chars, codes;
    for (std::uint32_t c = 0; c < 0x10000; ++c) {
        long length;
        std::uint16_t code = encodeChar(to, c, length);
        if (length > 2 || (length == 2 && code < 0x100)) {
            std::fprintf(stderr, "make-cp932: iconv writes U+%04X as %ld bytes, which is no code of the "
                         "code page\n", c, length);
            return 1;
        }
        if (length == 0) continue;
        chars.push_back(static_cast<std::uint16_t>(c));
        codes.push_back(code);
    }
    iconv_close(from);
    iconv_close(to);

    std::string text =
        "// Code page 932 as the C library's iconv converts it, written by tools/make_cp932.cpp: do not edit.\n"
        "// kSingle: the character of each byte alone (0xFFFF: none). kDouble: the character of each pair,\n"
        "// lead bytes 0x81-0x9F then 0xE0-0xFC, 189 trail bytes 0x40-0xFC each. kEncodeChars: every\n"
        "// character with a code, in order; kEncodeCodes: its code, a byte below 0x100, else lead << 8 | trail.\n";
    appendArray(text, "kSingle", single);
    appendArray(text, "kDouble", pairs, kTrailLast - kTrailFirst + 1, leads);
    appendArray(text, "kEncodeChars", chars);
    appendArray(text, "kEncodeCodes", codes);

    std::FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "make-cp932: cannot write %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "make-cp932: cannot write %s\n", argv[1]);
        std::remove(argv[1]);
        return 1;
    }
    auto characters = [](const std::vector<std::uint16_t>& v) {
        return static_cast<long>(std::count_if(v.begin(), v.end(), [](std::uint16_t c) { return c != kInvalid; }));
    };
    std::printf("make-cp932: %s: %ld codes read as characters, %zu characters with a code\n", argv[1],
                characters(single) + characters(pairs), chars.size());
    return 0;
}
