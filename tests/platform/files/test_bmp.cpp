// The BMP decoder: every format it accepts decodes to the right pixels, and malformed files are
// refused with a reason, whatever byte they are cut at, before the picture is made.
#include <gtest/gtest.h>

#include "tests/support/bmp_builder.h"
#include "tests/support/largest_allocation.h"
#include "platform/files/bmp.h"
#include "platform/files/bytes.h"

using platform::DecodedBitmap;
using platform::writeLe16;
using platform::writeLe32;
using namespace testbmp;
using testalloc::LargestAllocation;

namespace {

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// A 5 x 3 picture whose every pixel differs: the colour encodes x and y.
std::uint32_t Expected(int x, int y) { return 0x102030u * static_cast<std::uint32_t>(y + 1) + 0x0F0000u * x + 0x11u * x; }

struct Good {
    const char* name;
    std::vector<std::uint8_t> file;
    std::vector<std::uint32_t> expect;   // top row first
    int width, height;
};

std::vector<std::uint32_t> Picture(int w, int h, const std::function<std::uint32_t(int, int)>& f) {
    std::vector<std::uint32_t> p;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.push_back(f(x, y));
    return p;
}

std::vector<Good> GoodFiles() {
    std::vector<Good> g;
    const int W = 5, H = 3;
    auto full = [](int x, int y) { return Expected(x, y); };
    {
        BmpLayout s; s.width = W; s.height = H; s.bpp = 24;
        g.push_back({"24-bit bottom-up", File(s, Rows(W, H, 24, full)), Picture(W, H, full), W, H});
        s.height = -H;
        g.push_back({"24-bit top-down", File(s, Rows(W, -H, 24, full)), Picture(W, H, full), W, H});
        s.height = H;
        s.headerSize = 12;
        g.push_back({"24-bit core header", File(s, Rows(W, H, 24, full)), Picture(W, H, full), W, H});
        for (int hs : {52, 56, 108, 124}) {
            s.headerSize = hs;
            g.push_back({"24-bit longer info header", File(s, Rows(W, H, 24, full)), Picture(W, H, full), W, H});
        }
    }
    {
        BmpLayout s; s.width = W; s.height = H; s.bpp = 32;   // the fourth byte is not colour
        g.push_back({"32-bit", File(s, Rows(W, H, 32, [&](int x, int y) { return full(x, y) | 0xAB000000u; })),
                     Picture(W, H, full), W, H});
        s.compression = 3;
        s.masks[0] = 0x000000FF; s.masks[1] = 0x0000FF00; s.masks[2] = 0x00FF0000;   // R and B swapped
        auto swapped = [&](int x, int y) { std::uint32_t c = full(x, y); return ((c & 0xFF) << 16) | (c & 0xFF00) | (c >> 16); };
        g.push_back({"32-bit bit fields", File(s, Rows(W, H, 32, swapped)), Picture(W, H, full), W, H});
        s.headerSize = 124;
        g.push_back({"32-bit bit fields in a V5 header", File(s, Rows(W, H, 32, swapped)), Picture(W, H, full), W, H});
    }
    {
        // 16 bits: 5-5-5 by default, 5-6-5 with bit fields; full intensity stays full.
        BmpLayout s; s.width = 3; s.height = 1; s.bpp = 16;
        const std::uint32_t px555[3] = {0x7C00, 0x03E0, 0x7FFF}, px565[3] = {0xF800, 0x07E0, 0x001F};
        g.push_back({"16-bit 5-5-5", File(s, Rows(3, 1, 16, [&](int x, int) { return px555[x]; })),
                     {kRed, kGreen, kWhite}, 3, 1});
        s.compression = 3;
        s.masks[0] = 0xF800; s.masks[1] = 0x07E0; s.masks[2] = 0x001F;
        g.push_back({"16-bit 5-6-5 bit fields", File(s, Rows(3, 1, 16, [&](int x, int) { return px565[x]; })),
                     {kRed, kGreen, kBlue}, 3, 1});
    }
    {
        const std::vector<std::uint32_t> pal = {kRed, kGreen, kBlue, kWhite};
        auto index = [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 4); };
        auto colour = [&](int x, int y) { return pal[index(x, y)]; };
        for (int bpp : {1, 4, 8}) {
            BmpLayout s; s.width = 11; s.height = 3; s.bpp = bpp;
            std::vector<std::uint32_t> p = pal;
            if (bpp == 1) p.resize(2);
            s.palette = p;
            s.colorsUsed = static_cast<std::uint32_t>(p.size());
            auto idx = [&](int x, int y) { return index(x, y) % p.size(); };
            g.push_back({bpp == 1 ? "1-bit" : bpp == 4 ? "4-bit" : "8-bit", File(s, Rows(11, 3, bpp, idx)),
                         Picture(11, 3, [&](int x, int y) { return p[idx(x, y)]; }), 11, 3});
        }
        BmpLayout s; s.width = 11; s.height = 3; s.bpp = 8; s.headerSize = 12;
        s.palette = pal;
        s.palette.resize(256, 0);
        g.push_back({"8-bit core header", File(s, Rows(11, 3, 8, index)), Picture(11, 3, colour), 11, 3});
    }
    {
        // RLE8 (bottom row first): a run, a literal group with its pad byte, end of line; then a
        // move right past two pixels of the second row, a run and the end of the bitmap. Pixels
        // the data never names keep colour 0.
        BmpLayout s; s.width = 6; s.height = 2; s.bpp = 8; s.compression = 1;
        s.palette = {kBlue, kRed, kGreen, kWhite};
        s.colorsUsed = 4;
        std::vector<std::uint8_t> rle = {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 2, 0, 2, 3, 0, 1};
        g.push_back({"RLE8 with a move", File(s, rle),
                     {kBlue, kBlue, kWhite, kWhite, kBlue, kBlue, kRed, kRed, kRed, kGreen, kWhite, kGreen}, 6, 2});
        // RLE4: a run alternates the two nibbles; a literal group of 3 pixels takes 2 bytes.
        s.bpp = 4;
        s.compression = 2;
        std::vector<std::uint8_t> rle4 = {3, 0x12, 0, 3, 0x30, 0x20, 0, 0, 6, 0x33, 0, 1};
        g.push_back({"RLE4", File(s, rle4),
                     {kWhite, kWhite, kWhite, kWhite, kWhite, kWhite, kRed, kGreen, kRed, kWhite, kBlue, kGreen}, 6, 2});
    }
    return g;
}

