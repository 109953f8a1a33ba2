// Example: the small helpers together. A walking sprite (a strip of four cells) follows the
// mouse; coins appear at places a 32-bit generator of the example's own picks; a rectangle
// overlap test picks them up. The design's 15-bit generator is not drawn on.
#include <cstdint>
#include <string>

#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/system.h>

#include "examples/examples.h"

namespace {

const quorbix::Rect kField{16, 16, 448, 328};   // where coins may lie

struct HelpersExampleState {
    int Sheet = 0;
    // Cells 0 to 3 of CHARA, 48 x 48 each, 150 ms apiece, over and over.
    quorbix::Animation Walk{quorbix::Rect{0, 0, 48, 48}, 4, 150, true};
    std::uint32_t WalkStart = 0;
    quorbix::Random32 Dice;
    quorbix::Rect Coin{0, 0, 16, 16};
    int Coins = 0;
};
HelpersExampleState State;

// A new place for the coin, wholly inside the field.
void PlaceCoin() {
    State.Coin.X = State.Dice.Between(kField.X, static_cast<int>(kField.Right()) - State.Coin.W);
    State.Coin.Y = State.Dice.Between(kField.Y, static_cast<int>(kField.Bottom()) - State.Coin.H);
}

void HelpersInit() {
    elDraw::Screen(480, 360);
    State.Sheet = elDraw::LoadObject("CHARA");
    // The calendar time seeds it, as it does the design's generator: a headless run's --time
    // gives the same coins every run.
    State.Dice.Seed(static_cast<std::uint64_t>(quorbix::CalendarTime()));
    PlaceCoin();
    State.WalkStart = quorbix::TickCount();
    Shell.SceneId = 1;
}

void SceneHelpers() {
    // The sprite is centred on the mouse; touching the coin's edge is not yet picking it up.
    const quorbix::Rect walker{Input.MouseX - 24, Input.MouseY - 24, 48, 48};
    if (walker.Overlaps(State.Coin)) {
        State.Coins += 1;
        PlaceCoin();
    }
    elDraw::FillBlack();
    elDraw::FillRect(State.Coin.X, State.Coin.Y, static_cast<int>(State.Coin.Right()), static_cast<int>(State.Coin.Bottom()),
                     0x00D7FF);
    const quorbix::Rect cell = State.Walk.CellRectAt(quorbix::TickCount() - State.WalkStart);
    elDraw::PutObject(walker.X, walker.Y, State.Sheet, cell.X, cell.Y, static_cast<int>(cell.Right()),
                      static_cast<int>(cell.Bottom()));
    elDraw::DebugPrint(10, 340, "coins %d", State.Coins);
    elDraw::Flip();
}

}  // namespace

void UseHelpers() {
    quorbix::ProgramSetup setup;
    setup.Title = "Helpers";
    setup.Init = HelpersInit;
    setup.Scenes[1] = SceneHelpers;
    setup.Reset = [] { State = HelpersExampleState{}; };
    setup.TraceFields = [](std::string& line) {
        line += ",\"coins\":" + std::to_string(State.Coins) + ",\"coin_x\":" + std::to_string(State.Coin.X) +
                ",\"coin_y\":" + std::to_string(State.Coin.Y) +
                ",\"cell\":" + std::to_string(State.Walk.CellAt(quorbix::TickCount() - State.WalkStart));
    };
    quorbix::UseProgram(setup);
}
