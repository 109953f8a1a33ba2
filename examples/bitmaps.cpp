// Example: bitmaps in objects and how they are drawn: colour keys, PutObject and its clipping,
// the ClipWindow, opaque and stretched copies.
#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "examples/examples.h"

namespace {

struct BitmapState {
    int Sheet = 0;
};
BitmapState State;

void BitmapInit() {
    elDraw::Screen(480, 360);
    // The key is fixed when a bitmap is loaded, so it is chosen first. "CHARA" is looked for as
    // a file of that name beside the executable, then among the bitmaps built into it.
    elDraw::SetDefaultKey(0x00FF00);
    State.Sheet = elDraw::LoadObject("CHARA");
    Shell.SceneId = 2;
}

void SceneBitmaps() {
    elDraw::FillWhite();
    // Cell 1 of the sheet: x 48 to 96, y 0 to 48 (right and bottom exclusive). Its green
    // background is the key, so the white shows around the ball.
    elDraw::PutObject(40, 40, State.Sheet, 48, 0, 96, 48);
    // Half off the left edge: PutObject clips, only the cell's right half is drawn, at x 0.
    elDraw::PutObject(-24, 100, State.Sheet, 48, 0, 96, 48);
    // Every pixel copied, the key ignored: the green square shows.
    elDraw::PutObjectOpaque(140, 40, State.Sheet, 96, 0, 144, 48);
    // Twice the size. It is scaled through Buffer and drawn with Buffer's key, black, so the
    // object's green is not transparent here.
    elDraw::StretchObject(240, 40, State.Sheet, 144, 0, 192, 48, 96, 96);
    // Everything PutObject draws is clipped to the ClipWindow, read at each call: a row of
    // balls seen through a window, then the whole screen again for the rest of the frame.
    elDraw::SetClipWindow(120, 200, 360, 260);
    for (int x = 0; x < 480; x += 48) elDraw::PutObject(x, 205, State.Sheet, 48, 0, 96, 48);
    elDraw::SetClipWindow(0, 0, 480, 360);
    elDraw::DebugPrint(120, 270, "ClipWindow (120, 200, 360, 260)");
    elDraw::ShowFps();
    elDraw::Flip();
}

}  // namespace

void UseBitmaps() {
    quorbix::ProgramSetup setup;
    setup.Title = "Bitmaps";
    setup.Init = BitmapInit;
    setup.Scenes[2] = SceneBitmaps;
    setup.Reset = [] { State = BitmapState{}; };
    quorbix::UseProgram(setup);
}
