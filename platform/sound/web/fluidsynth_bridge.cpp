// Web backend: the FluidSynth calls of the sequencer and the synthesiser, forwarded to the
// library's own WebAssembly module, which the page loaded before the program (page.fluid).
// Memory of the two modules is apart: texts, MIDI files and rendered frames are copied across;
// the sound font is copied from this module's file system into the library's.
#include <emscripten.h>

#include <cstdint>

#include "fluidsynth.h"

namespace {

// clang-format off
EM_JS(int, fluidReady, (), {
    const F = Module.page && Module.page.fluid;
    return F && F._new_fluid_settings ? 1 : 0;
});

EM_JS(int, fluidCall, (int which, int a, int b, int c), {
    const F = Module.page.fluid;
    switch (which) {
        case 0: return F._new_fluid_settings();
        case 1: F._delete_fluid_settings(a); return 0;
        case 2: return F._new_fluid_synth(a);
        case 3: F._delete_fluid_synth(a); return 0;
        case 4: return F._fluid_synth_all_sounds_off(a, b);
        case 5: return F._fluid_synth_system_reset(a);
        case 6: return F._new_fluid_player(a);
        case 7: F._delete_fluid_player(a); return 0;
        case 8: return F._fluid_player_play(a);
        case 9: return F._fluid_player_stop(a);
        case 10: return F._fluid_player_get_status(a);
        case 11: F._fluid_set_log_function(a, 0, 0); return 0;
    }
    return -1;
});

EM_JS(int, fluidSetting, (int settings, const char* name, double value, int isInt), {
    const F = Module.page.fluid;
    const p = Module.page.fluidText(UTF8ToString(name));
    const r = isInt ? F._fluid_settings_setint(settings, p, value | 0) : F._fluid_settings_setnum(settings, p, value);
    F._free(p);
    return r;
});

EM_JS(int, fluidLoadFont, (int synth, const char* path, int reset), {
    const F = Module.page.fluid;
    let data;
    try {
        data = FS.readFile(UTF8ToString(path));
    } catch (e) {
        return -1;
    }
    const name = "/soundfont.sf2";
    const started = performance.now();
    F.FS.writeFile(name, data);
    const p = Module.page.fluidText(name);
    const r = F._fluid_synth_sfload(synth, p, reset);
    F._free(p);
    F.FS.unlink(name);
    // How long the page's thread was held, and after how many frames shown (for the tests).
    Module.page.soundFontLoad = { ms: performance.now() - started, framesShown: Module.page.presents };
    return r;
});

EM_JS(int, fluidAddMem, (int player, const void* buffer, int length), {
    const F = Module.page.fluid;
    const p = F._malloc(length);
    F.HEAPU8.set(HEAPU8.subarray(buffer, buffer + length), p);
    const r = F._fluid_player_add_mem(player, p, length);
    F._free(p);
    return r;
});

// Renders `frames` interleaved stereo frames into this module's `out`.
EM_JS(int, fluidRender, (int synth, int frames, float* out), {
    const F = Module.page.fluid;
    const bytes = frames * 8;
    if (!Module.fluidScratch || Module.fluidScratchBytes < bytes) {
        if (Module.fluidScratch) F._free(Module.fluidScratch);
        Module.fluidScratch = F._malloc(bytes);
        Module.fluidScratchBytes = bytes;
    }
    const s = Module.fluidScratch;
    const r = F._fluid_synth_write_float(synth, frames, s, 0, 2, s, 1, 2);
    HEAPF32.set(F.HEAPF32.subarray(s >> 2, (s >> 2) + frames * 2), out >> 2);
    return r;
});
// clang-format on

template <typename T>
T* handle(int h) {
    return reinterpret_cast<T*>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(h)));
}

int id(const void* p) { return static_cast<int>(reinterpret_cast<std::uintptr_t>(p)); }

}  // namespace

extern "C" {

fluid_log_function_t fluid_set_log_function(int level, fluid_log_function_t, void*) {
    if (fluidReady()) fluidCall(11, level, 0, 0);
    return nullptr;
}

// Without the library (the page could not load it) there are no settings, so no synthesiser:
// the music is silent, which the synthesiser's loader says.
fluid_settings_t* new_fluid_settings(void) { return fluidReady() ? handle<fluid_settings_t>(fluidCall(0, 0, 0, 0)) : nullptr; }
void delete_fluid_settings(fluid_settings_t* settings) {
    if (settings != nullptr) fluidCall(1, id(settings), 0, 0);
}
int fluid_settings_setnum(fluid_settings_t* settings, const char* name, double val) {
    return fluidSetting(id(settings), name, val, 0);
}
int fluid_settings_setint(fluid_settings_t* settings, const char* name, int val) {
    return fluidSetting(id(settings), name, val, 1);
}

fluid_synth_t* new_fluid_synth(fluid_settings_t* settings) { return handle<fluid_synth_t>(fluidCall(2, id(settings), 0, 0)); }
void delete_fluid_synth(fluid_synth_t* synth) {
    if (synth != nullptr) fluidCall(3, id(synth), 0, 0);
}
int fluid_synth_sfload(fluid_synth_t* synth, const char* filename, int reset_presets) {
    return fluidLoadFont(id(synth), filename, reset_presets);
}

int fluid_synth_write_float(fluid_synth_t* synth, int len, void* lout, int loff, int lincr, void* rout, int roff,
                            int rincr) {
    if (len <= 0) return FLUID_OK;
    // The sequencer renders interleaved stereo, which is copied across in one piece; no other
    // layout is asked for.
    if (lout != rout || lincr != 2 || rincr != 2 || roff != loff + 1) return FLUID_FAILED;
    return fluidRender(id(synth), len, static_cast<float*>(lout) + loff);
}

int fluid_synth_all_sounds_off(fluid_synth_t* synth, int chan) { return fluidCall(4, id(synth), chan, 0); }
int fluid_synth_system_reset(fluid_synth_t* synth) { return fluidCall(5, id(synth), 0, 0); }

fluid_player_t* new_fluid_player(fluid_synth_t* synth) { return handle<fluid_player_t>(fluidCall(6, id(synth), 0, 0)); }
void delete_fluid_player(fluid_player_t* player) {
    if (player != nullptr) fluidCall(7, id(player), 0, 0);
}
int fluid_player_add_mem(fluid_player_t* player, const void* buffer, size_t len) {
    return fluidAddMem(id(player), buffer, static_cast<int>(len));
}
int fluid_player_play(fluid_player_t* player) { return fluidCall(8, id(player), 0, 0); }
int fluid_player_stop(fluid_player_t* player) { return fluidCall(9, id(player), 0, 0); }
int fluid_player_get_status(fluid_player_t* player) { return fluidCall(10, id(player), 0, 0); }

}  // extern "C"
