// PNG pictures: the decoder against pictures made here with libpng, malformed files refused
// without harm, and PNG objects on Back with their alpha keyed, kept and blended.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "tests/support/bmp_builder.h"
#include "tests/support/display_support.h"
#include "framework/draw/blit.h"
#include "framework/draw/primitives.h"
#include "platform/files/png_reader.h"
#include "platform/video/surface.h"

using namespace elDraw;

namespace {

// A PNG of width x height from 0xAARRGGBB pixels, written by libpng as `format` (PNG_FORMAT_*).
std::vector<std::uint8_t> MakePng(int width, int height, const std::vector<std::uint32_t>& argb,
                                  png_uint_32 format = PNG_FORMAT_RGBA) {
    std::vector<std::uint8_t> rgba;
    for (std::uint32_t c : argb)
        for (int shift : {16, 8, 0, 24}) rgba.push_back(static_cast<std::uint8_t>(c >> shift));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> bytes(100000);
    png_alloc_size_t size = bytes.size();
    // The pixels are given as RGBA; libpng writes them in the asked-for colour type.
    if (format != PNG_FORMAT_RGBA) {
        png_image narrow = image;
        narrow.format = format;
        std::vector<std::uint8_t> converted;
        for (std::size_t i = 0; i < argb.size(); ++i) {
            if (format == PNG_FORMAT_GA) {
                converted.push_back(rgba[4 * i]);
                converted.push_back(rgba[4 * i + 3]);
            } else {   // PNG_FORMAT_RGB
                converted.insert(converted.end(), rgba.begin() + 4 * i, rgba.begin() + 4 * i + 3);
            }
        }
        EXPECT_NE(png_image_write_to_memory(&narrow, bytes.data(), &size, 0, converted.data(), 0, nullptr), 0);
    } else {
        EXPECT_NE(png_image_write_to_memory(&image, bytes.data(), &size, 0, rgba.data(), 0, nullptr), 0);
    }
    bytes.resize(size);
    return bytes;
}

// Mends the CRC of the chunk that starts at `at` (its length field) after a change to it.
void FixCrc(std::vector<std::uint8_t>& png, std::size_t at) {
    const std::uint32_t length = platform::readBe32(&png[at]);
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, &png[at + 4], length + 4));
    for (int i = 0; i < 4; ++i) png[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

constexpr std::uint32_t kRed = 0xFFFF0000, kClearBlue = 0x000000FF, kSoftGreen = 0xC800FF00;   // alpha 200
const std::vector<std::uint32_t> kThree = {kRed, kClearBlue, kSoftGreen};

void Open(int depth) {
    OpenDisplay(depth);
    ASSERT_EQ(Screen(480, 360), 1);
    SetClipWindow(0, 0, 480, 360);
    FillRect(0, 0, 480, 360, 0x404040);   // grey 64
}

}  // namespace

TEST(PngDecoder, GivesThePixelsWithTheirAlpha) {
    platform::DecodedBitmap out;
    std::string error;
    const std::vector<std::uint32_t> four = {kRed, kClearBlue, kSoftGreen, 0x80123456};
    ASSERT_TRUE(platform::decodePng(MakePng(2, 2, four).data(), MakePng(2, 2, four).size(), out, error)) << error;
    EXPECT_EQ(out.width, 2);
    EXPECT_EQ(out.height, 2);
    EXPECT_EQ(out.pixels, four) << "straight alpha, top row first";
    // Grey with alpha, and RGB without (every pixel solid).
    auto ga = MakePng(2, 1, {0x40707070, 0xFFC8C8C8}, PNG_FORMAT_GA);
    ASSERT_TRUE(platform::decodePng(ga.data(), ga.size(), out, error)) << error;
    EXPECT_EQ(out.pixels, (std::vector<std::uint32_t>{0x40707070, 0xFFC8C8C8}));
    auto rgb = MakePng(2, 1, {0x00102030, 0x00405060}, PNG_FORMAT_RGB);
    ASSERT_TRUE(platform::decodePng(rgb.data(), rgb.size(), out, error)) << error;
    EXPECT_EQ(out.pixels, (std::vector<std::uint32_t>{0xFF102030, 0xFF405060}));
}

