// Platform: the sound device and its static buffers, over the shared mixer and output stream.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/sound/audio_stream.h"
#include "platform/sound/mixer.h"
#include "platform/sound/sound.h"

namespace platform {
namespace {

// What a device's buffers share: its mixer, alive as long as the device or any buffer is.
struct DeviceCore {
    Mixer mixer;
    bool open = false;   // registered with the stream
};

class StaticBuffer final : public SoundBuffer {
public:
    StaticBuffer(std::shared_ptr<DeviceCore> core, const WaveFormat& format, std::vector<std::uint8_t> raw)
        : core_(std::move(core)), format_(format), raw_(std::move(raw)) {
        voice_.frequency = format.samplesPerSec;
        voice_.load(format_, raw_.data(), static_cast<std::uint32_t>(raw_.size()));
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        core_->mixer.add(&voice_);
    }

    SoundResult lock(std::uint32_t offset, std::uint32_t bytes, void** region1, std::uint32_t* bytes1,
                     void** region2, std::uint32_t* bytes2, std::uint32_t flags) override {
        const std::uint32_t size = static_cast<std::uint32_t>(raw_.size());
        if (region1 == nullptr || bytes1 == nullptr || locked_) return DSERR_INVALIDPARAM;
        if (flags & DSBLOCK_ENTIREBUFFER) {
            offset = 0;
            bytes = size;
        }
        if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
        std::uint32_t first = std::min(bytes, size - offset);
        if (first < bytes && (region2 == nullptr || bytes2 == nullptr)) return DSERR_INVALIDPARAM;
        // Writers fill a copy that unlock hands to the mixer, so the audio thread never reads
        // bytes that are being written.
        staging_ = raw_;
        locked_ = true;
        *region1 = staging_.data() + offset;
        *bytes1 = first;
        if (region2 != nullptr) *region2 = first < bytes ? staging_.data() : nullptr;
        if (bytes2 != nullptr) *bytes2 = bytes - first;
        return DS_OK;
    }

    SoundResult unlock(void* region1, std::uint32_t, void*, std::uint32_t) override {
        if (!locked_ || region1 == nullptr) return DSERR_INVALIDPARAM;
        auto* p = static_cast<std::uint8_t*>(region1);
        if (p < staging_.data() || p >= staging_.data() + staging_.size()) return DSERR_INVALIDPARAM;
        // The samples are converted outside the lock the audio thread takes; under it they are
        // only exchanged, and the old ones are freed after it.
        Voice fresh;
        fresh.looping = voice_.looping;   // written on this thread only
        fresh.load(format_, staging_.data(), static_cast<std::uint32_t>(staging_.size()));
        {
            std::lock_guard<audio::StreamLock> guard(audio::lock());
            voice_.samples.swap(fresh.samples);
            voice_.channels = fresh.channels;
            voice_.blockAlign = fresh.blockAlign;
            voice_.frames = fresh.frames;
        }
        raw_.swap(staging_);
        staging_.clear();
        staging_.shrink_to_fit();
        locked_ = false;
        return DS_OK;
    }

    SoundResult play(std::uint32_t, std::uint32_t, std::uint32_t flags) override {
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        voice_.setLooping((flags & DSBPLAY_LOOPING) != 0);
        voice_.playing = true;
        return DS_OK;
    }

    SoundResult stop() override {
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        voice_.playing = false;
        return DS_OK;
    }

    SoundResult getFrequency(std::uint32_t* frequency) override {
        if (frequency == nullptr) return DSERR_INVALIDPARAM;
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        *frequency = voice_.frequency;
        return DS_OK;
    }

    SoundResult setFrequency(std::uint32_t frequency) override {
        if (frequency == DSBFREQUENCY_ORIGINAL) frequency = format_.samplesPerSec;
        if (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX) return DSERR_INVALIDPARAM;
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        voice_.frequency = frequency;
        return DS_OK;
    }

    SoundResult setPan(std::int32_t pan) override {
        if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        voice_.pan = pan;
        voice_.updateGains();
        return DS_OK;
    }

    SoundResult setVolume(std::int32_t volume) override {
        if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        voice_.volume = volume;
        voice_.updateGains();
        return DS_OK;
    }

    SoundResult getStatus(std::uint32_t* status) override {
        if (status == nullptr) return DSERR_INVALIDPARAM;
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        *status = (voice_.playing ? DSBSTATUS_PLAYING : 0) |
                  (voice_.playing && voice_.looping ? DSBSTATUS_LOOPING : 0);
        return DS_OK;
    }

    SoundResult getCurrentPosition(std::uint32_t* playPosition) override {
        if (playPosition == nullptr) return DSERR_INVALIDPARAM;
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        *playPosition = static_cast<std::uint32_t>(voice_.position >> 32) * voice_.blockAlign;
        return DS_OK;
    }

    SoundResult setCurrentPosition(std::uint32_t playPosition) override {
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        const std::uint32_t frame = playPosition / voice_.blockAlign;
        if (frame >= voice_.frames && playPosition != 0) return DSERR_INVALIDPARAM;
        voice_.position = static_cast<std::uint64_t>(frame) << 32;
        return DS_OK;
    }

    void release() override {
        {
            std::lock_guard<audio::StreamLock> guard(audio::lock());
            voice_.playing = false;
            core_->mixer.remove(&voice_);
        }
        delete this;
    }

