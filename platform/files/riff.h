// Platform: buffered file access for RIFF files (open, descend into chunks, find a chunk, read,
// ascend, seek, direct access to the I/O buffer), and writing a canonical 16-bit wave.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files/output_file.h"

namespace platform {

using FourCC = std::uint32_t;
constexpr FourCC makeFourCC(char a, char b, char c, char d) {
    return static_cast<FourCC>(static_cast<unsigned char>(a)) |
           static_cast<FourCC>(static_cast<unsigned char>(b)) << 8 |
           static_cast<FourCC>(static_cast<unsigned char>(c)) << 16 |
           static_cast<FourCC>(static_cast<unsigned char>(d)) << 24;
}
constexpr FourCC FOURCC_RIFF = makeFourCC('R', 'I', 'F', 'F');
constexpr FourCC FOURCC_LIST = makeFourCC('L', 'I', 'S', 'T');

// Result codes of the chunk operations.
constexpr std::uint32_t MMSYSERR_NOERROR = 0;
constexpr std::uint32_t MMIOERR_CANNOTREAD = 261;
constexpr std::uint32_t MMIOERR_CANNOTSEEK = 263;
constexpr std::uint32_t MMIOERR_CHUNKNOTFOUND = 265;
constexpr std::uint32_t MMIOERR_UNBUFFERED = 266;
constexpr std::uint32_t MMIOERR_INVALIDPARAM = 267;

constexpr std::uint32_t MMIO_READ = 0x00000000;
constexpr std::uint32_t MMIO_ALLOCBUF = 0x00010000;
constexpr std::uint32_t MMIO_FINDCHUNK = 0x0010;
constexpr std::uint32_t MMIO_FINDRIFF = 0x0020;
constexpr std::uint32_t MMIO_FINDLIST = 0x0040;

constexpr int kRiffBufferSize = 8192;

// A chunk as descend finds it. dataOffset is where its data starts (for "RIFF" and "LIST" the
// form type is the first four bytes of the data).
struct ChunkInfo {
    FourCC id = 0;
    std::uint32_t size = 0;
    FourCC formType = 0;
    std::int64_t dataOffset = 0;
};

// The I/O buffer as getInfo hands it out: bytes from `next` up to `endRead` are the file's bytes
// at bufferOffset + (next - buffer) onwards.
struct IoInfo {
    std::uint8_t* buffer = nullptr;
    std::uint8_t* next = nullptr;
    std::uint8_t* endRead = nullptr;
    std::int64_t bufferOffset = 0;
};

class RiffFile {
public:
    RiffFile() = default;
    RiffFile(const RiffFile&) = delete;
    RiffFile& operator=(const RiffFile&) = delete;
    ~RiffFile() { close(); }

    // Opens a regular file for reading (anything else, such as a directory or a pipe, fails).
    bool open(const char* path, std::uint32_t flags);
    // Reads from bytes in memory, which must outlive the file (tests, fuzzing, resources).
    bool openMemory(const void* data, std::size_t size, std::uint32_t flags);
    bool isOpen() const { return file_ != nullptr || memory_ != nullptr; }
    void close();

    // Reads up to `bytes`; returns the count read (0 at the end), or -1 on error.
    long read(void* out, long bytes);
    // SEEK_SET, SEEK_CUR or SEEK_END; returns the new position or -1. A position past the end
    // is allowed; reading there gives nothing.
    std::int64_t seek(std::int64_t offset, int origin);

    // Reads the chunk header at the current position (flags 0), or searches forward for a chunk
    // with ck.id (MMIO_FINDCHUNK), a "RIFF" or "LIST" with ck.formType (MMIO_FINDRIFF,
    // MMIO_FINDLIST), within `parent` when given. Leaves the position at the chunk's data (after
    // the form type for "RIFF" and "LIST").
    std::uint32_t descend(ChunkInfo& ck, const ChunkInfo* parent, std::uint32_t flags);
    // Moves to the end of the chunk, past its pad byte.
    std::uint32_t ascend(const ChunkInfo& ck, std::uint32_t flags);

    // Direct access to the I/O buffer. advance refills it from the position `info.next` stands
    // for; setInfo gives the position back.
    std::uint32_t getInfo(IoInfo& info, std::uint32_t flags);
    std::uint32_t advance(IoInfo& info, std::uint32_t flags);
    std::uint32_t setInfo(const IoInfo& info, std::uint32_t flags);

private:
    bool fill(std::int64_t from);
    std::int64_t position() const;
    bool readExact(void* out, long bytes);

    std::FILE* file_ = nullptr;
    const std::uint8_t* memory_ = nullptr;
    std::size_t memorySize_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::int64_t bufferOffset_ = 0;   // file position of buffer_[0]
    std::size_t next_ = 0;            // index of the next byte in buffer_
    std::size_t valid_ = 0;           // bytes of buffer_ that hold file data
};

// ---------------------------------------------------------------- writing

// A canonical wave ("RIFF", "WAVE", a 16-byte "fmt ", "data") of 16-bit PCM samples.
std::vector<std::uint8_t> encodeWav16(const std::int16_t* samples, std::size_t count, int channels,
                                      int rate);
// The most sample bytes a wave file holds: its chunk sizes are 32-bit, the "RIFF" one counting
// 36 bytes of header besides the samples.
constexpr std::uint64_t kWavMaxDataBytes = 0xFFFFFFFFu - 36;

// Writes encodeWav16's bytes to a file, whole or not at all. False (with the reason in error)
// when it cannot.
bool writeWav16(const std::string& path, const std::int16_t* samples, std::size_t count, int channels,
                int rate, std::string& error);

// Writes a 16-bit wave as its samples come, and sets the chunk sizes when it is finished. The
// samples go to a temporary file (OutputFile) that becomes the wave only when finish succeeds:
// a writer destroyed before then leaves the earlier file at the path as it was.
class WavWriter {
public:
    bool open(const std::string& path, int channels, int rate, std::string& error);
    bool append(const std::int16_t* samples, std::size_t count);
    // Fixes the sizes in the header and puts the file in place. False if any write failed or
    // the recording outgrew what the 32-bit sizes can say; nothing is put in place then.
    bool finish(std::string& error);

private:
    OutputFile out_;
    std::uint64_t dataBytes_ = 0;
    bool failed_ = false;
};

}  // namespace platform
