// Platform: the process-wide General MIDI synthesiser behind the sequencer (platform/ only).
#pragma once
#include <string>

// The synthesiser's own type, declared as the library declares it, so that this header needs
// none of the library's headers.
typedef struct _fluid_synth_t fluid_synth_t;

namespace platform::midi {

// The sound font preferred among those of the system's folder (os::soundFontFolder).
constexpr const char* kPreferredFont = "TimGM6mb.sf2";

// The font to load from `dir`: the preferred one if present, else the first *.sf2 or *.sf3 in
// name order; "" when there is none.
std::string findSoundFont(const std::string& dir);

// Called by the sequencer's open. Starts building the synthesiser and loading its font on a
// thread of its own (once per process), so that no caller waits for the font.
void startSynth();

// Run by the output stream when it opens (this file hands it over with audio::atOpen), at the
// program's start. A platform without threads loads the font on the caller's thread: at the
// first music's open that would hold the program there, mid-game, for as long as the load takes
// (about 90 ms for the game's page, with the sound of that time lost), so such a platform loads
// it now, before anything plays, when there is a font to load (without one, the first open says
// so). Elsewhere it does nothing.
void preloadSynth();

// The synthesiser once it is ready, else nullptr. With `wait` the call blocks until it is
// ready (the headless clock does this, so that its output does not depend on thread timing).
// Without a font the synthesiser is ready all the same and plays silence; that is said once on
// standard error.
fluid_synth_t* readySynth(bool wait);

// Called by audio::shutdown once nothing renders any more: waits for a font load under way and
// deletes the synthesiser. readySynth gives nullptr from then on.
void stopSynth();

}  // namespace platform::midi
