// The examples of docs/framework.md end to end, headless: each does what the guide says it does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <quorbix/draw.h>

#include "examples/examples.h"
#include "examples/run_example.h"

#include <quorbix/headless.h>
#include <quorbix/joystick.h>
#include <quorbix/sound.h>
#include <quorbix/system.h>

namespace {

std::vector<std::string> RunChecked(void (*use)(), const std::string& script, int frames) {
    std::string error;
    std::vector<std::string> trace = RunExample(use, script, frames, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(trace.size(), static_cast<std::size_t>(frames));
    return trace;
}

bool Has(const std::string& line, const std::string& text) { return line.find(text) != std::string::npos; }

// The last picture the run presented, 0x00RRGGBB.
std::uint32_t Shown(int x, int y) {
    const auto& pic = quorbix::ShownPicture();
    return pic.pixels[static_cast<std::size_t>(y) * pic.width + x] & 0xFFFFFF;
}

int LitPixels(int left, int top, int right, int bottom) {
    int lit = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) lit += Shown(x, y) != 0 ? 1 : 0;
    return lit;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The last `path` with a directory in the text, or "".
std::string LastPath(const std::string& text) {
    std::string last;
    for (std::size_t start = text.find('`'); start != std::string::npos; start = text.find('`', start + 1)) {
        const std::size_t end = text.find('`', start + 1);
        if (end == std::string::npos) break;
        const std::string name = text.substr(start + 1, end - start - 1);
        if (name.find('/') != std::string::npos && name.find(' ') == std::string::npos) last = name;
        start = end;
    }
    return last;
}

}  // namespace

// Every C++ and CMake block of the guide is quoted word for word from the file named just before
// it, so that the guide only shows code that the build compiles and these tests run.
TEST(Examples, TheGuideQuotesItsFilesWordForWord) {
    const std::string guide = ReadFile(QRB_SOURCE_DIR "/docs/framework.md");
    ASSERT_FALSE(guide.empty());
    int quoted = 0;
    std::map<std::string, std::string> quotedFrom;   // each C++ file's quoted blocks
    std::size_t from = 0;   // where the text after the last block begins
    for (std::size_t at = guide.find("\n```"); at != std::string::npos; at = guide.find("\n```", from)) {
        const std::size_t body = guide.find('\n', at + 1) + 1;
        const std::size_t end = guide.find("\n```", body - 1);
        ASSERT_NE(end, std::string::npos) << "a block without its end";
        const std::string lang = guide.substr(at + 4, body - 1 - (at + 4));
        const std::string code = guide.substr(body, end + 1 - body);
        // The paragraph just before the block.
        const std::size_t paragraph = std::max(from, guide.rfind("\n\n", at - 2) + 1);
        const std::string before = guide.substr(paragraph, at - paragraph);
        from = end + 4;
        if (lang != "cpp" && lang != "cmake") continue;
        const std::string path = LastPath(before);
        ASSERT_NE(path, "") << "no file named before the block:\n" << code;
        const std::string file = ReadFile(std::string(QRB_SOURCE_DIR "/") + path);
        EXPECT_NE(file.find(code), std::string::npos) << "not in " << path << ":\n" << code;
        if (lang == "cpp") quotedFrom[path] += code;
        ++quoted;
    }
    EXPECT_GE(quoted, 20);
    // A snippet compiles as shown only with its headers: every C++ file the guide quotes has its
    // #include lines quoted too.
    for (const auto& [path, code] : quotedFrom) {
        std::istringstream lines(ReadFile(std::string(QRB_SOURCE_DIR "/") + path));
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("#include", 0) != 0) continue;
            EXPECT_NE(code.find(line + "\n"), std::string::npos) << path << " is quoted without " << line;
        }
    }
}

