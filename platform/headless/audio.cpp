// Headless backend: audio outputs rendered by the virtual clock into an optional capture.
// Leaves out: real time (an output renders only when the clock moves or a test asks).
#include "platform/headless/audio.h"

#include <algorithm>
#include <mutex>

#include "platform/audio_stream.h"

namespace platform::headless {
namespace {

struct Output {
    int id = 0;
    backend::AudioRenderFn render = nullptr;
    void* user = nullptr;
};

struct AudioState {
    std::vector<Output> outputs;
    int lastId = 0;
    bool devicePresent = true;
    bool capture = false;
    std::vector<std::int16_t> captured;
    std::uint64_t ms = 0;       // milliseconds the audio clock has moved
    std::uint64_t frames = 0;   // frames rendered
};

AudioState as;

void Render(int frames) {
    std::int16_t block[audio::kDeviceFrames * audio::kChannels];
    std::int32_t sum[audio::kDeviceFrames * audio::kChannels];
    while (frames > 0) {
        int n = std::min(frames, audio::kDeviceFrames);
        int samples = n * audio::kChannels;
        std::fill(sum, sum + samples, 0);
        // A copy: an output may close itself while rendering is under way elsewhere.
        std::vector<Output> outputs = as.outputs;
        for (const Output& o : outputs) {
            o.render(o.user, block, n, true);
            for (int i = 0; i < samples; ++i) sum[i] += block[i];
        }
        if (as.capture)
            for (int i = 0; i < samples; ++i)
                as.captured.push_back(static_cast<std::int16_t>(std::clamp(sum[i], -32768, 32767)));
        as.frames += static_cast<std::uint64_t>(n);
        frames -= n;
    }
}

}  // namespace

void advanceAudio(std::uint32_t ms) {
    as.ms += ms;
    std::uint64_t target = as.ms * audio::kRate / 1000;
    if (target > as.frames) Render(static_cast<int>(std::min<std::uint64_t>(target - as.frames, 1u << 30)));
}

void resetAudio() {
    as.devicePresent = true;
    as.capture = false;
    as.captured.clear();
    as.captured.shrink_to_fit();
    as.ms = 0;
    as.frames = 0;
}

void setAudioDevicePresent(bool present) { as.devicePresent = present; }
void setAudioCapture(bool on) { as.capture = on; }

std::vector<std::int16_t> takeAudio() {
    std::vector<std::int16_t> out;
    out.swap(as.captured);
    return out;
}

std::uint64_t audioFrames() { return as.frames; }

void renderAudioFrames(int frames) {
    if (frames <= 0) return;
    Render(frames);
    // The clock follows, so that the next advance does not render these frames again.
    as.ms = std::max(as.ms, (as.frames * 1000 + audio::kRate - 1) / audio::kRate);
}

int openAudioOutputs() { return static_cast<int>(as.outputs.size()); }

}  // namespace platform::headless

namespace platform::backend {

using headless::as;

int openAudioOutput(AudioRenderFn render, void* user) {
    if (!as.devicePresent || render == nullptr) return 0;
    as.outputs.push_back(headless::Output{++as.lastId, render, user});
    return as.lastId;
}

void closeAudioOutput(int output) {
    as.outputs.erase(std::remove_if(as.outputs.begin(), as.outputs.end(),
                                    [&](const headless::Output& o) { return o.id == output; }),
                     as.outputs.end());
}

void waitAudio(std::uint32_t ms) { headless::advanceAudio(ms); }

}  // namespace platform::backend
