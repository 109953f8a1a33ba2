// The headless runner's video (--video): ffprobe reads the length, the frame count and the sound's
// rate the run should give; a pop decoded back with ffmpeg starts with the picture of the frame
// that played it; bad ranges, folders and sessions write nothing. Without ffprobe and ffmpeg the
// cases that read the file back are skipped; a build without FFmpeg's libraries must refuse
// --video before the run.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "framework/draw/primitives.h"
#include "framework/runner/runner_command_line.h"
#include "framework/sound/sound_controls.h"
#include "framework/sound/sound_objects.h"
#include "platform/files/resources.h"
#include "platform/headless/video_writer.h"
#include "tests/support/sound_test_support.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

fs::path Folder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::path(QRB_BINARY_DIR) / "tests" / "video" / info->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// What a command prints on its standard output; "" when it could not be run.
std::string Output(const std::string& command) {
    std::string out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
    return out;
}

bool HaveTools() { return std::system("ffprobe -version >/dev/null 2>&1 && ffmpeg -version >/dev/null 2>&1") == 0; }

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// One value of `ffprobe -show_entries ... -of default=nw=1` output: "key=value" lines.
std::string Field(const std::string& probe, const std::string& key) {
    std::istringstream in(probe);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return "";
}

// The program: black frames, white ones from each frame listed in popFrames on, and a click (a
// loud square wave of 1500 frames) started in each of those frames.
std::vector<int> popFrames;
std::vector<std::uint8_t> clickWave;
platform::ResourceEntry clickTable[1] = {{"CLICK", "WAVE", nullptr, 0}};
int clickSlot = -1;

void ClickInit() {
    TestProgramInit();
    clickSlot = elSound::LoadObject("CLICK");
}

void ClickScene() {
    const int frame = platform::headless::currentFrame();
    bool lit = false;
    for (int f : popFrames) {
        if (frame == f) elSound::PlayOverlapped(clickSlot);
        lit = lit || frame >= f;
    }
    elDraw::SetClipWindow(0, 0, 480, 360);
    elDraw::FillRect(0, 0, 480, 360, lit ? 0xFFFFFFu : 0u);
    elDraw::Flip();
}

void UseClickProgram() {
    soundtest::WaveSpec w;
    w.bits = 16;
    w.rate = 44100;
    for (int i = 0; i < 1500; ++i) platform::putLe16(w.samples, static_cast<std::uint16_t>(i / 10 % 2 ? -20000 : 20000));
    clickWave = soundtest::WaveBytes(w);
    clickTable[0].data = clickWave.data();
    clickTable[0].size = clickWave.size();
    platform::overrideResources(clickTable, 1);
    ProgramSetup setup;
    setup.Title = "Video test";
    setup.Init = ClickInit;
    setup.Scenes[2] = ClickScene;
    UseProgram(setup);
}

struct VideoCase : ::testing::Test {
    void TearDown() override {
        platform::overrideResources(nullptr, 0);
        popFrames.clear();
    }
};

RunOptions VideoRun(const fs::path& dir, int frames, int from = 1, int to = 0) {
    RunOptions options;
    options.config.frames = frames;
    options.prepare = UseClickProgram;
    options.videoPath = (dir / "out.webm").string();
    options.gifFrom = from;
    options.gifTo = to;
    return options;
}

struct Probe {
    double endSeconds = -1;   // start_time + duration: where the file's last stream ends
    long pictures = -1;       // video frames decoded
    int width = 0, height = 0;
    std::string videoCodec, soundCodec;
    int sampleRate = 0, channels = 0;
};

Probe ProbeFile(const fs::path& file) {
    Probe p;
    const std::string format = Output("ffprobe -v error -show_entries format=start_time,duration -of default=nw=1 " + Quoted(file));
    if (!Field(format, "duration").empty())
        p.endSeconds = std::atof(Field(format, "start_time").c_str()) + std::atof(Field(format, "duration").c_str());
    const std::string video = Output("ffprobe -v error -count_frames -select_streams v -show_entries "
                                     "stream=codec_name,width,height,nb_read_frames -of default=nw=1 " + Quoted(file));
    p.videoCodec = Field(video, "codec_name");
    p.width = std::atoi(Field(video, "width").c_str());
    p.height = std::atoi(Field(video, "height").c_str());
    if (!Field(video, "nb_read_frames").empty()) p.pictures = std::atol(Field(video, "nb_read_frames").c_str());
    const std::string sound = Output("ffprobe -v error -select_streams a -show_entries stream=codec_name,sample_rate,channels "
                                     "-of default=nw=1 " + Quoted(file));
    p.soundCodec = Field(sound, "codec_name");
    p.sampleRate = std::atoi(Field(sound, "sample_rate").c_str());
    p.channels = std::atoi(Field(sound, "channels").c_str());
    return p;
}

