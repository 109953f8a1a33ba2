// Example: what failures look like. A bitmap that is not there shows the framework's error box
// and loads as 0; a program reports its own failures through the same box, and shows other
// news in a message box.
#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "examples/examples.h"

#include <quorbix/system.h>

namespace {

const elSystem::CodePageText kNoStage("面データが見つかりません");

struct ErrorExampleState {
    int Title = 0;
    int Stage = 0;
};
ErrorExampleState State;

void ErrorInit() {
    elDraw::Screen(480, 360);
    // Neither a file nor a built-in bitmap: the box "elDraw::LoadObject : BMPファイルを読み込めません"
    // comes up, and the program goes on once it is closed, with 0 for the object.
    State.Title = elDraw::LoadObject("TITLE.BMP");
    Shell.SceneId = 2;
}

void SceneErrors() {
    elDraw::FillBlack();
    // Object 0 is the Buffer work surface, not "nothing": what failed to load is not drawn.
    if (State.Title != 0) elDraw::PutObject(0, 0, State.Title, 0, 0, 480, 360);
    elDraw::DebugPrint(60, 150, "TITLE.BMP loaded as object %d", State.Title);
    elDraw::DebugPrint(60, 170, "left click: the program's own error   right click: a message");
    elDraw::ShowFps();
    elDraw::Flip();
    // Both boxes wait until they are closed: the frame stands still meanwhile.
    if (Input.LeftClick == 1) State.Stage = elDraw::ShowError("LoadStage", kNoStage);
    if (Input.RightClick == 1) elSystem::Message("Stage %d of %d", State.Stage + 1, 8);
}

}  // namespace

void UseErrors() {
    quorbix::ProgramSetup setup;
    setup.Title = "Errors";
    setup.Init = ErrorInit;
    setup.Scenes[2] = SceneErrors;
    setup.Reset = [] { State = ErrorExampleState{}; };
    quorbix::UseProgram(setup);
}
