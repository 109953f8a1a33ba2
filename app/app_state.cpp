// Application shell: the shell's and the input's process-wide state, and the reset of all state.
#include "app/app_state.h"

#include "app/flip.h"

#include "framework/draw/display.h"
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
    elSystem::Clock.reset();
    elSystem::System.reset();
    elSystem::RandomGen.reset();
    elDraw::Display.reset();
    elSound::Sound.reset();
    elSound::Midi.reset();
}
