// What a program chooses in its setup: its frame period, a scene table of any size, its asset
// folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/bmp_builder.h"
#include "framework/draw/debug_text.h"
#include "framework/draw/object_table.h"
#include "framework/sound/sound_objects.h"
#include "framework/system/system_utils.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"

namespace hl = platform::headless;
namespace fs = std::filesystem;

namespace {

// ---------------------------------------------------------------- frame period

void FpsScene() {
    elDraw::FillBlack();
    elDraw::ShowFps();
    elDraw::Flip();
}

unsigned requestedPeriod = 0;
void UsePeriodProgram() {
    ProgramSetup setup;
    setup.Init = TestProgramInit;
    setup.Scenes[2] = FpsScene;
    setup.FramePeriodMs = requestedPeriod;
    UseProgram(setup);
}

// Frames that ran with their tick in [from, from + 1000).
int FramesInSecond(const std::vector<std::string>& trace, long long from) {
    int n = 0;
    for (const std::string& line : trace) {
        const long long tick = Field(line, "tick");
        if (Field(line, "ran") == 1 && tick >= from && tick < from + 1000) ++n;
    }
    return n;
}

// ---------------------------------------------------------------- scene table

constexpr int kLastScene = 12;
std::vector<int> scenesRun;
template <int N>
void NumberedScene() {
    scenesRun.push_back(N);
    if (N == 1) Shell.SceneId = kLastScene;
    if (N == kLastScene) Shell.SceneId = kLastScene + 1;   // past the table: runs nothing
}
void UseTwelveScenes() {
    ProgramSetup setup;
    setup.Init = [] { Shell.SceneId = 1; };
    setup.SceneTable = {nullptr,           NumberedScene<1>, NumberedScene<2>, NumberedScene<3>,
                        NumberedScene<4>,  NumberedScene<5>, NumberedScene<6>, NumberedScene<7>,
                        NumberedScene<8>,  NumberedScene<9>, NumberedScene<10>, NumberedScene<11>,
                        NumberedScene<kLastScene>};
    setup.Scenes[2] = TestProgramScene;   // not used: the table takes its place
    UseProgram(setup);
}

// ---------------------------------------------------------------- asset folder

std::string assetDir;
int pictureLoaded = -1;
void PictureInit() {
    elDraw::Screen(480, 360);
    pictureLoaded = elDraw::LoadObject("PIC.bmp");
    Shell.SceneId = 1;
}
void PictureScene() {
    elDraw::FillBlack();
    if (pictureLoaded > 0) elDraw::PutObjectOpaque(0, 0, pictureLoaded, 0, 0, 2, 1);
    elDraw::Flip();
}
void UsePictureProgram() {
    ProgramSetup setup;
    setup.Init = PictureInit;
    setup.Scenes[1] = PictureScene;
    setup.AssetDir = assetDir.c_str();
    UseProgram(setup);
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

TEST(ProgramSetup, AThirtyMillisecondPeriodRunsThirtyThreeFramesASecond) {
    requestedPeriod = 30;
    auto t = RunScript("", 200, 0, 0, 0, UsePeriodProgram);
    ASSERT_EQ(t.size(), 200u);
    EXPECT_EQ(Field(t[1], "tick") - Field(t[0], "tick"), 30);
    for (long long second : {1000, 2000, 4000}) {
        const int n = FramesInSecond(t, second);
        EXPECT_TRUE(n == 33 || n == 34) << n << " frames from tick " << second;
    }
    // The display measures over two-second windows: 67 frames in 2010 ms read 33.3.
    EXPECT_NE(t.back().find("\"frame_rate\":33.3"), std::string::npos) << t.back();

    // A frame length the user gives wins over the program's.
    auto given = RunScript("", 50, 0, 0, 50, UsePeriodProgram);
    EXPECT_EQ(Field(given[1], "tick") - Field(given[0], "tick"), 50);
    requestedPeriod = kFramePeriodMs;
    auto standard = RunScript("", 3, 0, 0, 0, UsePeriodProgram);
    EXPECT_EQ(Field(standard[1], "tick") - Field(standard[0], "tick"), 50) << "the default stays 50 ms";
}

TEST(ProgramSetup, FramePeriodsOutsideTheirBoundsAreBroughtIn) {
    for (auto [asked, used] : {std::pair{0u, 1u}, {1u, 1u}, {1000u, 1000u}, {1001u, 1000u}, {4000000000u, 1000u}}) {
        ProgramSetup setup;
        setup.FramePeriodMs = asked;
        UseProgram(setup);
        EXPECT_EQ(ProgramFramePeriodMs(), used) << asked;
    }
    UseTestProgram();
}

TEST(ProgramSetup, ATwelveSceneTableSwitchesToItsLastScene) {
    scenesRun.clear();
    auto t = RunScript("", 4, 0, 0, 0, UseTwelveScenes);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(scenesRun, (std::vector<int>{1, kLastScene}));
    EXPECT_EQ(Field(t[0], "scene"), 1);
    EXPECT_EQ(Field(t[1], "scene"), kLastScene);
    EXPECT_EQ(Field(t[2], "scene"), kLastScene + 1) << "a number past the table runs nothing";
    EXPECT_EQ(SceneFunctions.size(), 13u);

    UseTestProgram();
    EXPECT_EQ(SceneFunctions.size(), static_cast<std::size_t>(kSceneSlots)) << "the fixed table again";
    EXPECT_EQ(SceneFunctions[2], TestProgramScene);
}

TEST(ProgramSetup, APictureIsLoadedFromTheProgramsAssetFolder) {
    char dirTemplate[] = "/tmp/qrb-assets-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    assetDir = dirTemplate;
    WriteFile(assetDir + "/PIC.bmp", testbmp::Rgb24(2, 1, {0x112233, 0xA0B0C0}));
    auto t = RunScript("", 2, 0, 0, 0, UsePictureProgram);
    EXPECT_GT(pictureLoaded, 0);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_NE(t[0].find("\"boxes\":[]"), std::string::npos) << t[0];
    const auto& shown = hl::shownPicture();
    ASSERT_EQ(shown.width, 480);
    EXPECT_EQ(shown.pixels[0], 0x112233u);
    EXPECT_EQ(shown.pixels[1], 0xA0B0C0u);
    EXPECT_EQ(std::string(elSystem::GetAssetDir()), assetDir + "/") << "the separator is added";
    fs::remove_all(assetDir);

    // Not beside the executable: without the folder the same name is missing.
    assetDir.clear();
    RunScript("", 1, 0, 0, 0, UsePictureProgram);
    EXPECT_EQ(pictureLoaded, 0);
    EXPECT_STREQ(elSystem::GetAssetDir(), elSystem::GetExeDir()) << "the default folder";
}

TEST(ProgramSetup, ARelativeAssetFolderLiesUnderTheExecutablesDirectory) {
    StartFresh();
    const std::string sub = "qrb-assets-" + std::to_string(getpid());
    const std::string dir = std::string(elSystem::GetExeDir()) + sub;
    fs::create_directories(dir);
    soundtest::WaveSpec wave;
    wave.samples = soundtest::Square8(100, 50);
    WriteFile(dir + "/TONE.wav", soundtest::WaveBytes(wave));
    elSystem::SetAssetDir(sub.c_str());
    EXPECT_EQ(std::string(elSystem::GetAssetDir()), dir + "/");
    ASSERT_EQ(elSound::Init(), 1);
    const elSound::LoadResult loaded = elSound::TryLoadObject("TONE.wav");
    EXPECT_TRUE(loaded.ok()) << "a wave is found in the folder too";
    fs::remove_all(dir);
    ResetProgramState();
    EXPECT_STREQ(elSystem::GetAssetDir(), elSystem::GetExeDir()) << "the program's own folder again";
}
