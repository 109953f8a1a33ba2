// Example: a best score kept from one run to the next with SaveData and LoadData. A round lasts
// five seconds; each click in it scores a point; a round that beats the best score saves it.
#include <cstdint>
#include <string>
#include <vector>

#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/system.h>

#include "examples/examples.h"

namespace {

struct BestScoreState {
    int Best = 0;
    int Score = 0;
    int FramesLeft = 0;
};
BestScoreState State;

constexpr int kRoundSeconds = 5;

// The best score is four bytes, least significant first; anything else is no score.
int LoadBest() {
    std::vector<std::uint8_t> bytes;
    if (!quorbix::LoadData("best-score", bytes) || bytes.size() != 4) return 0;
    return static_cast<int>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

void SaveBest(int best) {
    const auto b = static_cast<std::uint32_t>(best);
    // False when it could not be kept (said on standard error): the game goes on either way.
    quorbix::SaveData("best-score", {std::uint8_t(b), std::uint8_t(b >> 8), std::uint8_t(b >> 16), std::uint8_t(b >> 24)});
}

void BestScoreInit() {
    elDraw::Screen(320, 240);
    State.Best = LoadBest();
    State.FramesLeft = kRoundSeconds * 1000 / static_cast<int>(quorbix::ProgramFramePeriodMs());
    Shell.SceneId = 1;
}

void SceneRound() {
    if (State.FramesLeft > 0) {
        if (Input.LeftClick == 1) State.Score += 1;
        if (--State.FramesLeft == 0 && State.Score > State.Best) {
            State.Best = State.Score;
            SaveBest(State.Best);
        }
    }
    elDraw::FillBlack();
    elDraw::DebugPrint(10, 10, "score %d  best %d", State.Score, State.Best);
    elDraw::Flip();
}

}  // namespace

void UseBestScore() {
    quorbix::ProgramSetup setup;
    setup.Name = "best-score";   // also the folder its data is kept in
    setup.Title = "Best score";
    setup.Init = BestScoreInit;
    setup.Scenes[1] = SceneRound;
    setup.Reset = [] { State = BestScoreState{}; };
    setup.TraceFields = [](std::string& line) {
        line += ",\"score\":" + std::to_string(State.Score) + ",\"best\":" + std::to_string(State.Best);
    };
    quorbix::UseProgram(setup);
}
