// Web backend: audio outputs mixed on the page's thread at every step of a wait and posted to
// the page's audio worklet (page/quorbix-audio.js), which plays the blocks in order. The music
// is mixed apart from the rest and further ahead, so that an absence of the page's thread does
// not break it; the rest (sound effects) keeps a short lead, so that they are heard soon after
// their frames.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "platform/backend.h"
#include "platform/sound/audio_stream.h"
#include "platform/web/web_backend.h"

namespace platform::web {
namespace {

// The two parts of the mix, each a queue of its own in the worklet, which adds them.
enum Part { kEffects = 0, kMusic = 1, kParts = 2 };

// clang-format off
EM_JS(double, pageAudioClockMs, (int sounding), { return Module.page.audioClockMs(sounding); });
EM_JS(void, pageAudioOpen, (int effectsLead, int musicLead), { Module.page.audioOpen(effectsLead, musicLead); });
EM_JS(int, pageAudioLeadFrames, (int part, int rest), {
    return Module.page.audioLeadFrames ? Module.page.audioLeadFrames(part) : rest;
});
EM_JS(void, pageAudioPost, (int part, const float* frames, int count, double at, double now, int lost), {
    Module.page.audioPost(part, HEAPF32.subarray(frames >> 2, (frames >> 2) + count * 2), at, now, lost);
});
// clang-format on

// Sound is rendered ahead of the clock by a lead (the worklet's queue holds it until played):
// how late a sound is heard after the frame that starts it, and what the output plays while the
// page's thread is away. The sound effects' lead rests at 20 ms: it must cover the longest usual
// time between two steps of a wait, a frame's work and a timer that fires late (the steps are
// 8 ms apart). The music's rests at 150 ms, more than the page's thread is away on a quiet
// machine (10-48 ms) and than a pause of 100 ms; the music's own commands (a start, a stop, a
// change of volume) are heard that much after their frames, which nobody hears as late. The page
// grows each lead when its thread was away for longer while that part sounded, and lets it
// shrink back here (quorbix-page.js).
constexpr std::uint64_t kEffectsLeadFrames = 896;
constexpr std::uint64_t kMusicLeadFrames = 6615;
// The mix is made in blocks this long (3 ms), so that the queue stays close to the lead.
constexpr int kPostFrames = 128;
static_assert(kPostFrames <= audio::kDeviceFrames, "an output renders at most a device buffer a call");
// What one step renders is posted to the page in a message a part (each costs the page's thread
// more than the copy): at most the effects' lead at rest and a block, unless the step came late
// (the sound of the time passed is not posted) or a lead has grown (a few messages, once).
constexpr int kBatchFrames = 2048;
static_assert(kBatchFrames >= kEffectsLeadFrames + 2 * kPostFrames, "a step's sound fits one message");

struct Output {
    backend::AudioRenderFn render = nullptr;
    void* user = nullptr;
};

// One part of the mix: the frames rendered since the first output opened (against the page's
// audio clock), whether its last block was sounding, and whether sound whose time had passed was
// rendered and not posted since its last post (the worklet counts it as a gap heard).
struct PartState {
    std::uint64_t rendered = 0;
    bool sounding = false;
    bool lost = false;
    float posted[kBatchFrames * audio::kChannels] = {};
};

// The open outputs, the parts, and the blocks the mix is made in.
struct AudioOutputs {
    Output outputs[8];
    bool started = false;
    double startMs = 0;
    PartState parts[kParts];
    std::int16_t block[audio::kDeviceFrames * audio::kChannels] = {};
    float mix[kPostFrames * audio::kChannels] = {};
};

AudioOutputs audioOutputs;

// A block of one part: the stream's own output renders in two parts (the music and the rest);
// every other output (a sound played by the system) is one of the sound effects.
void renderBlock(AudioOutputs& a, int part) {
    constexpr int kSamples = kPostFrames * audio::kChannels;
    std::fill(std::begin(a.mix), std::end(a.mix), 0.0f);
    for (Output& o : a.outputs) {
        if (o.render == nullptr) continue;
        if (audio::isStreamRender(o.render)) {
            audio::renderStreamPart(a.mix, kPostFrames, true, part == kMusic);
        } else if (part == kEffects) {
            o.render(o.user, a.block, kPostFrames, true);
            for (int i = 0; i < kSamples; ++i) a.mix[i] += static_cast<float>(a.block[i]) / 32768.0f;
        }
    }
}

void pumpPart(AudioOutputs& a, int part, std::uint64_t quiet, std::uint64_t lead) {
    PartState& p = a.parts[part];
    constexpr int kSamples = kPostFrames * audio::kChannels;
    int batched = 0;  // frames in p.posted, from frame batchAt on
    std::uint64_t batchAt = 0;
    // The block's place and the clock's, in frames since the first output opened: the worklet
    // keeps to them (a block that comes late plays only what is still to come).
    const auto post = [&] {
        if (batched == 0) return;
        pageAudioPost(part, p.posted, batched, static_cast<double>(batchAt), static_cast<double>(quiet), p.lost);
        p.lost = false;
        batched = 0;
    };
    while (p.rendered < quiet + lead) {
        renderBlock(a, part);
        p.rendered += kPostFrames;
        p.sounding = std::any_of(std::begin(a.mix), std::end(a.mix), [](float v) { return v != 0.0f; });
        // Sound whose time has passed (the page was busy or hidden, and the worklet played
        // without it) is rendered, so that every sound's position keeps to the clock, but not
        // handed to the page: played late, it would put everything after it late by as much,
        // for good. If it was not silence, the gap was heard.
        if (p.rendered < quiet) {
            p.lost = p.lost || p.sounding;
            continue;
        }
        if (batched + kPostFrames > kBatchFrames) post();
        if (batched == 0) batchAt = p.rendered - kPostFrames;
        std::copy(a.mix, a.mix + kSamples, p.posted + batched * audio::kChannels);
        batched += kPostFrames;
    }
    post();
}

}  // namespace

void pumpAudio() {
    AudioOutputs& a = audioOutputs;
    if (!a.started) return;
    // (The clock first: reading it is what tells the page how long its thread was away, and
    // whether either part was sounding meanwhile, which grows its lead.)
    const int sounding = (a.parts[kEffects].sounding ? 1 : 0) | (a.parts[kMusic].sounding ? 2 : 0);
    const double elapsedMs = pageAudioClockMs(sounding) - a.startMs;
    const std::uint64_t quiet = static_cast<std::uint64_t>(std::max(0.0, elapsedMs) * audio::kRate / 1000.0);
    // The music first: its commands were given before the frame's sound effects.
    for (int part : {kMusic, kEffects}) {
        const std::uint64_t rest = part == kMusic ? kMusicLeadFrames : kEffectsLeadFrames;
        const int lead = pageAudioLeadFrames(part, static_cast<int>(rest));
        pumpPart(a, part, quiet, static_cast<std::uint64_t>(std::max(0, lead)));
    }
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
            web::pageAudioOpen(static_cast<int>(web::kEffectsLeadFrames), static_cast<int>(web::kMusicLeadFrames));
            audioOutputs.started = true;
            audioOutputs.startMs = web::pageAudioClockMs(0);
            for (web::PartState& p : audioOutputs.parts) p = web::PartState{};
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