TEST(Examples, FirstSceneEntersOnceAndChangesSceneOnTheFrameAfterAClick) {
    auto t = RunChecked(UseFirstScene, "5 ldown\n5 lup\n30 rdown\n30 rup\n", 32);
    struct Case { int frame, scene, entered, next; };
    const Case cases[] = {
        {1, 2, 1, 2}, {2, 2, 0, 2}, {5, 2, 0, 1}, {6, 1, 1, 1}, {7, 1, 0, 1}, {30, 1, 0, 2}, {31, 2, 1, 2},
    };
    for (const Case& c : cases) {
        const std::string& line = t[c.frame - 1];
        EXPECT_EQ(quorbix::TraceField(line, "scene"), c.scene) << "frame " << c.frame;
        EXPECT_EQ(quorbix::TraceField(line, "entered"), c.entered) << "frame " << c.frame;
        EXPECT_EQ(quorbix::TraceField(line, "next_scene"), c.next) << "frame " << c.frame;
    }
    EXPECT_EQ(quorbix::TraceField(t[4], "left_click"), 1);
    EXPECT_EQ(quorbix::TraceField(t[5], "left_click"), 0) << "a click is seen by one frame only";
}

TEST(Examples, BitmapsAreKeyedClippedAndStretchedAsTheCommentsSay) {
    RunChecked(UseBitmaps, "", 2);
    const std::uint32_t white = 0xFFFFFF, green = 0x00FF00;
    struct Case { const char* what; int x, y; bool ball; std::uint32_t exact; };
    const Case cases[] = {
        {"keyed ball's centre", 64, 64, true, 0},
        {"keyed ball's corner shows the white", 41, 41, false, white},
        {"right half of the clipped ball at the left edge", 2, 124, true, 0},
        {"opaque copy's corner is green", 141, 41, false, green},
        {"stretched copy's corner is green", 242, 42, false, green},
        {"ball inside the ClipWindow", 168, 229, true, 0},
        {"ball left of the ClipWindow is clipped", 72, 229, false, white},
        {"ball right of the ClipWindow is clipped", 408, 229, false, white},
    };
    for (const Case& c : cases) {
        const std::uint32_t seen = Shown(c.x, c.y);
        if (c.ball)
            EXPECT_TRUE(seen != white && seen != green) << c.what << ": 0x" << std::hex << seen;
        else
            EXPECT_EQ(seen, c.exact) << c.what;
    }
}

TEST(Examples, TextsDrawTheTitleAndWrapTheBox) {
    RunChecked(UseTexts, "", 2);
    EXPECT_GT(LitPixels(40, 30, 280, 70), 200) << "the title";
    EXPECT_GT(LitPixels(300, 90, 420, 112), 500) << "the opaque score line";
    // The box is 240 pixels wide: the story needs at least three lines of 16-pixel text.
    EXPECT_GT(LitPixels(200, 172, 440, 190), 50) << "the box's third line";
    EXPECT_EQ(LitPixels(0, 230, 480, 300), 0) << "nothing below the story";
}

// The same program in each language: its own table's texts where they stand, and a language
// chosen before the start is the one the texts are converted and drawn in.
TEST(Examples, LanguagesShowTheTableOfTheLanguageChosen) {
    auto band = [] {
        std::vector<std::uint32_t> pixels;
        for (int y = 250; y < 305; ++y)
            for (int x = 0; x < 480; ++x) pixels.push_back(Shown(x, y));
        return pixels;
    };
    RunChecked(UseLanguages, "", 2);
    const auto japanese = band();
    EXPECT_GT(LitPixels(70, 250, 300, 275), 100) << "the start line in Japanese";
    RunChecked([] { UseLanguages(); quorbix::SetLanguage("en"); }, "", 2);
    const auto english = band();
    EXPECT_GT(LitPixels(70, 280, 300, 305), 100) << "the quit line in English";
    EXPECT_NE(japanese, english) << "the English run drew the Japanese texts";
    RunChecked(UseLanguages, "", 2);
    EXPECT_EQ(band(), japanese) << "a later run did not go back to Japanese";
}

