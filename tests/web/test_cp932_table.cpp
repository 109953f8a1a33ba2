// The web build's code page 932 tables against this machine's iconv: every code, every character.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files/cp932.h"

namespace cp932 = platform::cp932;

namespace {

// One descriptor each way for the exhaustive runs (opening one per code would cost seconds).
struct Reference {
    iconv_t from = iconv_open("UTF-8", "CP932"), to = iconv_open("CP932", "UTF-8");
    ~Reference() {
        iconv_close(from);
        iconv_close(to);
    }
    bool ok() const { return from != reinterpret_cast<iconv_t>(-1) && to != reinterpret_cast<iconv_t>(-1); }
    static std::string run(iconv_t cd, const std::string& in, bool& ok) {
        std::string src = in;
        char buf[16];
        char* inp = src.data();
        std::size_t inLeft = src.size();
        char* outp = buf;
        std::size_t outLeft = sizeof buf;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        ok = iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1) && inLeft == 0;
        return std::string(buf, sizeof buf - outLeft);
    }
};

std::string Utf8(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

std::string Hex(const std::string& bytes) {
    std::string s;
    char buf[4];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        s += buf;
    }
    return s.empty() ? "(none)" : s.substr(0, s.size() - 1);
}

// The table's character for a code, as UTF-8 ("" for none).
std::string TableDecode(const std::string& code) {
    std::uint16_t c = cp932::decode(reinterpret_cast<const unsigned char*>(code.data()), static_cast<int>(code.size()));
    return c == cp932::kInvalid ? std::string() : Utf8(c);
}

// The table's code for a character ("" for none).
std::string TableEncode(char32_t c) {
    unsigned char out[2];
    int n = cp932::encode(c, out);
    return std::string(reinterpret_cast<const char*>(out), static_cast<std::size_t>(n));
}

// Collects disagreements and prints the first few, so that a wrong table fails with a readable list.
struct Mismatches {
    int count = 0;
    std::ostringstream first;
    void add(const std::string& what, const std::string& expected, const std::string& actual) {
        if (count++ < 10) first << "  " << what << ": iconv " << expected << ", table " << actual << "\n";
    }
};

}  // namespace

TEST(Cp932Table, KnownCodesAndTheDuplicatesIconvChooses) {
    struct Case {
        const char* name;
        std::string code;
        char32_t c;
        bool encodesBack;   // false: the character's code is another one
    } cases[] = {
        {"hiragana", "\x82\xA0", U'あ', true},
        {"half-width katakana", "\xB1", U'ｱ', true},
        {"NEC special character", "\x87\x40", U'①', true},
        {"IBM extension, last row", "\xFB\xFC", U'髙', true},
        {"user-defined area", "\xF0\x40", 0xE000, true},
        {"NEC-selected IBM extension", "\xEE\xEF", U'ⅰ', false},
        {"the IBM extension's own code for it", "\xFA\x40", U'ⅰ', true},
        {"JIS row 2 symbol", "\x81\xE0", U'≒', true},
        {"the same symbol in the NEC row", "\x87\x90", U'≒', false},
        {"NOT SIGN, JIS row 2", "\x81\xCA", U'￢', true},
        {"NOT SIGN, IBM extension", "\xFA\x54", U'￢', false},
        {"BECAUSE, NEC row", "\x87\x9A", U'∵', false},
        {"BECAUSE, JIS row 2", "\x81\xE6", U'∵', true},
        {"full-width reverse solidus", "\x81\x5F", U'＼', true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(TableDecode(c.code)), Hex(Utf8(c.c))) << c.name;
        if (c.encodesBack) {
            EXPECT_EQ(Hex(TableEncode(c.c)), Hex(c.code)) << c.name << ", back";
        }
    }
    struct Encode {
        const char* name;
        char32_t c;
        std::string code;
    } encodes[] = {
        {"ⅰ goes to the IBM extension", U'ⅰ', "\xFA\x40"},
        {"≒ goes to JIS row 2", U'≒', "\x81\xE0"},
        {"∵ goes to JIS row 2", U'∵', "\x81\xE6"},
        {"yen sign, one way to the backslash byte", U'¥', "\x5C"},
        {"NOT SIGN U+00AC, one way", U'¬', "\x81\xCA"},
        {"a character the code page lacks", U'한', ""},
        {"a surrogate", 0xD800, ""},
        {"outside the Basic Multilingual Plane", U'😀', ""},
        {"past the last code point", 0x110000, ""},
    };
    for (const Encode& e : encodes) EXPECT_EQ(Hex(TableEncode(e.c)), Hex(e.code)) << e.name;

    EXPECT_EQ(TableDecode("\x82"), "") << "a lead byte alone";
    EXPECT_EQ(TableDecode(std::string("\x82\x20", 2)), "") << "a trail byte out of range";
    EXPECT_EQ(TableDecode("AB"), "") << "two single bytes are not one code";
    EXPECT_EQ(cp932::decode(nullptr, 1), cp932::kInvalid) << "no bytes";
    const unsigned char three[3] = {0x82, 0xA0, 0x41};
    EXPECT_EQ(cp932::decode(three, 3), cp932::kInvalid) << "three bytes";
    EXPECT_EQ(cp932::decode(three, 0), cp932::kInvalid) << "no length";
}

