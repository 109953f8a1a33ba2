// Example: raster effects on a picture that the program draws itself at start-up: a wave, a
// mirrored copy and mosaic strips.
#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "examples/examples.h"

namespace {

struct EffectExampleState {
    int Poster = 0;   // a blank object holding the picture, 220 x 160 at its top-left
    int Frames = 0;
};
EffectExampleState State;

// Drawn on Back with the primitives and text, then copied into a blank object. Black is the
// object's key, so the parts left black stay transparent.
void MakePoster() {
    elDraw::SetDefaultKey(0x000000);
    State.Poster = elDraw::CreateObject();
    elDraw::FillBlack();
    for (int i = 0; i < 8; ++i) elDraw::Line(0, 10 + 20 * i, 220, 10 + 20 * i, 0x203060 + 0x100A00 * i, 20);
    for (int x = 10; x < 220; x += 30) elDraw::Line(x, 0, x, 160, 0xFFFFFF, 1);
    elDraw::BeginText(elDraw::kFaceGothic, 48, 0, 1, 0, 0);
    elDraw::SetTextColors(0xFFFFFF, 0x000000, 1);
    elDraw::PutText(20, 50, "Wave");
    elDraw::EndText();
    elDraw::GrabObject(State.Poster, 0, 0, 220, 160);
}

void EffectInit() {
    elDraw::Screen(480, 360);
    MakePoster();
    Shell.SceneId = 2;
}

void SceneEffects() {
    elDraw::FillBlack();
    // Each row shifted along a cosine of 12 pixels, a degree per row, moving 180 degrees a
    // second. The phase belongs to WaveObject itself: a second call in a frame moves it again.
    elDraw::WaveObject(20, 20, 12, 1, 180.0f, State.Poster, 0, 0, 220, 160);
    // Turned by 180 degrees (mode 3): mirrored left to right and upside down.
    elDraw::MirrorObject(250, 20, 3, State.Poster, 0, 0, 220, 160);
    // Strips of 1 to 8 rows, each repeating its first row; the height changes every second.
    const int block = 1 << (State.Frames / 20 % 4);
    elDraw::MosaicObject(130, 190, block, State.Poster, 0, 0, 220, 160);
    elDraw::DebugPrint(20, 190, "WavePhase %.0f", elDraw::Effects.WavePhase);
    elDraw::DebugPrint(20, 210, "mosaic %d rows", block);
    elDraw::ShowFps();
    elDraw::Flip();
    ++State.Frames;
}

}  // namespace

void UseEffects() {
    quorbix::ProgramSetup setup;
    setup.Title = "Effects";
    setup.Init = EffectInit;
    setup.Scenes[2] = SceneEffects;
    setup.Reset = [] { State = EffectExampleState{}; };
    quorbix::UseProgram(setup);
}
