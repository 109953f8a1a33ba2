// elSound: ReadWaveFile, a RIFF WAVE reader on the platform's buffered chunk file layer.
#include "framework/sound/wave_file.h"

#include <cstring>
#include <new>

namespace elSound {
namespace {

using platform::ChunkInfo;
using platform::makeFourCC;

constexpr std::uint32_t kFormatTagPcm = 1;

std::uint8_t* Allocate(std::size_t bytes) { return new (std::nothrow) std::uint8_t[bytes == 0 ? 1 : bytes]; }

// Copies `size` bytes of the current chunk through the file's I/O buffer.
bool CopyThroughBuffer(platform::RiffFile& file, std::uint8_t* out, std::uint32_t size) {
    platform::IoInfo info;
    if (file.getInfo(info, 0) != platform::MMSYSERR_NOERROR) return false;
    std::uint32_t done = 0;
    while (done < size) {
        if (info.next >= info.endRead) {
            if (file.advance(info, platform::MMIO_READ) != platform::MMSYSERR_NOERROR) return false;
            if (info.next >= info.endRead) return false;   // the file ends before the chunk does
        }
        std::uint32_t n = static_cast<std::uint32_t>(info.endRead - info.next);
        if (n > size - done) n = size - done;
        std::memcpy(out + done, info.next, n);
        info.next += n;
        done += n;
    }
    return file.setInfo(info, 0) == platform::MMSYSERR_NOERROR;
}

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

    // The form: "RIFF" whose type is "WAVE", and its "fmt " chunk.
    ChunkInfo riff;
    bool ok = file.descend(riff, nullptr, 0) == platform::MMSYSERR_NOERROR &&
              riff.id == platform::FOURCC_RIFF && riff.formType == makeFourCC('W', 'A', 'V', 'E');
    if (!ok) *why = "not a RIFF WAVE file";
    ChunkInfo fmt;
    fmt.id = makeFourCC('f', 'm', 't', ' ');
    ok = ok && file.descend(fmt, &riff, platform::MMIO_FINDCHUNK) == platform::MMSYSERR_NOERROR && fmt.size >= 16;
    if (!ok && *why == nullptr) *why = "no \"fmt \" chunk of 16 bytes or more";
    std::uint8_t pcm[16];
    ok = ok && file.read(pcm, 16) == 16;
    // Only a chunk of 18 bytes or more holds the count of extra bytes, and the extras cannot
    // run past the chunk: what lies beyond belongs to the next chunk.
    std::uint16_t extra = 0;
    if (ok && (pcm[0] | pcm[1] << 8) != kFormatTagPcm && fmt.size >= 18) {
        std::uint8_t size[2];
        ok = file.read(size, 2) == 2;
        extra = static_cast<std::uint16_t>(size[0] | size[1] << 8);
        if (extra > fmt.size - 18) extra = static_cast<std::uint16_t>(fmt.size - 18);
    }
    std::uint8_t* record = nullptr;
    if (ok) {
        record = Allocate(18u + extra);
        ok = record != nullptr;
    }
    if (ok) {
        std::memcpy(record, pcm, 16);
        record[16] = static_cast<std::uint8_t>(extra);
        record[17] = static_cast<std::uint8_t>(extra >> 8);
        if (extra != 0) ok = file.read(record + 18, extra) == extra;
    }
    ok = ok && file.ascend(fmt, 0) == platform::MMSYSERR_NOERROR;
    if (!ok) {
        if (*why == nullptr) *why = "cut short inside the \"fmt \" chunk";
        FreeWaveBlock(record);
        return 1;
    }

    // The samples: "data" may stand before or after "fmt ".
    ChunkInfo data;
    data.id = makeFourCC('d', 'a', 't', 'a');
    ok = file.seek(riff.dataOffset + 4, SEEK_SET) >= 0 &&
         file.descend(data, &riff, platform::MMIO_FINDCHUNK) == platform::MMSYSERR_NOERROR;
    if (!ok) *why = "no \"data\" chunk";
    // A declared size beyond the end of the file is refused before anything is allocated for it.
    if (ok) {
        std::int64_t here = file.seek(0, SEEK_CUR);
        std::int64_t end = file.seek(0, SEEK_END);
        ok = here >= 0 && end >= here && static_cast<std::int64_t>(data.size) <= end - here &&
             file.seek(here, SEEK_SET) == here;
        if (!ok) *why = "the \"data\" chunk runs past the end of the file";
    }
    std::uint8_t* block = nullptr;
    if (ok) {
        block = Allocate(data.size);
        ok = block != nullptr && CopyThroughBuffer(file, block, data.size);
    }
    if (!ok) {
        if (*why == nullptr) *why = "cut short inside the \"data\" chunk";
        FreeWaveBlock(block);
        FreeWaveBlock(record);
        return 1;
    }
    *format = record;
    *samples = block;
    *count = data.size;
    return 0;
}

}  // namespace elSound
