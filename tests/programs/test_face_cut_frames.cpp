// The frames that show every text the game can draw: each scene in each language at each level,
// the result with scores whose passwords use every letter, play with every digit in its status
// line. With QRB_FACE_FRAMES=FILE set, each frame's checksum is written to FILE, a line each, and
// the font file the texts were drawn with after them: tests/platform/text/face_cut.sh runs this
// once with the whole faces and once with a page's cut of them, and the two files must be the
// same. Skipped without it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "framework/core/texts.h"
#include "game/game_state.h"
#include "game/scenes.h"
#include "game_support.h"
#include "platform/text/font_engine.h"
#include "platform/video/gdi.h"
#include "tests/support/display_support.h"

namespace {

std::uint64_t Checksum(void (*scene)(), const char* language, int level, int score) {
    UseGame();
    OpenDisplay();
    GameInit();
    EXPECT_TRUE(quorbix::SetLanguage(language));
    Game.Level = level;
    Game.Score = score;
    Game.TimeLeft = 20 + score * 20 % 1000;
    // Play keeps the score and time given when it is not just entered (entering starts afresh).
    Shell.SceneEntered = scene == ScenePlay ? 0 : 1;
    scene();
    const auto& shown = platform::headless::shownPicture();
    std::uint64_t h = 1469598103934665603ull;   // FNV-1a over the pixels
    for (std::uint32_t p : shown.pixels) {
        h = (h ^ p) * 1099511628211ull;
    }
    return h;
}

}  // namespace

TEST(FaceCut, FramesOfEveryText) {
    const char* out = std::getenv("QRB_FACE_FRAMES");
    if (out == nullptr) GTEST_SKIP() << "QRB_FACE_FRAMES is not set (tests/platform/text/face_cut.sh sets it)";
    std::FILE* f = std::fopen(out, "w");
    ASSERT_NE(f, nullptr) << out;
    std::set<char> letters;
    for (const char* language : {"ja", "en"}) {
        for (int level = 1; level <= 3; ++level) {
            std::fprintf(f, "%s title %d %016llx\n", language, level,
                         static_cast<unsigned long long>(Checksum(SceneTitle, language, level, 0)));
            // Scores 0 to 99999: every digit in every place of the status and score lines.
            for (int score : {0, 12345, 67890, 98765, 43210, 99999}) {
                std::fprintf(f, "%s play %d %d %016llx\n", language, level, score,
                             static_cast<unsigned long long>(Checksum(ScenePlay, language, level, score)));
            }
            for (int score = 0; score < 60; ++score) {
                const std::uint64_t h = Checksum(SceneResult, language, level, score);
                for (const char* p = Game.PasswordLetters; *p != '\0'; ++p) letters.insert(*p);
                std::fprintf(f, "%s result %d %d %016llx\n", language, level, score, static_cast<unsigned long long>(h));
            }
        }
    }
    // The font the texts came from, so that a run that never used the cut cannot pass for one.
    platform::LogFont font{};
    font.lfHeight = 24;
    platform::FontFace* face = platform::resolveFont(font, nullptr);
    ASSERT_NE(face, nullptr);
    std::fprintf(f, "drawn with %s\n", platform::fontFamily(face));
    std::fclose(f);
    quorbix::SetLanguage("ja");
    EXPECT_EQ(letters.size(), 26u) << "the passwords drawn do not use every letter";
}
