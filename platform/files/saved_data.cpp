// Platform: the saved-data file (see saved_data.h).
#include "platform/files/saved_data.h"

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/files/bytes.h"
#include "platform/files/os.h"
#include "platform/files/output_file.h"

namespace platform::saved {

namespace {

constexpr char kMagic[8] = {'Q', 'R', 'B', 'D', 'A', 'T', 'A', '1'};

const std::array<std::uint32_t, 256>& crcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

}  // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t size) {
    const auto& table = crcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::vector<std::uint8_t> encode(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> file(kHeaderSize + bytes.size());
    std::memcpy(file.data(), kMagic, sizeof kMagic);
    writeLe32(file.data() + 8, static_cast<std::uint32_t>(bytes.size()));
    writeLe32(file.data() + 12, crc32(bytes.data(), bytes.size()));
    if (!bytes.empty()) std::memcpy(file.data() + kHeaderSize, bytes.data(), bytes.size());
    return file;
}

bool decode(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    if (file.size() < sizeof kMagic || std::memcmp(file.data(), kMagic, sizeof kMagic) != 0) {
        error = "it is not saved data";
        return false;
    }
    if (file.size() < kHeaderSize) {
        error = "it is cut short";
        return false;
    }
    const std::uint32_t length = readLe32(file.data() + 8);
    const std::size_t have = file.size() - kHeaderSize;
    if (length > kMaxBytes) {
        error = "its header claims more than " + std::to_string(kMaxBytes) + " bytes";
        return false;
    }
    if (have < length) {
        error = "it is cut short (" + std::to_string(have) + " of " + std::to_string(length) + " bytes)";
        return false;
    }
    if (have > length) {
        error = "it has " + std::to_string(have - length) + " bytes more than its header says";
        return false;
    }
    if (crc32(file.data() + kHeaderSize, length) != readLe32(file.data() + 12)) {
        error = "it is damaged: its checksum does not match";
        return false;
    }
    bytes.assign(file.begin() + kHeaderSize, file.end());
    return true;
}

bool write(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error) {
    if (bytes.size() > kMaxBytes) {
        error = std::to_string(bytes.size()) + " bytes are more than the " + std::to_string(kMaxBytes) + " a name keeps";
        return false;
    }
    const std::vector<std::uint8_t> file = encode(bytes);
    OutputFile out;
    if (!out.open(path, error)) return false;
    if (!out.write(file.data(), file.size())) {
        out.commit(error);   // says the write's reason; the target is left as it was
        return false;
    }
    return out.commit(error);
}

bool read(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    bytes.clear();
    error.clear();
    std::uint64_t size = 0;
    const os::Kind kind = os::kindOf(path, &size);
    if (kind == os::Kind::missing) return false;
    if (kind != os::Kind::regular) {
        error = "it is not a file";
        return false;
    }
    if (size > kHeaderSize + kMaxBytes) {
        error = "it is larger than saved data may be";
        return false;
    }
    std::FILE* f = os::openFile(path, "rb");
    if (f == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    std::vector<std::uint8_t> file(static_cast<std::size_t>(size) + 1);
    const std::size_t got = std::fread(file.data(), 1, file.size(), f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        error = "it cannot be read";
        return false;
    }
    file.resize(got);
    return decode(file, bytes, error);
}

}  // namespace platform::saved
