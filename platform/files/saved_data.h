// Platform: the file a program's saved data is kept in. A 16-byte header, then the bytes:
//
//     0  8  "QRBDATA1"
//     8  4  the number of bytes that follow, little-endian
//    12  4  their CRC-32 (the polynomial of zip and PNG), little-endian
//
// so that a file cut short, damaged or written by something else is told from the data.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::saved {

constexpr std::size_t kHeaderSize = 16;
// The most bytes one name keeps; a larger file is refused unread.
constexpr std::size_t kMaxBytes = 16u << 20;

// The CRC-32 of `size` bytes.
std::uint32_t crc32(const std::uint8_t* data, std::size_t size);

// The file's whole contents for `bytes` (at most kMaxBytes).
std::vector<std::uint8_t> encode(const std::vector<std::uint8_t>& bytes);
// The bytes kept in a file's contents; false, with what is wrong in `error` ("it is not saved
// data", "it is cut short", "its checksum does not match"), for anything else.
bool decode(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& bytes, std::string& error);

// Writes `bytes` to the file `path` whole or not at all (a temporary file renamed over it);
// false with the reason in error, the earlier file then left as it was.
bool write(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);
// Reads what `path` keeps. Missing: false with error "". Unreadable, damaged or foreign: false
// with the reason in error.
bool read(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace platform::saved
