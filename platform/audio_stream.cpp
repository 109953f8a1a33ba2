// Platform: the mixed output stream shared by the sound device and the MIDI sequencer.
#include "platform/audio_stream.h"
#include "platform/backend.h"

#include <algorithm>
#include <cmath>

namespace platform::audio {
namespace {

constexpr int kMaxSources = 8;
constexpr int kMaxPosts = 8;
constexpr int kChunkFrames = 1024;

struct Source {
    SourceFn fn = nullptr;
    void* user = nullptr;
};

struct PendingPost {
    WindowId window;
    std::uint32_t message;
    WParam wParam;
    LParam lParam;
};

struct StreamState {
    std::mutex lock;
    // Users and the output id change only on the window's thread, under `lock`.
    int users = 0;
    int output = 0;
    Source sources[kMaxSources];
    int sourceCount = 0;
    PendingPost posts[kMaxPosts];
    int postCount = 0;
    float mix[kChunkFrames * kChannels];
};

StreamState& state() {
    // Built on first use and never destroyed: the audio thread may still run during exit.
    static StreamState* s = new StreamState;
    return *s;
}

void RenderMain(void*, std::int16_t* out, int frames, bool mayWait) { renderStream(out, frames, mayWait); }

}  // namespace

std::mutex& lock() { return state().lock; }

bool acquireStream() {
    StreamState& s = state();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.users > 0) {
            ++s.users;
            return true;
        }
    }
    // The backend's open starts its audio thread, which takes the lock: open outside it.
    int output = backend::openAudioOutput(RenderMain, nullptr);
    if (output == 0) return false;
    std::lock_guard<std::mutex> guard(s.lock);
    s.output = output;
    s.users = 1;
    return true;
}

void releaseStream() {
    StreamState& s = state();
    int output = 0;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.users == 0) return;
        if (--s.users > 0) return;
        output = s.output;
        s.output = 0;
    }
    backend::closeAudioOutput(output);
}

void addSource(SourceFn fn, void* user) {
    StreamState& s = state();
    for (int i = 0; i < s.sourceCount; ++i)
        if (s.sources[i].fn == fn && s.sources[i].user == user) return;
    if (s.sourceCount < kMaxSources) s.sources[s.sourceCount++] = Source{fn, user};
}

void removeSource(SourceFn fn, void* user) {
    StreamState& s = state();
    for (int i = 0; i < s.sourceCount; ++i) {
        if (s.sources[i].fn == fn && s.sources[i].user == user) {
            std::copy(s.sources + i + 1, s.sources + s.sourceCount, s.sources + i);
            --s.sourceCount;
            return;
        }
    }
}

void postAfterRender(WindowId window, std::uint32_t message, WParam wParam, LParam lParam) {
    StreamState& s = state();
    if (s.postCount < kMaxPosts) s.posts[s.postCount++] = PendingPost{window, message, wParam, lParam};
}

void floatToPcm16(const float* in, std::int16_t* out, int samples) {
    for (int i = 0; i < samples; ++i) {
        float v = in[i] * 32768.0f;
        v = std::min(32767.0f, std::max(-32768.0f, v));
        out[i] = static_cast<std::int16_t>(std::lrintf(v));
    }
}

void renderStream(std::int16_t* out, int frames, bool mayWait) {
    StreamState& s = state();
    PendingPost posts[kMaxPosts];
    int postCount = 0;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        while (frames > 0) {
            int n = std::min(frames, kChunkFrames);
            std::fill(s.mix, s.mix + n * kChannels, 0.0f);
            for (int i = 0; i < s.sourceCount; ++i) s.sources[i].fn(s.sources[i].user, s.mix, n, mayWait);
            floatToPcm16(s.mix, out, n * kChannels);
            out += n * kChannels;
            frames -= n;
        }
        postCount = s.postCount;
        std::copy(s.posts, s.posts + postCount, posts);
        s.postCount = 0;
    }
    // The queue has a lock of its own; it is never taken inside ours.
    for (int i = 0; i < postCount; ++i)
        postMessage(posts[i].window, posts[i].message, posts[i].wParam, posts[i].lParam);
}

}  // namespace platform::audio