TEST(Examples, SoundsPlayTheCopiesInTurnWithTheirControls) {
    auto t = RunChecked(UseSounds, "3 move 40 100\n3 ldown\n4 ldown\n5 ldown\n6 ldown\n8 rdown\n12 rdown\n", 13);
    struct Case { int frame; const char* sounds; };
    const Case cases[] = {{3, "[0]"}, {4, "[1]"}, {5, "[2]"}, {6, "[0]"}, {8, "[3]"}, {12, "[]"}};
    for (const Case& c : cases)
        EXPECT_TRUE(Has(t[c.frame - 1], std::string("\"sounds\":") + c.sounds)) << "frame " << c.frame << ": "
                                                                                 << t[c.frame - 1];
    // x 40 pans 83 steps left; the hum is 6000 Hz below HIT's 11025 and 12 dB down.
    EXPECT_EQ(elSound::Slot(0)->Pan, -8300);
    EXPECT_EQ(elSound::Slot(3)->Frequency, 5025u);
    EXPECT_EQ(elSound::Slot(3)->Volume, -1200);
}

TEST(Examples, MusicRunsInOneSceneStopsInTheOtherAndCanEndItsLoop) {
    auto t = RunChecked(UseMusic, "10 ldown\n20 ldown\n25 rdown\n", 26);
    struct Case { int frame; const char* midi; };
    const Case cases[] = {
        {1, "{\"open\":1,\"loop\":1,\"playing\":1}"},
        {11, "{\"open\":0,\"loop\":1,\"playing\":0}"},
        {21, "{\"open\":1,\"loop\":1,\"playing\":1}"},
        {25, "{\"open\":1,\"loop\":0,\"playing\":1}"},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Has(t[c.frame - 1], std::string("\"midi\":") + c.midi)) << "frame " << c.frame << ": "
                                                                             << t[c.frame - 1];
}

TEST(Examples, EveryTransitionCoversForTenFramesThenTheNextSceneUncovers) {
    const int clicks[] = {3, 28, 53, 78, 103, 128, 153, 178, 203};
    std::string script;
    for (int c : clicks) script += std::to_string(c) + " ldown\n";
    auto t = RunChecked(UseTransitions, script, 225);
    int scene = 2;
    for (int c : clicks) {
        for (int f = c + 1; f <= c + 10; ++f) EXPECT_EQ(quorbix::TraceField(t[f - 1], "scene"), 0) << "frame " << f;
        scene = scene == 2 ? 3 : 2;
        EXPECT_EQ(quorbix::TraceField(t[c + 10], "scene"), scene) << "frame " << c + 11;
        EXPECT_EQ(quorbix::TraceField(t[c + 10], "entered"), 1) << "frame " << c + 11;
    }
    EXPECT_EQ(Present.TransitionStyle, 8) << "the ninth click used the last style";
    EXPECT_EQ(Present.TransitionStep, 0) << "the last uncovering half is over";
}

TEST(Examples, WipesCloseBeforeTheSceneChangesAndTheNextSceneOpens) {
    // The opening wipe of the first scene is over after frame 7; a click before that is ignored.
    auto t = RunChecked(UseWipes, "5 ldown\n12 ldown\n40 ldown\n", 70);
    std::vector<int> entries;
    for (const std::string& line : t)
        if (quorbix::TraceField(line, "entered") == 1) entries.push_back(static_cast<int>(quorbix::TraceField(line, "frame")));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_GT(entries[1], 14) << "the closing wipe takes frames";
    EXPECT_LT(entries[1], 40);
    EXPECT_GT(entries[2], 41);
    const elDraw::ClipRect& w = elDraw::Display.ClipWindow;
    EXPECT_EQ(w.left, 0);
    EXPECT_EQ(w.top, 0);
    EXPECT_EQ(w.right, 480);
    EXPECT_EQ(w.bottom, 360);
    EXPECT_EQ(elDraw::Wipe.ClipWipeOpened, 1);
}

TEST(Examples, EffectsAdvanceTheWaveBySpeedTimesFrameDelta) {
    RunChecked(UseEffects, "", 30);
    // 180 degrees a second for 30 frames of 50 ms is 270 degrees.
    EXPECT_NEAR(elDraw::Effects.WavePhase, 270.0f, 0.01f);
    EXPECT_GT(LitPixels(250, 20, 470, 180), 1000) << "the mirrored poster";
}

