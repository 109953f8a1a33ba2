// Example: a change of scene behind a transition. A click covers the picture, the frame loop
// switches to NextSceneId, and the new scene uncovers it; every click takes the next style.
#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "examples/examples.h"

namespace {

constexpr int kScreenObject = 1;   // the screen-sized work surface styles 1 to 8 copy from

struct TransitionExampleState {
    int Sheet = 0;
    int Style = 0;           // the style of the next transition, 0 to 8
    bool Covering = false;   // a covering half was started: the next scene uncovers
};
TransitionExampleState State;

// Styles 1 to 8 lay the picture in Screen over the frame: here a striped curtain, drawn on Back
// with the primitives and copied into Screen once.
void MakeCurtain() {
    elDraw::FillBlack();
    for (int y = 3; y < 360; y += 12) elDraw::Line(0, y, 480, y, 0x904020, 6);
    elDraw::GrabObject(kScreenObject, 0, 0, 480, 360);
}

void TransitionInit() {
    elDraw::Screen(480, 360);
    // Style 0 draws a pattern strip: ten 64 x 48 frames side by side, black transparent.
    elDraw::LoadWipePattern("WIPE.BMP");
    elDraw::SetDefaultKey(0x00FF00);
    State.Sheet = elDraw::LoadObject("CHARA");
    MakeCurtain();
    Shell.SceneId = 2;
}

void LeaveFor(int next) {
    Shell.NextSceneId = next;                // where the loop goes once the picture is covered
    Present.TransitionStyle = State.Style;
    Present.TransitionPeriod = 10;           // styles 2 to 8 need one, 3 and 4 at least 10
    elDraw::TransitionOut();                 // from the next frame the loop runs Flip alone
    State.Covering = true;
    State.Style = (State.Style + 1) % 9;
}

// Scenes 2 and 3: a row of balls, yellow in one, pink in the other.
void SceneRoom() {
    if (Shell.SceneEntered == 1 && State.Covering) {
        elDraw::TransitionIn();   // the new scene takes the overlay away over its own frames
        State.Covering = false;
    }
    const int room = Shell.SceneId;
    const int cell = room == 2 ? 1 : 2;
    elDraw::FillBlack();
    for (int x = 0; x < 480; x += 48) elDraw::PutObject(x, 156, State.Sheet, 48 * cell, 0, 48 * cell + 48, 48);
    elDraw::DebugPrint(100, 240, "scene %d: a left click leaves with style %d", room, State.Style);
    elDraw::ShowFps();
    elDraw::Flip();
    if (Input.LeftClick == 1 && Present.TransitionStep == 0) LeaveFor(room == 2 ? 3 : 2);
}

}  // namespace

void UseTransitions() {
    quorbix::ProgramSetup setup;
    setup.Title = "Transitions";
    setup.Init = TransitionInit;
    setup.Scenes[2] = SceneRoom;
    setup.Scenes[3] = SceneRoom;
    setup.Reset = [] { State = TransitionExampleState{}; };
    quorbix::UseProgram(setup);
}
