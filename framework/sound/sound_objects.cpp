// elSound: the sound device and the wave object table.
#include "framework/sound/sound_objects.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "framework/core/app_state.h"
#include "framework/core/code_page.h"
#include "framework/core/texts.h"
#include "framework/core/error_box.h"
#include "framework/core/program_state.h"
#include "framework/sound/midi_music.h"
#include "framework/sound/wave_file.h"
#include "framework/system/shutdown.h"
#include "framework/system/system_utils.h"
#include "platform/files/bytes.h"
#include "platform/files/os.h"
#include "platform/sound/audio_stream.h"
#include "platform/sound/wave.h"
#include "platform/files/resources.h"

namespace elSound {

SoundState Sound;
const ProgramStateRegistration kSoundReset{ResetStage::Sound, [] { Sound.reset(); }};
const elSystem::ShutdownRegistration kSoundRelease{elSystem::ShutdownStep::Sound, Release};

namespace {

const quorbix::LocalText kNoDevice("DirectSoundが使用できません", "DirectSound cannot be used");
const quorbix::LocalText kTooMany("オブジェクト数が多すぎます", "There are too many objects");
const quorbix::LocalText kNameTooLong("ファイル名またはリソース名が長すぎます", "The file or resource name is too long");
const quorbix::LocalText kNoWave("WAVEリソースが見つかりません", "The WAVE resource is not found");
const quorbix::LocalText kNoBuffer("サウンドバッファが生成できません", "The sound buffer cannot be made");

// The static buffer's flags: frequency, pan and volume controls.
constexpr std::uint32_t kSlotBufferFlags = platform::DSBCAPS_STATIC | platform::DSBCAPS_CTRLFREQUENCY |
                                           platform::DSBCAPS_CTRLPAN | platform::DSBCAPS_CTRLVOLUME;

// A canonical wave resource: the format record at 20, the sample count at 40, samples at 44.
constexpr std::size_t kResourceFormatAt = 20;
constexpr std::size_t kResourceCountAt = 40;
constexpr std::size_t kResourceSamplesAt = 44;

void ReleaseBuffer(SoundObject& o) {
    for (platform::SoundBuffer*& voice : o.Voices) {
        if (voice != nullptr) voice->release();
        voice = nullptr;
    }
    if (o.Buffer == nullptr) return;
    o.Buffer->stop();
    o.Buffer->release();
    o.Buffer = nullptr;
}

// Releases the buffers, the primary buffer and the device; slots keep everything else.
void ReleaseDevice() {
    for (SoundObject& o : Sound.Objects) ReleaseBuffer(o);
    if (Sound.Primary != nullptr) Sound.Primary->release();
    if (Sound.Device != nullptr) Sound.Device->release();
    Sound.Primary = nullptr;
    Sound.Device = nullptr;
}

// The asset folder (the executable's directory unless the program set one) followed by the name, if both fit the path buffer.
bool BuildPath(const char* name, char (&path)[kSoundPathSize]) {
    int n = std::snprintf(path, sizeof path, "%s%s", elSystem::GetAssetDir(), name);
    return n >= 0 && n < kSoundPathSize;
}

// True the first time a failure of `name` is seen: the caller reports it then, and only then.
bool FirstReport(const char* name) { return Sound.ReportedNames.insert(name).second; }

bool FileExists(const char* path) {
    return platform::os::kindOf(path) == platform::os::Kind::regular;
}

// The blocks ReadWaveFile hands out, freed when they go out of scope.
struct WaveBlockFree {
    void operator()(std::uint8_t* block) const { FreeWaveBlock(block); }
};
using WaveBlock = std::unique_ptr<std::uint8_t, WaveBlockFree>;

// A wave's format record and samples: read from a file (the blocks own them) or lying in a
// resource (owned by the resource table).
struct Wave {
    WaveBlock fileFormat;
    WaveBlock fileSamples;
    const void* format = nullptr;
    const std::uint8_t* samples = nullptr;
    std::uint32_t count = 0;
};

// A file of that name in the asset folder comes first (a path that does not fit the buffer
// is not tried), then a WAVE resource. Nothing when neither is there; `note` then says why the
// file was not used, for standard error. A file that is there but cannot be read gives way to
// the resource, and the game writer is told once why their sound did not change.
std::optional<Wave> FindWave(const char* name, std::string& note) {
    Wave wave;
    char path[kSoundPathSize];
    std::uint8_t* format = nullptr;
    std::uint8_t* samples = nullptr;
    const bool pathFits = BuildPath(name, path);
    const char* why = nullptr;
    if (pathFits && ReadWaveFile(path, &format, &samples, &wave.count, &why) == 0) {
        wave.fileFormat.reset(format);
        wave.fileSamples.reset(samples);
        wave.format = format;
        wave.samples = samples;
        return wave;
    }
    const bool skipped = pathFits && FileExists(path);
    const std::string reason = std::string(path) + ": " + (why != nullptr ? why : "unreadable");
    const platform::ResourceEntry* res = platform::findResource(name, "WAVE");
    // A resource too short for its header and its declared samples is no wave at all.
    if (res == nullptr || res->data == nullptr || res->size < kResourceSamplesAt ||
        platform::readLe32(res->data + kResourceCountAt) > res->size - kResourceSamplesAt) {
        if (skipped) note = reason;
        return std::nullopt;
    }
    if (skipped && FirstReport(name))
        std::fprintf(stderr, "elSound::LoadObject: %s; the built-in sound is used\n", reason.c_str());
    wave.count = platform::readLe32(res->data + kResourceCountAt);
    wave.format = res->data + kResourceFormatAt;
    wave.samples = res->data + kResourceSamplesAt;
    return wave;
}

// Copies the samples into the buffer; a buffer that cannot be locked keeps its silence.
void FillBuffer(platform::SoundBuffer& buffer, const Wave& wave) {
    void* region1 = nullptr;
    void* region2 = nullptr;
    std::uint32_t bytes1 = 0, bytes2 = 0;
    if (buffer.lock(0, wave.count, &region1, &bytes1, &region2, &bytes2, 0) != platform::DS_OK) return;
    std::memcpy(region1, wave.samples, bytes1);
    if (region2 != nullptr) std::memcpy(region2, wave.samples + bytes1, bytes2);
    buffer.unlock(region1, bytes1, region2, bytes2);
}

// A new static buffer holding the named wave, or (without one) why there is none.
struct NewBuffer {
    platform::SoundBuffer* buffer = nullptr;
    LoadError error = LoadError::NoWave;
    std::string note;   // why a file beside the program was not used, for standard error
};

NewBuffer LoadBuffer(const char* name) {
    std::string note;
    const std::optional<Wave> wave = FindWave(name, note);
    if (!wave) return {nullptr, LoadError::NoWave, note};
    platform::BufferDesc desc;
    desc.flags = kSlotBufferFlags;
    desc.bufferBytes = wave->count;
    desc.format = wave->format;
    platform::SoundBuffer* buffer = nullptr;
    if (Sound.Device->createSoundBuffer(desc, &buffer) != platform::DS_OK || buffer == nullptr) {
        if (buffer != nullptr) buffer->release();
        char path[kSoundPathSize];
        if (wave->fileFormat != nullptr && BuildPath(name, path))
            note = std::string(path) + ": " +
                   platform::mixerRefusal(platform::decodeWaveFormat(wave->fileFormat.get(), platform::kWaveFormatBytes));
        return {nullptr, LoadError::NoBuffer, note};
    }
    FillBuffer(*buffer, *wave);
    return {buffer, LoadError::NoWave, {}};
}

// The lowest free slot, or -1 when all are taken.
int FreeSlot() {
    for (int slot = 0; slot < kSoundSlots; ++slot)
        if (Sound.Objects[slot].InUse == 0) return slot;
    return -1;
}

// Shows the box for a failed load (none without a device: Init has shown one) and gives the
// classic failure result, 0. A wave that cannot be had is reported once per name, however many
// copies of it the program loads, with its note on standard error.
int Report(LoadError error, const char* name, const std::string& note) {
    if (error == LoadError::NoWave || error == LoadError::NoBuffer) {
        if (!FirstReport(name)) return 0;
        if (!note.empty()) std::fprintf(stderr, "elSound::LoadObject: %s\n", note.c_str());
    }
    switch (error) {
        case LoadError::NoDevice: return 0;
        case LoadError::TooManyObjects: return elDraw::ShowError("elSound::LoadObject", kTooMany);
        case LoadError::NameTooLong: return elDraw::ShowError("elSound::LoadObject", kNameTooLong);
        case LoadError::NoWave: return elDraw::ShowError("elSound::LoadObject", kNoWave);
        case LoadError::NoBuffer: return elDraw::ShowError("elSound::LoadObject", kNoBuffer);
    }
    return 0;
}

// Called by Restore on a new device: a new buffer for a slot in use, from its stored name, with
// the slot's own volume, frequency and pan. A slot that cannot be reloaded keeps its name and
// controls, without a buffer.
void ReloadSlot(SoundObject& o) {
    char name[kSoundNameSize];
    std::memcpy(name, o.Name, kSoundNameSize);
    name[kSoundNameSize - 1] = '\0';
    NewBuffer made = LoadBuffer(name);
    if (made.buffer == nullptr) {
        Report(made.error, name, made.note);
        return;
    }
    o.Buffer = made.buffer;
    o.Buffer->setVolume(o.Volume);
    o.Buffer->setFrequency(o.Frequency);
    o.Buffer->setPan(o.Pan);
}

}  // namespace

void SoundState::reset() {
    ReleaseDevice();
    *this = SoundState{};
}

SoundObject* Slot(int slot) { return slot >= 0 && slot < kSoundSlots ? &Sound.Objects[slot] : nullptr; }

int Init() {
    // A second Init would otherwise leave the old device and its buffers sounding, out of reach.
    ReleaseDevice();
    platform::SoundDevice* device = nullptr;
    if (platform::directSoundCreate(&device) != platform::DS_OK || device == nullptr)
        return elDraw::ShowError("elSound::Init", kNoDevice);
    Sound.Device = device;
    device->setCooperativeLevel(Shell.MainWindow, platform::DSSCL_NORMAL);
    platform::BufferDesc primary;
    primary.flags = platform::DSBCAPS_PRIMARYBUFFER;
    device->createSoundBuffer(primary, &Sound.Primary);
    for (SoundObject& o : Sound.Objects) o.Buffer = nullptr;
    Sound.RestoreMode = 0;
    return 1;
}

void ClearObjects() {
    for (SoundObject& o : Sound.Objects) {
        ReleaseBuffer(o);
        o = SoundObject{};
    }
}

namespace {

// TryLoadObject, with the note on a wave file that could not be used.
LoadResult LoadNamed(const char* name, std::string& note) {
    // Without a device there is nothing to load into; Init has said so already.
    if (Sound.Device == nullptr) return LoadResult::Failed(LoadError::NoDevice);
    const int slot = FreeSlot();
    if (slot < 0) return LoadResult::Failed(LoadError::TooManyObjects);
    if (std::strlen(name) > kSoundNameSize - 1) return LoadResult::Failed(LoadError::NameTooLong);
    NewBuffer made = LoadBuffer(name);
    if (made.buffer == nullptr) {
        note = made.note;
        return LoadResult::Failed(made.error);
    }

    SoundObject& o = Sound.Objects[slot];
    o.Buffer = made.buffer;
    o.Buffer->getFrequency(&o.Frequency);
    o.BaseFrequency = o.Frequency;
    o.Pan = 0;
    o.Volume = 0;
    o.InUse = 1;
    std::strncpy(o.Name, name, kSoundNameSize - 1);
    o.Name[kSoundNameSize - 1] = '\0';
    return LoadResult{slot, {}};
}

}  // namespace

LoadResult TryLoadObject(const char* name) {
    std::string note;
    return LoadNamed(name != nullptr ? name : "", note);
}

int LoadObject(const char* name) {
    if (name == nullptr) name = "";
    std::string note;
    const LoadResult loaded = LoadNamed(name, note);
    return loaded.ok() ? loaded.slot : Report(loaded.error, name, note);
}

void Release() {
    ReleaseDevice();
    StopMidi();
}

void Restore() {
    Init();
    // Without a device the slots stay as they are, to be reloaded by a later Restore.
    if (Sound.Device == nullptr) return;
    Sound.RestoreMode = 1;
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        if (Sound.Objects[slot].InUse != 1) continue;
        Sound.LoadingSlot = slot;
        ReloadSlot(Sound.Objects[slot]);
    }
    Sound.RestoreMode = 0;
}

void ReleaseObject(int slot) {
    SoundObject* o = Slot(slot);
    if (o == nullptr || o->InUse == 0) return;
    o->InUse = 0;
    o->Volume = 0;
    o->Frequency = 0;
    o->BaseFrequency = 0;
    o->Pan = 0;
    o->Name[0] = '\0';
    ReleaseBuffer(*o);
}

int TakeStartedSlots(int* out, int max) {
    int n = 0;
    for (; n < Sound.StartLogCount && n < max && out != nullptr; ++n) out[n] = Sound.StartLog[n];
    Sound.StartLogCount = 0;
    return n;
}

}  // namespace elSound