TEST(Examples, InputMovesAtASpeedPerSecondAndRampsTheStick) {
    const Example* e = FindExample("input");
    ASSERT_NE(e, nullptr);
    RunChecked(e->use, e->script, e->frames);
    // Ten frames right and six left at 8 pixels a frame: the ball's centre at 272, its cell's
    // ball from column 2 on, so its first lit pixel at 272 - 24 + 2.
    int first = -1;
    for (int x = 0; x < 480 && first < 0; ++x)
        if (Shown(x, 180) != 0) first = x;
    EXPECT_EQ(first, 250);
    // Six frames left at 200 a second, then five frames back toward 0.
    EXPECT_EQ(static_cast<int>(elJoystick::Joysticks.Pad[0].AnalogX), -10);
}

TEST(Examples, GameSetupRunsThirtyMillisecondFramesThroughItsSceneTable) {
    const Example* e = FindExample("game-setup");
    ASSERT_NE(e, nullptr);
    auto t = RunChecked(e->use, e->script, e->frames);
    EXPECT_EQ(quorbix::TraceField(t[1], "tick") - quorbix::TraceField(t[0], "tick"), 30);
    struct Case { int frame, scene; const char* sounds; };
    const Case cases[] = {{2, 1, "[]"}, {3, 2, "[]"}, {5, 2, "[0]"}, {6, 2, "[0]"}, {9, 2, "[]"}, {10, 3, "[]"}};
    for (const Case& c : cases) {
        EXPECT_EQ(quorbix::TraceField(t[c.frame - 1], "scene"), c.scene) << "frame " << c.frame;
        EXPECT_TRUE(Has(t[c.frame - 1], std::string("\"sounds\":") + c.sounds)) << "frame " << c.frame << ": "
                                                                                 << t[c.frame - 1];
    }
    EXPECT_EQ(quorbix::TraceField(t[11], "objects"), 1) << "one picture; the shots share one slot";
}

TEST(Examples, ErrorsShowTheirBoxesAndTheProgramGoesOn) {
    auto t = RunChecked(UseErrors, "5 ldown\n6 rdown\n", 8);
    struct Case { int frame; const char* box; };
    const Case cases[] = {
        {1, "{\"caption\":\"エラー発生\",\"text\":\"elDraw::LoadObject : BMPファイルを読み込めません\"}"},
        {5, "{\"caption\":\"エラー発生\",\"text\":\"LoadStage : 面データが見つかりません\"}"},
        {6, "{\"caption\":\"Message\",\"text\":\"Stage 1 of 8\\r\\n\"}"},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Has(t[c.frame - 1], c.box)) << "frame " << c.frame << ": " << t[c.frame - 1];
    EXPECT_EQ(quorbix::TraceField(t[7], "ran"), 1);
    EXPECT_EQ(quorbix::TraceField(t[7], "objects"), 1) << "the failed load keeps its slot";
}

TEST(Examples, DrawingFillsTurnsAndBlendsAsTheCommentsSay) {
    RunChecked(UseDrawing, "", 2);
    const std::uint32_t blue = 0x101040;   // COLORREF 0x401010 as 0x00RRGGBB
    EXPECT_EQ(Shown(5, 300), blue) << "the background";
    EXPECT_EQ(Shown(100, 28), 0x00C000u) << "the full part of the bar";
    EXPECT_EQ(Shown(200, 28), 0xFFFFFFu) << "the empty part of the bar";
    EXPECT_EQ(Shown(50, 100), 0xFFFF00u) << "the dot's left end";
    EXPECT_EQ(Shown(49, 100), blue) << "radius 10 reaches 50 and no further";
    EXPECT_EQ(Shown(59, 91), 0xFFFF00u) << "near the dot's top, left of the glow's square";
    EXPECT_EQ(Shown(59, 89), blue) << "above the dot";
    // The glow's middle is nearly solid over the blue; its corner (alpha 0) leaves the blue.
    const std::uint32_t mid = Shown(76, 100);
    EXPECT_GT(mid >> 16, 0xE0u) << std::hex << mid;
    EXPECT_NE(mid, 0xFFE678u) << "not the glow's own colour: its alpha is below 255 there";
    EXPECT_EQ(Shown(90, 85), blue);
    // Frame 2 turns the ball 6 degrees at scale 2: it covers the centre, its key leaves corners.
    EXPECT_NE(Shown(240, 180), blue);
    EXPECT_EQ(Shown(240 - 47, 180 - 47), blue);
}

