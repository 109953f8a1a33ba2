// Web backend: audio outputs mixed on the page's thread at every step of a wait and posted to
// the page's audio worklet (page/quorbix-audio.js), which plays the blocks in order.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/backend.h"
#include "platform/sound/audio_stream.h"
#include "platform/web/web_backend.h"

namespace platform::web {
namespace {

// clang-format off
EM_JS(double, pageAudioClockMs, (), { return Module.page.audioClockMs(); });
EM_JS(void, pageAudioOpen, (int leadFrames), { Module.page.audioOpen(leadFrames); });
EM_JS(int, pageAudioLeadFrames, (int rest), {
    return Module.page.audioLeadFrames ? Module.page.audioLeadFrames() : rest;
});
EM_JS(void, pageAudioPost, (const float* frames, int count, double at, double now), {
    Module.page.audioPost(HEAPF32.subarray(frames >> 2, (frames >> 2) + count * 2), at, now);
});
// clang-format on

// Sound is rendered ahead of the clock by the page's lead (the page's queue holds it until
// played): how late a sound is heard after the frame that starts it, and what the output plays
// while the page's thread is away. This is where the lead rests: it must cover the longest usual
// time between two steps of a wait, a frame's work and a timer that fires late (the steps are
// 8 ms apart). 20 ms; the queue holds between that and a block more. The page grows the lead
// when its thread was away for longer, and lets it shrink back here (quorbix-page.js).
constexpr std::uint64_t kAudioLeadFrames = 896;
// The mix is made in blocks this long (3 ms), so that the queue stays close to the lead.
constexpr int kPostFrames = 128;
static_assert(kPostFrames <= audio::kDeviceFrames, "an output renders at most a device buffer a call");
// What one step renders is posted to the page in one message (each costs the page's thread more
// than the copy): at most the lead at rest and a block, unless the step came late (the sound of
// the time passed is not posted) or the lead has just grown (a few messages, once).
constexpr int kBatchFrames = 2048;
static_assert(kBatchFrames >= kAudioLeadFrames + 2 * kPostFrames, "a step's sound fits one message");

struct Output {
    backend::AudioRenderFn render = nullptr;
    void* user = nullptr;
};

// The open outputs, the frames rendered since the first opened (against the page's audio
// clock), and the blocks the mix is made in.
struct AudioOutputs {
    Output outputs[8];
    bool started = false;
    double startMs = 0;
    std::uint64_t framesRendered = 0;
    std::int16_t block[audio::kDeviceFrames * audio::kChannels] = {};
    std::int32_t sum[audio::kDeviceFrames * audio::kChannels] = {};
    float posted[kBatchFrames * audio::kChannels] = {};
};

AudioOutputs audioOutputs;

}  // namespace

void pumpAudio() {
    AudioOutputs& a = audioOutputs;
    if (!a.started) return;
    // (The clock first: reading it is what tells the page how long its thread was away.)
    const double elapsedMs = pageAudioClockMs() - a.startMs;
    const std::uint64_t lead = static_cast<std::uint64_t>(
        std::max(0, pageAudioLeadFrames(static_cast<int>(kAudioLeadFrames))));
    // Sound whose time has passed (the page was busy or hidden, and the output played silence for
    // it) is rendered, so that every sound's position keeps to the clock, but not handed to the
    // page: played late, it would put everything after it late by as much, for good.
    const std::uint64_t quiet = static_cast<std::uint64_t>(std::max(0.0, elapsedMs) * audio::kRate / 1000.0);
    const std::uint64_t due = quiet + lead;
    constexpr int kFrames = kPostFrames;
    int batched = 0;                 // frames in a.posted, from frame batchAt on
    std::uint64_t batchAt = 0;
    // The block's place and the clock's, in frames since the first output opened: the page's
    // output keeps to them (a block that comes late plays only what is still to come).
    const auto post = [&] {
        if (batched > 0) pageAudioPost(a.posted, batched, static_cast<double>(batchAt), static_cast<double>(quiet));
        batched = 0;
    };
    while (a.framesRendered < due) {
        std::fill(std::begin(a.sum), std::end(a.sum), 0);
        for (Output& o : a.outputs) {
            if (o.render == nullptr) continue;
            o.render(o.user, a.block, kFrames, true);
            for (int i = 0; i < kFrames * audio::kChannels; ++i) a.sum[i] += a.block[i];
        }
        a.framesRendered += kFrames;
        if (a.framesRendered < quiet) continue;
        if (batched + kFrames > kBatchFrames) post();
        if (batched == 0) batchAt = a.framesRendered - kFrames;
        float* out = a.posted + batched * audio::kChannels;
        for (int i = 0; i < kFrames * audio::kChannels; ++i)
            out[i] = static_cast<float>(std::clamp(a.sum[i], -32768, 32767)) / 32768.0f;
        batched += kFrames;
    }
    post();
}

}  // namespace platform::web

namespace platform::backend {

using web::audioOutputs;

// ---------------------------------------------------------------- audio

int openAudioOutput(AudioRenderFn render, void* user) {
    if (render == nullptr) return 0;
    for (int slot = 0; slot < 8; ++slot) {
        if (audioOutputs.outputs[slot].render != nullptr) continue;
        audioOutputs.outputs[slot] = web::Output{render, user};
        if (!audioOutputs.started) {
            web::pageAudioOpen(static_cast<int>(web::kAudioLeadFrames));
            audioOutputs.started = true;
            audioOutputs.startMs = web::pageAudioClockMs();
            audioOutputs.framesRendered = 0;
        }
        return slot + 1;
    }
    return 0;
}

void closeAudioOutput(int output) {
    if (output >= 1 && output <= 8) audioOutputs.outputs[output - 1] = web::Output{};
}

void waitAudio(std::uint32_t ms) { sleep(ms); }

}  // namespace platform::backend
