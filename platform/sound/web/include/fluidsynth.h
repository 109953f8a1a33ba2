// Web backend: the part of the FluidSynth C API the sequencer and the synthesiser use, for the
// WebAssembly build. The library itself is a separate WebAssembly module that the page loads
// (libfluidsynth.js, which scripts/web-deps builds); fluidsynth_bridge.cpp forwards each call to
// it. Handles are that module's addresses, never dereferenced here.
#pragma once
#include <cstddef>

extern "C" {

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_player_t fluid_player_t;
typedef void (*fluid_log_function_t)(int level, const char* message, void* data);

enum { FLUID_OK = 0, FLUID_FAILED = -1 };
enum fluid_log_level { FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG, LAST_LOG_LEVEL };
enum fluid_player_status { FLUID_PLAYER_READY, FLUID_PLAYER_PLAYING, FLUID_PLAYER_STOPPING, FLUID_PLAYER_DONE };

// Only a null function (silence the level) is supported.
fluid_log_function_t fluid_set_log_function(int level, fluid_log_function_t fun, void* data);

fluid_settings_t* new_fluid_settings(void);
void delete_fluid_settings(fluid_settings_t* settings);
int fluid_settings_setnum(fluid_settings_t* settings, const char* name, double val);
int fluid_settings_setint(fluid_settings_t* settings, const char* name, int val);

fluid_synth_t* new_fluid_synth(fluid_settings_t* settings);
void delete_fluid_synth(fluid_synth_t* synth);
// Loads a file of this module's file system (the packed data).
int fluid_synth_sfload(fluid_synth_t* synth, const char* filename, int reset_presets);
int fluid_synth_write_float(fluid_synth_t* synth, int len, void* lout, int loff, int lincr, void* rout, int roff,
                            int rincr);
int fluid_synth_all_sounds_off(fluid_synth_t* synth, int chan);
int fluid_synth_system_reset(fluid_synth_t* synth);

fluid_player_t* new_fluid_player(fluid_synth_t* synth);
void delete_fluid_player(fluid_player_t* player);
int fluid_player_add_mem(fluid_player_t* player, const void* buffer, size_t len);
int fluid_player_play(fluid_player_t* player);
int fluid_player_stop(fluid_player_t* player);
int fluid_player_get_status(fluid_player_t* player);

}  // extern "C"