    // A stopped buffer of the same device with this one's samples and controls.
    StaticBuffer* duplicate(const std::shared_ptr<DeviceCore>& core) {
        if (core != core_ || locked_) return nullptr;
        auto* copy = new StaticBuffer(core_, format_, raw_);
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        copy->voice_.frequency = voice_.frequency;
        copy->voice_.volume = voice_.volume;
        copy->voice_.pan = voice_.pan;
        copy->voice_.updateGains();
        return copy;
    }

private:
    ~StaticBuffer() override = default;

    std::shared_ptr<DeviceCore> core_;
    WaveFormat format_;
    std::vector<std::uint8_t> raw_;
    std::vector<std::uint8_t> staging_;
    bool locked_ = false;
    Voice voice_;
};

// The primary buffer stands for the output itself; the framework only creates and releases it.
class PrimaryBuffer final : public SoundBuffer {
public:
    SoundResult lock(std::uint32_t, std::uint32_t, void**, std::uint32_t*, void**, std::uint32_t*,
                     std::uint32_t) override { return DSERR_INVALIDCALL; }
    SoundResult unlock(void*, std::uint32_t, void*, std::uint32_t) override { return DSERR_INVALIDCALL; }
    SoundResult play(std::uint32_t, std::uint32_t, std::uint32_t) override { return DS_OK; }
    SoundResult stop() override { return DS_OK; }
    SoundResult getFrequency(std::uint32_t* f) override {
        if (f != nullptr) *f = static_cast<std::uint32_t>(audio::kRate);
        return DS_OK;
    }
    SoundResult setFrequency(std::uint32_t) override { return DSERR_INVALIDCALL; }
    SoundResult setPan(std::int32_t) override { return DS_OK; }
    SoundResult setVolume(std::int32_t) override { return DS_OK; }
    SoundResult getStatus(std::uint32_t* s) override {
        if (s != nullptr) *s = 0;
        return DS_OK;
    }
    SoundResult getCurrentPosition(std::uint32_t* p) override {
        if (p != nullptr) *p = 0;
        return DS_OK;
    }
    SoundResult setCurrentPosition(std::uint32_t) override { return DSERR_INVALIDCALL; }
    void release() override { delete this; }

private:
    ~PrimaryBuffer() override = default;
};

class MixerDevice final : public SoundDevice {
public:
    MixerDevice() : core_(std::make_shared<DeviceCore>()) {}

    bool open() {
        if (!audio::acquireStream()) return false;
        std::lock_guard<audio::StreamLock> guard(audio::lock());
        audio::addSource(Mixer::renderSource, &core_->mixer);
        core_->open = true;
        return true;
    }

    SoundResult setCooperativeLevel(WindowId, std::uint32_t) override { return DS_OK; }

    SoundResult createSoundBuffer(const BufferDesc& desc, SoundBuffer** buffer) override {
        if (buffer == nullptr) return DSERR_INVALIDPARAM;
        *buffer = nullptr;
        if (desc.size != 20 && desc.size != 36) return DSERR_INVALIDPARAM;
        if (desc.flags & DSBCAPS_PRIMARYBUFFER) {
            if (desc.bufferBytes != 0 || desc.format != nullptr) return DSERR_INVALIDPARAM;
            *buffer = new PrimaryBuffer;
            return DS_OK;
        }
        if (desc.format == nullptr) return DSERR_INVALIDPARAM;
        WaveFormat format = decodeWaveFormat(desc.format, kWaveFormatBytes);
        if (!mixerPlays(format)) return DSERR_BADFORMAT;
        if (desc.bufferBytes < format.blockAlign || desc.bufferBytes > DSBSIZE_MAX) return DSERR_INVALIDPARAM;
        try {
            std::vector<std::uint8_t> raw(desc.bufferBytes, format.bitsPerSample == 8 ? 0x80 : 0x00);
            *buffer = new StaticBuffer(core_, format, std::move(raw));
        } catch (const std::bad_alloc&) {
            return DSERR_OUTOFMEMORY;
        }
        return DS_OK;
    }

    SoundResult duplicateSoundBuffer(SoundBuffer* original, SoundBuffer** duplicate) override {
        if (duplicate == nullptr) return DSERR_INVALIDPARAM;
        *duplicate = nullptr;
        auto* source = dynamic_cast<StaticBuffer*>(original);
        if (source == nullptr) return DSERR_INVALIDPARAM;
        try {
            *duplicate = source->duplicate(core_);
        } catch (const std::bad_alloc&) {
            return DSERR_OUTOFMEMORY;
        }
        return *duplicate != nullptr ? DS_OK : DSERR_INVALIDPARAM;
    }

    void release() override {
        if (core_->open) {
            {
                std::lock_guard<audio::StreamLock> guard(audio::lock());
                audio::removeSource(Mixer::renderSource, &core_->mixer);
                core_->open = false;
            }
            audio::releaseStream();
        }
        delete this;
    }

private:
    ~MixerDevice() override = default;
    std::shared_ptr<DeviceCore> core_;
};

}  // namespace

SoundResult directSoundCreate(SoundDevice** device) {
    if (device == nullptr) return DSERR_INVALIDPARAM;
    *device = nullptr;
    auto* d = new MixerDevice;
    if (!d->open()) {
        d->release();
        return DSERR_NODRIVER;
    }
    *device = d;
    return DS_OK;
}

}  // namespace platform