TEST(PngDecoder, RefusesMalformedFilesWithAReasonAndNoPicture) {
    const auto good = MakePng(3, 1, kThree);
    platform::DecodedBitmap out;
    std::string error;
    auto refused = [&](const std::vector<std::uint8_t>& bytes, const std::string& what) {
        error.clear();
        out.width = 7;
        const bool ok = platform::decodePng(bytes.data(), bytes.size(), out, error);
        EXPECT_FALSE(ok) << what;
        EXPECT_FALSE(error.empty()) << what;
        EXPECT_TRUE(out.pixels.empty() && out.width == 0) << what;
    };
    // Cut short anywhere (the last 12 bytes are the end chunk, which a reader may do without).
    for (std::size_t n = 0; n + 12 < good.size(); ++n)
        refused(std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n)),
                "cut to " + std::to_string(n));
    auto notPng = good;
    notPng[1] = 'Q';
    refused(notPng, "bad signature");
    auto badCrc = good;
    badCrc[29] ^= 1;   // the header chunk's CRC
    refused(badCrc, "bad header checksum");
    // A header claiming 20000 x 1 (checksum mended): refused before any pixel is read.
    auto wide = good;
    wide[16] = 0;
    wide[17] = 0;
    wide[18] = 0x4E;
    wide[19] = 0x20;
    FixCrc(wide, 8);
    refused(wide, "too wide");
    auto huge = good;   // 8192 x 4096: each side allowed, the whole not
    for (int i = 0; i < 8; ++i) huge[16 + i] = 0;
    huge[18] = 0x20;
    huge[22] = 0x10;
    FixCrc(huge, 8);
    refused(huge, "too many pixels");
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

TEST(PngObjects, AlphaBecomesTheColourKeyOrIsKeptAndBlended) {
    for (int depth : {32, 16}) {
        Open(depth);
        testbmp::Resources res;
        res.Add("THREE.PNG", MakePng(3, 1, kThree), "PNG");
        res.Add("SOFT", MakePng(3, 1, kThree), "PNG");
        SetDefaultKey(0xFF00FF);
        const int keyed = LoadObject("three.png");
        const int bare = LoadObject("SOFT");   // no bitmap of that name: the PNG resource
        const int kept = LoadPngObject("SOFT", true);
        ASSERT_EQ(TakeBoxTexts(), "");
        ASSERT_NE(keyed * bare * kept, 0);
        PutObject(10, 10, keyed, 0, 0, 3, 1);
        PutObject(10, 11, bare, 0, 0, 3, 1);
        PutObject(10, 12, kept, 0, 0, 3, 1);
        PutObjectRotated(11, 13, kept, 0, 0, 3, 1, 180, 1);   // x 10 to 12, mirrored
        PutObjectOpaque(10, 14, kept, 0, 0, 3, 1);
        const std::uint32_t grey = InBackFormat(0x404040), red = InBackFormat(0xFF0000);
        for (int y : {10, 11}) {
            EXPECT_EQ(BackRgb(10, y), red);
            EXPECT_EQ(BackRgb(11, y), grey) << "alpha 0: left out by the key";
            EXPECT_EQ(BackRgb(12, y), InBackFormat(0x00FF00)) << "alpha 200: solid, its alpha dropped";
        }
        // Kept: green at 200 over grey 64 is 64 * 55 / 255 = 13.8 -> 14 for red and blue and
        // (255 * 200 + 64 * 55) / 255 = 213.8 -> 214 for green.
        // (At 16 bits the grey is already rounded, so only the 32-bit mix is worked out.)
        const std::uint32_t mixed = 0x0ED60E;
        EXPECT_EQ(BackRgb(10, 12), red);
        EXPECT_EQ(BackRgb(11, 12), grey);
        if (depth == 32) EXPECT_EQ(BackRgb(12, 12), mixed);
        EXPECT_EQ(BackRgb(10, 13), BackRgb(12, 12)) << "turned half way, blended alike";
        EXPECT_EQ(BackRgb(12, 13), red);
        EXPECT_EQ(BackRgb(11, 14), InBackFormat(0xFF00FF)) << "the unkeyed put shows the key colour";
        // After the surfaces were lost, the reload keeps the alpha.
        platform::loseAllSurfaces();
        RestoreObjects();
        FillRect(0, 0, 480, 360, 0x404040);
        PutObject(10, 12, kept, 0, 0, 3, 1);
        if (depth == 32) EXPECT_EQ(BackRgb(12, 12), mixed);
        EXPECT_EQ(BackRgb(11, 12), grey);
        // Released and reused, a slot forgets the alpha.
        ReleaseObject(kept);
        res.Add("PLAIN", testbmp::Rgb24(1, 1, {0x00FF00}));
        EXPECT_EQ(LoadObject("PLAIN"), kept);
        EXPECT_TRUE(Objects.Slot[kept].Alpha.empty());
    }
}

