// Example: music that fades out when the title is left and fades in on the next scene, and the
// scene-left hook that stops the title's piece. A click on the title starts a one-second fade and
// moves on once it is over; the play scene starts its own piece from silence.
#include <string>

#include <quorbix/draw.h>
#include <quorbix/program.h>
#include <quorbix/sound.h>
#include <quorbix/system.h>

#include "examples/examples.h"

namespace {

constexpr int kTitleScene = 1;
constexpr int kPlayScene = 2;
constexpr int kFadeTimer = 1;

struct FadingExampleState {
    bool Fading = false;
    int Lefts = 0;        // scenes left, as the hook saw them
    int LastLeft = 0;     // the scene the hook saw left last
};
FadingExampleState State;

void FadingInit() {
    elDraw::Screen(480, 360);
    Shell.SceneId = kTitleScene;
}

void SceneTitle() {
    if (Shell.SceneEntered == 1) elSound::PlayMidi("QRBX.MID");
    if (Input.LeftClick == 1 && !State.Fading) {
        // Out over a second; the timer says when the second is over, sound or no sound.
        elSound::SetMidiVolume(0, 1000);
        elSystem::SetWait(kFadeTimer, 1000);
        State.Fading = true;
    }
    if (State.Fading && elSystem::CheckWait(kFadeTimer) == 1) Shell.SceneId = kPlayScene;
    elDraw::FillBlack();
    elDraw::DebugPrint(60, 150, "title: click to fade out   volume %d", elSound::MidiVolume());
    elDraw::Flip();
}

void ScenePlay() {
    if (Shell.SceneEntered == 1) {
        // In from silence over half a second: the volume holds from one piece to the next.
        elSound::SetMidiVolume(0);
        elSound::PlayMidi("QRBX.MID");
        elSound::SetMidiVolume(100, 500);
    }
    elDraw::FillBlack();
    elDraw::DebugPrint(60, 150, "play: volume %d", elSound::MidiVolume());
    elDraw::Flip();
}

// Called once for each scene left, before the next scene's first frame.
void SceneLeft(int scene, int next) {
    State.Lefts += 1;
    State.LastLeft = scene;
    // The title's piece ends with the title; the next scene starts its own.
    if (scene == kTitleScene && next != kTitleScene) {
        elSound::StopMidi();
        State.Fading = false;
    }
}

}  // namespace

void UseFading() {
    quorbix::ProgramSetup setup;
    setup.Title = "Fading";
    setup.Init = FadingInit;
    setup.Scenes[kTitleScene] = SceneTitle;
    setup.Scenes[kPlayScene] = ScenePlay;
    setup.SceneLeft = SceneLeft;
    setup.Reset = [] { State = FadingExampleState{}; };
    setup.TraceFields = [](std::string& line) {
        line += ",\"lefts\":" + std::to_string(State.Lefts) + ",\"last_left\":" + std::to_string(State.LastLeft) +
                ",\"volume\":" + std::to_string(elSound::MidiVolume());
    };
    quorbix::UseProgram(setup);
}