// Without a sound device a program shows the one box that says so at start-up and goes on
// silent: loading, playing, music, losing and regaining activation and restoring the surfaces
// show no further box from the same cause.
TEST(Examples, WithoutASoundDeviceOneBoxThenSilence) {
    const char* script = "3 move 100 100\n3 ldown\n3 lup\n6 ldown\n6 lup\n8 rdown\n8 rup\n10 activate 0\n"
                         "12 activate 1\n14 lose-surfaces\n16 ldown\n16 lup\n18 ldown\n18 lup\n";
    for (void (*use)() : {UseSounds, UseMusic}) {
        static void (*installed)() = nullptr;
        installed = use;
        std::ostringstream trace;
        quorbix::RunOptions options;
        options.config.frames = 24;
        options.script = script;
        options.trace = &trace;
        options.prepare = [] {
            installed();
            quorbix::SetAudioDevicePresent(false);
        };
        std::string error;
        ASSERT_EQ(quorbix::RunHeadless(options, error), 0) << error;
        quorbix::SetAudioDevicePresent(true);
        std::istringstream lines(trace.str());
        std::string line;
        std::vector<std::string> boxes;
        while (std::getline(lines, line)) {
            for (std::size_t at = line.find("\"text\":"); at != std::string::npos; at = line.find("\"text\":", at + 1))
                boxes.push_back(line.substr(at, line.find('"', at + 8) - at));
        }
        ASSERT_EQ(boxes.size(), 1u) << (use == UseSounds ? "sounds: " : "music: ") << boxes.back();
        EXPECT_EQ(boxes[0], "\"text\":\"elSound::Init : DirectSoundが使用できません");
    }
}

TEST(Examples, TraceListReadsTheNumbersOfAnArrayField) {
    const std::string line =
        R"({"frame":3,"mouse":[12,-4],"boxes":[{"caption":"a","text":"b"}],"sounds":[0, 29],"midi":{"open":0}})";
    EXPECT_EQ(quorbix::TraceList(line, "sounds"), (std::vector<long long>{0, 29}));
    EXPECT_EQ(quorbix::TraceList(line, "mouse"), (std::vector<long long>{12, -4}));
    EXPECT_TRUE(quorbix::TraceList(line, "boxes").empty()) << "an array of objects holds no numbers";
    EXPECT_TRUE(quorbix::TraceList(line, "absent").empty());
    EXPECT_TRUE(quorbix::TraceList(R"({"sounds":[]})", "sounds").empty());
    EXPECT_TRUE(quorbix::TraceList(R"({"sounds":[3,)", "sounds") == (std::vector<long long>{3})) << "a cut line";
}

// The coin lies where the example's own generator, seeded with the calendar time (0 headless),
// puts it; the sprite touching its edge does not pick it up, one pixel over does.
TEST(Examples, HelpersPlaceCoinsFromTheirSeedAndPickThemUpOnOverlap) {
    quorbix::Random32 dice(0);
    const int x = dice.Between(16, 448), y = dice.Between(16, 328);
    const auto first = RunChecked(UseHelpers, "", 1);
    ASSERT_EQ(quorbix::TraceField(first[0], "coin_x"), x);
    ASSERT_EQ(quorbix::TraceField(first[0], "coin_y"), y);
    const std::string script = "2 move " + std::to_string(x - 24) + " " + std::to_string(y + 8) + "\n4 move " +
                               std::to_string(x - 23) + " " + std::to_string(y + 8) + "\n";
    const auto t = RunChecked(UseHelpers, script, 5);
    EXPECT_EQ(quorbix::TraceField(t[2], "coins"), 0) << "touching is not overlapping";
    EXPECT_EQ(quorbix::TraceField(t[3], "coins"), 1);
    EXPECT_EQ(quorbix::TraceField(t[3], "coin_x"), dice.Between(16, 448)) << "the next place from the same generator";
}

