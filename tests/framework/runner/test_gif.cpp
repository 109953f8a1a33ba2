// The headless runner's animated GIF (--gif): its frames decoded back with giflib's decoder equal
// the runner's own PNG frames where a picture has at most 256 colours, and differ by a bounded
// error where it has more; only the changed rectangle is stored; the delays add up to the run's
// time; bad ranges and folders write nothing.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/draw/primitives.h"
#include "framework/runner/runner_command_line.h"
#include "platform/files/png_reader.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

fs::path Folder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path dir = fs::path(QRB_BINARY_DIR) / "tests" / "gif" / info->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

int sceneCalls = 0;

// A square that moves every third frame over black, in one of five colours: few colours, and
// pictures that repeat.
void FewColoursScene() {
    const int step = sceneCalls++ / 3;
    static const std::uint32_t kColours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0x808080};
    elDraw::FillBlack();
    elDraw::SetClipWindow(0, 0, 480, 360);
    elDraw::FillRect(20 + step * 7, 40 + step * 3, 60 + step * 7, 90 + step * 3, kColours[step % 5]);
    elDraw::Flip();
}

// Blocks of 4 x 4 pixels in a colour each, 10800 colours a picture: those of the left half as at
// frame `left`, those of the right half as at frame `right`.
void DrawBlocks(int left, int right) {
    elDraw::SetClipWindow(0, 0, 480, 360);
    for (int y = 0; y < 360; y += 4)
        for (int x = 0; x < 480; x += 4) {
            const int frame = x < 240 ? left : right;
            const std::uint32_t r = static_cast<std::uint32_t>(x / 2), g = static_cast<std::uint32_t>(y * 2 / 3),
                                b = static_cast<std::uint32_t>((frame * 16 + x / 4) & 0xFF);
            elDraw::FillRect(x, y, x + 4, y + 4, r | (g << 8) | (b << 16));
        }
    elDraw::Flip();
}

// The blocks, every colour changing with the frame.
void ManyColoursScene() {
    const int frame = sceneCalls++;
    DrawBlocks(frame, frame);
}

void UseScene(void (*scene)()) {
    ProgramSetup setup;
    setup.Title = "GIF test";
    setup.Init = TestProgramInit;
    setup.Scenes[2] = scene;
    UseProgram(setup);
    sceneCalls = 0;
}

// A square that jumps between the left and the right every other frame, in a new colour each
// time, across a white one that never moves: the white square lies inside every changed
// rectangle without changing, and its colour is none of the changed pixels'.
void JumpingScene() {
    const int step = sceneCalls++;
    elDraw::FillBlack();
    elDraw::SetClipWindow(0, 0, 480, 360);
    elDraw::FillRect(200, 55, 230, 85, 0xFFFFFF);
    const int x = step % 2 == 0 ? 20 : 380;
    elDraw::FillRect(x, 40 + step, x + 40, 90 + step, 0x0000FF + static_cast<std::uint32_t>(step) * 0x000900);
    elDraw::Flip();
}

// A shaded field in one hue, as sprites lit from one side are (some thousand colours close
// together), with a white cross of 9 pixels in its middle: a colour of its own, too rare for a
// median cut by numbers to give it a place.
void ShadedScene() {
    const int frame = sceneCalls++;
    elDraw::SetClipWindow(0, 0, 480, 360);
    for (int y = 0; y < 360; y += 2)
        for (int x = 0; x < 480; x += 2) {
            const std::uint32_t k = static_cast<std::uint32_t>(60 + (x + y + frame * 6) % 390 / 2);
            const std::uint32_t r = k, g = k * 3 / 4, b = static_cast<std::uint32_t>(x / 40 % 12);
            elDraw::FillRect(x, y, x + 2, y + 2, r | (g << 8) | (b << 16));
        }
    elDraw::FillRect(239, 170, 240, 175, 0xFFFFFF);
    elDraw::FillRect(237, 172, 242, 173, 0xFFFFFF);
    elDraw::Flip();
}

