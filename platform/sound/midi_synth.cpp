// Platform: the General MIDI synthesiser (FluidSynth), built with its font in the background.
#include "platform/window/program_name.h"
#include "platform/sound/midi_synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cctype>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/files/os.h"
#include "platform/sound/audio_stream.h"
#include "platform/backend.h"

namespace platform::midi {
namespace {

struct SynthState {
    std::mutex lock;
    std::condition_variable readyChanged;
    bool started = false;
    bool ready = false;
    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    bool stopped = false;
    std::thread loader;
};

SynthState& state() {
    // Never destroyed: the render thread and the audio thread may use the synthesiser until
    // audio::shutdown has stopped them, which then stops it (stopSynth).
    static SynthState* s = new SynthState;
    return *s;
}

bool endsWith(const std::string& s, const char* tail) {
    std::string t = tail;
    return s.size() >= t.size() && std::equal(t.rbegin(), t.rend(), s.rbegin(),
                                               [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

void loadSoundFont() {
    // The library's own chatter (warnings about odd files and fonts) stays off standard error.
    for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) fluid_set_log_function(level, nullptr, nullptr);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_synth_t* synth = nullptr;
    if (settings != nullptr) {
        fluid_settings_setnum(settings, "synth.sample-rate", audio::kRate);
        fluid_settings_setnum(settings, "synth.gain", 0.6);
        fluid_settings_setint(settings, "synth.cpu-cores", 1);
        synth = new_fluid_synth(settings);
    }
    const std::string folder = os::soundFontFolder();
    std::string font = findSoundFont(folder);
    if (synth != nullptr && !font.empty() && fluid_synth_sfload(synth, font.c_str(), 1) == FLUID_FAILED)
        font.clear();
    if (font.empty())
        platform::say("no General MIDI sound font could be loaded from %s (%s); the music is silent\n",
                      folder.c_str(), os::soundFontRemedy());
    SynthState& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.settings = settings;
    s.synth = synth;
    s.ready = true;
    s.readyChanged.notify_all();
}

}  // namespace

std::string findSoundFont(const std::string& dir) {
    std::vector<std::string> names, fonts;
    os::listFolder(dir, names);
    for (const std::string& name : names)
        if (endsWith(name, ".sf2") || endsWith(name, ".sf3")) fonts.push_back(name);
    if (fonts.empty()) return "";
    std::sort(fonts.begin(), fonts.end());
    auto preferred = std::find(fonts.begin(), fonts.end(), kPreferredFont);
    return dir + os::kSeparator + (preferred != fonts.end() ? *preferred : fonts.front());
}

void startSynth() {
    SynthState& s = state();
    bool loadHere = true;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.started || s.stopped) return;
        s.started = true;
        if (backend::describe().threads) {
            s.loader = std::thread(loadSoundFont);
            loadHere = false;
        }
    }
    // Outside the synthesiser's lock: the audio thread takes the stream's lock before it.
    audio::atShutdown(stopSynth);
    // A platform without threads loads the font now; the first open waits for it.
    if (loadHere) loadSoundFont();
}

void preloadSynth() {
    if (backend::describe().threads || findSoundFont(os::soundFontFolder()).empty()) return;
    startSynth();
}

namespace {
// Before main, so that the output's first open, at the program's start, already preloads.
const bool kPreloadAtOpen = (audio::atOpen(preloadSynth), true);
}  // namespace

fluid_synth_t* readySynth(bool wait) {
    SynthState& s = state();
    std::unique_lock<std::mutex> guard(s.lock);
    if (wait && s.started) s.readyChanged.wait(guard, [&] { return s.ready; });
    return s.ready ? s.synth : nullptr;
}

void stopSynth() {
    SynthState& s = state();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.stopped = true;
    }
    // The process never ends in the middle of a font load.
    if (s.loader.joinable()) s.loader.join();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.synth != nullptr) delete_fluid_synth(s.synth);
    if (s.settings != nullptr) delete_fluid_settings(s.settings);
    s.synth = nullptr;
    s.settings = nullptr;
    s.ready = false;
}

}  // namespace platform::midi
