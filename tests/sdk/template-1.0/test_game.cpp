// NEWGAME's test: the game played headless from a script, its trace lines and pictures checked.
// It ends with status 0 when every check holds (ctest runs it).
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "framework/runner/headless_runner.h"   // RunOptions, RunHeadless, TraceField, TraceList
#include "platform/headless/headless.h"         // shownPicture, setKeyDown

#include "game.h"

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
    if (!ok) {
        std::fprintf(stderr, "FAILED: %s\n", what.c_str());
        ++failures;
    }
}

// The closed loop: after each frame the test reads the frame's trace line and holds the space
// bar down once the ball has reached x 100, as a player would.
struct Player {
    std::ostringstream trace;
    std::uint32_t ballPixel = 0;   // the middle of the ball in frame 10's picture, 0x00RRGGBB
};

void AfterFrame(int frame, void* user) {
    Player& player = *static_cast<Player*>(user);
    const std::string all = player.trace.str();
    const std::string line = all.substr(all.rfind('\n', all.size() - 2) + 1);
    if (TraceField(line, "ball_x") >= 100) platform::headless::setKeyDown(0x20, true);
    if (frame == 10) {
        const platform::headless::Picture& picture = platform::headless::shownPicture();
        player.ballPixel = picture.pixels[224 * picture.width + 64];
    }
}

}  // namespace

int main() {
    Player player;
    RunOptions options;
    options.config.frames = 40;
    // Frame 10 clicks the ball (it is at x 40 to 88 then), frame 20 clicks beside it.
    options.script = "10 move 60 220\n10 ldown\n10 lup\n20 move 300 220\n20 ldown\n20 lup\n";
    options.trace = &player.trace;
    options.prepare = UseGame;
    options.frameEnd = AfterFrame;
    options.frameEndUser = &player;
    std::string error;
    Check(RunHeadless(options, error) == 0, "the run: " + error);

    std::vector<std::string> lines;
    std::istringstream in(player.trace.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    Check(lines.size() == 41, "a header line and 40 frames");
    if (lines.size() != 41) return 1;
    for (std::size_t i = 1; i < lines.size(); ++i)
        Check(lines[i].find("\"boxes\":[]") != std::string::npos, "no message box: " + lines[i]);
    const std::string& frame10 = lines[10];
    Check(TraceField(frame10, "score") == 1, "the click on the ball scores");
    Check(TraceList(frame10, "sounds").size() == 1, "the click on the ball plays the beep");
    Check(TraceField(lines[20], "score") == 1, "the click beside it does not");
    Check(TraceList(lines[20], "sounds").empty(), "nor does it beep");
    Check(TraceField(lines[40], "ball_x") == TraceField(lines[30], "ball_x"), "space holds the ball still");
    // The ball is drawn from the sprite sheet, not the black behind it.
    Check(player.ballPixel != 0x000000, "the ball is drawn");
    if (failures == 0) std::printf("NEWGAME: every check passed\n");
    return failures == 0 ? 0 : 1;
}