// 256 blocks of 18 x 18 pixels in 256 colours that pass one block on each frame, on a
// background of the first colour: every colour lies among the changed pixels, and the gaps
// between the blocks lie inside the changed rectangle without changing.
void AllColoursScene() {
    const int frame = sceneCalls++;
    elDraw::SetClipWindow(0, 0, 480, 360);
    elDraw::FillRect(0, 0, 480, 360, 0x000000);
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t k = static_cast<std::uint32_t>((i + frame) % 256);
        const int x = 20 + (i % 16) * 20, y = 20 + (i / 16) * 20;
        elDraw::FillRect(x, y, x + 18, y + 18, (k * 7 % 256) | ((k * 13 % 256) << 8) | (k << 16));
    }
    elDraw::Flip();
}

// The blocks of ManyColoursScene, their colours changing on the left half only after the first
// frame: the right half is drawn again the same.
void HalfChangingScene() {
    const int frame = sceneCalls++;
    DrawBlocks(frame, 0);
}

void UseFewColours() { UseScene(FewColoursScene); }
void UseShaded() { UseScene(ShadedScene); }
void UseJumping() { UseScene(JumpingScene); }
void UseManyColours() { UseScene(ManyColoursScene); }
void UseAllColours() { UseScene(AllColoursScene); }
void UseHalfChanging() { UseScene(HalfChangingScene); }

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0, delay = 0;
    int seeThrough = 0;                  // pixels of the transparent index
    std::vector<std::uint32_t> canvas;   // the picture once this frame is drawn
};

// Decodes a GIF with giflib, drawing each frame onto the canvas as a viewer does (its
// transparent pixels leave the canvas as it was).
std::vector<GifFrame> Decode(const fs::path& path, int& width, int& height) {
    int code = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &code);
    std::vector<GifFrame> frames;
    if (gif == nullptr) {
        ADD_FAILURE() << "cannot open " << path << ": " << GifErrorString(code);
        return frames;
    }
    if (DGifSlurp(gif) != GIF_OK) {
        ADD_FAILURE() << "cannot decode " << path << ": " << GifErrorString(gif->Error);
        DGifCloseFile(gif, &code);
        return frames;
    }
    width = gif->SWidth;
    height = gif->SHeight;
    std::vector<std::uint32_t> canvas(static_cast<std::size_t>(width) * height, 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        const ColorMapObject* map = image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
        GraphicsControlBlock gcb{};
        EXPECT_EQ(DGifSavedExtensionToGCB(gif, i, &gcb), GIF_OK);
        EXPECT_EQ(gcb.DisposalMode, DISPOSE_DO_NOT);
        GifFrame f{image.ImageDesc.Left, image.ImageDesc.Top, image.ImageDesc.Width, image.ImageDesc.Height,
                   gcb.DelayTime, {}};
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                const int index = image.RasterBits[static_cast<std::size_t>(y) * f.width + x];
                if (index == gcb.TransparentColor) {   // the picture before shows through
                    ++f.seeThrough;
                    continue;
                }
                const GifColorType& c = map->Colors[index];
                canvas[static_cast<std::size_t>(f.top + y) * width + f.left + x] =
                    (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue;
            }
        f.canvas = canvas;
        frames.push_back(std::move(f));
    }
    DGifCloseFile(gif, &code);
    return frames;
}

std::vector<std::uint32_t> ReadPng(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    platform::DecodedBitmap bitmap;
    std::string error;
    EXPECT_TRUE(platform::decodePng(bytes.data(), bytes.size(), bitmap, error)) << path << ": " << error;
    for (auto& p : bitmap.pixels) p &= 0xFFFFFF;
    return bitmap.pixels;
}

std::string PngName(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", frame);
    return name;
}

RunOptions GifRun(const fs::path& dir, void (*use)(), int frames, int from, int to, int scale = 1) {
    RunOptions options;
    options.config.frames = frames;
    options.prepare = use;
    options.gifPath = (dir / "out.gif").string();
    options.gifFrom = from;
    options.gifTo = to;
    options.gifScale = scale;
    options.framesDir = (dir / "frames").string();
    options.dump.all = true;
    return options;
}

