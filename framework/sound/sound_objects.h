// elSound: the sound device and the table of 30 wave objects (load, release, restore).
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/sound/sound_objects.h is the framework's own; include <quorbix/sound.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstdint>
#include <set>
#include <string>

#include "platform/sound/sound.h"

namespace elSound {

constexpr int kSoundSlots = 30;
constexpr int kSoundNameSize = 31;     // 30 characters and the terminator
constexpr int kSoundPathSize = 256;
constexpr int kStartLogSize = 64;
// Voices each object may sound with at once through PlayOverlapped, besides its own buffer.
constexpr int kOverlapVoices = 4;

// One sound slot: its buffer, its controls (Frequency in Hz, Pan and Volume in hundredths of a dB),
// its name and its overlapping voices.
struct SoundObject {
    int InUse = 0;
    platform::SoundBuffer* Buffer = nullptr;
    std::uint32_t Frequency = 0;
    std::uint32_t BaseFrequency = 0;   // the wave's own rate, kept across Release and Restore
    std::int32_t Pan = 0;
    std::int32_t Volume = 0;
    char Name[kSoundNameSize] = {};
    // PlayOverlapped's voices: copies of Buffer made on first use, freed with it.
    platform::SoundBuffer* Voices[kOverlapVoices] = {};
    std::uint32_t VoiceStart[kOverlapVoices] = {};   // when each last started, in overlapped plays
    std::uint32_t OverlappedPlays = 0;
};

// The sound device and its 30 slots.
struct SoundState {
    SoundObject Objects[kSoundSlots];
    platform::SoundDevice* Device = nullptr;
    platform::SoundBuffer* Primary = nullptr;
    // For observers: 1 only while Restore reloads the slots, and the slot it is reloading.
    int RestoreMode = 0;
    int LoadingSlot = 0;
    // Slots whose buffers were started, oldest first, for observers such as the headless
    // runner's trace; TakeStartedSlots empties it. Starts beyond its size are not recorded.
    int StartLog[kStartLogSize] = {};
    int StartLogCount = 0;
    // Names whose failure to load has been reported: each is reported once, however many
    // copies of it the program loads.
    std::set<std::string> ReportedNames;
    // Releases every buffer and the device, then back to the program's start.
    void reset();
};
// The sound itself.
extern SoundState Sound;

// Called by the display set-up. 1 on success; 0 after reporting that there is no device.
int Init();
// Called by the display set-up after Init: every slot free, controls 0, names empty.
void ClearObjects();
// Called by elSystem::Shutdown and elSound::PlayFile: buffers, device, then the MIDI music.
// Slots keep their names and controls for Restore.
void Release();
// The slot number (0 to 29) of a newly loaded wave; 0 after reporting a failure. Without a
// device nothing is loaded and 0 is returned.
int LoadObject(const char* name);

// Why a wave was not loaded.
enum class LoadError { NoDevice, TooManyObjects, NameTooLong, NoWave, NoBuffer };
// A load's outcome, for callers that must tell slot 0 from a failure.
struct LoadResult {
    int slot = -1;        // 0 to 29 when the load succeeded
    LoadError error{};    // why it failed otherwise
    bool ok() const { return slot >= 0; }
    static LoadResult Failed(LoadError why) { return LoadResult{-1, why}; }
};
// LoadObject without the error box: the slot, or why there is none.
LoadResult TryLoadObject(const char* name);
// Called by elSound::PlayFile: a new device, and every slot in use reloaded from its name.
void Restore();
// Frees a slot for the next load.
void ReleaseObject(int slot);

// The slot of a number if it is one (0 to 29), else nullptr.
SoundObject* Slot(int slot);
// Copies up to `max` started slots into `out`, oldest first, and empties the log.
int TakeStartedSlots(int* out, int max);

}  // namespace elSound
