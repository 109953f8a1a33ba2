// Example: wave objects: loading copies of one sound so that it can overlap itself, playing
// them in turn, pan, volume and frequency, and a looping sound switched on and off.
#include <quorbix/draw.h>
#include <quorbix/program.h>

#include "examples/examples.h"

#include <quorbix/sound.h>

namespace {

constexpr int kPopCopies = 3;

struct SoundExampleState {
    int Pops[kPopCopies] = {};   // three slots holding the same wave
    int NextPop = 0;
    int Hum = 0;                 // a fourth copy, played lower and quieter, looping
    bool Humming = false;
};
SoundExampleState State;

void SoundInit() {
    elDraw::Screen(480, 360);   // also opens the sound device
    // A slot plays one sound at a time; each load of the same name is a copy of its own.
    // "HIT" is looked for as a wave file beside the executable, then among the built-in waves.
    for (int i = 0; i < kPopCopies; ++i) State.Pops[i] = elSound::LoadObject("HIT");
    State.Hum = elSound::LoadObject("HIT");
    elSound::SetFrequency(State.Hum, -60);   // 60 steps of 100 Hz below the wave's own rate
    elSound::SetVolume(State.Hum, -12);      // 12 dB quieter
    Shell.SceneId = 2;
}

// The next copy in turn, panned after the mouse: full left at x 0, full right at x 480.
void PlayPop(int x) {
    const int slot = State.Pops[State.NextPop];
    State.NextPop = (State.NextPop + 1) % kPopCopies;
    elSound::SetPan(slot, (x - 240) * 100 / 240);   // steps of 1 dB, -100 to 100
    elSound::Play(slot);
}

void SceneSounds() {
    if (Input.LeftClick == 1) PlayPop(Input.MouseX);
    if (Input.RightClick == 1) {
        State.Humming = !State.Humming;
        if (State.Humming)
            elSound::PlayLoop(State.Hum);
        else
            elSound::Stop(State.Hum);
    }
    elDraw::FillBlack();
    elDraw::DebugPrint(60, 150, "left click: a pop, panned after the mouse (next copy: slot %d)",
                       State.Pops[State.NextPop]);
    elDraw::DebugPrint(60, 170, "right click: the low hum %s", State.Humming ? "off" : "on");
    elDraw::ShowFps();
    elDraw::Flip();
}

}  // namespace

void UseSounds() {
    quorbix::ProgramSetup setup;
    setup.Title = "Sounds";
    setup.Init = SoundInit;
    setup.Scenes[2] = SceneSounds;
    setup.Reset = [] { State = SoundExampleState{}; };
    quorbix::UseProgram(setup);
}
