// The game's texts in each language: every English text drawn by its scene stays inside the place
// its Japanese one takes (from its point to the Japanese ink's right edge, over the line's
// height), and nothing else on the screen changes with the language.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/texts.h"
#include "game/game_state.h"
#include "game/scenes.h"
#include "game_support.h"
#include "tests/support/display_support.h"

namespace {

struct Box {
    int left, top, right, bottom;
    bool empty() const { return left >= right; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The language shown goes back to the default when a test ends, passed or not.
struct LanguageBack {
    ~LanguageBack() { quorbix::SetLanguage("ja"); }
};

// The scene's frame from the program's start with the level and score given, in a language.
Picture Draw(const char* language, void (*scene)(), int level) {
    UseGame();
    OpenDisplay();
    GameInit();
    EXPECT_TRUE(quorbix::SetLanguage(language));
    Game.Level = level;
    Game.Score = 12345;
    Shell.SceneEntered = 1;
    scene();
    const auto& shown = platform::headless::shownPicture();
    return Picture{shown.width, shown.height, shown.pixels};
}

// The bounding box of the pixels that are not black in a region: the text drawn there (the
// scenes fill the screen black, and their other pictures lie outside the texts' lines).
Box InkBox(const Picture& p, Box region) {
    Box b{region.right, region.bottom, region.left, region.top};
    for (int y = region.top; y < region.bottom; ++y)
        for (int x = region.left; x < region.right; ++x)
            if (p.at(x, y) != 0) {
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x + 1);
                b.bottom = std::max(b.bottom, y + 1);
            }
    return b;
}

// A text of the table as its scene puts it: its point and its line's height.
struct Line {
    const char* name;
    int x, y, height;
};

void ExpectEnglishFits(const char* scene, const Picture& japanese, const Picture& english,
                       const std::vector<Line>& lines) {
    ASSERT_EQ(english.pixels.size(), japanese.pixels.size()) << scene;
    std::vector<Box> places;
    for (const Line& l : lines) {
        const Box region{std::max(0, l.x - 8), l.y, japanese.width, l.y + l.height};
        const Box ja = InkBox(japanese, region), en = InkBox(english, region);
        ASSERT_FALSE(ja.empty()) << scene << ", " << l.name << ": no Japanese text";
        const Box place{std::min(l.x, ja.left), l.y, ja.right, l.y + l.height};
        places.push_back(place);
        EXPECT_FALSE(en.empty()) << scene << ", " << l.name << ": no English text";
        EXPECT_TRUE(en.left >= place.left && en.right <= place.right && en.top >= place.top &&
                    en.bottom <= place.bottom)
            << scene << ", " << l.name << ": English ink " << en.left << "," << en.top << " to " << en.right << ","
            << en.bottom << " outside " << place.left << "," << place.top << " to " << place.right << ","
            << place.bottom;
    }
    // Outside the texts' places the two pictures are the same: no English pixel lands elsewhere.
    int outside = 0, firstX = -1, firstY = -1;
    for (int y = 0; y < english.height; ++y)
        for (int x = 0; x < english.width; ++x) {
            if (english.at(x, y) == japanese.at(x, y)) continue;
            if (std::any_of(places.begin(), places.end(), [&](const Box& b) { return b.contains(x, y); })) continue;
            if (outside++ == 0) firstX = x, firstY = y;
        }
    EXPECT_EQ(outside, 0) << scene << ": pixels changed outside the texts' places, the first at " << firstX << ","
                          << firstY;
}

}  // namespace

TEST(GameTexts, EveryEnglishTextStaysWhereItsJapaneseOneStands) {
    LanguageBack back;
    for (int level = 1; level <= 3; ++level) {
        const std::string scene = "title, level " + std::to_string(level);
        ExpectEnglishFits(scene.c_str(), Draw("ja", SceneTitle, level), Draw("en", SceneTitle, level),
                          {{"credit", 250, 95, 36},
                           {"level", 150, 200, 24},
                           {"start prompt", 70, 250, 24},
                           {"level prompt", 70, 285, 24}});
    }
    ExpectEnglishFits("result", Draw("ja", SceneResult, 2), Draw("en", SceneResult, 2),
                      {{"password", 100, 100, 36},
                       {"level", 150, 200, 24},
                       {"title prompt", 70, 250, 24},
                       {"version prompt", 70, 285, 24}});
}

TEST(GameTexts, HeadlessRunsShowTheJapaneseTextsUnlessAsked) {
    LanguageBack back;
    Draw("en", SceneResult, 1);
    EXPECT_EQ(std::string(Game.PasswordText).rfind("Password- ", 0), 0u) << Game.PasswordText;
    // A run on the headless runner does not carry the language over from before, nor takes the
    // system's: its traces and frames are the same everywhere.
    RunGame("", 2);
    EXPECT_STREQ(quorbix::Language(), "ja");
}