// The runner's picture of each frame number from..to, one per 5 hundredths (50 ms frames), from
// the GIF: each GIF frame stands for delay / 5 of them.
std::vector<std::vector<std::uint32_t>> Expand(const std::vector<GifFrame>& frames) {
    std::vector<std::vector<std::uint32_t>> pictures;
    for (const GifFrame& f : frames) {
        EXPECT_EQ(f.delay % 5, 0) << "a 50 ms frame is 5 hundredths";
        for (int i = 0; i < f.delay / 5; ++i) pictures.push_back(f.canvas);
    }
    return pictures;
}

// How far the GIF's pictures lie from the runner's PNG frames 1, 2, ...: the largest and the mean
// difference of a channel over every pixel.
struct ChannelError {
    int largest = 0;
    double mean = 0;
};
ChannelError AgainstPngs(const fs::path& dir, const std::vector<std::vector<std::uint32_t>>& pictures) {
    ChannelError e;
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t n = 1; n <= pictures.size(); ++n) {
        const auto png = ReadPng(dir / "frames" / PngName(static_cast<int>(n)));
        EXPECT_EQ(png.size(), pictures[n - 1].size()) << "frame " << n;
        for (std::size_t i = 0; i < std::min(png.size(), pictures[n - 1].size()); ++i)
            for (int shift : {0, 8, 16}) {
                const int d = std::abs(static_cast<int>((png[i] >> shift) & 0xFF) -
                                       static_cast<int>((pictures[n - 1][i] >> shift) & 0xFF));
                sum += d;
                e.largest = std::max(e.largest, d);
                ++count;
            }
    }
    e.mean = count == 0 ? 0 : sum / static_cast<double>(count);
    return e;
}

}  // namespace

TEST(RunnerGif, FewColoursDecodeToTheRunnersOwnFramesWithOnlyChangesStored) {
    const fs::path dir = Folder();
    std::string error;
    ASSERT_EQ(RunHeadless(GifRun(dir, UseFewColours, 40, 5, 34), error), 0) << error;
    int width = 0, height = 0;
    const std::vector<GifFrame> frames = Decode(dir / "out.gif", width, height);
    ASSERT_EQ(width, 480);
    ASSERT_EQ(height, 360);
    const auto pictures = Expand(frames);
    ASSERT_EQ(pictures.size(), 30u) << "frames 5 to 34";
    for (int n = 5; n <= 34; ++n)
        ASSERT_EQ(pictures[n - 5], ReadPng(dir / "frames" / PngName(n))) << "frame " << n;
    // The square moves every third frame: repeated pictures lengthen a frame rather than add one.
    EXPECT_LT(frames.size(), 15u);
    // After the first, a frame holds only the square's old and new places, not the picture.
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0].width * frames[0].height, 480 * 360);
    for (std::size_t i = 1; i < frames.size(); ++i)
        EXPECT_LE(frames[i].width * frames[i].height, 50 * 56) << "frame " << i << " stores more than its change";
}

// Pixels that did not change inside a changed rectangle keep the picture before: through the
// palette's entry of their colour (the black around the squares) or, where the palette has none
// (the white square), through the transparent index.
TEST(RunnerGif, UnchangedPixelsInsideTheRectangleShowThePictureBefore) {
    const fs::path dir = Folder();
    std::string error;
    ASSERT_EQ(RunHeadless(GifRun(dir, UseJumping, 10, 1, 10), error), 0) << error;
    int width = 0, height = 0;
    const std::vector<GifFrame> frames = Decode(dir / "out.gif", width, height);
    const auto pictures = Expand(frames);
    ASSERT_EQ(pictures.size(), 10u);
    for (int n = 1; n <= 10; ++n) ASSERT_EQ(pictures[n - 1], ReadPng(dir / "frames" / PngName(n))) << "frame " << n;
    ASSERT_EQ(frames.size(), 10u);
    for (std::size_t i = 1; i < frames.size(); ++i) {
        EXPECT_LE(frames[i].left, 20);
        EXPECT_GE(frames[i].left + frames[i].width, 420) << "the rectangle spans both places";
        EXPECT_EQ(frames[i].seeThrough, 30 * 30) << "frame " << i << ": the white square shows through, nothing else";
    }
}