std::string Describe(const DecodedBitmap& b) {
    std::string s = std::to_string(b.width) + "x" + std::to_string(b.height) + ":";
    char buf[12];
    for (std::uint32_t p : b.pixels) {
        std::snprintf(buf, sizeof buf, " %06X", p);
        s += buf;
    }
    return s;
}

}  // namespace

TEST(Bmp, EveryAcceptedFormatDecodesExactly) {
    for (const Good& g : GoodFiles()) {
        DecodedBitmap out;
        std::string error;
        ASSERT_TRUE(platform::decodeBmpFile(g.file.data(), g.file.size(), out, error)) << g.name << ": " << error;
        DecodedBitmap want;
        want.width = g.width;
        want.height = g.height;
        want.pixels = g.expect;
        EXPECT_EQ(Describe(out), Describe(want)) << g.name;
        // The same bitmap as a resource: the file without its 14-byte header.
        DecodedBitmap packed;
        ASSERT_TRUE(platform::decodePackedDib(g.file.data() + 14, g.file.size() - 14, packed, error))
            << g.name << " as a resource: " << error;
        EXPECT_EQ(Describe(packed), Describe(want)) << g.name << " as a resource";
    }
}

TEST(Bmp, CutAtAnyByteIsRefusedNeverReadPast) {
    // Every prefix of every good file: refused with a reason, or (for RLE data whose rows are all
    // done) accepted; never a read outside the prefix (the sanitizer build watches).
    for (const Good& g : GoodFiles()) {
        for (std::size_t n = 0; n < g.file.size(); ++n) {
            std::vector<std::uint8_t> prefix(g.file.begin(), g.file.begin() + static_cast<std::ptrdiff_t>(n));
            DecodedBitmap out;
            std::string error;
            bool ok = platform::decodeBmpFile(prefix.data(), prefix.size(), out, error);
            // Only the padding of the last row stored may be missing from a whole picture.
            bool rle = std::string(g.name).rfind("RLE", 0) == 0;
            if (!rle && n + 3 < g.file.size()) {
                EXPECT_FALSE(ok) << g.name << " cut at " << n;
            }
            if (!ok) {
                EXPECT_FALSE(error.empty()) << g.name << " cut at " << n;
            }
        }
    }
}

