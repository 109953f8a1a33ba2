// Code page 932 through Windows' conversion (platform/files/windows/cp932_windows.cpp) against the
// tables the web build exports from the desktop's iconv: every byte, every pair, every character.
// A Windows program, run under Wine by tests/windows/cp932.sh; the table is found on the include
// path. Prints each difference (up to a few dozen) with both answers; exit status 1 if any.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>

#include "platform/files/cp932.h"

namespace {

#include "cp932_table.inc"

constexpr int kTrailFirst = 0x40, kTrailLast = 0xFC;
constexpr int kTrailCount = kTrailLast - kTrailFirst + 1;
constexpr int kShown = 40;

int leadRow(int b) {
    if (b >= 0x81 && b <= 0x9F) return b - 0x81;
    if (b >= 0xE0 && b <= 0xFC) return b - 0xE0 + (0x9F - 0x81 + 1);
    return -1;
}

int differences = 0;

void differ(const char* what, unsigned code, unsigned expected, unsigned actual) {
    if (++differences <= kShown)
        std::printf("%s %04X: table %04X, Windows %04X\n", what, code, expected, actual);
}

}  // namespace

int main() {
    namespace cp932 = platform::cp932;
    int checked = 0;
    for (int b = 0; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        const std::uint16_t got = cp932::decode(&byte, 1);
        if (got != kSingle[b]) differ("byte", static_cast<unsigned>(b), kSingle[b], got);
        ++checked;
    }
    // Every pair whose first byte is a lead byte, trail bytes out of range included (no character).
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        const int row = leadRow(lead);
        if (row < 0) continue;
        for (int trail = 0; trail < 256; ++trail) {
            const unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            const std::uint16_t expected =
                trail >= kTrailFirst && trail <= kTrailLast ? kDouble[row * kTrailCount + (trail - kTrailFirst)]
                                                            : cp932::kInvalid;
            const std::uint16_t got = cp932::decode(pair, 2);
            if (got != expected) differ("pair", static_cast<unsigned>(lead << 8 | trail), expected, got);
            ++checked;
        }
    }
    // Every character of the Basic Multilingual Plane, and one past it.
    for (char32_t c = 0; c <= 0x10000; ++c) {
        const std::uint16_t* end = std::end(kEncodeChars);
        const std::uint16_t* at = c > 0xFFFF ? end : std::lower_bound(std::begin(kEncodeChars), end, c);
        const unsigned expected = at != end && *at == c ? kEncodeCodes[at - std::begin(kEncodeChars)] : 0;
        unsigned char out[2] = {};
        const int n = cp932::encode(c, out);
        const unsigned got = n == 1 ? out[0] : n == 2 ? (out[0] << 8 | out[1]) : 0;
        if (got != expected) differ("char", static_cast<unsigned>(c), expected, got);
        ++checked;
    }
    std::printf("%d codes and characters checked, %d differ\n", checked, differences);
    return differences == 0 ? 0 : 1;
}
