// Platform: the software mixer: voices of 8- or 16-bit PCM resampled by linear interpolation and
// mixed with per-voice gains into the 44100 Hz stereo stream.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/sound/sound.h"

namespace platform {

// One buffer's samples and play state. Every field is guarded by audio::lock().
struct Voice {
    // Samples as 16-bit, interleaved by channel, with one guard frame at the end that repeats
    // the first frame while looping and the last frame otherwise, so interpolation never reads
    // past the data.
    std::vector<std::int16_t> samples;
    int channels = 1;
    std::uint32_t frames = 0;
    std::uint32_t blockAlign = 1;
    std::uint64_t position = 0;   // frames, 32.32 fixed point
    std::uint32_t frequency = 0;  // Hz
    std::int32_t volume = 0;      // hundredths of a decibel
    std::int32_t pan = 0;
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    bool playing = false;
    bool looping = false;

    // Converts the buffer's raw bytes into `samples` (a partial frame at the end is dropped) and
    // sets the guard frame.
    void load(const WaveFormat& format, const std::uint8_t* bytes, std::uint32_t count);
    void setLooping(bool loop);
    // Recomputes the two channel gains from volume and pan.
    void updateGains();
};

// Renders voices into a float mix. Not thread-safe by itself: callers hold audio::lock().
class Mixer {
public:
    void add(Voice* voice);
    void remove(Voice* voice);
    // Adds `frames` stereo frames of every playing voice into `mix`. A voice that reaches its
    // end without looping stops with its position back at the start.
    void render(float* mix, int frames);
    // Called by sources registered with the stream.
    static void renderSource(void* mixer, float* mix, int frames, bool mayWait);

private:
    std::vector<Voice*> voices_;
};

// Hundredths of a decibel to an amplitude factor: 10^(value / 2000); -10000 and below is 0.
float decibelGain(std::int32_t hundredths);

}  // namespace platform
