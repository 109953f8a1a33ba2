// Example: a game's own choices in its setup: a faster frame, a longer scene table and an asset
// folder; named keys read with IsKeyDown; one sound overlapping itself from one slot.
#include <vector>

#include "examples/examples.h"

#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/sound.h>
#include <quorbix/system.h>

namespace {

// Scene numbers: a title, five levels and a last scene, 1 to 7.
constexpr int kTitle = 1;
constexpr int kFirstLevel = 2;
constexpr int kLevels = 5;
constexpr int kEnd = kFirstLevel + kLevels;

struct SetupExampleState {
    int Sheet = 0;
    int Shot = 0;        // one slot; its plays overlap
    float X = 240.0f;
    int Level = 0;
    ButtonState Space = kButtonUp;   // edges, where a press must count once
    ButtonState Next = kButtonUp;
};
SetupExampleState State;

void SetupInit() {
    elDraw::Screen(480, 360);
    elDraw::SetDefaultKey(0x00FF00);
    // Looked for in the asset folder, then among the built-in pictures and waves.
    State.Sheet = elDraw::LoadObject("CHARA");
    State.Shot = elSound::LoadObject("HIT");
    Shell.SceneId = kTitle;
}

void SceneTitle() {
    if (elSystem::IsKeyDown(elKey::Enter) || Input.LeftClick == 1) Shell.SceneId = kFirstLevel;
    elDraw::FillBlack();
    elDraw::DebugText(150, 170, "Enter or a click starts level 1");
    elDraw::Flip();
}

// Every level is this one scene: the arrow keys move, Space fires, N goes to the next level.
void SceneLevel() {
    State.Level = Shell.SceneId - kFirstLevel + 1;
    if (elSystem::IsKeyDown(elKey::Left)) State.X -= 200.0f * elSystem::Clock.FrameDelta;
    if (elSystem::IsKeyDown(elKey::Right)) State.X += 200.0f * elSystem::Clock.FrameDelta;
    elSystem::GetKey(elKey::Space, State.Space);
    elSystem::GetKey(elKey::N, State.Next);
    if (State.Space == kButtonPressed || Input.LeftClick == 1)
        elSound::PlayOverlapped(State.Shot);   // heard over the shots still sounding
    if (State.Next == kButtonPressed || Input.RightClick == 1) Shell.SceneId += 1;
    elDraw::FillBlack();
    elDraw::PutObject(static_cast<int>(State.X) - 24, 156, State.Sheet, 48, 0, 96, 48);
    elDraw::DebugPrint(10, 330, "level %d of %d", State.Level, kLevels);
    elDraw::ShowFps();
    elDraw::Flip();
}

void SceneEnd() {
    elDraw::FillBlack();
    elDraw::DebugText(200, 170, "the end");
    elDraw::Flip();
}

}  // namespace

void UseGameSetup() {
    quorbix::ProgramSetup setup;
    setup.Title = "Game setup";
    setup.Init = SetupInit;
    // Entry n is scene number n; entry 0 is never called.
    setup.SceneTable = {nullptr, SceneTitle, SceneLevel, SceneLevel, SceneLevel, SceneLevel, SceneLevel, SceneEnd};
    setup.FramePeriodMs = 30;     // about 33 frames a second instead of 20
    setup.AssetDir = "assets";    // files under the executable's directory, in assets/
    setup.Reset = [] { State = SetupExampleState{}; };
    quorbix::UseProgram(setup);
}
