// Platform: blocking play of a wave file through a short-lived output of its own.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/sound/audio_stream.h"
#include "platform/backend.h"
#include "platform/sound/mixer.h"
#include "platform/files/riff.h"
#include "platform/sound/sound.h"
#include "platform/sound/wave.h"

namespace platform {
namespace {

constexpr std::uint32_t SND_NODEFAULT = 0x0002;

struct Player {
    Mixer mixer;
    Voice voice;
    float mix[audio::kDeviceFrames * audio::kChannels];
};

void renderPlayer(void* user, std::int16_t* out, int frames, bool) {
    auto* p = static_cast<Player*>(user);
    std::lock_guard<audio::StreamLock> guard(audio::lock());
    while (frames > 0) {
        int n = std::min(frames, audio::kDeviceFrames);
        std::fill(p->mix, p->mix + n * audio::kChannels, 0.0f);
        p->mixer.render(p->mix, n);
        audio::floatToPcm16(p->mix, out, n * audio::kChannels);
        out += n * audio::kChannels;
        frames -= n;
    }
}

// Reads a RIFF WAVE file: the format record and the samples. False for anything malformed or
// for a declared size the file does not hold.
bool readWave(const char* path, WaveFormat& format, std::vector<std::uint8_t>& samples) {
    RiffFile f;
    WaveHeader header;
    if (!f.open(path, MMIO_ALLOCBUF) || readWaveHeader(f, header) != nullptr) return false;
    format = decodeWaveFormat(header.record.data(), static_cast<std::uint32_t>(header.record.size()));
    samples.resize(header.dataBytes);
    return readWaveSamples(f, samples.data(), header.dataBytes);
}

}  // namespace

bool sndPlaySound(const char* path, std::uint32_t flags) {
    if (path == nullptr || (flags & ~SND_NODEFAULT) != SND_SYNC) return false;
    WaveFormat format;
    std::vector<std::uint8_t> bytes;
    if (!readWave(path, format, bytes) || !mixerPlays(format) || bytes.size() < format.blockAlign)
        return false;

    auto player = std::make_unique<Player>();
    player->voice.frequency = format.samplesPerSec;
    player->voice.load(format, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    player->voice.playing = true;
    player->mixer.add(&player->voice);

    int output = backend::openAudioOutput(renderPlayer, player.get());
    if (output == 0) return false;
    const std::uint32_t totalMs =
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(player->voice.frames) * 1000 / format.samplesPerSec) + 1;
    std::uint32_t waited = 0;
    for (;;) {
        {
            std::lock_guard<audio::StreamLock> guard(audio::lock());
            if (!player->voice.playing) break;
        }
        // A device that stopped calling back must not hang the program.
        if (waited > totalMs + 2000) break;
        // Waits in slices, so that the end is found soon after it is reached.
        std::uint32_t slice = std::max<std::uint32_t>(1, std::min<std::uint32_t>(10, totalMs - std::min(totalMs, waited)));
        backend::waitAudio(slice);
        waited += slice;
    }
    // The device still holds the last block it was given: let it be heard.
    backend::waitAudio(audio::kDeviceFrames * 1000 / audio::kRate + 1);
    backend::closeAudioOutput(output);
    return true;
}

}  // namespace platform
