// Example: a program with two scenes on the game's shell: start-up, the frame protocol, entry
// work, clicks and changing scenes.
#include "first_scene.h"

#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/system.h>

namespace {

constexpr int kCountScene = 1;
constexpr int kMenuScene = 2;

const elSystem::CodePageText kPrompt("左クリックで始める");

struct FirstSceneState {
    int Sheet = 0;         // the sprite sheet's object
    int FramesShown = 0;   // frames of the current visit to the counting scene
    int Visits = 0;        // times the counting scene was entered
};
FirstSceneState State;

void FirstInit() {
    elDraw::Screen(480, 360);          // the display; it starts sound, music, timers, text, joysticks
    elDraw::SetDefaultKey(0x00FF00);   // pure green is transparent in what is loaded from now on
    State.Sheet = elDraw::LoadObject("CHARA");
    Shell.SceneId = kMenuScene;        // the first frame runs this scene, with SceneEntered 1
}

void DrawCrosshair() {
    elDraw::PutObject(Input.MouseX - 15, Input.MouseY - 15, State.Sheet, 9, 9, 39, 39);
}

void SceneMenu() {
    elDraw::FillBlack();
    elDraw::BeginText(elDraw::kFaceGothic, 24, 0, 1, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x000000, 1);
    elDraw::PutText(130, 160, kPrompt);
    elDraw::EndText();
    DrawCrosshair();
    elDraw::ShowFps();
    elDraw::Flip();
    // The picture is finished; the counting scene runs from the next frame on.
    if (Input.LeftClick == 1) Shell.SceneId = kCountScene;
}

void SceneCount() {
    if (Shell.SceneEntered == 1) {   // entry work: the first frame of every visit
        State.FramesShown = 0;
        ++State.Visits;
    }
    ++State.FramesShown;
    elDraw::FillBlack();
    // Six pixels a frame at 20 frames a second: across the window in four seconds.
    const int x = State.FramesShown * 6 % 480;
    elDraw::PutObject(x - 24, 156, State.Sheet, 48, 0, 96, 48);
    elDraw::DebugPrint(100, 320, "visit %d, frame %d: right click goes back", State.Visits,
                       State.FramesShown);
    DrawCrosshair();
    elDraw::ShowFps();
    elDraw::Flip();
    if (Input.RightClick == 1 || State.FramesShown == 100) Shell.SceneId = kMenuScene;
}

}  // namespace

quorbix::ProgramSetup FirstSceneProgram() {
    quorbix::ProgramSetup setup;
    setup.Name = "first-scene";
    setup.Title = "First scene";
    setup.Version = "1.0";
    setup.Init = FirstInit;
    setup.Scenes[kCountScene] = SceneCount;
    setup.Scenes[kMenuScene] = SceneMenu;
    setup.Reset = [] { State = FirstSceneState{}; };
    return setup;
}

void UseFirstScene() { quorbix::UseProgram(FirstSceneProgram()); }
