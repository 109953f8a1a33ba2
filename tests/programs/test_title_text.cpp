// The title screen's texts, drawn by the title scene through the text brackets onto Back,
// checked by where the ink lands; the picture shown is saved as title_text.png in the build tree
// for a look.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/display_support.h"
#include "game_support.h"
#include "platform/video/pixels.h"
#include "platform/files/png_writer.h"

namespace {

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
    UseGame();
    OpenDisplay();
    GameInit();
    SceneTitle();

    platform::PixelView v = BackView();
    const auto& shown = platform::headless::shownPicture();
    ASSERT_EQ(shown.width, 480) << "the scene shows its frame";
    std::string path = std::string(QRB_BINARY_DIR) + "/title_text.png", error;
    EXPECT_TRUE(platform::writePng(path, shown.pixels.data(), shown.width, shown.height, error)) << error;

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
