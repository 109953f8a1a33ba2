// elSound's wave object table: slots, names, files before resources, malformed waves, and the
// device torn down and rebuilt.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/sound/sound_controls.h"
#include "framework/sound/sound_objects.h"
#include "framework/sound/wave_file.h"
#include "platform/headless/audio.h"
#include "platform/headless/headless.h"
#include "platform/files/resources.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"

using namespace elSound;
using namespace soundtest;
namespace hl = platform::headless;

namespace {

// The hit sound's shape: 8-bit mono 11025 Hz, 11024 sample bytes.
std::vector<std::uint8_t> HitWave() {
    WaveSpec s;
    s.samples = Square8(11024, 100);
    return WaveBytes(s);
}

struct SoundCase : ::testing::Test {
    std::vector<std::uint8_t> hit = HitWave();
    platform::ResourceEntry table[2] = {{"HIT", "WAVE", nullptr, 0}, {"SHORT", "WAVE", nullptr, 0}};
    std::vector<std::uint8_t> shortWave;

    void SetUp() override {
        StartFresh();
        table[0].data = hit.data();
        table[0].size = hit.size();
        // A canonical wave cut one byte short of its declared samples.
        shortWave = hit;
        shortWave.pop_back();
        table[1].data = shortWave.data();
        table[1].size = shortWave.size();
        platform::overrideResources(table, 2);
        ASSERT_EQ(Init(), 1);
        ClearObjects();
        hl::takeBoxes();
    }
    void TearDown() override {
        ResetProgramState();
        platform::overrideResources(nullptr, 0);
    }
    static std::string BoxTexts() {
        std::string all;
        for (const auto& b : hl::takeBoxes()) all += "[" + b.text + "]";
        return all;
    }
};

}  // namespace

TEST_F(SoundCase, SlotsAreTakenLowestFirstUpToThirty) {
    for (int i = 0; i < 5; ++i) EXPECT_EQ(LoadObject("HIT"), i) << "load " << i;
    EXPECT_NE(Sound.Objects[0].Buffer, Sound.Objects[1].Buffer) << "each load is its own copy";
    for (int i = 5; i < kSoundSlots; ++i) ASSERT_EQ(LoadObject("HIT"), i);
    EXPECT_EQ(BoxTexts(), "");

    EXPECT_EQ(LoadObject("HIT"), 0);
    EXPECT_EQ(BoxTexts(), "[elSound::LoadObject : オブジェクト数が多すぎます]");

    ReleaseObject(3);
    EXPECT_EQ(Sound.Objects[3].InUse, 0);
    EXPECT_EQ(Sound.Objects[3].Buffer, nullptr);
    EXPECT_STREQ(Sound.Objects[3].Name, "");
    EXPECT_EQ(LoadObject("HIT"), 3) << "a released slot is the next one taken";

    ReleaseObject(3);
    SoundObject before = Sound.Objects[3];
    ReleaseObject(3);
    EXPECT_EQ(std::memcmp(&before, &Sound.Objects[3], sizeof before), 0) << "a free slot is left alone";
}

TEST_F(SoundCase, FreshSlotControlsAndNamesUpToThirtyCharacters) {
    int slot = LoadObject("HIT");
    const SoundObject& o = Sound.Objects[slot];
    EXPECT_EQ(o.InUse, 1);
    EXPECT_EQ(o.Frequency, 11025u);
    EXPECT_EQ(o.BaseFrequency, 11025u);
    EXPECT_EQ(o.Pan, 0);
    EXPECT_EQ(o.Volume, 0);
    EXPECT_STREQ(o.Name, "HIT");

    std::string name30(30, 'n'), name31(31, 'n');
    platform::ResourceEntry named[] = {{name30.c_str(), "WAVE", hit.data(), hit.size()},
                                       {name31.c_str(), "WAVE", hit.data(), hit.size()}};
    platform::overrideResources(named, 2);
    int s30 = LoadObject(name30.c_str());
    EXPECT_EQ(s30, 1);
    EXPECT_EQ(std::string(Sound.Objects[s30].Name), name30) << "stored whole";
    EXPECT_EQ(LoadObject(name31.c_str()), 0);
    EXPECT_EQ(BoxTexts(), "[elSound::LoadObject : ファイル名またはリソース名が長すぎます]");
    EXPECT_EQ(Sound.Objects[2].InUse, 0) << "a refused name takes no slot";
}

