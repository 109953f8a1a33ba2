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

}  // namespace assets
