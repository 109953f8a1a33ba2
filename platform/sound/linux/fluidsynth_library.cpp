// Platform on Linux: the MIDI synthesiser's library (FluidSynth), loaded when the synthesiser is
// first built rather than with the program. The library and the sixty others it brings (sound
// servers, codecs, an object system) took about a third of the program's start-up to map and
// link before its first frame; loaded here, on the thread that builds the synthesiser and loads
// its font (midi_synth.cpp), they cost the first frame nothing. Each call the sound module makes
// goes to the library's own function; where the library cannot be loaded, every call fails or
// does nothing, as without a sound font: the sounds play, the music is silent, and the first call
// says why on standard error.
//
// A build may carry a FluidSynth of its own beside the programs (the arm64 build does: one
// compiled without fused multiply-adds, which renders the music to the same samples as every
// other build). That copy comes first; the system's library is the one otherwise.
#include <dlfcn.h>
#include <unistd.h>
#include <fluidsynth.h>

#include <cstddef>
#include <mutex>
#include <string>

#include "platform/files/os.h"
#include "platform/window/program_name.h"

namespace {

// The library's name with its interface version: what the package installs for programs.
constexpr const char* kLibrary = "libfluidsynth.so.3";

// Each call: its result type, name, parameters, arguments, and its result without the library.
#define QRB_FLUID_CALLS(X)                                                                                        \
    X(fluid_log_function_t, fluid_set_log_function, (int level, fluid_log_function_t fun, void* data),            \
      (level, fun, data), nullptr)                                                                                \
    X(fluid_settings_t*, new_fluid_settings, (void), (), nullptr)                                                 \
    X(void, delete_fluid_settings, (fluid_settings_t * settings), (settings), )                                   \
    X(int, fluid_settings_setnum, (fluid_settings_t * settings, const char* name, double value),                  \
      (settings, name, value), FLUID_FAILED)                                                                      \
    X(int, fluid_settings_setint, (fluid_settings_t * settings, const char* name, int value),                     \
      (settings, name, value), FLUID_FAILED)                                                                      \
    X(fluid_synth_t*, new_fluid_synth, (fluid_settings_t * settings), (settings), nullptr)                        \
    X(void, delete_fluid_synth, (fluid_synth_t * synth), (synth), )                                               \
    X(int, fluid_synth_sfload, (fluid_synth_t * synth, const char* file, int reset), (synth, file, reset),        \
      FLUID_FAILED)                                                                                               \
    X(int, fluid_synth_write_float,                                                                               \
      (fluid_synth_t * synth, int len, void* lout, int loff, int lincr, void* rout, int roff, int rincr),         \
      (synth, len, lout, loff, lincr, rout, roff, rincr), FLUID_FAILED)                                           \
    X(int, fluid_synth_all_sounds_off, (fluid_synth_t * synth, int channel), (synth, channel), FLUID_FAILED)     \
    X(int, fluid_synth_system_reset, (fluid_synth_t * synth), (synth), FLUID_FAILED)                              \
    X(fluid_player_t*, new_fluid_player, (fluid_synth_t * synth), (synth), nullptr)                               \
    X(void, delete_fluid_player, (fluid_player_t * player), (player), )                                           \
    X(int, fluid_player_add_mem, (fluid_player_t * player, const void* buffer, size_t len), (player, buffer, len), \
      FLUID_FAILED)                                                                                               \
    X(int, fluid_player_play, (fluid_player_t * player), (player), FLUID_FAILED)                                  \
    X(int, fluid_player_stop, (fluid_player_t * player), (player), FLUID_FAILED)                                  \
    X(int, fluid_player_get_status, (fluid_player_t * player), (player), FLUID_PLAYER_DONE)

struct Library {
#define QRB_FLUID_POINTER(result, name, params, args, fallback) result(*name) params = nullptr;
    QRB_FLUID_CALLS(QRB_FLUID_POINTER)
#undef QRB_FLUID_POINTER
};

// The library's functions, all of them or none; loaded once, by whichever call comes first.
const Library& library() {
    static Library loaded;
    static std::once_flag once;
    std::call_once(once, [] {
        // Tried by its full path: only a file that is there is taken from beside the programs.
        void* handle = nullptr;
        std::string name = kLibrary;
        const std::string folder = platform::os::executableFolder();
        const std::string own = folder.empty() ? "" : folder + kLibrary;
        if (!own.empty() && access(own.c_str(), F_OK) == 0) {
            handle = dlopen(own.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle != nullptr) {
                name = own;
            } else {
                const char* error = dlerror();
                platform::say("the MIDI synthesiser's library beside the program, %s, could not be loaded (%s): the "
                              "system's is used\n",
                              own.c_str(), error != nullptr ? error : "not a library");
            }
        }
        if (handle == nullptr) handle = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
        const char* error = handle == nullptr ? dlerror() : nullptr;
        std::string why = error != nullptr ? error : "not found";
        Library found;
        bool whole = handle != nullptr;
#define QRB_FLUID_RESOLVE(result, name, params, args, fallback)                                    \
    if (whole) {                                                                                   \
        found.name = reinterpret_cast<result(*) params>(dlsym(handle, #name));                     \
        whole = found.name != nullptr;                                                             \
        if (!whole) why = "it has no " #name;                                                      \
    }
        QRB_FLUID_CALLS(QRB_FLUID_RESOLVE)
#undef QRB_FLUID_RESOLVE
        if (whole) {
            loaded = found;
            return;
        }
        // A library without every call stays loaded all the same: a thread of its own may run.
        platform::say("the MIDI synthesiser's library %s could not be loaded (%s): the music is silent\n",
                      name.c_str(), why.c_str());
    });
    return loaded;
}

}  // namespace

extern "C" {
#define QRB_FLUID_FORWARD(result, name, params, args, fallback) \
    result name params {                                        \
        const Library& l = library();                           \
        if (l.name != nullptr) return l.name args;              \
        return fallback;                                        \
    }
QRB_FLUID_CALLS(QRB_FLUID_FORWARD)
#undef QRB_FLUID_FORWARD
}
