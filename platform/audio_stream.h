// Platform: the one mixed output stream (44100 Hz, stereo, 16-bit) that sound buffers and the
// MIDI sequencer feed, the lock it shares with the audio thread, and what backends supply.
#pragma once
#include <cstdint>
#include <mutex>

#include "platform/window.h"

namespace platform::audio {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
// The SDL device buffer: a hit sounds within 512 / 44100 s (11.6 ms) of elSound::Play.
constexpr int kDeviceFrames = 512;

// Guards everything the audio thread reads: voices, mixers, the sequencer. Held only briefly by
// the window's thread; never held while calling out to the window's message queue.
std::mutex& lock();

// A source adds `frames` stereo frames into `mix` (interleaved floats, full scale 1.0). Called
// with lock() held. `mayWait` is true where rendering may block (headless), false on the real
// audio thread, where a source that is not ready yet renders nothing.
using SourceFn = void (*)(void* user, float* mix, int frames, bool mayWait);

// Called by the sound device and the sequencer while they need the output: the first acquire
// opens the backend's stream, the last release closes it. False when no output can be opened.
bool acquireStream();
void releaseStream();
// Called with lock() held. A source is rendered while it is registered.
void addSource(SourceFn fn, void* user);
void removeSource(SourceFn fn, void* user);

// Called by sources, with lock() held, to post a window message once the render is over (the
// sequencer's end-of-play notification).
void postAfterRender(WindowId window, std::uint32_t message, WParam wParam, LParam lParam);

// Called by the backends from their audio thread (or the headless clock): mixes every source
// into `out` (interleaved 16-bit stereo), then posts what the sources asked to post.
void renderStream(std::int16_t* out, int frames, bool mayWait);

// Mixes interleaved float frames into 16-bit samples, clipping at full scale.
void floatToPcm16(const float* in, std::int16_t* out, int samples);

}  // namespace platform::audio