TEST_F(SoundCase, FileBesideTheExecutableComesBeforeTheResource) {
    WaveSpec fast;
    fast.rate = 22050;
    fast.samples = Square8(2000, 50);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        std::uint32_t rate;   // 22050 from the file, 11025 from the resource
    };
    WaveSpec dataFirst = fast;
    dataFirst.dataFirst = true;
    WaveSpec shortFmt = fast;
    shortFmt.fmtSize = 14;
    WaveSpec notWave = fast;
    notWave.form = "AVI ";
    WaveSpec cut = fast;
    cut.declaredDataSize = 2001;
    WaveSpec huge = fast;
    huge.declaredDataSize = 0xFFFFFFF0;
    Case cases[] = {
        {"a valid file", WaveBytes(fast), 22050},
        {"data before fmt", WaveBytes(dataFirst), 22050},
        {"fmt shorter than 16 bytes", WaveBytes(shortFmt), 11025},
        {"not RIFF WAVE", WaveBytes(notWave), 11025},
        {"data cut one byte short", WaveBytes(cut), 11025},
        {"data declared as 4 GB", WaveBytes(huge), 11025},
        {"empty file", {}, 11025},
    };
    for (const Case& c : cases) {
        ExeFile file("HIT", c.file);
        int slot = LoadObject("HIT");
        EXPECT_EQ(Sound.Objects[slot].BaseFrequency, c.rate) << c.what;
        EXPECT_EQ(BoxTexts(), "") << c.what << ": a bad file falls back silently";
        ReleaseObject(slot);
    }
}

TEST_F(SoundCase, WavesThatCannotBeLoaded) {
    WaveSpec adpcm;
    adpcm.tag = 2;
    adpcm.bits = 4;
    adpcm.extra = {1, 2, 3, 4};
    adpcm.samples = Square8(100, 10);
    WaveSpec tooFast;
    tooFast.rate = 100001;
    tooFast.samples = Square8(100, 10);
    WaveSpec empty;
    struct Case {
        const char* what;
        const char* name;
        std::vector<std::uint8_t> file;   // none when empty
        const char* box;
    } cases[] = {
        {"no file and no resource", "NOPE", {}, "[elSound::LoadObject : WAVEリソースが見つかりません]"},
        {"a resource shorter than its samples", "SHORT", {}, "[elSound::LoadObject : WAVEリソースが見つかりません]"},
        {"a non-PCM format", "ADPCM.WAV", WaveBytes(adpcm), "[elSound::LoadObject : サウンドバッファが生成できません]"},
        {"a rate above 100000", "FAST.WAV", WaveBytes(tooFast), "[elSound::LoadObject : サウンドバッファが生成できません]"},
        {"no samples", "EMPTY.WAV", WaveBytes(empty), "[elSound::LoadObject : サウンドバッファが生成できません]"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<ExeFile> file;
        if (!c.file.empty()) file = std::make_unique<ExeFile>(c.name, c.file);
        EXPECT_EQ(LoadObject(c.name), 0) << c.what;
        EXPECT_EQ(BoxTexts(), c.box) << c.what;
        EXPECT_EQ(Sound.Objects[0].InUse, 0) << c.what << ": a failed load leaves the slot free";
    }
}

TEST_F(SoundCase, TryLoadObjectTellsSlotZeroFromAFailure) {
    LoadResult first = TryLoadObject("HIT");
    EXPECT_TRUE(first.ok());
    EXPECT_EQ(first.slot, 0);
    LoadResult missing = TryLoadObject("NOPE");
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.error, LoadError::NoWave);
    EXPECT_EQ(TryLoadObject("0123456789012345678901234567890").error, LoadError::NameTooLong);
    EXPECT_EQ(BoxTexts(), "") << "the outcome is the caller's to report";
    for (int i = 1; i < kSoundSlots; ++i) ASSERT_TRUE(TryLoadObject("HIT").ok());
    EXPECT_EQ(TryLoadObject("HIT").error, LoadError::TooManyObjects);
    Release();
    EXPECT_EQ(TryLoadObject("HIT").error, LoadError::NoDevice);
}

TEST_F(SoundCase, ARestoreThatCannotReloadASlotSaysSoAndKeepsIt) {
    WaveSpec w;
    w.samples = Square8(100, 10);
    auto file = std::make_unique<ExeFile>("GONE.WAV", WaveBytes(w));
    ASSERT_EQ(LoadObject("GONE.WAV"), 0);
    ASSERT_EQ(LoadObject("HIT"), 1);
    SetVolume(0, -3);
    file.reset();
    Release();
    Restore();
    EXPECT_EQ(BoxTexts(), "[elSound::LoadObject : WAVEリソースが見つかりません]");
    EXPECT_EQ(Sound.Objects[0].InUse, 1);
    EXPECT_EQ(Sound.Objects[0].Buffer, nullptr);
    EXPECT_STREQ(Sound.Objects[0].Name, "GONE.WAV");
    EXPECT_EQ(Sound.Objects[0].Volume, -300);
    EXPECT_NE(Sound.Objects[1].Buffer, nullptr) << "the other slots are reloaded all the same";
}

