// Example: background music that one scene starts on entry and another stops on entry, as the
// game's play and result scenes do, and a last pass without looping.
#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "examples/examples.h"

#include <quorbix/sound.h>

namespace {

constexpr int kMusicScene = 2;
constexpr int kQuietScene = 3;

void MusicInit() {
    elDraw::Screen(480, 360);   // also resets the music: closed, looping
    Shell.SceneId = kMusicScene;
}

void ShowMusicState(const char* scene) {
    elDraw::FillBlack();
    elDraw::DebugPrint(60, 150, "%s: MidiOpen %d  MidiLoop %d  playing %d", scene, elSound::Midi.MidiOpen,
                       elSound::Midi.MidiLoop, elSound::MidiPlaying() ? 1 : 0);
    elDraw::DebugPrint(60, 170, "left click: the other scene   right click: last pass");
    elDraw::ShowFps();
    elDraw::Flip();
}

void SceneMusic() {
    // A standard MIDI file beside the executable. It starts again whenever it ends.
    if (Shell.SceneEntered == 1) elSound::PlayMidi("QRBX.MID");
    // The piece plays on to its end, then stops.
    if (Input.RightClick == 1) elSound::CancelMidiLoop();
    ShowMusicState("music");
    if (Input.LeftClick == 1) Shell.SceneId = kQuietScene;
}

void SceneQuiet() {
    if (Shell.SceneEntered == 1) elSound::StopMidi();
    ShowMusicState("quiet");
    if (Input.LeftClick == 1) Shell.SceneId = kMusicScene;
}

}  // namespace

void UseMusic() {
    quorbix::ProgramSetup setup;
    setup.Title = "Music";
    setup.Init = MusicInit;
    setup.Scenes[kMusicScene] = SceneMusic;
    setup.Scenes[kQuietScene] = SceneQuiet;
    quorbix::UseProgram(setup);
}
