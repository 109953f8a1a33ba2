// Platform: the one mixed output stream (44100 Hz, stereo, 16-bit) that sound buffers and the
// MIDI sequencer feed, the lock it shares with the audio thread, and what backends supply.
#pragma once
#include <chrono>
#include <cstdint>
#include <mutex>

#include "platform/window/window.h"

namespace platform::audio {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
// The SDL device buffer: a hit sounds within 512 / 44100 s (11.6 ms) of elSound::Play.
constexpr int kDeviceFrames = 512;

// The lock the audio thread takes for what it mixes (voices, mixers, the list of sources). Other
// threads hold it only for a few field writes, never while calling out to the window's message
// queue; how long they held it is measured (see figures()).
class StreamLock {
public:
    void lock();
    void unlock();

private:
    friend void renderStream(std::int16_t* out, int frames, bool mayWait);
    friend void renderStreamPart(float* mix, int frames, bool mayWait, bool music);
    std::mutex mutex_;
    std::chrono::steady_clock::time_point since_;
};
StreamLock& lock();

// A source adds `frames` stereo frames into `mix` (interleaved floats, full scale 1.0). Called
// with lock() held. `mayWait` is true where rendering may block (headless), false on the real
// audio thread, where a source that is not ready yet renders nothing.
using SourceFn = void (*)(void* user, float* mix, int frames, bool mayWait);

// Called by the sound device and the sequencer while they need the output: the first acquire
// opens the backend's stream, the last release closes it. False when no output can be opened.
bool acquireStream();
void releaseStream();
// Orderly end, registered to run at exit by the first acquireStream (tests may call it): closes
// the output, so that the backend's audio thread has been joined, then runs what atShutdown was
// given (the music's render thread and the synthesiser stop there), latest first, before
// anything they read is destroyed. The state they read is never destroyed itself. No output
// opens afterwards.
void shutdown();
// Called by the sequencer and the synthesiser when they start: `stop` runs once at shutdown,
// after the output has closed. Giving the same function again changes nothing.
void atShutdown(void (*stop)());
// Called by the synthesiser when the program starts, before anything opens the output: `opened`
// runs each time the output opens, in the order given, after the open and outside lock().
// Giving the same function again changes nothing.
void atOpen(void (*opened)());
// Called with lock() held. A source is rendered while it is registered. A music source (the
// sequencer) can be rendered apart from the others: the web backend keeps it further ahead of the
// output than the rest (see renderStreamPart).
void addSource(SourceFn fn, void* user, bool music = false);
void removeSource(SourceFn fn, void* user);

// Called by sources, with lock() held, during a render that may wait (headless), to post a
// window message once the render is over. A real-time render posts nothing: the sequencer's
// render thread posts its notices itself.
void postAfterRender(WindowId window, std::uint32_t message, WParam wParam, LParam lParam);

// Called by the backends from their audio thread (or the headless clock): mixes every source
// into `out` (interleaved 16-bit stereo), then posts what the sources asked to post.
void renderStream(std::int16_t* out, int frames, bool mayWait);

// The web backend's render (platform/web/audio.cpp), on a platform without threads: adds into
// `mix` (interleaved floats, full scale 1.0, not clipped) the music sources (`music`) or all the
// others, then posts what they asked to post. The two together make what renderStream makes,
// before its clipping, whenever each is rendered. `render` is the stream's own output (the one
// acquireStream opens), which the web backend renders in these two parts instead.
void renderStreamPart(float* mix, int frames, bool mayWait, bool music);
bool isStreamRender(void (*render)(void*, std::int16_t*, int, bool));

// What the stream measured since the last resetFigures(): the longest time a thread other than
// the audio thread held lock(), the renders on a real-time thread that took longer than the sound
// they made (the device would have run dry) and the renders that found a source's frames not
// ready (see SourceFn: such a source renders silence for what is missing).
struct Figures {
    std::int64_t worstHoldNanos = 0;
    std::uint64_t underruns = 0;
};
Figures figures();
void resetFigures();
// Called by sources during a real-time render whose frames were not all ready.
void countUnderrun();

// Benchmarks and tests: called on the audio thread after every render with what it wrote and
// how long the render took. Set while no output is open (nullptr: none).
using RenderObserver = void (*)(void* user, const std::int16_t* out, int frames, std::int64_t nanos);
void setRenderObserver(RenderObserver fn, void* user);

// Mixes interleaved float frames into 16-bit samples, clipping at full scale.
void floatToPcm16(const float* in, std::int16_t* out, int samples);

}  // namespace platform::audio
