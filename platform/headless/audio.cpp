// Headless backend: audio outputs rendered by the virtual clock into an optional capture.
// Leaves out: real time (an output renders only when the clock moves or a test asks).
#include "platform/headless/audio.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/sound/audio_stream.h"
#include "platform/backend.h"

namespace platform::headless {
namespace {

// An output that renders on a thread of its own.
struct DeviceThread {
    std::atomic<bool> stop{false};
    std::thread thread;
};

struct Output {
    int id = 0;
    backend::AudioRenderFn render = nullptr;
    void* user = nullptr;
    std::shared_ptr<DeviceThread> device;   // null: rendered by the clock
};

void runDevice(backend::AudioRenderFn render, void* user, DeviceThread* device) {
    std::int16_t block[audio::kDeviceFrames * audio::kChannels];
    const auto period = std::chrono::nanoseconds(1000000000LL * audio::kDeviceFrames / audio::kRate);
    auto next = std::chrono::steady_clock::now();
    while (!device->stop.load()) {
        render(user, block, audio::kDeviceFrames, false);
        next += period;
        std::this_thread::sleep_until(next);
    }
}

struct AudioState {
    std::vector<Output> outputs;
    int lastId = 0;
    bool devicePresent = true;
    bool capture = false;
    bool threads = false;
    std::vector<std::int16_t> captured;
    std::uint64_t ms = 0;       // milliseconds the audio clock has moved
    std::uint64_t frames = 0;   // frames rendered
};

AudioState audioClock;

void renderOutputs(int frames) {
    std::int16_t block[audio::kDeviceFrames * audio::kChannels];
    std::int32_t sum[audio::kDeviceFrames * audio::kChannels];
    while (frames > 0) {
        int n = std::min(frames, audio::kDeviceFrames);
        int samples = n * audio::kChannels;
        std::fill(sum, sum + samples, 0);
        // A copy: an output may close itself while rendering is under way elsewhere.
        std::vector<Output> outputs = audioClock.outputs;
        for (const Output& o : outputs) {
            if (o.device != nullptr) {
                std::fill(block, block + samples, 0);
                continue;
            }
            o.render(o.user, block, n, true);
            for (int i = 0; i < samples; ++i) sum[i] += block[i];
        }
        if (audioClock.capture)
            for (int i = 0; i < samples; ++i)
                audioClock.captured.push_back(static_cast<std::int16_t>(std::clamp(sum[i], -32768, 32767)));
        audioClock.frames += static_cast<std::uint64_t>(n);
        frames -= n;
    }
}

}  // namespace

void advanceAudio(std::uint32_t ms) {
    audioClock.ms += ms;
    std::uint64_t target = audioClock.ms * audio::kRate / 1000;
    if (target > audioClock.frames) renderOutputs(static_cast<int>(std::min<std::uint64_t>(target - audioClock.frames, 1u << 30)));
}

void resetAudio() {
    audioClock.devicePresent = true;
    audioClock.capture = false;
    audioClock.threads = false;
    audioClock.captured.clear();
    audioClock.captured.shrink_to_fit();
    audioClock.ms = 0;
    audioClock.frames = 0;
}

void setAudioDevicePresent(bool present) { audioClock.devicePresent = present; }
void setAudioCapture(bool on) { audioClock.capture = on; }
void setAudioThread(bool on) { audioClock.threads = on; }

std::vector<std::int16_t> takeAudio() {
    std::vector<std::int16_t> out;
    out.swap(audioClock.captured);
    return out;
}

std::uint64_t audioFrames() { return audioClock.frames; }

void renderAudioFrames(int frames) {
    if (frames <= 0) return;
    renderOutputs(frames);
    // The clock follows, so that the next advance does not render these frames again.
    audioClock.ms = std::max(audioClock.ms, (audioClock.frames * 1000 + audio::kRate - 1) / audio::kRate);
}

int openAudioOutputs() { return static_cast<int>(audioClock.outputs.size()); }

}  // namespace platform::headless

namespace platform::backend {

using headless::audioClock;

// ---------------------------------------------------------------- audio

int openAudioOutput(AudioRenderFn render, void* user) {
    if (!audioClock.devicePresent || render == nullptr) return 0;
    headless::Output o{++audioClock.lastId, render, user, nullptr};
    if (audioClock.threads) {
        o.device = std::make_shared<headless::DeviceThread>();
        o.device->thread = std::thread(headless::runDevice, render, user, o.device.get());
    }
    audioClock.outputs.push_back(o);
    return audioClock.lastId;
}

void closeAudioOutput(int output) {
    for (headless::Output& o : audioClock.outputs)
        if (o.id == output && o.device != nullptr) {
            // When this returns the output's thread has rendered for the last time.
            o.device->stop = true;
            if (o.device->thread.joinable()) o.device->thread.join();
        }
    audioClock.outputs.erase(std::remove_if(audioClock.outputs.begin(), audioClock.outputs.end(),
                                    [&](const headless::Output& o) { return o.id == output; }),
                     audioClock.outputs.end());
}

void waitAudio(std::uint32_t ms) { headless::advanceAudio(ms); }

}  // namespace platform::backend
