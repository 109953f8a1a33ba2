// elSound: playing the wave objects and their frequency, pan and volume controls, the beep, and
// the blocking player of a named sound.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/sound/sound_controls.h is the framework's own; include <quorbix/sound.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdint>

namespace elSound {

// Each slot operation acts only on a slot 0 to 29 that holds a buffer while there is a device;
// otherwise it does nothing and returns a non-zero code. Otherwise it returns the result of its
// last device call (0 on success). Values are clamped to their bounds and stored in the slot
// whether or not the device accepts them.
std::int32_t Play(int slot);       // once, from where the buffer stands after a stop
std::int32_t PlayLoop(int slot);   // looping; a playing buffer is not restarted
// Stops the slot's buffer and any voices PlayOverlapped started.
std::int32_t Stop(int slot);

// Called by a scene for a sound that may still be sounding when it is wanted again (shots,
// hits): plays the slot's wave once from its start on one of kOverlapVoices voices of its own
// (sound_objects.h), beside its buffer and the other voices, so that the plays overlap. A voice
// takes the slot's frequency, pan and volume as they are when it starts and keeps them. When
// every voice is sounding, the one started longest ago starts again. The voices are made on the
// slot's first overlapped play from the wave already loaded (nothing is read again) and freed
// with the slot. Play, PlayLoop and the controls act on the slot's own buffer as before.
std::int32_t PlayOverlapped(int slot);

std::int32_t AddFrequency(int slot, int steps);   // 100 Hz steps, 100 to 100000 Hz
std::int32_t ResetFrequency(int slot);            // back to the wave's own rate
std::int32_t SetFrequency(int slot, int steps);   // the wave's own rate plus the steps

// Pan and volume take steps of 1 dB: pan from -100 (left only) to 100 (right only), volume from
// -100 (silent) to 0 (full). The slot stores them in hundredths of a dB (SoundObject::Pan and
// ::Volume, -10000 to 10000), as the device takes them.
std::int32_t AddPan(int slot, int steps);   // -100 (left) to 100 (right)
// Back to the centre.
std::int32_t ResetPan(int slot);
// The pan in steps of 1 dB from the centre.
std::int32_t SetPan(int slot, int steps);
// Left only.
std::int32_t PanLeft(int slot);
// Right only.
std::int32_t PanRight(int slot);

std::int32_t AddVolume(int slot, int steps);   // -100 (silent) to 0 (full)
// Back to full volume.
std::int32_t ResetVolume(int slot);
// The volume in steps of 1 dB below full.
std::int32_t SetVolume(int slot, int steps);

// The simple system beep (the error reporter's).
void Beep();
// Releases the sound device and the music, plays the named wave file to its end (the call
// blocks for that long), then restores every loaded slot. The music is not restarted.
void PlayFile(const char* name);

}  // namespace elSound
