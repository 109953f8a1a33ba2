// elSound: the looping background music, a standard MIDI file in the asset folder played by the
// sequencer under the alias "midi", and its volume and fades.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("framework/sound/midi_music.h is the framework's own; include <quorbix/sound.h> instead (this path goes in Quorbix 2.0)")
#endif

namespace elSound {

constexpr int kMidiCommandSize = 256;

// The music's state: MidiOpen and MidiLoop tell where it stands.
struct MidiState {
    int MidiOpen = 0;   // 1 once the open command was sent, until it is closed here
    int MidiLoop = 0;   // 1: a piece that ends starts again
    char OpenCommand[kMidiCommandSize] = {};
    // Stops and closes the music, then back to the program's start.
    void reset();
};
// The music itself: elSound::Midi.MidiOpen, MidiLoop.
extern MidiState Midi;

// Called by the display set-up: closed, looping.
void InitMidi();
// Closes any piece that is open and plays `name` (relative to the asset folder,
// elSystem::GetAssetDir) from its start, looping. A name whose command does not fit the command buffer stays silent.
void PlayMidi(const char* name);
// Called by the window procedure when a play has reached its end: starts it again while it
// loops, else stops and closes it.
void NotifyMidi();
// Stops and closes the piece.
void StopMidi();
// The piece plays on to its end, then stops and closes.
void CancelMidiLoop();

// The longest fade SetMidiVolume takes, ten minutes; a longer one is cut to it.
constexpr int kMaxMidiFadeMs = 600000;
// The music's volume, 0 (silent) to 100 (as the piece is written; the start), linear in
// amplitude, reached over `fadeMs` milliseconds of music heard: a straight line from the volume
// heard when the call is made, so SetMidiVolume(0, 2000) fades the music out over two seconds and
// SetMidiVolume(100, 500) back in over half a second; 0 ms changes it at once. A new call takes
// over a fade under way from where it had come to. The volume holds from one piece to the next
// (set 0 before PlayMidi to fade a piece in); the music plays on at 0, StopMidi ends it. Values
// outside 0 to 100 and 0 to kMaxMidiFadeMs are brought to the nearer bound.
void SetMidiVolume(int volume, int fadeMs = 0);
// The volume the music was last heard at, 0 to 100 (rounded): where a fade under way has come to.
// It moves only while sound plays (a piece open on a sound device).
int MidiVolume();

// True while the sequencer is playing the piece (for observers such as the runner's trace).
bool MidiPlaying();

}  // namespace elSound
