// Asset generator: appending little- and big-endian integers to a byte vector.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace assets {

using Bytes = std::vector<std::uint8_t>;

// RIFF and BMP fields are little-endian.
inline void PutLE(Bytes& out, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
// MIDI fields are big-endian.
inline void PutBE(Bytes& out, std::uint32_t value, int size) {
    for (int i = size - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
inline void PutText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

// The file header and the 40-byte info header of an uncompressed bottom-up BMP at 72 dots per
// inch whose palette of `colours` entries follows (the caller appends it, then the pixels).
inline void PutBmpHeaders(Bytes& out, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                          std::uint32_t pixelBytes, std::uint32_t colours) {
    const std::uint32_t headerBytes = 14 + 40 + 4 * colours;
    PutText(out, "BM");
    PutLE(out, headerBytes + pixelBytes, 4);
    PutLE(out, 0, 4);  // two reserved words
    PutLE(out, headerBytes, 4);
    PutLE(out, 40, 4);  // info header size
    PutLE(out, width, 4);
    PutLE(out, height, 4);  // positive: rows are stored bottom-up
    PutLE(out, 1, 2);       // planes
    PutLE(out, bitsPerPixel, 2);
    PutLE(out, 0, 4);  // uncompressed
    PutLE(out, pixelBytes, 4);
    PutLE(out, 2835, 4);  // 72 dots per inch, in dots per metre
    PutLE(out, 2835, 4);
    PutLE(out, colours, 4);  // colours used
    PutLE(out, colours, 4);  // colours important
}

}  // namespace assets