TEST(RunnerGif, ScaleTwoDoublesEveryPixel) {
    const fs::path dir = Folder();
    std::string error;
    ASSERT_EQ(RunHeadless(GifRun(dir, UseFewColours, 12, 1, 12, 2), error), 0) << error;
    int width = 0, height = 0;
    const auto pictures = Expand(Decode(dir / "out.gif", width, height));
    ASSERT_EQ(width, 960);
    ASSERT_EQ(height, 720);
    ASSERT_EQ(pictures.size(), 12u);
    const std::vector<std::uint32_t> png = ReadPng(dir / "frames" / PngName(12));
    for (int y = 0; y < 720; ++y)
        for (int x = 0; x < 960; ++x)
            ASSERT_EQ(pictures[11][static_cast<std::size_t>(y) * 960 + x], png[static_cast<std::size_t>(y / 2) * 480 + x / 2])
                << x << "," << y;
}

// More than 256 colours go through giflib's quantiser: the error is measured against the PNG
// frames, as the mean and the largest difference of a channel over every pixel.
TEST(RunnerGif, ManyColoursStayWithinTheQuantisersError) {
    const fs::path dir = Folder();
    std::string error;
    ASSERT_EQ(RunHeadless(GifRun(dir, UseManyColours, 6, 1, 6), error), 0) << error;
    int width = 0, height = 0;
    const auto pictures = Expand(Decode(dir / "out.gif", width, height));
    ASSERT_EQ(pictures.size(), 6u);
    const auto [largest, mean] = AgainstPngs(dir, pictures);
    std::printf("GIF against PNG, 10800 colours a picture: mean channel error %.2f, largest %d\n", mean, largest);
    EXPECT_GT(mean, 0.0) << "more than 256 colours cannot all be kept";
    // Measured 6.5 and 56: the median cut works on 5 bits a channel and this picture's colours
    // spread over the whole cube. A palette mapped wrongly is off by far more.
    EXPECT_LT(mean, 8.0);
    EXPECT_LE(largest, 64);
}

// A picture of thousands of close shades takes 7-bit codes (at most 128 places in a palette),
// without a pixel far from its colour, and a rare colour of its own kept.
TEST(RunnerGif, ShadedPicturesTakeSmallPalettesAndKeepRareColours) {
    const fs::path dir = Folder();
    std::string error;
    ASSERT_EQ(RunHeadless(GifRun(dir, UseShaded, 4, 1, 4), error), 0) << error;
    int code = 0;
    GifFileType* gif = DGifOpenFileName((dir / "out.gif").c_str(), &code);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, 4);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const ColorMapObject* map = gif->SavedImages[i].ImageDesc.ColorMap;
        ASSERT_NE(map, nullptr);
        EXPECT_LE(map->ColorCount, 128) << "frame " << i;
    }
    DGifCloseFile(gif, &code);
    int width = 0, height = 0;
    const auto pictures = Expand(Decode(dir / "out.gif", width, height));
    ASSERT_EQ(pictures.size(), 4u);
    const int largest = AgainstPngs(dir, pictures).largest;
    for (int n = 1; n <= 4; ++n) {
        // Near white (the quantiser works on 5 bits a channel), not the shade around it.
        for (const std::size_t at : {172 * 480 + 239, 172 * 480 + 237, 170 * 480 + 239})
            for (int shift : {0, 8, 16})
                EXPECT_GE((pictures[n - 1][at] >> shift) & 0xFF, 0xFFu - 12) << "frame " << n << ": the cross";
    }
    std::printf("GIF against PNG, shaded picture: largest channel error %d\n", largest);
    EXPECT_LE(largest, 24);
}

// A picture of exactly 256 colours whose changed pixels hold all of them leaves no index to see
// through: the whole rectangle is sent, and the frames are still exact.
TEST(RunnerGif, TwoHundredFiftySixColoursWithUnchangedPixelsStayExact) {
    const fs::path dir = Folder();
    std::string error;
    ASSERT_EQ(RunHeadless(GifRun(dir, UseAllColours, 4, 1, 4), error), 0) << error;
    int width = 0, height = 0;
    const auto pictures = Expand(Decode(dir / "out.gif", width, height));
    ASSERT_EQ(pictures.size(), 4u);
    for (int n = 1; n <= 4; ++n) ASSERT_EQ(pictures[n - 1], ReadPng(dir / "frames" / PngName(n))) << "frame " << n;
}

