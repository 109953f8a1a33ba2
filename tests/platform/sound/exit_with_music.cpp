// Ends the program with the music playing, a looping sound sounding and the audio device open,
// its thread still rendering: the exit must close the device (joining its thread) before the
// synthesiser and the rest of what the thread reads go away. Run under the sanitizers, which
// report anything read after it was destroyed, and the thread sanitizer races at exit.
// Built twice: on the headless backend with outputs on threads of their own, and on SDL's
// dummy audio driver.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound/mci.h"
#include "platform/sound/sound.h"
#ifdef QRB_EXIT_HEADLESS
#include "platform/headless/audio.h"
#endif

namespace {
// Kept where the leak checker finds them: the program ends with them in use on purpose.
platform::SoundDevice* gDevice = nullptr;
platform::SoundBuffer* gBuffer = nullptr;
}  // namespace

int main() {
#ifdef QRB_EXIT_HEADLESS
    platform::headless::setAudioThread(true);
#endif
    if (platform::directSoundCreate(&gDevice) != platform::DS_OK) {
        std::fprintf(stderr, "exit-with-music: no audio device\n");
        return 1;
    }
    std::uint8_t format[platform::kWaveFormatBytes] = {1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0};
    platform::BufferDesc desc;
    desc.flags = platform::DSBCAPS_STATIC;
    desc.bufferBytes = 8820;
    desc.format = format;
    if (gDevice->createSoundBuffer(desc, &gBuffer) != platform::DS_OK) return 1;
    void* p1 = nullptr;
    std::uint32_t n1 = 0;
    if (gBuffer->lock(0, 0, &p1, &n1, nullptr, nullptr, platform::DSBLOCK_ENTIREBUFFER) != platform::DS_OK) return 1;
    auto* s = static_cast<std::int16_t*>(p1);
    for (std::uint32_t i = 0; i < n1 / 2; ++i) s[i] = static_cast<std::int16_t>((i / 50) % 2 ? 3000 : -3000);
    gBuffer->unlock(p1, n1, nullptr, 0);
    gBuffer->play(0, 0, platform::DSBPLAY_LOOPING);
    const std::string open = "open " QRB_SOURCE_DIR "/assets/QRBX.MID type sequencer alias midi";
    if (platform::mciSendString(open.c_str(), nullptr, 0, 0) != 0 ||
        platform::mciSendString("play midi", nullptr, 0, 0) != 0) {
        std::fprintf(stderr, "exit-with-music: the music cannot be played\n");
        return 1;
    }
    // Long enough for the font to load and the music to be rendered and heard.
    for (int i = 0; i < 50; ++i) {
        char mode[16];
        platform::mciSendString("status midi mode", mode, sizeof mode, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}