TEST(PngObjects, CornerKeyModeLeavesTheClearPixelsOutToo) {
    Open(32);
    testbmp::Resources res;
    // Solid top-left: its colour is the key, and the clear pixel is painted in it.
    res.Add("A.png", MakePng(3, 1, {0xFF0000FF, 0x00FFFFFF, 0xFFFF0000}), "PNG");
    // Clear top-left: the clear pixels take the default key, which the corner then is.
    res.Add("B.png", MakePng(3, 1, {0x00FFFFFF, 0xFF00FF00, 0x10FFFFFF}), "PNG");
    SetDefaultKey(0x000000);
    UseCornerKey();
    const int a = LoadObject("A.png"), b = LoadObject("B.png");
    PutObject(10, 10, a, 0, 0, 3, 1);
    PutObject(10, 11, b, 0, 0, 3, 1);
    EXPECT_EQ(BackRgb(10, 10), 0x404040u);
    EXPECT_EQ(BackRgb(11, 10), 0x404040u);
    EXPECT_EQ(BackRgb(12, 10), 0xFF0000u);
    EXPECT_EQ(BackRgb(10, 11), 0x404040u);
    EXPECT_EQ(BackRgb(11, 11), 0x00FF00u);
    EXPECT_EQ(BackRgb(12, 11), 0x404040u);
}

TEST(PngObjects, AMalformedPngGivesTheBoxAndHarmsNothing) {
    Open(32);
    testbmp::Resources res;
    auto bad = MakePng(3, 1, kThree);
    bad.resize(bad.size() / 2);
    res.Add("GOOD.PNG", MakePng(3, 1, kThree), "PNG");
    res.Add("BAD.PNG", bad, "PNG");
    const int good = LoadObject("GOOD.PNG");
    ASSERT_NE(good, 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadObject("BAD.PNG"), 0);
    EXPECT_EQ(LoadPngObject("MISSING", true), 0);
    const std::string said = testing::internal::GetCapturedStderr();
    // The box names the format that was read: a ".png" name and LoadPngObject read PNG alone.
    EXPECT_EQ(TakeBoxTexts(), "エラー発生|elDraw::LoadObject : PNGファイルを読み込めません\n"
                              "エラー発生|elDraw::LoadPngObject : PNGファイルを読み込めません\n");
    EXPECT_NE(said.find("PNG resource BAD.PNG: bad PNG"), std::string::npos) << said;
    const int other = LoadObject("GOOD.PNG");
    ASSERT_NE(other, 0);
    EXPECT_EQ(SwapObject("BAD.PNG", other), 0);
    EXPECT_EQ(TakeBoxTexts(), "エラー発生|elDraw::SwapObject : PNGファイルを読み込めません\n");
    EXPECT_EQ(LoadObject("NOTHING"), 0);
    EXPECT_EQ(TakeBoxTexts(), "エラー発生|elDraw::LoadObject : BMPファイルを読み込めません\n")
        << "a bare name is read as a BMP first: its box stays the BMP one";
    PutObject(10, 10, good, 0, 0, 3, 1);
    EXPECT_EQ(BackRgb(10, 10), 0xFF0000u) << "the object loaded before is whole";
}

TEST(PngDecoder, TheFuzzSeedsDecodeOrAreRefusedAsTheirNamesSay) {
    struct Seed {
        const char* name;
        int width, height;   // 0: refused
        std::uint32_t first;
    } seeds[] = {{"rgba8.png", 2, 2, 0xFFFF0000}, {"palette-trns.png", 3, 1, 0x00FF0000},
                 // 16 bits without a gAMA chunk are taken as linear light: 0x1234 is 0x4C in sRGB.
                 {"grey16.png", 2, 1, 0xFF4C4C4C}, {"grey-alpha8.png", 2, 1, 0x40707070},
                 {"rgb8.png", 5, 5, 0xFF000007}, {"cut-idat.png", 0, 0, 0}};
    for (const Seed& s : seeds) {
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(ReadWholeFile(std::string(QRB_SOURCE_DIR) + "/fuzz/corpus/png/" + s.name, bytes)) << s.name;
        platform::DecodedBitmap out;
        std::string error;
        EXPECT_EQ(platform::decodePng(bytes.data(), bytes.size(), out, error), s.width != 0) << s.name << ": " << error;
        EXPECT_EQ(out.width, s.width) << s.name;
        EXPECT_EQ(out.height, s.height) << s.name;
        if (s.width != 0 && !out.pixels.empty()) EXPECT_EQ(out.pixels[0], s.first) << s.name;
    }
}