// After a frame of more colours than a palette holds, the pixels the program drew the same again
// keep the colours that frame's palette gave them: only what changed is sent (the left half),
// and the error stays the quantiser's.
TEST(RunnerGif, PixelsDrawnTheSameAfterAQuantisedFrameAreNotSentAgain) {
    const fs::path dir = Folder();
    std::string error;
    ASSERT_EQ(RunHeadless(GifRun(dir, UseHalfChanging, 5, 1, 5), error), 0) << error;
    int width = 0, height = 0;
    const std::vector<GifFrame> frames = Decode(dir / "out.gif", width, height);
    ASSERT_EQ(frames.size(), 5u);
    for (std::size_t i = 1; i < frames.size(); ++i)
        EXPECT_LE(frames[i].left + frames[i].width, 240) << "frame " << i << " sends the unchanged half again";
    const auto pictures = Expand(frames);
    ASSERT_EQ(pictures.size(), 5u);
    const int largest = AgainstPngs(dir, pictures).largest;
    EXPECT_GT(largest, 0);
    EXPECT_LE(largest, 64) << "as ManyColoursStayWithinTheQuantisersError";
}

// The delays are the run's time in hundredths of a second whatever the frame length: 33 ms
// frames carry their remainders (3, 3, 4, 3...) so that 30 of them last 99 hundredths.
TEST(RunnerGif, DelaysCarrySoThatTheTotalIsTheRunsTime) {
    const fs::path dir = Folder();
    RunOptions options = GifRun(dir, UseManyColours, 30, 1, 30);
    options.config.frameMs = 33;
    options.frameMsGiven = true;
    options.framesDir.clear();
    options.dump = FrameSet{};
    std::string error;
    ASSERT_EQ(RunHeadless(options, error), 0) << error;
    int width = 0, height = 0;
    const std::vector<GifFrame> frames = Decode(dir / "out.gif", width, height);
    ASSERT_EQ(frames.size(), 30u);
    int total = 0;
    for (const GifFrame& f : frames) {
        EXPECT_TRUE(f.delay == 3 || f.delay == 4) << f.delay;
        total += f.delay;
    }
    EXPECT_EQ(total, 99);
}

// Frames outside the session and a missing folder: status 2, a message, no file at all.
TEST(RunnerGif, BadRangesAndFoldersWriteNothing) {
    const fs::path dir = Folder();
    struct Case {
        int frames, from, to;
        std::string gif;
        const char* says;
    };
    const Case cases[] = {
        {20, 1, 21, "out.gif", "outside the session"},
        {20, 21, 0, "out.gif", "outside the session"},
        {20, 1, 10, "missing/out.gif", "does not exist"},
    };
    for (const Case& c : cases) {
        RunOptions options = GifRun(dir, UseFewColours, c.frames, c.from, c.to);
        options.gifPath = (dir / c.gif).string();
        options.framesDir.clear();
        options.dump = FrameSet{};
        std::string error;
        EXPECT_EQ(RunHeadless(options, error), 2) << c.gif << " " << c.from << "-" << c.to;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_TRUE(fs::is_empty(dir)) << "left: " << fs::directory_iterator(dir)->path();
    }
    // The program ends (Escape) before --to: found only at the session's end, still no file.
    RunOptions options = GifRun(dir, UseFewColours, 20, 1, 10);
    options.script = "5 key 27\n";
    options.framesDir.clear();
    options.dump = FrameSet{};
    std::string error;
    EXPECT_EQ(RunHeadless(options, error), 2);
    EXPECT_NE(error.find("outside the session, which ended at frame"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(dir));
    // A session that cannot be read: said before anything is opened.
    const CommandLineSyntax syntax{"prog-headless", "[OPTIONS] [SCRIPT]", "A program.", RunnerOptions()};
    std::vector<std::string> words = {"prog-headless", (dir / "no-such-session.txt").string(), "--gif",
                                      (dir / "out.gif").string()};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    HeadlessCommandLine run;
    ASSERT_EQ(ParseHeadlessCommandLine(static_cast<int>(argv.size()), argv.data(), syntax, run), -1);
    run.options.prepare = UseFewColours;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunHeadlessCommandLine(syntax, run), 2);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no-such-session.txt"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(dir));
}
