// elSound: ReadWaveFile, the platform's RIFF WAVE reader handing out blocks the caller frees.
#include "framework/sound/wave_file.h"

#include <cstring>
#include <new>

#include "platform/sound/wave.h"

namespace elSound {
namespace {

std::uint8_t* Allocate(std::size_t bytes) { return new (std::nothrow) std::uint8_t[bytes == 0 ? 1 : bytes]; }

}  // namespace

void FreeWaveBlock(std::uint8_t* block) { delete[] block; }

int ReadWaveFile(const char* path, std::uint8_t** format, std::uint8_t** samples, std::uint32_t* count,
                 const char** why) {
    const char* ignored = nullptr;
    if (why == nullptr) why = &ignored;
    *why = "cannot be opened";
    if (format == nullptr || samples == nullptr || count == nullptr) return 1;
    *format = nullptr;
    *samples = nullptr;
    *count = 0;
    platform::RiffFile file;
    if (!file.open(path, platform::MMIO_ALLOCBUF)) return 1;
    int result = ReadWaveFrom(file, format, samples, count, why);
    file.close();
    return result;
}

int ReadWaveFrom(platform::RiffFile& file, std::uint8_t** format, std::uint8_t** samples,
                 std::uint32_t* count, const char** why) {
    const char* ignored = nullptr;
    if (why == nullptr) why = &ignored;
    *why = nullptr;
    if (format == nullptr || samples == nullptr || count == nullptr) return 1;
    *format = nullptr;
    *samples = nullptr;
    *count = 0;

    platform::WaveHeader header;
    *why = platform::readWaveHeader(file, header);
    if (*why != nullptr) return 1;
    // The blocks are the caller's to free with FreeWaveBlock; a failed allocation is a failed read.
    std::uint8_t* record = Allocate(header.record.size());
    if (record == nullptr) {
        *why = "cut short inside the \"fmt \" chunk";
        return 1;
    }
    std::memcpy(record, header.record.data(), header.record.size());
    std::uint8_t* block = Allocate(header.dataBytes);
    if (block == nullptr || !platform::readWaveSamples(file, block, header.dataBytes)) {
        *why = "cut short inside the \"data\" chunk";
        FreeWaveBlock(block);
        FreeWaveBlock(record);
        return 1;
    }
    *format = record;
    *samples = block;
    *count = header.dataBytes;
    return 0;
}

}  // namespace elSound
