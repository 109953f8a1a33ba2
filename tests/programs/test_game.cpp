// The game end to end through the headless runner: levels, the length of a game, the wave
// layout, popping, scores, hit sounds, the result's password, lock and version box, the title's
// rows of balls, the calendar time a script gives, and the window's icon.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/core/app_state.h"
#include "framework/shell/frame_loop.h"
#include "game/game_state.h"
#include "game/scenes.h"
#include "platform/files/resources.h"
#include "platform/headless/headless.h"
#include "game_support.h"

namespace hl = platform::headless;

namespace {

constexpr std::int64_t kTime = 1700000000;   // calendar time of every run below

struct Ball {
    double x, y;
    int alive;
};

std::vector<Ball> Balls(const std::string& line) {
    std::vector<Ball> out;
    std::size_t p = line.find("\"balls\":[");
    if (p == std::string::npos) return out;
    p += 9;
    while (line[p] == '[' || line[p] == ',') {
        if (line[p] == ',') {
            ++p;
            continue;
        }
        Ball b{};
        int used = 0;
        if (std::sscanf(line.c_str() + p, "[%lf,%lf,%d]%n", &b.x, &b.y, &b.alive, &used) != 3) break;
        out.push_back(b);
        p += static_cast<std::size_t>(used);
    }
    return out;
}

std::string Text(const std::string& line, const std::string& name) {
    std::string key = "\"" + name + "\":\"";
    std::size_t p = line.find(key);
    if (p == std::string::npos) return "?";
    p += key.size();
    return line.substr(p, line.find('"', p) - p);
}

std::string Array(const std::string& line, const std::string& name) {
    std::string key = "\"" + name + "\":";
    std::size_t p = line.find(key);
    if (p == std::string::npos) return "?";
    p += key.size();
    return line.substr(p, line.find(']', p) + 1 - p);
}

// Starts the game with a left click in frame 2: frame 3 is the play scene's entry frame.
const char kStart[] = "2 ldown\n2 lup\n";

}  // namespace

TEST(Game, RightClicksStepTheLevelAroundAndALeftClickStarts) {
    auto t = RunGame("2 rdown\n3 rup\n3 rdown\n4 rup\n4 rdown\n4 rdbl\n5 rdbl\n6 rdown\n6 ldown\n", 8, 0, kTime);
    ASSERT_GE(t.size(), 8u);
    // The double-click in frame 4 is the same frame's second press; frame 5's is a press of its own.
    const int levels[] = {1, 2, 3, 1, 2, 3, 3, 3};
    for (int f = 1; f <= 8; ++f) EXPECT_EQ(Field(t[f - 1], "level"), levels[f - 1]) << "after frame " << f;
    EXPECT_EQ(Field(t[5], "next_scene"), 1) << "right and left in one frame: step, then start";
    EXPECT_EQ(Field(t[6], "scene"), 1);
    EXPECT_EQ(Field(t[6], "entered"), 1);
}

TEST(Game, AGameLastsExactly600FramesAndTheLevelSurvivesIt) {
    auto t = RunGame(std::string("1 rdown\n") + kStart + "700 ldown\n", 760, 0, kTime);
    int playFrames = 0, firstResult = 0;
    for (const auto& line : t) {
        if (Field(line, "scene") == 1) ++playFrames;
        if (Field(line, "scene") == 3 && firstResult == 0) firstResult = static_cast<int>(Field(line, "frame"));
    }
    EXPECT_EQ(playFrames, 600);
    EXPECT_EQ(firstResult, 603);
    EXPECT_EQ(Field(t[2], "time_left"), 599);
    EXPECT_EQ(Field(t[601], "time_left"), 0);
    EXPECT_EQ(Field(t[602], "entered"), 1);
    EXPECT_EQ(Field(t[699], "next_scene"), 2) << "a click after the first second returns to the title";
    EXPECT_EQ(Field(t[700], "level"), 2);
    EXPECT_EQ(Text(t[602], "password"), "SXA") << "score 0 at level 2";
}

