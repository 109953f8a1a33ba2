// Platform: the sound device and its static sound buffers (frequency, pan, volume, play, stop).
#pragma once
#include <cstdint>

#include "platform/sound/wave.h"
#include "platform/window/window.h"

namespace platform {

// ---------------------------------------------------------------- result codes and flags

using SoundResult = std::int32_t;
constexpr SoundResult DS_OK = 0;
constexpr SoundResult DSERR_INVALIDPARAM = static_cast<SoundResult>(0x80070057u);
constexpr SoundResult DSERR_OUTOFMEMORY = static_cast<SoundResult>(0x8007000Eu);
constexpr SoundResult DSERR_BADFORMAT = static_cast<SoundResult>(0x88780064u);
constexpr SoundResult DSERR_NODRIVER = static_cast<SoundResult>(0x88780078u);
constexpr SoundResult DSERR_INVALIDCALL = static_cast<SoundResult>(0x88780032u);

constexpr std::uint32_t DSSCL_NORMAL = 1;

constexpr std::uint32_t DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr std::uint32_t DSBCAPS_STATIC = 0x00000002;
constexpr std::uint32_t DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr std::uint32_t DSBCAPS_CTRLPAN = 0x00000040;
constexpr std::uint32_t DSBCAPS_CTRLVOLUME = 0x00000080;

constexpr std::uint32_t DSBPLAY_LOOPING = 0x00000001;
constexpr std::uint32_t DSBLOCK_ENTIREBUFFER = 0x00000002;
constexpr std::uint32_t DSBSTATUS_PLAYING = 0x00000001;
constexpr std::uint32_t DSBSTATUS_LOOPING = 0x00000004;

constexpr std::int32_t DSBVOLUME_MIN = -10000;   // silence
constexpr std::int32_t DSBVOLUME_MAX = 0;
constexpr std::int32_t DSBPAN_LEFT = -10000;
constexpr std::int32_t DSBPAN_RIGHT = 10000;
constexpr std::uint32_t DSBFREQUENCY_ORIGINAL = 0;
constexpr std::uint32_t DSBFREQUENCY_MIN = kMixerMinRate;
constexpr std::uint32_t DSBFREQUENCY_MAX = kMixerMaxRate;
constexpr std::uint32_t DSBSIZE_MAX = 0x0FFFFFFF;

// The 20-byte buffer description of the classic interface.
struct BufferDesc {
    std::uint32_t size = 20;
    std::uint32_t flags = 0;
    std::uint32_t bufferBytes = 0;
    std::uint32_t reserved = 0;
    const void* format = nullptr;   // the format record's bytes; none for the primary buffer
};

// ---------------------------------------------------------------- buffers and the device

class SoundBuffer {
public:
    // Called by loaders to fill the buffer: gives up to two regions of the buffer starting at
    // `offset` (the second when the span wraps past the end). Unlock hands them back.
    virtual SoundResult lock(std::uint32_t offset, std::uint32_t bytes, void** region1,
                             std::uint32_t* bytes1, void** region2, std::uint32_t* bytes2,
                             std::uint32_t flags) = 0;
    virtual SoundResult unlock(void* region1, std::uint32_t bytes1, void* region2,
                               std::uint32_t bytes2) = 0;
    // Starts the buffer from its play position; on a playing buffer only the looping flag changes.
    // A buffer that played to its end starts again from its beginning.
    virtual SoundResult play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags) = 0;
    // Stops the buffer; it keeps its play position.
    virtual SoundResult stop() = 0;
    virtual SoundResult getFrequency(std::uint32_t* frequency) = 0;
    // 100 to 100000 Hz, or DSBFREQUENCY_ORIGINAL for the format's own rate.
    virtual SoundResult setFrequency(std::uint32_t frequency) = 0;
    // Hundredths of a decibel, -10000 (right silent) to 10000 (left silent).
    virtual SoundResult setPan(std::int32_t pan) = 0;
    // Hundredths of a decibel, -10000 (silent) to 0 (full).
    virtual SoundResult setVolume(std::int32_t volume) = 0;
    virtual SoundResult getStatus(std::uint32_t* status) = 0;
    // Byte offset of the next sample to play.
    virtual SoundResult getCurrentPosition(std::uint32_t* playPosition) = 0;
    // Called by elSound::PlayOverlapped before it starts a voice: moves the play position to
    // `playPosition` bytes (rounded down to a whole frame); past the end is refused.
    virtual SoundResult setCurrentPosition(std::uint32_t playPosition) = 0;
    // Stops the buffer and frees it; the pointer is dead afterwards.
    virtual void release() = 0;

protected:
    virtual ~SoundBuffer() = default;
};

class SoundDevice {
public:
    // Called by elSound::Init with the main window; accepted and otherwise unused.
    virtual SoundResult setCooperativeLevel(WindowId window, std::uint32_t level) = 0;
    // A primary buffer (DSBCAPS_PRIMARYBUFFER, no format) or a static secondary buffer with the
    // format and size of the description. Formats the mixer cannot play give DSERR_BADFORMAT.
    virtual SoundResult createSoundBuffer(const BufferDesc& desc, SoundBuffer** buffer) = 0;
    // Called by elSound::PlayOverlapped: a new static buffer with the original's format, samples,
    // frequency, pan and volume and a play position of its own, stopped at the start. The samples
    // are copied in memory, not read again. DSERR_INVALIDPARAM for a buffer not of this device.
    virtual SoundResult duplicateSoundBuffer(SoundBuffer* original, SoundBuffer** duplicate) = 0;
    // Closes the device's output. Buffers still alive fall silent but stay valid until released.
    virtual void release() = 0;

protected:
    virtual ~SoundDevice() = default;
};

// Called by elSound::Init. Opens the default output; DSERR_NODRIVER when there is none.
SoundResult directSoundCreate(SoundDevice** device);

// ---------------------------------------------------------------- blocking play

constexpr std::uint32_t SND_SYNC = 0x0000;

// Called by elSound::PlayFile: plays a RIFF WAVE file to its end through an output of its own
// and returns when it has finished. False when the file is not a wave the mixer plays, or no
// output can be opened (nothing is heard then).
bool sndPlaySound(const char* path, std::uint32_t flags);

}  // namespace platform
