// The title screen's texts drawn through the text brackets onto Back, checked by where the ink
// lands and saved as title_text.png in the build tree for a look.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "back_support.h"
#include "framework/draw/back_dc.h"
#include "framework/draw/debug_text.h"
#include "framework/draw/text.h"
#include "framework/system/code_page.h"
#include "platform/pixels.h"
#include "test_support.h"

namespace {

const elSystem::CodePageText kCredit("by ＰＩＬＵ");
const elSystem::CodePageText kLevelEasy("レベル－かんたん");
const elSystem::CodePageText kStart("左クリック－スタート");
const elSystem::CodePageText kSetLevel("右クリック－レベル設定");

bool WritePng(const std::string& path, const platform::PixelView& v) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, v.width, v.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<std::size_t>(v.width) * 3);
    for (int y = 0; y < v.height; ++y) {
        for (int x = 0; x < v.width; ++x) {
            std::uint32_t c = platform::pixelToColor(platform::readPixel(v, x, y), v.format);
            row[x * 3] = c & 0xFF;
            row[x * 3 + 1] = (c >> 8) & 0xFF;
            row[x * 3 + 2] = (c >> 16) & 0xFF;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

struct Box {
    int left, top, right, bottom;
};

// Bounding box of the pixels of one colour (COLORREF) inside a region.
Box InkBox(const platform::PixelView& v, Box region, std::uint32_t color) {
    Box b{region.right, region.bottom, region.left, region.top};
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            if (platform::pixelToColor(platform::readPixel(v, x, y), v.format) == color) {
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x + 1);
                b.bottom = std::max(b.bottom, y + 1);
            }
    return b;
}

// The longest unbroken run of a colour on one row of a region: an underline shows as a run
// across the whole text.
int LongestRun(const platform::PixelView& v, Box region, std::uint32_t color) {
    int best = 0;
    for (int y = region.top; y < region.bottom; ++y) {
        int run = 0;
        for (int x = region.left; x < region.right; ++x) {
            run = platform::pixelToColor(platform::readPixel(v, x, y), v.format) == color ? run + 1 : 0;
            best = std::max(best, run);
        }
    }
    return best;
}

}  // namespace

TEST(TitleText, FacesBoldAndUnderlineLandWhereTheTitleSceneAsks) {
    StartFresh();
    elDraw::ResetBackPixels();
    elDraw::AllocFont();

    elDraw::BeginText(0, 36, 0, 1, 0, 1);
    elDraw::SetTextColors(0x00FFFF, 0xFF00FF, 1);
    elDraw::PutText(50, 50, "Quorbix v1.0");
    elDraw::EndText();
    elDraw::BeginText(1, 36, 0, 1, 0, 1);
    elDraw::SetTextColors(0xFFFFFF, 0xFF00FF, 1);
    elDraw::PutText(250, 95, kCredit);
    elDraw::EndText();
    elDraw::BeginText(1, 24, 0, 1, 0, 1);
    elDraw::SetTextColors(0xFFFFFF, 0xFF00FF, 1);
    elDraw::PutText(150, 200, kLevelEasy);
    elDraw::PutText(70, 250, kStart);
    elDraw::PutText(70, 285, kSetLevel);
    elDraw::EndText();
    elDraw::ShowFps();

    platform::PixelView v = elDraw::BackPixels();
    std::string path = std::string(QRB_BINARY_DIR) + "/title_text.png";
    EXPECT_TRUE(WritePng(path, v)) << path;

    // Each text's ink starts near its point and stays in its cell; the underline runs along it.
    struct Case {
        const char* name;
        int x, y, height;
        std::uint32_t color;
        int minWidth;
    } cases[] = {
        {"game name", 50, 50, 36, 0x00FFFF, 150},
        {"credit line", 250, 95, 36, 0xFFFFFF, 120},
        {"level line", 150, 200, 24, 0xFFFFFF, 150},
        {"first prompt", 70, 250, 24, 0xFFFFFF, 200},
        {"second prompt", 70, 285, 24, 0xFFFFFF, 200},
    };
    for (const Case& c : cases) {
        Box region{c.x - 2, c.y, 480, c.y + c.height};
        Box ink = InkBox(v, region, c.color);
        EXPECT_LE(ink.left, c.x + 4) << c.name << ": ink starts at x " << ink.left;
        EXPECT_GE(ink.right - ink.left, c.minWidth) << c.name << ": ink " << ink.left << ".." << ink.right;
        EXPECT_GE(ink.top, c.y) << c.name;
        EXPECT_LE(ink.bottom, c.y + c.height) << c.name << ": ink reaches row " << ink.bottom;
        int run = LongestRun(v, Box{c.x, c.y + c.height / 2, 480, c.y + c.height}, c.color);
        EXPECT_GE(run, ink.right - ink.left - 4) << c.name << ": underline run " << run << " of "
                                                   << ink.right - ink.left;
    }
    // The background colour was set but the mode is transparent: no magenta anywhere.
    Box magenta = InkBox(v, Box{0, 0, 480, 360}, 0xFF00FF);
    EXPECT_GE(magenta.left, magenta.right) << "magenta painted at " << magenta.left << "," << magenta.top;
    // The frame rate sits in the top-left corner on its dark-blue cell.
    Box fps = InkBox(v, Box{0, 0, 120, 20}, 0x800000);
    EXPECT_EQ(fps.left, 0);
    EXPECT_EQ(fps.top, 0);
    EXPECT_EQ(fps.bottom, 16);
}