// The typed name: two text events make "René 東" (6 characters, 9 bytes of UTF-8), Backspace takes
// the last character off whole, Enter keeps the name; the UTF-8 texts are drawn, not garbage.
TEST(Examples, TypingGathersTypedUtf8AndBackspaceTakesWholeCharacters) {
    const auto t = RunChecked(UseTyping, "2 text \"Ren\"\n3 text \"é 東\"\n5 key 8\n6 keyup 8\n7 key 13\n8 keyup 13\n", 9);
    EXPECT_EQ(quorbix::TraceField(t[0], "name_chars"), 0);
    EXPECT_EQ(quorbix::TraceField(t[1], "name_chars"), 3);
    EXPECT_EQ(quorbix::TraceField(t[2], "name_chars"), 6);
    EXPECT_EQ(quorbix::TraceField(t[2], "name_bytes"), 9);
    EXPECT_EQ(quorbix::TraceField(t[4], "name_chars"), 5);
    EXPECT_EQ(quorbix::TraceField(t[4], "name_bytes"), 6);
    EXPECT_EQ(quorbix::TraceField(t[5], "kept_chars"), 0);
    EXPECT_EQ(quorbix::TraceField(t[6], "kept_chars"), 5);
    EXPECT_GT(LitPixels(40, 200, 480, 240), 200) << "the welcome line is drawn";
    // The same text drawn by a Shift-JIS program: PutText of the Shift-JIS bytes gives the
    // picture the UTF-8 program gave (the title line, compared pixel for pixel).
    std::vector<std::uint32_t> utf8Title;
    for (int y = 60; y < 90; ++y)
        for (int x = 0; x < 480; ++x) utf8Title.push_back(Shown(x, y));
    static bool drawn = false;
    RunChecked(
        [] {
            static const elSystem::CodePageText kTitle("名前を入力してください (Enter で決定)");
            quorbix::ProgramSetup setup;   // texts in Shift-JIS, the default
            setup.Init = [] {
                elDraw::Screen(480, 360);
                Shell.SceneId = 1;
            };
            setup.Scenes[1] = [] {
                elDraw::FillBlack();
                elDraw::BeginText(elDraw::kFaceGothic, 24, 0, 0, 0, 0);
                elDraw::SetTextColors(0xFFFFFF, 0, 1);
                drawn = elDraw::PutText(40, 60, kTitle) == 1;
                elDraw::EndText();
                elDraw::Flip();
            };
            quorbix::UseProgram(setup);
        },
        "", 1);
    EXPECT_TRUE(drawn);
    std::vector<std::uint32_t> sjisTitle;
    for (int y = 60; y < 90; ++y)
        for (int x = 0; x < 480; ++x) sjisTitle.push_back(Shown(x, y));
    EXPECT_TRUE(utf8Title == sjisTitle);
}

// A click on the title fades the music out over a second; when the title is left the hook sees
// it once, and the play scene brings the music back in over half a second.
TEST(Examples, FadingFadesOutLeavesTheTitleOnceAndFadesIn) {
    const auto t = RunChecked(UseFading, "3 ldown\n3 lup\n", 40);
    EXPECT_EQ(quorbix::TraceField(t[2], "volume"), 100);
    const long long halfway = quorbix::TraceField(t[12], "volume");   // half a second into the fade
    EXPECT_GT(halfway, 25);
    EXPECT_LT(halfway, 75);
    int left = -1;
    for (std::size_t i = 0; i < t.size(); ++i)
        if (left < 0 && quorbix::TraceField(t[i], "lefts") == 1) left = static_cast<int>(i);
    ASSERT_GT(left, 20) << "the title is left once its second is over";
    EXPECT_LE(quorbix::TraceField(t[left], "volume"), 1);
    EXPECT_EQ(quorbix::TraceField(t[left], "last_left"), 1);
    EXPECT_EQ(quorbix::TraceField(t.back(), "lefts"), 1) << "left once";
    EXPECT_EQ(quorbix::TraceField(t.back(), "volume"), 100) << "faded back in";
}
