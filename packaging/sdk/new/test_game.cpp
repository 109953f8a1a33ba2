// NEWGAME's test: the game played headless from a script, its trace lines and pictures checked.
// It ends with status 0 when every check holds (ctest runs it).
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include <quorbix/headless.h>

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
    if (quorbix::TraceField(line, "ball_x") >= 100) quorbix::SetKeyDown(0x20, true);
    if (frame == 10) {
        const quorbix::HeadlessPicture& picture = quorbix::ShownPicture();
        player.ballPixel = picture.pixels[224 * picture.width + 64];
    }
}

// The second run: the ball crosses the whole picture with nobody playing; is what reaches the
// picture's far edges drawn there?
struct Edges {
    std::ostringstream trace;
    int width = 0, height = 0;
    bool ballAtRightEdge = false;   // the ball's middle drawn when the ball is at its rightmost
    bool scoreLine = false;         // the score line drawn near the picture's bottom
};

void AfterEdgeFrame(int frame, void* user) {
    Edges& edges = *static_cast<Edges*>(user);
    const std::string all = edges.trace.str();
    const std::string line = all.substr(all.rfind('\n', all.size() - 2) + 1);
    const quorbix::HeadlessPicture& picture = quorbix::ShownPicture();
    edges.width = picture.width;
    edges.height = picture.height;
    if (picture.width < 640 || picture.height < 480) return;
    const long long ballX = quorbix::TraceField(line, "ball_x");
    if (ballX >= 588 && picture.pixels[224 * picture.width + ballX + 24] != 0x000000) edges.ballAtRightEdge = true;
    if (picture.pixels[446 * picture.width + 24] != 0x000000) edges.scoreLine = true;
}

}  // namespace

int main() {
    Player player;
    quorbix::RunOptions options;
    options.config.frames = 40;
    // Frame 10 clicks the ball (it is at x 40 to 88 then), frame 20 clicks beside it.
    options.script = "10 move 60 220\n10 ldown\n10 lup\n20 move 300 220\n20 ldown\n20 lup\n";
    options.trace = &player.trace;
    options.prepare = [] { quorbix::UseProgram(GameProgram()); };
    options.frameEnd = AfterFrame;
    options.frameEndUser = &player;
    std::string error;
    Check(quorbix::RunHeadless(options, error) == 0, "the run: " + error);

    std::vector<std::string> lines;
    std::istringstream in(player.trace.str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    Check(lines.size() == 41, "a header line and 40 frames");
    if (lines.size() != 41) return 1;
    for (std::size_t i = 1; i < lines.size(); ++i)
        Check(lines[i].find("\"boxes\":[]") != std::string::npos, "no message box: " + lines[i]);
    const std::string& frame10 = lines[10];
    Check(quorbix::TraceField(frame10, "score") == 1, "the click on the ball scores");
    Check(quorbix::TraceList(frame10, "sounds").size() == 1, "the click on the ball plays the beep");
    Check(quorbix::TraceField(lines[20], "score") == 1, "the click beside it does not");
    Check(quorbix::TraceList(lines[20], "sounds").empty(), "nor does it beep");
    Check(quorbix::TraceField(lines[40], "ball_x") == quorbix::TraceField(lines[30], "ball_x"), "space holds the ball still");
    // The ball is drawn from the sprite sheet, not the black behind it.
    Check(player.ballPixel != 0x000000, "the ball is drawn");

    Edges edges;
    quorbix::RunOptions across;
    across.config.frames = 160;
    across.trace = &edges.trace;
    across.prepare = [] { quorbix::UseProgram(GameProgram()); };
    across.frameEnd = AfterEdgeFrame;
    across.frameEndUser = &edges;
    Check(quorbix::RunHeadless(across, error) == 0, "the run across: " + error);
    Check(edges.width == 640 && edges.height == 480,
          "the picture is 640 x 480, not " + std::to_string(edges.width) + " x " + std::to_string(edges.height));
    Check(edges.ballAtRightEdge, "the ball is drawn at the picture's right edge");
    Check(edges.scoreLine, "the score line is drawn at the picture's bottom");
    if (failures == 0) std::printf("NEWGAME: every check passed\n");
    return failures == 0 ? 0 : 1;
}
