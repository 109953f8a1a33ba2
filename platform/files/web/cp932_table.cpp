// Web platform: code page 932 from tables exported from the desktop's iconv (see platform/files/cp932.h),
// for a C library whose iconv lacks the code page. The tables, cp932_table.inc, are written by
// tools/make_cp932.cpp before the build and found on the include path; they are never committed.
#include "platform/files/cp932.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace platform::cp932 {
namespace {

#include "cp932_table.inc"

constexpr int kTrailFirst = 0x40, kTrailLast = 0xFC;
constexpr std::size_t kTrailCount = kTrailLast - kTrailFirst + 1;
static_assert(std::size(kSingle) == 256, "cp932_table.inc: one entry a byte");
static_assert(std::size(kDouble) == 60 * kTrailCount, "cp932_table.inc: 60 lead bytes of 189 trail bytes");
static_assert(std::size(kEncodeChars) == std::size(kEncodeCodes), "cp932_table.inc: a code a character");

// The row of a lead byte in kDouble, or -1 for a byte that starts no pair.
int leadRow(unsigned char b) {
    if (b >= 0x81 && b <= 0x9F) return b - 0x81;
    if (b >= 0xE0 && b <= 0xFC) return b - 0xE0 + (0x9F - 0x81 + 1);
    return -1;
}

}  // namespace

std::uint16_t decode(const unsigned char* bytes, int length) {
    if (bytes == nullptr) return kInvalid;
    if (length == 1) return kSingle[bytes[0]];
    if (length != 2) return kInvalid;
    int row = leadRow(bytes[0]);
    if (row < 0 || bytes[1] < kTrailFirst || bytes[1] > kTrailLast) return kInvalid;
    return kDouble[static_cast<std::size_t>(row) * kTrailCount + (bytes[1] - kTrailFirst)];
}

int encode(char32_t c, unsigned char out[2]) {
    if (c > 0xFFFF) return 0;
    const std::uint16_t* end = std::end(kEncodeChars);
    const std::uint16_t* at = std::lower_bound(std::begin(kEncodeChars), end, static_cast<std::uint16_t>(c));
    if (at == end || *at != c) return 0;
    std::uint16_t code = kEncodeCodes[at - std::begin(kEncodeChars)];
    if (code < 0x100) {
        out[0] = static_cast<unsigned char>(code);
        return 1;
    }
    out[0] = static_cast<unsigned char>(code >> 8);
    out[1] = static_cast<unsigned char>(code & 0xFF);
    return 2;
}

}  // namespace platform::cp932