TEST(Game, TheWaveFollowsTheGeneratorSeededWithTheEntryFramesTime) {
    // Worked out by hand from the rules: the play scene's entry frame seeds the generator with
    // the calendar time, 1700000000, and draws seed = seed * 214013 + 2531011 (mod 2^32),
    // value = (seed >> 16) & 0x7FFF; its values run 28462, 1027, 22663, 25444, 9533, ...
    // The entry frame lays out a wave (values 1 to 120) and at once a second one (121 to 240),
    // which stays: ball i takes values r1, r2, r3 = 121 + 3i, 122 + 3i, 123 + 3i, and lies at
    // x = r1 * 320 / 32767 + 80, y = r2 * 200 / 32767 + 80, flying at 2 r3 * 3.1415926 / 32767.
    //   ball  0: 22113, 30374, 30052 -> (295, 265), angle 5.76257
    //   ball  1: 26103, 27531, 15321 -> (334, 248), angle 2.93785
    //   ball 39:  9457,   432, 12494 -> (172,  82), angle 2.39577
    // The next frame moves each 9 pixels (level 1) along its angle, in doubles stored as floats:
    // ball 0 to (295 + 9 cos 5.76257, 265 + 9 sin 5.76257) = (302.807648, 260.523315).
    struct Case { int ball; float x, y, nextX, nextY; } cases[] = {
        {0, 295, 265, 302.807648f, 260.523315f},
        {1, 334, 248, 325.186157f, 249.820984f},
        {39, 172, 82, 165.389252f, 88.1072006f},
    };
    auto t = RunGame(kStart, 4, 0, kTime);
    ASSERT_EQ(t.size(), 4u);
    std::vector<Ball> seen = Balls(t[2]), moved = Balls(t[3]);
    ASSERT_EQ(seen.size(), 40u);
    ASSERT_EQ(moved.size(), 40u);
    for (const Case& c : cases) {
        EXPECT_EQ(seen[c.ball].x, c.x) << "ball " << c.ball;
        EXPECT_EQ(seen[c.ball].y, c.y) << "ball " << c.ball;
        EXPECT_EQ(seen[c.ball].alive, 1) << "ball " << c.ball;
        EXPECT_EQ(static_cast<float>(moved[c.ball].x), c.nextX) << "ball " << c.ball;
        EXPECT_EQ(static_cast<float>(moved[c.ball].y), c.nextY) << "ball " << c.ball;
    }
}

TEST(Game, AClickPopsEveryLiveBallWithinTwentyPixels) {
    // In the wave of the test above, ball 19 lies at (321, 110) with no other ball within 50
    // pixels; balls 13 and 29 lie at (339, 180) and (338, 183), with no third ball within 20
    // pixels of (339, 180). A click in frame 4 began with 599 frames left: 21 + 599 mod 40 = 60.
    struct Case { const char* what; int mx, my; std::vector<int> popped; int score, nextHit; } cases[] = {
        {"20.02 pixels from ball 19 (20, 1)", 341, 111, {}, 0, 0},
        {"exactly 20 pixels from ball 19 (12, 16)", 333, 126, {19}, 60, 1},
        {"on ball 13, 3.2 pixels from ball 29", 339, 180, {13, 29}, 120, 2},
    };
    for (const Case& c : cases) {
        std::string script = std::string(kStart) + "4 move " + std::to_string(c.mx) + " " +
                             std::to_string(c.my) + "\n4 ldown\n";
        auto t = RunGame(script, 4, 0, kTime);
        ASSERT_EQ(t.size(), 4u);
        std::vector<Ball> balls = Balls(t[3]);
        ASSERT_EQ(balls.size(), 40u);
        std::vector<int> popped;
        for (int i = 0; i < 40; ++i)
            if (balls[i].alive == 0) popped.push_back(i);
        EXPECT_EQ(popped, c.popped) << c.what;
        EXPECT_EQ(Field(t[3], "score"), c.score) << c.what;
        EXPECT_EQ(Field(t[3], "next_hit"), c.nextHit) << c.what;
    }
    // Both pops of one click sound, each on the next of the five copies.
    auto t = RunGame(std::string(kStart) + "4 move 339 180\n4 ldown\n", 4, 0, kTime);
    EXPECT_EQ(Array(t[3], "sounds"), "[" + std::to_string(Game.HitSounds[0]) + "," +
                                         std::to_string(Game.HitSounds[1]) + "]");
}