TEST_F(SoundCase, NonPcmRecordCarriesItsExtraBytes) {
    WaveSpec adpcm;
    adpcm.tag = 2;
    adpcm.bits = 4;
    adpcm.extra = {9, 8, 7};
    adpcm.samples = {1, 2, 3, 4};
    ExeFile file("ADPCM.WAV", WaveBytes(adpcm));
    std::uint8_t* format = nullptr;
    std::uint8_t* samples = nullptr;
    std::uint32_t count = 0;
    ASSERT_EQ(ReadWaveFile(file.path().c_str(), &format, &samples, &count), 0);
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(format[16], 3) << "extra byte count";
    EXPECT_EQ(format[18], 9);
    EXPECT_EQ(format[20], 7);
    FreeWaveBlock(format);
    FreeWaveBlock(samples);

    // A file that fails leaves nothing behind.
    EXPECT_EQ(ReadWaveFile("/nonexistent/x.wav", &format, &samples, &count), 1);
    EXPECT_EQ(format, nullptr);
    EXPECT_EQ(samples, nullptr);
    EXPECT_EQ(count, 0u);
}

TEST_F(SoundCase, ReleaseAndRestoreKeepEverySlot) {
    for (int i = 0; i < 3; ++i) LoadObject("HIT");
    ReleaseObject(1);
    SetVolume(0, -6);
    SetFrequency(0, 10);
    SetPan(0, -20);
    SetPan(2, 30);
    Release();
    EXPECT_EQ(Sound.Device, nullptr);
    EXPECT_EQ(Sound.Objects[0].Buffer, nullptr);
    EXPECT_EQ(Sound.Objects[0].InUse, 1) << "slots stay in use without a buffer";
    Release();   // the shutdown may run twice
    EXPECT_EQ(Play(0), platform::DSERR_INVALIDCALL) << "no buffer: nothing to play";
    EXPECT_EQ(SetVolume(0, -1), platform::DSERR_INVALIDCALL);
    EXPECT_EQ(Sound.Objects[0].Volume, -600) << "a slot without a buffer is not touched";

    Restore();
    EXPECT_EQ(BoxTexts(), "");
    const SoundObject& a = Sound.Objects[0];
    EXPECT_NE(a.Buffer, nullptr);
    EXPECT_STREQ(a.Name, "HIT");
    EXPECT_EQ(a.Volume, -600);
    EXPECT_EQ(a.Frequency, 12025u);
    EXPECT_EQ(a.BaseFrequency, 11025u);
    EXPECT_EQ(a.Pan, -2000);
    EXPECT_EQ(Sound.Objects[1].InUse, 0);
    EXPECT_EQ(Sound.Objects[1].Buffer, nullptr) << "a free slot is not reloaded";
    EXPECT_EQ(Sound.Objects[2].Pan, 3000);
    std::uint32_t hz = 0;
    a.Buffer->getFrequency(&hz);
    EXPECT_EQ(hz, 12025u) << "the stored frequency is sent to the new buffer";
}

TEST_F(SoundCase, NoDeviceMeansSilenceNotACrash) {
    LoadObject("HIT");
    Release();
    hl::setAudioDevicePresent(false);
    Restore();
    EXPECT_EQ(BoxTexts(), "[elSound::Init : DirectSoundが使用できません]");
    EXPECT_EQ(Sound.Objects[0].InUse, 1);
    EXPECT_EQ(Sound.Objects[0].Buffer, nullptr);
    PlayFile("/nonexistent.wav");
    EXPECT_EQ(BoxTexts(), "[elSound::Init : DirectSoundが使用できません]") << "the restore after it";
    struct Op {
        const char* what;
        std::int32_t result;
    } ops[] = {
        {"Play", Play(0)}, {"PlayLoop", PlayLoop(0)}, {"Stop", Stop(0)}, {"AddFrequency", AddFrequency(0, 1)},
        {"SetPan", SetPan(0, 1)}, {"AddVolume", AddVolume(0, -1)},
    };
    for (const Op& op : ops) EXPECT_NE(op.result, 0) << op.what << " acts on nothing";
    EXPECT_EQ(LoadObject("HIT"), 0);
    EXPECT_EQ(BoxTexts(), "") << "loading without a device says nothing more";
    EXPECT_EQ(Sound.Objects[1].InUse, 0);

    hl::setAudioDevicePresent(true);
    Restore();
    EXPECT_NE(Sound.Objects[0].Buffer, nullptr) << "a later restore brings the slot back";
}

TEST_F(SoundCase, SlotNumbersOutsideTheTableAreIgnored) {
    LoadObject("HIT");
    for (int slot : {-1, 30, 1000, -2147483647 - 1}) {
        EXPECT_EQ(Play(slot), platform::DSERR_INVALIDCALL) << slot;
        EXPECT_EQ(PlayLoop(slot), platform::DSERR_INVALIDCALL) << slot;
        EXPECT_EQ(Stop(slot), platform::DSERR_INVALIDCALL) << slot;
        EXPECT_EQ(SetFrequency(slot, 3), platform::DSERR_INVALIDCALL) << slot;
        EXPECT_EQ(ResetPan(slot), platform::DSERR_INVALIDCALL) << slot;
        EXPECT_EQ(SetVolume(slot, -3), platform::DSERR_INVALIDCALL) << slot;
        ReleaseObject(slot);
    }
    EXPECT_EQ(Sound.Objects[0].InUse, 1);
    EXPECT_EQ(Play(5), platform::DSERR_INVALIDCALL) << "a slot without a buffer";
}
