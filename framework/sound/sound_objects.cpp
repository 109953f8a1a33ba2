// elSound: the sound device and the wave object table.
#include "framework/sound/sound_objects.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "app/app_state.h"
#include "framework/draw/display.h"
#include "framework/sound/midi_music.h"
#include "framework/sound/wave_file.h"
#include "framework/system/code_page.h"
#include "framework/system/system_utils.h"
#include "platform/audio_stream.h"
#include "platform/resources.h"

namespace elSound {

SoundState Sound;

namespace {

const elSystem::CodePageText kNoDevice("DirectSoundが使用できません");
const elSystem::CodePageText kTooMany("オブジェクト数が多すぎます");
const elSystem::CodePageText kNameTooLong("ファイル名またはリソース名が長すぎます");
const elSystem::CodePageText kNoWave("WAVEリソースが見つかりません");
const elSystem::CodePageText kNoBuffer("サウンドバッファが生成できません");

// The static buffer's flags: frequency, pan and volume controls.
constexpr std::uint32_t kSlotBufferFlags = platform::DSBCAPS_STATIC | platform::DSBCAPS_CTRLFREQUENCY |
                                           platform::DSBCAPS_CTRLPAN | platform::DSBCAPS_CTRLVOLUME;

// A canonical wave resource: the format record at 20, the sample count at 40, samples at 44.
constexpr std::size_t kResourceFormatAt = 20;
constexpr std::size_t kResourceCountAt = 40;
constexpr std::size_t kResourceSamplesAt = 44;

std::uint32_t Le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void ReleaseBuffer(SoundObject& o) {
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

// The executable's directory followed by the name, if both fit the path buffer.
bool BuildPath(const char* name, char (&path)[kSoundPathSize]) {
    int n = std::snprintf(path, sizeof path, "%s%s", elSystem::GetExeDir(), name);
    return n >= 0 && n < kSoundPathSize;
}

// True the first time a failure of `name` is seen: the caller reports it then, and only then.
bool FirstReport(const char* name) { return Sound.ReportedNames.insert(name).second; }

bool FileExists(const char* path) {
    struct stat st;
    return ::stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

// Why the device will not take a format record (8/16-bit PCM, one or two channels), for the
// line on standard error.
std::string FormatReason(const void* record) {
    const platform::WaveFormat f = platform::decodeWaveFormat(record, platform::kWaveFormatBytes);
    char text[96];
    if (f.formatTag != platform::WAVE_FORMAT_PCM)
        std::snprintf(text, sizeof text, "format tag %u is not PCM", static_cast<unsigned>(f.formatTag));
    else if (f.bitsPerSample != 8 && f.bitsPerSample != 16)
        std::snprintf(text, sizeof text, "%u bits per sample (8 or 16 are played)", static_cast<unsigned>(f.bitsPerSample));
    else if (f.channels != 1 && f.channels != 2)
        std::snprintf(text, sizeof text, "%u channels (1 or 2 are played)", static_cast<unsigned>(f.channels));
    else
        std::snprintf(text, sizeof text, "a format the sound device does not play");
    return text;
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

int LoadObject(const char* name) {
    if (name == nullptr) name = "";
    // Without a device there is nothing to load into; Init has said so already.
    if (Sound.Device == nullptr) return 0;
    int slot = 0;
    if (Sound.RestoreMode == 1) {
        slot = Sound.LoadingSlot;
        if (Slot(slot) == nullptr) return 0;
    } else {
        while (slot < kSoundSlots && Sound.Objects[slot].InUse != 0) ++slot;
        if (slot == kSoundSlots) return elDraw::ShowError("elSound::LoadObject", kTooMany);
        if (std::strlen(name) > kSoundNameSize - 1) return elDraw::ShowError("elSound::LoadObject", kNameTooLong);
    }
    SoundObject& o = Sound.Objects[slot];

    // A file of that name beside the executable comes first; a path that does not fit the
    // buffer is not tried.
    char path[kSoundPathSize];
    std::uint8_t* fileFormat = nullptr;
    std::uint8_t* fileSamples = nullptr;
    std::uint32_t count = 0;
    const void* format = nullptr;
    const std::uint8_t* samples = nullptr;
    const bool pathFits = BuildPath(name, path);
    const char* why = nullptr;
    if (pathFits && ReadWaveFile(path, &fileFormat, &fileSamples, &count, &why) == 0) {
        format = fileFormat;
        samples = fileSamples;
    } else {
        // A file that is there but cannot be read gives way to the resource; the game writer is
        // told why their sound did not change.
        const bool skipped = pathFits && FileExists(path);
        const platform::ResourceEntry* res = platform::findResource(name, "WAVE");
        // A resource too short for its header and its declared samples is no wave at all.
        if (res == nullptr || res->data == nullptr || res->size < kResourceSamplesAt ||
            Le32(res->data + kResourceCountAt) > res->size - kResourceSamplesAt) {
            if (!FirstReport(name)) return 0;
            if (skipped) std::fprintf(stderr, "elSound::LoadObject: %s: %s\n", path, why != nullptr ? why : "unreadable");
            return elDraw::ShowError("elSound::LoadObject", kNoWave);
        }
        if (skipped && FirstReport(name))
            std::fprintf(stderr, "elSound::LoadObject: %s: %s; the built-in sound is used\n", path,
                         why != nullptr ? why : "unreadable");
        count = Le32(res->data + kResourceCountAt);
        format = res->data + kResourceFormatAt;
        samples = res->data + kResourceSamplesAt;
    }

    platform::BufferDesc desc;
    desc.flags = kSlotBufferFlags;
    desc.bufferBytes = count;
    desc.format = format;
    platform::SoundBuffer* buffer = nullptr;
    if (Sound.Device->createSoundBuffer(desc, &buffer) != platform::DS_OK || buffer == nullptr) {
        const bool first = FirstReport(name);
        if (first && fileFormat != nullptr)
            std::fprintf(stderr, "elSound::LoadObject: %s: %s\n", path, FormatReason(fileFormat).c_str());
        FreeWaveBlock(fileFormat);
        FreeWaveBlock(fileSamples);
        return first ? elDraw::ShowError("elSound::LoadObject", kNoBuffer) : 0;
    }
    void* region1 = nullptr;
    void* region2 = nullptr;
    std::uint32_t bytes1 = 0, bytes2 = 0;
    if (buffer->lock(0, count, &region1, &bytes1, &region2, &bytes2, 0) == platform::DS_OK) {
        std::memcpy(region1, samples, bytes1);
        if (region2 != nullptr) std::memcpy(region2, samples + bytes1, bytes2);
        buffer->unlock(region1, bytes1, region2, bytes2);
    }
    o.Buffer = buffer;

    if (Sound.RestoreMode == 1) {
        buffer->setVolume(o.Volume);
        buffer->setFrequency(o.Frequency);
        buffer->setPan(o.Pan);
    } else {
        buffer->getFrequency(&o.Frequency);
        o.BaseFrequency = o.Frequency;
        o.Pan = 0;
        o.Volume = 0;
    }
    o.InUse = 1;
    FreeWaveBlock(fileFormat);
    FreeWaveBlock(fileSamples);
    if (Sound.RestoreMode != 1) {
        std::strncpy(o.Name, name, kSoundNameSize - 1);
        o.Name[kSoundNameSize - 1] = '\0';
    }
    return slot;
}

void Release() {
    ReleaseDevice();
    StopMidi();
}

void Restore() {
    Init();
    Sound.RestoreMode = 1;
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        if (Sound.Objects[slot].InUse != 1) continue;
        Sound.LoadingSlot = slot;
        // The stored name is copied first: the load must not read the record it writes.
        char name[kSoundNameSize];
        std::memcpy(name, Sound.Objects[slot].Name, kSoundNameSize);
        name[kSoundNameSize - 1] = '\0';
        LoadObject(name);
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
