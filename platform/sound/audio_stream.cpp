// Platform: the mixed output stream shared by the sound device and the MIDI sequencer.
#include "platform/sound/audio_stream.h"
#include "platform/backend.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

namespace platform::audio {
namespace {

constexpr int kMaxSources = 8;
// What stops at shutdown: the sequencer and the synthesiser.
constexpr int kMaxStops = 4;
// What acts when the output opens: the synthesiser.
constexpr int kMaxOpens = 4;
constexpr int kMaxPosts = 8;
constexpr int kChunkFrames = 1024;

struct Source {
    SourceFn fn = nullptr;
    void* user = nullptr;
    bool music = false;
};

struct PendingPost {
    WindowId window;
    std::uint32_t message;
    WParam wParam;
    LParam lParam;
};

struct StreamState {
    StreamLock lock;
    // Users and the output id change only on the window's thread, under `lock`.
    int users = 0;
    int output = 0;
    bool exitRegistered = false;
    bool shutDown = false;
    void (*stops[kMaxStops])() = {};
    int stopCount = 0;
    void (*opens[kMaxOpens])() = {};
    int openCount = 0;
    Source sources[kMaxSources];
    int sourceCount = 0;
    PendingPost posts[kMaxPosts];
    int postCount = 0;
    float mix[kChunkFrames * kChannels];
    std::atomic<std::int64_t> worstHold{0};
    std::atomic<std::uint64_t> underruns{0};
    std::atomic<RenderObserver> observer{nullptr};
    std::atomic<void*> observerUser{nullptr};
};

StreamState& state() {
    // Built on first use and never destroyed: the audio thread may still run during exit.
    static StreamState* s = new StreamState;
    return *s;
}

void renderMain(void*, std::int16_t* out, int frames, bool mayWait) { renderStream(out, frames, mayWait); }

}  // namespace

StreamLock& lock() { return state().lock; }

void StreamLock::lock() {
    mutex_.lock();
    since_ = std::chrono::steady_clock::now();
}

void StreamLock::unlock() {
    const std::int64_t held = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                  std::chrono::steady_clock::now() - since_).count();
    mutex_.unlock();
    std::atomic<std::int64_t>& worst = state().worstHold;
    std::int64_t seen = worst.load(std::memory_order_relaxed);
    while (held > seen && !worst.compare_exchange_weak(seen, held, std::memory_order_relaxed)) {
    }
}

Figures figures() {
    StreamState& s = state();
    return Figures{s.worstHold.load(), s.underruns.load()};
}

void resetFigures() {
    state().worstHold = 0;
    state().underruns = 0;
}

void countUnderrun() { ++state().underruns; }

void setRenderObserver(RenderObserver fn, void* user) {
    state().observerUser = user;
    state().observer = fn;
}

bool acquireStream() {
    StreamState& s = state();
    {
        std::lock_guard<StreamLock> guard(s.lock);
        if (s.shutDown) return false;
        if (s.users > 0) {
            ++s.users;
            return true;
        }
        if (!s.exitRegistered) {
            s.exitRegistered = true;
            std::atexit(shutdown);
        }
    }
    // The backend's open starts its audio thread, which takes the lock: open outside it.
    int output = backend::openAudioOutput(renderMain, nullptr);
    if (output == 0) return false;
    void (*opens[kMaxOpens])() = {};
    int count = 0;
    {
        std::lock_guard<StreamLock> guard(s.lock);
        s.output = output;
        s.users = 1;
        count = s.openCount;
        for (int i = 0; i < count; ++i) opens[i] = s.opens[i];
    }
    // Outside the stream's lock: the synthesiser's load, which runs here on a platform without
    // threads, takes it.
    for (int i = 0; i < count; ++i) opens[i]();
    return true;
}

void releaseStream() {
    StreamState& s = state();
    int output = 0;
    {
        std::lock_guard<StreamLock> guard(s.lock);
        if (s.users == 0) return;
        if (--s.users > 0) return;
        output = s.output;
        s.output = 0;
    }
    backend::closeAudioOutput(output);
}

void shutdown() {
    StreamState& s = state();
    int output = 0;
    {
        std::lock_guard<StreamLock> guard(s.lock);
        if (s.shutDown) return;
        s.shutDown = true;
        output = s.output;
        s.output = 0;
        s.users = 0;
    }
    // When this returns the backend's thread has rendered for the last time.
    if (output != 0) backend::closeAudioOutput(output);
    void (*stops[kMaxStops])() = {};
    int count = 0;
    {
        std::lock_guard<StreamLock> guard(s.lock);
        count = s.stopCount;
        for (int i = 0; i < count; ++i) stops[i] = s.stops[i];
    }
    for (int i = count - 1; i >= 0; --i) stops[i]();
}

void atShutdown(void (*stop)()) {
    StreamState& s = state();
    std::lock_guard<StreamLock> guard(s.lock);
    for (int i = 0; i < s.stopCount; ++i)
        if (s.stops[i] == stop) return;
    if (s.stopCount < kMaxStops) s.stops[s.stopCount++] = stop;
}

void atOpen(void (*opened)()) {
    StreamState& s = state();
    std::lock_guard<StreamLock> guard(s.lock);
    for (int i = 0; i < s.openCount; ++i)
        if (s.opens[i] == opened) return;
    if (s.openCount < kMaxOpens) s.opens[s.openCount++] = opened;
}

void addSource(SourceFn fn, void* user, bool music) {
    StreamState& s = state();
    for (int i = 0; i < s.sourceCount; ++i)
        if (s.sources[i].fn == fn && s.sources[i].user == user) return;
    if (s.sourceCount < kMaxSources) s.sources[s.sourceCount++] = Source{fn, user, music};
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

// The window messages the sources asked for during a render, posted after it (outside the lock).
void postPending(PendingPost* posts, int count) {
    // The queue has a lock of its own; it is never taken inside ours.
    for (int i = 0; i < count; ++i) postMessage(posts[i].window, posts[i].message, posts[i].wParam, posts[i].lParam);
}

bool isStreamRender(void (*render)(void*, std::int16_t*, int, bool)) { return render == renderMain; }

void renderStreamPart(float* mix, int frames, bool mayWait, bool music) {
    StreamState& s = state();
    PendingPost posts[kMaxPosts];
    int postCount = 0;
    {
        std::lock_guard<std::mutex> guard(s.lock.mutex_);
        for (int i = 0; i < s.sourceCount; ++i)
            if (s.sources[i].music == music) s.sources[i].fn(s.sources[i].user, mix, frames, mayWait);
        postCount = s.postCount;
        std::copy(s.posts, s.posts + postCount, posts);
        s.postCount = 0;
    }
    postPending(posts, postCount);
}

void renderStream(std::int16_t* out, int frames, bool mayWait) {
    const auto start = std::chrono::steady_clock::now();
    StreamState& s = state();
    std::int16_t* const first = out;
    const int total = frames;
    PendingPost posts[kMaxPosts];
    int postCount = 0;
    {
        // The render's own hold is not one of the holds measured: it is the render's time.
        std::lock_guard<std::mutex> guard(s.lock.mutex_);
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
    postPending(posts, postCount);
    const std::int64_t nanos =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
    if (!mayWait && nanos > static_cast<std::int64_t>(total) * 1000000000 / kRate) ++s.underruns;
    if (RenderObserver fn = s.observer.load()) fn(s.observerUser.load(), first, total, nanos);
}

}  // namespace platform::audio