TEST(Game, FiveDistinctHitSoundSlots) {
    RunGame("", 1, 0, kTime);
    for (int i = 0; i < kHitSoundCount; ++i)
        for (int j = i + 1; j < kHitSoundCount; ++j) EXPECT_NE(Game.HitSounds[i], Game.HitSounds[j]);
    EXPECT_NE(Game.SheetObject, 0);
    EXPECT_EQ(Game.Level, 1);
    EXPECT_EQ(Game.Score, 0);
    EXPECT_EQ(Game.TimeLeft, 0);
}

TEST(Game, PasswordsAreCapitalsWithTheLastAtMostX) {
    struct Case { int score, level; const char* letters; } cases[] = {
        {0, 1, "ZCA"}, {0, 2, "SXA"}, {420, 3, nullptr}, {36000, 1, nullptr},
    };
    for (const auto& c : cases) {
        Game.Score = c.score;
        Game.Level = c.level;
        MakePassword();
        if (c.letters != nullptr) {
            EXPECT_STREQ(Game.PasswordLetters, c.letters) << c.score << "/" << c.level;
        }
    }
    for (int level = 1; level <= 3; ++level)
        for (int score = 0; score <= 36000; score += 7) {
            Game.Score = score;
            Game.Level = level;
            MakePassword();
            std::string p = Game.PasswordLetters;
            ASSERT_EQ(p.size(), 3u);
            for (char ch : p) ASSERT_TRUE(ch >= 'A' && ch <= 'Z') << p;
            ASSERT_LE(p[2], 'X') << score << "/" << level;
        }
    Game.reset();
}

TEST(Game, ResultAcceptsTheLeftClickAfterOneSecondAndShowsTheVersionBox) {
    // One millisecond per frame: the result is entered in frame 603 at tick 603.
    auto run = [](const std::string& extra) { return RunGame(std::string(kStart) + extra, 1700, 0, kTime, 1); };
    auto early = run("1602 ldown\n");   // 999 ms after entry
    EXPECT_EQ(Field(early[1601], "next_scene"), 3);
    auto late = run("1603 ldown\n");    // 1000 ms after entry
    EXPECT_EQ(Field(late[1602], "next_scene"), 2);

    auto box = run("1650 rdown\n1650 ldown\n");
    EXPECT_NE(box[1649].find("\"boxes\":[{\"caption\":\"Message\",\"text\":\"Quorbix v1.0\\r\\n\"}]"),
              std::string::npos) << box[1649];
    EXPECT_EQ(Field(box[1649], "next_scene"), 2) << "the box first, then back to the title";
}

TEST(Game, TitleRowsAlternateBetweenTheFirstTwoBallCells) {
    // The sheet as the bitmap file holds it: 192 x 48, 24 bits, bottom-up.
    std::ifstream in(QRB_SOURCE_DIR "/assets/CHARA.bmp", std::ios::binary);
    std::vector<unsigned char> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bmp.size(), 54u + 192 * 48 * 3);
    auto sheet = [&](int x, int y) {
        const unsigned char* p = bmp.data() + 54 + (47 - y) * 192 * 3 + x * 3;
        return static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
    };
    static std::vector<std::vector<std::uint32_t>> frames;
    frames.clear();
    hl::Config cfg;
    cfg.frames = 2;
    cfg.time = kTime;
    hl::configure(cfg);
    UseGame();
    ResetProgramState();
    hl::setSlotEndHook([](int, void*) { frames.push_back(hl::shownPicture().pixels); }, nullptr);
    WinMain("", platform::SW_SHOWNORMAL);
    hl::setSlotEndHook(nullptr, nullptr);
    ASSERT_EQ(frames.size(), 2u);
    for (int f = 0; f < 2; ++f) {
        int cell = f + 1;
        int mismatches = 0;
        for (int row : {0, 150})
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 48; ++x) {
                    std::uint32_t s = sheet(48 * cell + x, y);
                    std::uint32_t want = s == 0x00FF00 ? 0 : s;   // the key shows the black below
                    mismatches += frames[f][static_cast<std::size_t>(row + y) * 480 + 96 + x] != want;
                }
        EXPECT_EQ(mismatches, 0) << "frame " << f + 1 << " should show cell " << cell;
    }
}

