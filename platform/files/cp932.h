// Platform: code page 932, one code at a time: the two conversions text_codec.cpp is built on.
// The desktop converts through the C library's iconv (cp932_iconv.cpp); the web build, whose C
// library lacks the code page, reads tables exported from the desktop's iconv (web/cp932_table.cpp,
// tables written by tools/make_cp932.cpp). Both give the same answer for every code.
#pragma once
#include <cstdint>

namespace platform::cp932 {

// No character: a byte sequence the code page does not define. Every character of the code page
// lies in the Basic Multilingual Plane, so 16 bits hold any answer and U+FFFF is free for this.
constexpr std::uint16_t kInvalid = 0xFFFF;

// One code: a single byte (length 1) or a lead and a trail byte (length 2). Returns its character
// or kInvalid (a lead byte alone, a pair that is no character, a length other than 1 or 2).
// Called by text_codec.cpp once per code; it remembers the answer.
std::uint16_t decode(const unsigned char* bytes, int length);

// The code of character `c` into out[0..1]: returns its length, 1 or 2, or 0 when the code page
// has no code for it. Where two codes stand for one character (the NEC and IBM extensions) this
// is the one the desktop's iconv chooses. Called by text_codec.cpp once per character converted.
int encode(char32_t c, unsigned char out[2]);

}  // namespace platform::cp932
