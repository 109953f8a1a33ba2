// The game end to end through the headless runner: levels, the length of a game, the wave
// layout, popping, scores, hit sounds, the result's password, lock and version box, and the
// title's rows of balls.
#include <gtest/gtest.h>

#include <cmath>
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
#include "platform/headless/headless.h"
#include "test_support.h"

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

// The wave the player sees after the play scene's entry frame: the generator seeded with the
// calendar time lays out one wave (120 values) and at once a second one, which stays.
std::vector<Ball> SecondLayout(std::uint32_t seed) {
    auto next = [&seed] {
        seed = seed * 214013u + 2531011u;
        return static_cast<int>((seed >> 16) & 0x7FFF);
    };
    for (int i = 0; i < 120; ++i) next();
    std::vector<Ball> out;
    for (int i = 0; i < 40; ++i) {
        int r1 = next(), r2 = next();
        next();
        out.push_back({static_cast<double>(r1 * 320 / 32767 + 80), static_cast<double>(r2 * 200 / 32767 + 80), 1});
    }
    return out;
}

// Starts the game with a left click in frame 2: frame 3 is the play scene's entry frame.
const char kStart[] = "2 ldown\n2 lup\n";

}  // namespace

TEST(Game, RightClicksStepTheLevelAroundAndALeftClickStarts) {
    auto t = RunScript("2 rdown\n3 rup\n3 rdown\n4 rup\n4 rdown\n4 rdbl\n5 rdbl\n6 rdown\n6 ldown\n", 8, 0, kTime);
    ASSERT_GE(t.size(), 8u);
    // The double-click in frame 4 is the same frame's second press; frame 5's is a press of its own.
    const int levels[] = {1, 2, 3, 1, 2, 3, 3, 3};
    for (int f = 1; f <= 8; ++f) EXPECT_EQ(Field(t[f - 1], "level"), levels[f - 1]) << "after frame " << f;
    EXPECT_EQ(Field(t[5], "next_scene"), 1) << "right and left in one frame: step, then start";
    EXPECT_EQ(Field(t[6], "scene"), 1);
    EXPECT_EQ(Field(t[6], "entered"), 1);
}

TEST(Game, AGameLastsExactly600FramesAndTheLevelSurvivesIt) {
    auto t = RunScript(std::string("1 rdown\n") + kStart + "700 ldown\n", 760, 0, kTime);
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
    auto t = RunScript(kStart, 4, 0, kTime);
    ASSERT_EQ(t.size(), 4u);
    std::vector<Ball> seen = Balls(t[2]);
    std::vector<Ball> expected = SecondLayout(static_cast<std::uint32_t>(kTime));
    ASSERT_EQ(seen.size(), 40u);
    for (int i : {0, 1, 17, 39}) {
        EXPECT_EQ(seen[i].x, expected[i].x) << "ball " << i;
        EXPECT_EQ(seen[i].y, expected[i].y) << "ball " << i;
        EXPECT_EQ(seen[i].alive, 1);
    }
    // Level 1 moves 9 pixels a frame along the ball's direction.
    std::vector<Ball> moved = Balls(t[3]);
    double d = std::hypot(moved[5].x - seen[5].x, moved[5].y - seen[5].y);
    EXPECT_NEAR(d, 9.0, 1e-3);
}

TEST(Game, AClickPopsEveryLiveBallWithinTwentyPixels) {
    std::vector<Ball> balls = SecondLayout(static_cast<std::uint32_t>(kTime));
    auto within = [&](int mx, int my) {
        std::vector<int> hit;
        for (int i = 0; i < 40; ++i)
            if ((balls[i].x - mx) * (balls[i].x - mx) + (balls[i].y - my) * (balls[i].y - my) <= 400) hit.push_back(i);
        return hit;
    };
    // One ball alone at exactly 20 pixels (12, 16), and alone just beyond (20, 1): 20.02 pixels.
    int lone = -1;
    for (int i = 0; i < 40 && lone < 0; ++i) {
        int x = static_cast<int>(balls[i].x), y = static_cast<int>(balls[i].y);
        if (within(x + 12, y + 16) == std::vector<int>{i} && within(x + 20, y + 1).empty()) lone = i;
    }
    ASSERT_GE(lone, 0) << "no isolated ball in this layout";
    int lx = static_cast<int>(balls[lone].x), ly = static_cast<int>(balls[lone].y);

    struct Case { const char* what; int mx, my; int popped; int score; };
    const Case cases[] = {
        {"20.02 pixels away", lx + 20, ly + 1, 0, 0},
        {"exactly 20 pixels away", lx + 12, ly + 16, 1, 60},
    };
    for (const auto& c : cases) {
        std::string script = std::string(kStart) + "4 move " + std::to_string(c.mx) + " " +
                             std::to_string(c.my) + "\n4 ldown\n";
        auto t = RunScript(script, 4, 0, kTime);
        ASSERT_EQ(t.size(), 4u);
        EXPECT_EQ(Balls(t[3])[lone].alive, c.popped ? 0 : 1) << c.what;
        // The frame began with 599 frames left: 21 + 599 mod 40 = 60.
        EXPECT_EQ(Field(t[3], "score"), c.score) << c.what;
    }

    // Two balls within reach of one point: both pop, each scores and sounds, in turn.
    int px = -1, py = -1;
    for (int i = 0; i < 40 && px < 0; ++i)
        for (int dy = -20; dy <= 20 && px < 0; ++dy)
            for (int dx = -20; dx <= 20 && px < 0; ++dx) {
                int x = static_cast<int>(balls[i].x) + dx, y = static_cast<int>(balls[i].y) + dy;
                if (within(x, y).size() == 2) px = x, py = y;
            }
    ASSERT_GE(px, 0) << "no two balls close together in this layout";
    std::string script = std::string(kStart) + "4 move " + std::to_string(px) + " " + std::to_string(py) +
                         "\n4 ldown\n";
    auto t = RunScript(script, 4, 0, kTime);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(Field(t[3], "score"), 120);
    EXPECT_EQ(Field(t[3], "next_hit"), 2);
    EXPECT_EQ(Array(t[3], "sounds"), "[" + std::to_string(Game.HitSounds[0]) + "," +
                                         std::to_string(Game.HitSounds[1]) + "]");
}

TEST(Game, FiveDistinctHitSoundSlots) {
    RunScript("", 1, 0, kTime);
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
    auto run = [](const std::string& extra) { return RunScript(std::string(kStart) + extra, 1700, 0, kTime, 1); };
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
