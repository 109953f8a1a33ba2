// elSound: the background music through the sequencer's command strings.
#include "framework/sound/midi_music.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "framework/core/app_state.h"
#include "framework/system/system_utils.h"
#include "platform/sound/mci.h"
#include "framework/core/program_state.h"

namespace elSound {

MidiState Midi;
const ProgramStateRegistration kMidiReset{ResetStage::Music, [] { Midi.reset(); }};

namespace {

void Send(const char* command, platform::WindowId callback = 0) {
    platform::mciSendString(command, nullptr, 0, callback);
}

}  // namespace

void MidiState::reset() {
    platform::resetMci();
    platform::setMusicVolume(1.0f, 0);
    *this = MidiState{};
}

void SetMidiVolume(int volume, int fadeMs) {
    volume = volume < 0 ? 0 : volume > 100 ? 100 : volume;
    fadeMs = fadeMs < 0 ? 0 : fadeMs > kMaxMidiFadeMs ? kMaxMidiFadeMs : fadeMs;
    // 44.1 frames a millisecond at the output's rate.
    const auto frames = static_cast<std::uint32_t>(static_cast<std::uint64_t>(fadeMs) * 441 / 10);
    platform::setMusicVolume(static_cast<float>(volume) / 100.0f, frames);
}

int MidiVolume() { return static_cast<int>(platform::musicVolumeHeard() * 100.0f + 0.5f); }

void InitMidi() {
    Midi.MidiOpen = 0;
    Midi.MidiLoop = 1;
}

void PlayMidi(const char* name) {
    int n = std::snprintf(Midi.OpenCommand, sizeof Midi.OpenCommand, "open %s%s type sequencer alias midi",
                          elSystem::GetAssetDir(), name != nullptr ? name : "");
    // A command cut to fit would open some other file, or none: it is not sent at all.
    bool fits = n >= 0 && n < kMidiCommandSize;
    if (!fits) Midi.OpenCommand[0] = '\0';
    if (Midi.MidiOpen == 1) StopMidi();
    if (fits) Send(Midi.OpenCommand);
    Send("seek midi to start");
    Send("play midi notify", Shell.MainWindow);
    Midi.MidiOpen = 1;
    Midi.MidiLoop = 1;
}

void NotifyMidi() {
    if (Midi.MidiLoop == 1) {
        Send("seek midi to start");
        Send("play midi notify", Shell.MainWindow);
    } else {
        StopMidi();
    }
}

void StopMidi() {
    if (Midi.MidiOpen != 1) return;
    Send("stop midi");
    Send("close midi");
    Midi.MidiOpen = 0;
}

void CancelMidiLoop() { Midi.MidiLoop = 0; }

bool MidiPlaying() {
    char mode[16];
    return platform::mciSendString("status midi mode", mode, sizeof mode, 0) == 0 &&
           std::strcmp(mode, "playing") == 0;
}

}  // namespace elSound
