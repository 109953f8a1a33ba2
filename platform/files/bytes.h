// Platform: the byte order of file formats: little- and big-endian integers read from bytes and
// written to them, chunk ids, and MIDI's variable-length quantities. Header-only, so that the
// generators in tools/ share it without linking the platform.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

// ---------------------------------------------------------------- reading
// Called by the readers of RIFF, BMP, wave format records and resources (little-endian) and of
// MIDI files (big-endian). The caller has checked that the bytes are there.

inline std::uint16_t readLe16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t readLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint16_t readBe16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }
inline std::uint32_t readBe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// ---------------------------------------------------------------- writing in place
// Called by writers that fix a size once what it counts is written, and by tests that damage a
// field of a file they made.

inline void writeLe16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void writeLe32(std::uint8_t* p, std::uint32_t v) {
    writeLe16(p, v);
    writeLe16(p + 2, v >> 16);
}
inline void writeBe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// ---------------------------------------------------------------- appending
// Called by the wave writer and the generators of assets, seed corpora and test files. Each
// appends the value's low 16, 24 or 32 bits.

using ByteVector = std::vector<std::uint8_t>;

inline void putLe16(ByteVector& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
// Three bytes: a pixel stored blue, green, red.
inline void putLe24(ByteVector& out, std::uint32_t v) {
    putLe16(out, v);
    out.push_back(static_cast<std::uint8_t>(v >> 16));
}
inline void putLe32(ByteVector& out, std::uint32_t v) {
    putLe16(out, v);
    putLe16(out, v >> 16);
}
inline void putBe16(ByteVector& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}
// Three bytes: a MIDI tempo in microseconds a quarter note.
inline void putBe24(ByteVector& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    putBe16(out, v);
}
inline void putBe32(ByteVector& out, std::uint32_t v) {
    putBe16(out, v >> 16);
    putBe16(out, v);
}

// The characters of a chunk id ("RIFF", "MThd") or a name, without a terminator. Byte by byte:
// gcc 12 mistakes a four-byte insert into an empty vector for an overflow.
inline void putText(ByteVector& out, std::string_view text) {
    for (char c : text) out.push_back(static_cast<std::uint8_t>(c));
}

// A MIDI variable-length quantity: seven bits a byte, most significant first, the high bit set
// on all but the last. A file's delta times and lengths take at most four bytes (up to
// 0x0FFFFFFF); a larger value takes a fifth, which readers refuse, so callers split longer times.
inline void putVarLen(ByteVector& out, std::uint32_t v) {
    int shift = 28;
    while (shift > 0 && (v >> shift) == 0) shift -= 7;
    for (; shift > 0; shift -= 7) out.push_back(static_cast<std::uint8_t>(0x80 | ((v >> shift) & 0x7F)));
    out.push_back(static_cast<std::uint8_t>(v & 0x7F));
}

}  // namespace platform