TEST(ScriptClock, TimeEventsSeedTheGameAsTheCalendarWould) {
    // A time event at frame 0 is the calendar at start-up: the wave is the one --time gives,
    // ball 0 at (295, 265) (Game.TheWaveFollowsTheGeneratorSeededWithTheEntryFramesTime).
    const auto byScript = RunGame("0 time 1700000000\n" + std::string(kStart), 3);
    ASSERT_EQ(byScript.size(), 3u);
    EXPECT_EQ(Balls(byScript[2])[0].x, 295);
    EXPECT_EQ(Balls(byScript[2])[0].y, 265);
    // A time given during the title decides the play's balls: seeded with 99999, the second
    // layout's ball 0 takes the generator's values 10034 and 1633, which place it at (177, 89).
    const auto later = RunGame("0 time 1700000000\n2 time 99999\n" + std::string(kStart), 3);
    ASSERT_EQ(later.size(), 3u);
    EXPECT_EQ(Balls(later[2])[0].x, 177);
    EXPECT_EQ(Balls(later[2])[0].y, 89);
}

TEST(WindowIcon, TheGameWindowGetsItsIconResource) {
    // The game's window class asks for the icon "MAIN": a 48 x 48 top-down BMP of 32-bit pixels
    // with an alpha mask, 14 + 108 header bytes and 48 * 48 * 4 pixel bytes, 9338 in all.
    const platform::ResourceEntry* icon = platform::findResource("MAIN", "ICON");
    ASSERT_NE(icon, nullptr);
    ASSERT_EQ(icon->size, 9338u);
    RunGame("", 2);
    EXPECT_EQ(platform::headless::windowIconBytes(), icon->size) << "the window got the whole icon";

    auto le = [&](std::size_t at, int bytes) {
        std::uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i) v = v << 8 | icon->data[at + static_cast<std::size_t>(i)];
        return v;
    };
    EXPECT_EQ(icon->data[0], 'B');
    EXPECT_EQ(icon->data[1], 'M');
    EXPECT_EQ(le(2, 4), 9338u) << "file size";
    EXPECT_EQ(le(10, 4), 122u) << "pixel offset";
    EXPECT_EQ(le(14, 4), 108u) << "header with colour masks";
    EXPECT_EQ(le(18, 4), 48u);
    EXPECT_EQ(static_cast<std::int32_t>(le(22, 4)), -48) << "top row first";
    EXPECT_EQ(le(28, 2), 32u);
    EXPECT_EQ(le(30, 4), 3u) << "bit fields";
    EXPECT_EQ(le(66, 4), 0xFF000000u) << "alpha mask";
    // The ball fills a circle of radius 22 about (23.5, 23.5): the corners are clear, the middle
    // is opaque, and on the middle row the edge falls between x 1 (all outside) and 2 (all in).
    auto alpha = [&](int x, int y) { return le(122 + static_cast<std::size_t>(y * 48 + x) * 4, 4) >> 24; };
    EXPECT_EQ(alpha(0, 0), 0u);
    EXPECT_EQ(alpha(47, 47), 0u);
    EXPECT_EQ(alpha(24, 24), 255u);
    EXPECT_EQ(alpha(1, 23), 0u);
    EXPECT_EQ(alpha(2, 23), 255u);
    EXPECT_NE(le(122 + (24 * 48 + 24) * 4, 4) & 0xFFFFFF, 0u) << "the middle is coloured";
}