TEST(Bmp, MalformedHeadersAreRefusedWithAReason) {
    auto base = [] {
        BmpLayout s; s.width = 2; s.height = 2; s.bpp = 8;
        s.palette = {kRed, kGreen};
        s.colorsUsed = 2;
        return File(s, Rows(2, 2, 8, [](int x, int) { return static_cast<std::uint32_t>(x); }));
    };
    struct Case {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> spoil;
        const char* reason;
    } cases[] = {
        {"no signature", [](auto& b) { b[0] = 'X'; }, "not a BMP"},
        {"unknown header size", [](auto& b) { writeLe32(&b[14], 64); }, "header size"},
        {"two planes", [](auto& b) { writeLe16(&b[26], 2); }, "plane"},
        {"zero width", [](auto& b) { writeLe32(&b[18], 0); }, "zero"},
        {"negative width", [](auto& b) { writeLe32(&b[18], 0xFFFFFFFEu); }, "zero or negative"},
        {"height of -2^31", [](auto& b) { writeLe32(&b[22], 0x80000000u); }, "too large"},
        {"sizes whose product overflows", [](auto& b) { writeLe32(&b[18], 0x10000); writeLe32(&b[22], 0x10000); }, "too large"},
        {"3 bits per pixel", [](auto& b) { writeLe16(&b[28], 3); }, "bits per pixel"},
        {"JPEG compression", [](auto& b) { writeLe32(&b[30], 4); }, "compression"},
        {"RLE4 at 8 bits", [](auto& b) { writeLe32(&b[30], 2); }, "RLE4"},
        {"top-down RLE8", [](auto& b) { writeLe32(&b[30], 1); writeLe32(&b[22], 0xFFFFFFFEu); }, "top-down"},
        {"colour table past the end", [](auto& b) { writeLe32(&b[46], 200); }, "colour table"},
        {"pixel offset past the end", [](auto& b) { writeLe32(&b[10], 0x7FFFFFF0); }, "offset"},
        {"pixel offset inside the header", [](auto& b) { writeLe32(&b[10], 20); }, "offset"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> file = base();
        c.spoil(file);
        DecodedBitmap out;
        std::string error;
        EXPECT_FALSE(platform::decodeBmpFile(file.data(), file.size(), out, error)) << c.name;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": expected a reason with '" << c.reason
                                                           << "', got '" << error << "'";
        EXPECT_TRUE(out.pixels.empty()) << c.name;
    }
}

TEST(Bmp, ForgivingWhereWindowsIs) {
    // More colours used than indices exist: the extra entries are ignored. Indices beyond the
    // table read as black. Runs past the right edge are cut there.
    BmpLayout s; s.width = 3; s.height = 1; s.bpp = 1;
    s.palette = {kRed, kGreen, kBlue, kWhite};   // four entries for two indices
    s.colorsUsed = 4;
    auto file = File(s, Rows(3, 1, 1, [](int x, int) { return static_cast<std::uint32_t>(x & 1); }));
    DecodedBitmap out;
    std::string error;
    ASSERT_TRUE(platform::decodeBmpFile(file.data(), file.size(), out, error)) << error;
    EXPECT_EQ(Describe(out), "3x1: FF0000 00FF00 FF0000");

    BmpLayout r; r.width = 2; r.height = 1; r.bpp = 8; r.compression = 1;
    r.palette = {kRed};
    r.colorsUsed = 1;
    std::vector<std::uint8_t> rle = {5, 7, 0, 1};   // a run of five past a two-pixel row, index 7
    file = File(r, rle);
    ASSERT_TRUE(platform::decodeBmpFile(file.data(), file.size(), out, error)) << error;
    EXPECT_EQ(Describe(out), "2x1: 000000 000000");
}

// Headers of the largest picture (16384 x 1024, 64 MiB) over a few bytes of data: refused before
// the picture is made. A 56-byte file used to take 64 MiB before it was found cut short.
TEST(Bmp, DataIsCheckedBeforeThePictureIsMade) {
    auto file = [](int bpp, std::uint32_t compression, const std::vector<std::uint8_t>& pixels) {
        BmpLayout s; s.width = 16384; s.height = 1024; s.bpp = bpp; s.compression = compression;
        if (bpp <= 8) {
            s.palette = {kRed, kGreen};
            s.colorsUsed = 2;
        }
        return File(s, pixels);
    };
    const std::vector<std::uint8_t> twoEnds = {0, 0, 0, 0};   // two rows ended, then nothing
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        const char* reason;
    } cases[] = {
        {"32 bits", file(32, 0, {1, 2}), "pixel data cut short"},
        {"1 bit", file(1, 0, {1, 2}), "pixel data cut short"},
        {"bit fields", file(16, 3, {1, 2}), "pixel data cut short"},
        {"RLE8", file(8, 1, twoEnds), "compressed pixel data cut short"},
        {"RLE4", file(4, 2, twoEnds), "compressed pixel data cut short"},
        {"RLE8, a literal run cut", file(8, 1, {0, 200, 1, 2}), "compressed pixel data cut short"},
    };
    EXPECT_EQ(cases[0].file.size(), 56u);
    for (const Case& c : cases) {
        DecodedBitmap out;
        std::string error;
        LargestAllocation watch;
        EXPECT_FALSE(platform::decodeBmpFile(c.file.data(), c.file.size(), out, error)) << c.name;
        EXPECT_EQ(error, c.reason) << c.name;
        EXPECT_LT(watch.bytes(), 1u << 20) << c.name;
    }
    // Compressed data that is all there may say "the rest is background" at once: that picture is made.
    auto whole = file(8, 1, {0, 0, 0, 1});
    DecodedBitmap out;
    std::string error;
    LargestAllocation watch;
    ASSERT_TRUE(platform::decodeBmpFile(whole.data(), whole.size(), out, error)) << error;
    EXPECT_EQ(watch.bytes(), std::size_t{16384} * 1024 * 4);
    EXPECT_EQ(out.pixels[0], kRed);
}
