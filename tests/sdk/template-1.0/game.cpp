// NEWGAME: a ball to click. Each click on it scores and plays a beep, panned where it was; the
// space bar holds the ball still.
#include "game.h"

#include <string>

#include "framework/core/app_state.h"       // Shell (the scene), Input (mouse and clicks)
#include "framework/draw/blit.h"            // elDraw::PutObject
#include "framework/draw/debug_text.h"      // elDraw::DebugPrint
#include "framework/draw/display.h"         // elDraw::Screen, FillBlack, ShowFps
#include "framework/draw/object_table.h"    // elDraw::LoadObject, SetDefaultKey
#include "framework/input/button_state.h"   // elSystem::GetKey
#include "framework/shell/flip.h"           // elDraw::Flip
#include "framework/shell/frame_loop.h"     // ProgramSetup, UseProgram
#include "framework/sound/sound_controls.h" // elSound::Play, SetPan
#include "framework/sound/sound_objects.h"  // elSound::LoadObject

namespace {

constexpr int kPlayScene = 1;
constexpr int kWidth = 640, kHeight = 480;
constexpr int kSpaceKey = 0x20;   // the space bar's virtual-key code

struct GameState {
    int Sprites = 0;   // the sprite sheet's object
    int Beep = 0;      // the beep's sound slot
    int BallX = 0;     // the ball's top-left corner
    int BallY = 0;
    int Step = 4;      // pixels a frame, left or right
    int Score = 0;
    ButtonState Space = kButtonUp;   // the space bar at the last poll
};
GameState State;

void GameInit() {
    elDraw::Screen(kWidth, kHeight);   // opens the display, the sound device and the rest
    // Colours are written 0x00BBGGRR: pure green, 0x0000FF00, is transparent in what is loaded.
    elDraw::SetDefaultKey(0x0000FF00);
    State.Sprites = elDraw::LoadObject("SPRITES");   // the file named exactly SPRITES
    State.Beep = elSound::LoadObject("BEEP");
    Shell.SceneId = kPlayScene;
}

void ScenePlay() {
    if (Shell.SceneEntered == 1) State.BallY = 200;
    // Across the window and back, four pixels a frame; held still while space is held.
    elSystem::GetKey(kSpaceKey, State.Space);
    if (State.Space != kButtonPressed && State.Space != kButtonHeld) State.BallX += State.Step;
    if (State.BallX < 0 || State.BallX > kWidth - 48) State.Step = -State.Step;
    const bool onBall = Input.MouseX >= State.BallX && Input.MouseX < State.BallX + 48 &&
                        Input.MouseY >= State.BallY && Input.MouseY < State.BallY + 48;
    if (Input.LeftClick == 1 && onBall) {
        ++State.Score;
        elSound::SetPan(State.Beep, (Input.MouseX - kWidth / 2) * 100 / (kWidth / 2));   // -100 to 100
        elSound::Play(State.Beep);
    }
    elDraw::FillBlack();
    elDraw::PutObject(State.BallX, State.BallY, State.Sprites, 48, 0, 96, 48);    // the ball
    elDraw::PutObject(Input.MouseX - 15, Input.MouseY - 15, State.Sprites, 9, 9, 39, 39);   // the pointer
    elDraw::DebugPrint(20, 440, "score %d", State.Score);
    elDraw::ShowFps();
    elDraw::Flip();
}

}  // namespace

void UseGame() {
    ProgramSetup setup;
    setup.Name = "NEWGAME";
    setup.Title = "NEWGAME";
    setup.Init = GameInit;
    setup.Scenes[kPlayScene] = ScenePlay;
    setup.Reset = [] { State = GameState{}; };
    // The headless trace gets the game's own fields: "ball_x" and "score" on every line.
    setup.TraceFields = [](std::string& line) {
        line += ",\"ball_x\":" + std::to_string(State.BallX) + ",\"score\":" + std::to_string(State.Score);
    };
    UseProgram(setup);
}
