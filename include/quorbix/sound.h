// Quorbix: elSound, sound effects and music. Wave objects (LoadObject, the copies of one sound),
// their playback (Play, Stop, SetPan, SetVolume, SetFrequency) and MIDI music (PlayMidi, StopMidi).
#pragma once
#pragma push_macro("QRB_PUBLIC_HEADERS")
#undef QRB_PUBLIC_HEADERS
#define QRB_PUBLIC_HEADERS 1
#include "framework/sound/midi_music.h"
#include "framework/sound/sound_controls.h"
#include "framework/sound/sound_objects.h"
#include "framework/sound/wave_file.h"
#pragma pop_macro("QRB_PUBLIC_HEADERS")