// A code is one character when iconv turns exactly its bytes into exactly one character; anything
// else (refused, cut off, nothing, two characters) is no character.
TEST(Cp932Table, EveryCodeReadsAsIconvReadsIt) {
    Reference ref;
    ASSERT_TRUE(ref.ok()) << "this C library's iconv does not know CP932";
    Mismatches m;
    int characters = 0;
    auto check = [&](const std::string& code) {
        bool ok;
        std::string utf8 = Reference::run(ref.from, code, ok);
        int count = 0;   // iconv's UTF-8 is well formed: its characters are its lead bytes
        for (unsigned char b : utf8) count += (b & 0xC0) != 0x80;
        std::string expected = ok && count == 1 ? utf8 : std::string();
        characters += !expected.empty();
        std::string actual = TableDecode(code);
        if (actual != expected) m.add(Hex(code), Hex(expected), Hex(actual));
    };
    for (int b = 0; b < 256; ++b) check(std::string(1, static_cast<char>(b)));
    for (int lead = 0; lead < 256; ++lead)
        for (int trail = 0; trail < 256; ++trail)
            check(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    EXPECT_EQ(m.count, 0) << m.count << " codes differ, first:\n" << m.first.str();
    // Far fewer would be a C library that knows only part of the code page.
    EXPECT_GT(characters, 9000);
}

TEST(Cp932Table, EveryCharacterEncodesAsIconvEncodesIt) {
    Reference ref;
    ASSERT_TRUE(ref.ok()) << "this C library's iconv does not know CP932";
    Mismatches m;
    std::vector<char32_t> chars;
    for (char32_t c = 0; c < 0x10000; ++c) chars.push_back(c);
    // Past the Basic Multilingual Plane: none has a code (iconv drops the tag characters into nothing).
    for (char32_t c : {0x10000, 0x1F600, 0x20B9F, 0xE0001, 0xE007F, 0x10FFFF}) chars.push_back(c);
    int coded = 0;
    for (char32_t c : chars) {
        bool ok;
        std::string expected = Reference::run(ref.to, Utf8(c), ok);
        if (!ok) expected.clear();
        coded += !expected.empty();
        std::string actual = TableEncode(c);
        if (actual != expected) {
            char name[16];
            std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
            m.add(name, Hex(expected), Hex(actual));
        }
    }
    EXPECT_EQ(m.count, 0) << m.count << " characters differ, first:\n" << m.first.str();
    EXPECT_GT(coded, 9000);
}

TEST(Cp932Table, TheGeneratorWritesTheSameTablesEachRun) {
    namespace fs = std::filesystem;
    fs::create_directories(QRB_WORK_DIR);
    auto read = [](const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string built = read(QRB_CP932_TABLE);
    ASSERT_FALSE(built.empty()) << QRB_CP932_TABLE;
    for (const char* name : {"run1.inc", "run2.inc"}) {
        const fs::path out = fs::path(QRB_WORK_DIR) / name;
        fs::remove(out);
        std::string command = std::string("\"") + QRB_CP932_GENERATOR + "\" \"" + out.string() + "\" > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_TRUE(read(out) == built) << out << " differs from " << QRB_CP932_TABLE;
    }
}
