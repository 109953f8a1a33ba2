// elSound: the RIFF WAVE reader behind elSound::LoadObject.
#pragma once
#include <cstdint>

#include "platform/files/riff.h"

namespace elSound {

// Reads a wave file: the format record (18 bytes plus its extra bytes, little-endian), the
// samples and their byte count. 0 on success; 1 on failure, with everything freed and the
// outputs null and 0, and `why` (if given) set to a short reason. The caller frees the two blocks
// with FreeWaveBlock. A non-PCM format's extra bytes are read only from a "fmt " chunk of 18 bytes
// or more, and never past its end.
int ReadWaveFile(const char* path, std::uint8_t** format, std::uint8_t** samples, std::uint32_t* count,
                 const char** why = nullptr);

// The same, from a file the caller has opened (the file is left open).
int ReadWaveFrom(platform::RiffFile& file, std::uint8_t** format, std::uint8_t** samples,
                 std::uint32_t* count, const char** why = nullptr);

// Frees a format or samples block that ReadWaveFile gave.
void FreeWaveBlock(std::uint8_t* block);

}  // namespace elSound
