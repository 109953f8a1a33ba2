// Example: the drawing added for new games: filled rectangles and circles, a sprite turned and
// zoomed, and a PNG picture whose soft edge is blended over what lies below.
#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "examples/examples.h"

namespace {

struct DrawingState {
    int Sheet = 0;
    int Spark = 0;
    int Frame = 0;
};
DrawingState State;

void DrawingInit() {
    elDraw::Screen(480, 360);
    elDraw::SetDefaultKey(0x00FF00);
    State.Sheet = elDraw::LoadObject("CHARA");
    // SPARK.png lies beside the executable: a 32 x 32 glow whose alpha falls off to the edge.
    // true keeps the alpha, so the glow is blended; false would make the see-through part
    // (alpha below 128) the colour key, like a BMP's green.
    State.Spark = elDraw::LoadPngObject("SPARK.png", true);
    Shell.SceneId = 2;
}

void SceneDrawing() {
    // Colours are 0x00BBGGRR: this is a dark blue.
    elDraw::FillRect(0, 0, 480, 360, 0x401010);
    // A health bar: a white frame filled, then the part still full over it.
    elDraw::FillRect(20, 20, 222, 36, 0xFFFFFF);
    elDraw::FillRect(21, 21, 21 + 150, 35, 0x00C000);
    // A dot of radius 10: 21 pixels across, centred on (60, 100).
    elDraw::FillCircle(60, 100, 10, 0x00FFFF);
    // Cell 1 of the sheet turned 6 degrees more each frame about its centre, (240, 180), at
    // twice its size; its green key stays transparent.
    elDraw::PutObjectRotated(240, 180, State.Sheet, 48, 0, 96, 48, State.Frame * 6.0, 2.0);
    // The glow half over the dot: its soft edge mixes with the yellow and the blue below.
    elDraw::PutObject(60, 84, State.Spark, 0, 0, 32, 32);
    ++State.Frame;
    elDraw::Flip();
}

}  // namespace

void UseDrawing() {
    quorbix::ProgramSetup setup;
    setup.Title = "Drawing";
    setup.Init = DrawingInit;
    setup.Scenes[2] = SceneDrawing;
    setup.Reset = [] { State = DrawingState{}; };
    quorbix::UseProgram(setup);
}