std::vector<char> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The sound track decoded on the file's time line (sample 0 at time 0, as a player places it):
// 48 kHz stereo 16-bit.
std::vector<std::int16_t> DecodeSound(const fs::path& file, const fs::path& pcm) {
    EXPECT_EQ(std::system(("ffmpeg -v error -y -copyts -i " + Quoted(file) +
                           " -map 0:a -af aresample=first_pts=0 -f s16le -ac 2 -ar 48000 " + Quoted(pcm)).c_str()),
              0);
    const std::vector<char> bytes = ReadBytes(pcm);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                               (static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8));
    return samples;
}

// Milliseconds from the first sample to the first of either channel beyond `level`; -1 for none.
double OnsetMs(const std::vector<std::int16_t>& samples, double rate, std::size_t from = 0, int level = 8000) {
    for (std::size_t f = from; 2 * f + 1 < samples.size(); ++f)
        if (std::abs(samples[2 * f]) > level || std::abs(samples[2 * f + 1]) > level) return static_cast<double>(f) * 1000.0 / rate;
    return -1;
}

// Each picture's mean brightness (0 to 255), in order, and its time in seconds.
void DecodePictures(const fs::path& file, const fs::path& raw, std::vector<int>& brightness, std::vector<double>& times) {
    ASSERT_EQ(std::system(("ffmpeg -v error -y -i " + Quoted(file) +
                           " -map 0:v -fps_mode passthrough -vf scale=8:6 -f rawvideo -pix_fmt gray " + Quoted(raw)).c_str()),
              0);
    const std::vector<char> bytes = ReadBytes(raw);
    for (std::size_t at = 0; at + 48 <= bytes.size(); at += 48) {
        int sum = 0;
        for (std::size_t i = at; i < at + 48; ++i) sum += static_cast<std::uint8_t>(bytes[i]);
        brightness.push_back(sum / 48);
    }
    std::istringstream in(Output("ffprobe -v error -select_streams v -show_entries frame=pts_time -of csv=p=0 " + Quoted(file)));
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) times.push_back(std::atof(line.c_str()));
}

}  // namespace

// The whole session, a range of it at another frame length, and a session the program ends:
// each file as long as its frames, one picture each, Opus at 48000 Hz in stereo beside VP9.
TEST_F(VideoCase, FfprobeReadsTheLengthTheFramesAndTheSoundsRate) {
    if (!platform::headless::VideoWriter::supported()) GTEST_SKIP() << "this build has no --video (QRB_VIDEO)";
    if (!HaveTools()) GTEST_SKIP() << "no ffprobe and ffmpeg (the ffmpeg package)";
    const fs::path dir = Folder();
    struct Case {
        int frames, from, to;
        std::uint32_t frameMs;
        std::string script;
        double seconds;
        long pictures;
    };
    const Case cases[] = {
        {60, 1, 0, 50, "", 3.0, 60},
        {50, 11, 40, 33, "", 30 * 0.033, 30},
        {60, 3, 0, 50, "20 key 27\n", 18 * 0.05, 18},   // Escape: the program ends in frame 20
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script.empty() ? "frames " + std::to_string(c.from) + " to " + std::to_string(c.to) : c.script);
        RunOptions options = VideoRun(dir, c.frames, c.from, c.to);
        options.config.frameMs = c.frameMs;
        options.frameMsGiven = true;
        options.script = c.script;
        std::string error;
        ASSERT_EQ(RunHeadless(options, error), 0) << error;
        const Probe p = ProbeFile(dir / "out.webm");
        EXPECT_NEAR(p.endSeconds, c.seconds, 0.0015);
        EXPECT_EQ(p.pictures, c.pictures);
        EXPECT_EQ(p.videoCodec, "vp9");
        EXPECT_EQ(p.width, 480);
        EXPECT_EQ(p.height, 360);
        EXPECT_EQ(p.soundCodec, "opus");
        EXPECT_EQ(p.sampleRate, 48000);
        EXPECT_EQ(p.channels, 2);
        // The sound is the file's length too, to the sample.
        const std::vector<std::int16_t> sound = DecodeSound(dir / "out.webm", dir / "sound.pcm");
        EXPECT_NEAR(static_cast<double>(sound.size() / 2) / 48000.0, c.seconds, 0.0005);
    }
}

