// fuzz-wave: random bytes read as a wave through the RIFF file layer, and the result handed to
// the sound device as a buffer's format and samples.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "framework/sound/wave_file.h"
#include "platform/sound/sound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static platform::SoundDevice* device = [] {
        platform::SoundDevice* d = nullptr;
        platform::directSoundCreate(&d);
        return d;
    }();
    platform::RiffFile file;
    file.openMemory(data, size, platform::MMIO_ALLOCBUF);
    std::uint8_t* format = nullptr;
    std::uint8_t* samples = nullptr;
    std::uint32_t count = 0;
    if (elSound::ReadWaveFrom(file, &format, &samples, &count) == 0 && device != nullptr) {
        platform::BufferDesc desc;
        desc.flags = 0xE2;
        desc.bufferBytes = count;
        desc.format = format;
        platform::SoundBuffer* buffer = nullptr;
        if (device->createSoundBuffer(desc, &buffer) == platform::DS_OK) {
            void* p1 = nullptr;
            void* p2 = nullptr;
            std::uint32_t n1 = 0, n2 = 0;
            if (buffer->lock(0, count, &p1, &n1, &p2, &n2, 0) == platform::DS_OK) {
                std::memcpy(p1, samples, n1);
                buffer->unlock(p1, n1, p2, n2);
            }
            buffer->release();
        }
    }
    elSound::FreeWaveBlock(format);
    elSound::FreeWaveBlock(samples);
    return 0;
}
