// elSound: playback and the per-slot controls.
#include "framework/sound/sound_controls.h"

#include <algorithm>

#include "framework/sound/sound_objects.h"
#include "platform/sound/sound.h"
#include "platform/window/system.h"

namespace elSound {
namespace {

constexpr std::int64_t kStep = 100;

// The slot's buffer when it can be acted on, else nullptr.
SoundObject* Playable(int slot) {
    SoundObject* o = Slot(slot);
    if (o == nullptr || o->Buffer == nullptr || Sound.Device == nullptr) return nullptr;
    return o;
}

// Computed wide: a step count near the limits of int must clamp, not wrap.
std::int64_t Clamp(std::int64_t value, std::int64_t low, std::int64_t high) {
    return std::min(high, std::max(low, value));
}

void LogStart(int slot) {
    if (Sound.StartLogCount < kStartLogSize) Sound.StartLog[Sound.StartLogCount++] = slot;
}

std::int32_t PutFrequency(SoundObject& o, std::int64_t hz) {
    o.Frequency = static_cast<std::uint32_t>(Clamp(hz, platform::DSBFREQUENCY_MIN, platform::DSBFREQUENCY_MAX));
    return o.Buffer->setFrequency(o.Frequency);
}

std::int32_t PutPan(SoundObject& o, std::int64_t pan) {
    o.Pan = static_cast<std::int32_t>(Clamp(pan, platform::DSBPAN_LEFT, platform::DSBPAN_RIGHT));
    return o.Buffer->setPan(o.Pan);
}

std::int32_t PutVolume(SoundObject& o, std::int64_t volume) {
    o.Volume = static_cast<std::int32_t>(Clamp(volume, platform::DSBVOLUME_MIN, platform::DSBVOLUME_MAX));
    return o.Buffer->setVolume(o.Volume);
}

}  // namespace

std::int32_t Play(int slot) {
    SoundObject* o = Playable(slot);
    if (o == nullptr) return platform::DSERR_INVALIDCALL;
    o->Buffer->stop();
    LogStart(slot);
    return o->Buffer->play(0, 0, 0);
}

std::int32_t PlayLoop(int slot) {
    SoundObject* o = Playable(slot);
    if (o == nullptr) return platform::DSERR_INVALIDCALL;
    LogStart(slot);
    return o->Buffer->play(0, 0, platform::DSBPLAY_LOOPING);
}

std::int32_t Stop(int slot) {
    SoundObject* o = Playable(slot);
    if (o == nullptr) return platform::DSERR_INVALIDCALL;
    for (platform::SoundBuffer* voice : o->Voices)
        if (voice != nullptr) voice->stop();
    return o->Buffer->stop();
}

std::int32_t PlayOverlapped(int slot) {
    SoundObject* o = Playable(slot);
    if (o == nullptr) return platform::DSERR_INVALIDCALL;
    // A silent voice first; with none, the one started longest ago.
    int pick = -1, oldest = 0;
    for (int i = 0; i < kOverlapVoices && pick < 0; ++i) {
        std::uint32_t status = 0;
        if (o->Voices[i] == nullptr || o->Voices[i]->getStatus(&status) != platform::DS_OK ||
            (status & platform::DSBSTATUS_PLAYING) == 0)
            pick = i;
        else if (o->OverlappedPlays - o->VoiceStart[i] > o->OverlappedPlays - o->VoiceStart[oldest])
            oldest = i;
    }
    if (pick < 0) pick = oldest;
    o->VoiceStart[pick] = ++o->OverlappedPlays;
    platform::SoundBuffer*& voice = o->Voices[pick];
    if (voice == nullptr) {
        const std::int32_t made = Sound.Device->duplicateSoundBuffer(o->Buffer, &voice);
        if (made != platform::DS_OK) return made;
    }
    voice->stop();
    voice->setFrequency(o->Frequency);
    voice->setPan(o->Pan);
    voice->setVolume(o->Volume);
    voice->setCurrentPosition(0);
    LogStart(slot);
    return voice->play(0, 0, 0);
}

std::int32_t AddFrequency(int slot, int steps) {
    SoundObject* o = Playable(slot);
    return o == nullptr ? platform::DSERR_INVALIDCALL : PutFrequency(*o, o->Frequency + steps * kStep);
}

std::int32_t ResetFrequency(int slot) {
    SoundObject* o = Playable(slot);
    if (o == nullptr) return platform::DSERR_INVALIDCALL;
    o->Frequency = o->BaseFrequency;
    return o->Buffer->setFrequency(o->Frequency);
}

std::int32_t SetFrequency(int slot, int steps) {
    SoundObject* o = Playable(slot);
    return o == nullptr ? platform::DSERR_INVALIDCALL : PutFrequency(*o, o->BaseFrequency + steps * kStep);
}

std::int32_t AddPan(int slot, int steps) {
    SoundObject* o = Playable(slot);
    return o == nullptr ? platform::DSERR_INVALIDCALL : PutPan(*o, o->Pan + steps * kStep);
}

std::int32_t ResetPan(int slot) {
    SoundObject* o = Playable(slot);
    return o == nullptr ? platform::DSERR_INVALIDCALL : PutPan(*o, 0);
}

std::int32_t SetPan(int slot, int steps) {
    SoundObject* o = Playable(slot);
    return o == nullptr ? platform::DSERR_INVALIDCALL : PutPan(*o, steps * kStep);
}

std::int32_t PanLeft(int slot) {
    SoundObject* o = Playable(slot);
    return o == nullptr ? platform::DSERR_INVALIDCALL : PutPan(*o, platform::DSBPAN_LEFT);
}

std::int32_t PanRight(int slot) {
    SoundObject* o = Playable(slot);
    return o == nullptr ? platform::DSERR_INVALIDCALL : PutPan(*o, platform::DSBPAN_RIGHT);
}

std::int32_t AddVolume(int slot, int steps) {
    SoundObject* o = Playable(slot);
    return o == nullptr ? platform::DSERR_INVALIDCALL : PutVolume(*o, o->Volume + steps * kStep);
}

std::int32_t ResetVolume(int slot) {
    SoundObject* o = Playable(slot);
    return o == nullptr ? platform::DSERR_INVALIDCALL : PutVolume(*o, 0);
}

std::int32_t SetVolume(int slot, int steps) {
    SoundObject* o = Playable(slot);
    return o == nullptr ? platform::DSERR_INVALIDCALL : PutVolume(*o, steps * kStep);
}

void Beep() { platform::messageBeep(0xFFFFFFFFu); }

void PlayFile(const char* name) {
    Release();
    if (name != nullptr) platform::sndPlaySound(name, platform::SND_SYNC);
    Restore();
}

}  // namespace elSound