// A click started in frame 23, with the first white picture: in a video of frames 5 on it starts
// with that picture, 18 pictures in (within a frame; measured to the millisecond), as it starts
// in the wave file --audio writes 5 frames' time later. A click in the session's last frame is
// in the video too, though the wave file ends before it.
TEST_F(VideoCase, TheFirstPopStartsWithThePictureOfItsFrame) {
    if (!platform::headless::VideoWriter::supported()) GTEST_SKIP() << "this build has no --video (QRB_VIDEO)";
    if (!HaveTools()) GTEST_SKIP() << "no ffprobe and ffmpeg (the ffmpeg package)";
    const fs::path dir = Folder();
    popFrames = {23, 40};
    RunOptions options = VideoRun(dir, 40, 5);
    options.audioPath = (dir / "out.wav").string();
    std::string error;
    ASSERT_EQ(RunHeadless(options, error), 0) << error;

    std::vector<int> brightness;
    std::vector<double> times;
    DecodePictures(dir / "out.webm", dir / "pictures.gray", brightness, times);
    ASSERT_EQ(brightness.size(), 36u);
    ASSERT_EQ(times.size(), 36u);
    std::size_t lit = 0;
    while (lit < brightness.size() && brightness[lit] < 128) ++lit;
    ASSERT_EQ(lit, 18u) << "the first white picture is frame 23's";
    EXPECT_NEAR(times[lit], 0.9, 0.0005);

    const std::vector<std::int16_t> sound = DecodeSound(dir / "out.webm", dir / "sound.pcm");
    const double pop = OnsetMs(sound, 48000);
    std::printf("the click starts %.2f ms after its picture\n", pop - times[lit] * 1000);
    EXPECT_GE(pop, times[lit] * 1000 - 50) << "within a frame of its picture";
    EXPECT_LT(pop, times[lit] * 1000 + 50) << "within a frame of its picture";
    EXPECT_NEAR(pop, times[lit] * 1000, 2.0) << "measured: the click starts with its picture";

    const std::vector<char> wave = ReadBytes(dir / "out.wav");
    ASSERT_GT(wave.size(), 44u);
    std::vector<std::int16_t> mix((wave.size() - 44) / 2);
    for (std::size_t i = 0; i < mix.size(); ++i)
        mix[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(wave[44 + 2 * i]) |
                                           (static_cast<std::uint8_t>(wave[45 + 2 * i]) << 8));
    const double inWave = OnsetMs(mix, 44100);
    EXPECT_NEAR(pop, inWave - 5 * 50, 1.0) << "the video's sound is the wave file's from frame 5 on";
    EXPECT_EQ(mix.size() / 2, 40u * 2205) << "the wave file ends where frame 40 starts";

    // The last frame's click: in the video's last 50 ms.
    const double last = OnsetMs(sound, 48000, static_cast<std::size_t>(48 * 1750 - 480));
    EXPECT_NEAR(last, 1750, 2.0);
}

// Frames outside the session, a missing folder, a program that ends before --to and a session
// that cannot be read: status 2, a message, no file at all. A build without the libraries says so.
TEST_F(VideoCase, BadRangesFoldersAndSessionsWriteNothing) {
    const fs::path dir = Folder();
    if (!platform::headless::VideoWriter::supported()) {
        std::string error;
        EXPECT_EQ(RunHeadless(VideoRun(dir, 10), error), 2);
        EXPECT_NE(error.find("no video"), std::string::npos) << error;
        EXPECT_TRUE(fs::is_empty(dir));
        return;
    }
    struct Case {
        int frames, from, to;
        std::string file, script;
        const char* says;
    };
    const Case cases[] = {
        {20, 1, 21, "out.webm", "", "outside the session"},
        {20, 21, 0, "out.webm", "", "outside the session"},
        {20, 1, 10, "missing/out.webm", "", "does not exist"},
        {20, 1, 10, "out.webm", "5 key 27\n", "outside the session, which ended at frame 5"},
    };
    for (const Case& c : cases) {
        RunOptions options = VideoRun(dir, c.frames, c.from, c.to);
        options.videoPath = (dir / c.file).string();
        options.script = c.script;
        std::string error;
        EXPECT_EQ(RunHeadless(options, error), 2) << c.file << " " << c.from << "-" << c.to;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_TRUE(fs::is_empty(dir)) << "left: " << fs::directory_iterator(dir)->path();
    }
    const CommandLineSyntax syntax{"prog-headless", "[OPTIONS] [SCRIPT]", "A program.", RunnerOptions()};
    std::vector<std::string> words = {"prog-headless", (dir / "no-such-session.txt").string(), "--video",
                                      (dir / "out.webm").string()};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    HeadlessCommandLine run;
    ASSERT_EQ(ParseHeadlessCommandLine(static_cast<int>(argv.size()), argv.data(), syntax, run), -1);
    run.options.prepare = UseTestProgram;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunHeadlessCommandLine(syntax, run), 2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no-such-session.txt"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(dir));
}
