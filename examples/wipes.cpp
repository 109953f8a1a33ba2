// Example: clip-window wipes. Each scene opens its picture on entry; a click closes it, and once
// it is closed the other scene comes up and opens its own.
#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "examples/examples.h"

namespace {

constexpr float kWipeSpeed = 600.0f;   // pixels per second: 31 pixels per frame at 20 a second

struct WipeExampleState {
    int Sheet = 0;
};
WipeExampleState State;

void WipeInit() {
    elDraw::Screen(480, 360);
    elDraw::SetDefaultKey(0x00FF00);
    State.Sheet = elDraw::LoadObject("CHARA");
    Shell.SceneId = 2;
}

// Scenes 2 and 3: the screen tiled with balls of one colour.
void SceneWiped() {
    // Opening from the centre point. A window left closed by the last scene is restored first.
    if (Shell.SceneEntered == 1) elDraw::StartClipWipe(0, 7, kWipeSpeed, 0);
    elDraw::UpdateClipWipe();   // once per frame, before anything is drawn
    const int cell = Shell.SceneId == 2 ? 1 : 3;
    elDraw::FillBlack();        // fills and text are not clipped; blits are
    for (int y = 0; y < 360; y += 48)
        for (int x = 0; x < 480; x += 48) elDraw::PutObject(x, y, State.Sheet, 48 * cell, 0, 48 * cell + 48, 48);
    const elDraw::ClipRect& w = elDraw::Display.ClipWindow;
    elDraw::DebugPrint(100, 340, "ClipWindow (%d, %d, %d, %d)  state %d", w.left, w.top, w.right, w.bottom,
                       elDraw::Wipe.ClipWipeState);
    elDraw::ShowFps();
    elDraw::Flip();
    // A click closes the picture in one of the nine patterns, chosen at random (type 0).
    if (Input.LeftClick == 1 && elDraw::Wipe.ClipWipeState == elDraw::kWipeIdle)
        elDraw::StartClipWipe(1, 0, kWipeSpeed, 96);
    if (elDraw::Wipe.ClipWipeClosed == 1) Shell.SceneId = Shell.SceneId == 2 ? 3 : 2;
}

}  // namespace

void UseWipes() {
    quorbix::ProgramSetup setup;
    setup.Title = "Wipes";
    setup.Init = WipeInit;
    setup.Scenes[2] = SceneWiped;
    setup.Scenes[3] = SceneWiped;
    setup.Reset = [] { State = WipeExampleState{}; };
    quorbix::UseProgram(setup);
}
