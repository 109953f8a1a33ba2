// Application shell: the shell's and the input's process-wide state, and the reset of all state.
#include "app/app_state.h"

#include "app/flip.h"
#include "app/frame_loop.h"
#include "game/game_state.h"
#include "game/scenes.h"

#include "framework/draw/clip_wipes.h"
#include "framework/draw/debug_text.h"
#include "framework/draw/display.h"
#include "framework/input/joystick.h"
#include "framework/draw/text.h"
#include "framework/draw/object_table.h"
#include "framework/draw/raster_effects.h"
#include "framework/sound/midi_music.h"
#include "framework/sound/sound_objects.h"
#include "framework/system/random.h"
#include "framework/system/system_utils.h"
#include "framework/system/wait_timers.h"
#include "platform/window.h"

ShellState Shell;
InputState Input;

void ResetProgramState() {
    platform::resetWindows();
    Shell.reset();
    Input.reset();
    Present.reset();
    Game.reset();
    SceneFunctions[1] = ScenePlay;
    SceneFunctions[2] = SceneTitle;
    SceneFunctions[3] = SceneResult;
    Program = ProgramSetup{};
    elSystem::Clock.reset();
    elSystem::System.reset();
    elSystem::RandomGen.reset();
    elDraw::Display.reset();
    elJoystick::Joysticks.reset();
    elDraw::Text.reset();
    elDraw::Fps.reset();
    elDraw::Objects.reset();
    elDraw::Effects.reset();
    elDraw::Wipe.reset();
    elSound::Sound.reset();
    elSound::Midi.reset();
}
