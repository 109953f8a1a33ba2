// Headless backend: sound by the virtual clock, and the capture of the mix that tests and the
// runner's --audio read.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("platform/headless/audio.h is the framework's own; include <quorbix/headless.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdint>
#include <vector>

namespace platform::headless {

// Called by the backend when the clock moves on by `ms`: that much sound is rendered from every
// open output (44.1 frames a millisecond, fractions carried over).
void advanceAudio(std::uint32_t ms);
// Called by configure: no capture, an empty recording, a device present.
void resetAudio();

// Tests: without a device, opening an output fails, as on a machine without a sound card.
void setAudioDevicePresent(bool present);
// Keep the mixed samples (off unless asked for: a long run would fill memory).
void setAudioCapture(bool on);
// The samples captured since the last take (interleaved 16-bit stereo); taking empties them.
std::vector<std::int16_t> takeAudio();
// Frames rendered since configure (captured or not).
std::uint64_t audioFrames();
// Tests: render this many frames now, as if the clock had moved.
void renderAudioFrames(int frames);
// Tests: outputs opened from now on render from a thread of their own in real time, as a sound
// card's do (a device buffer every 11.6 ms, on a thread that may not wait); opening one starts
// its thread, closing it joins the thread. Such outputs are not captured. Off after configure.
void setAudioThread(bool on);
// Open outputs (the main stream and blocking players).
int openAudioOutputs();

}  // namespace platform::headless
