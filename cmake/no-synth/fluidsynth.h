// The synthesiser's calls for a Windows build made without FluidSynth (scripts/windows-deps could
// not get its source): every call fails or does nothing, so the sound module runs with no
// synthesiser, as it does without a sound font: the music is silent and the sounds play. The
// calls are those the sound module makes (platform/sound), with FluidSynth's own signatures; the
// first, made once when the synthesiser starts, says on standard error that there is none.
#ifndef QRB_NO_SYNTH_FLUIDSYNTH_H
#define QRB_NO_SYNTH_FLUIDSYNTH_H

#include <stddef.h>
#include <stdio.h>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_player_t fluid_player_t;
typedef void (*fluid_log_function_t)(int level, const char* message, void* data);

enum { FLUID_OK = 0, FLUID_FAILED = -1 };
enum fluid_log_level { FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG, LAST_LOG_LEVEL };
enum fluid_player_status { FLUID_PLAYER_READY, FLUID_PLAYER_PLAYING, FLUID_PLAYER_STOPPING, FLUID_PLAYER_DONE };

static inline fluid_log_function_t fluid_set_log_function(int level, fluid_log_function_t, void*) {
    if (level == FLUID_ERR) fputs("this build has no MIDI synthesiser (FluidSynth): the music is silent\n", stderr);
    return nullptr;
}
static inline fluid_settings_t* new_fluid_settings(void) { return nullptr; }
static inline void delete_fluid_settings(fluid_settings_t*) {}
static inline int fluid_settings_setnum(fluid_settings_t*, const char*, double) { return FLUID_FAILED; }
static inline int fluid_settings_setint(fluid_settings_t*, const char*, int) { return FLUID_FAILED; }
static inline fluid_synth_t* new_fluid_synth(fluid_settings_t*) { return nullptr; }
static inline void delete_fluid_synth(fluid_synth_t*) {}
static inline int fluid_synth_sfload(fluid_synth_t*, const char*, int) { return FLUID_FAILED; }
static inline int fluid_synth_write_float(fluid_synth_t*, int, void*, int, int, void*, int, int) { return FLUID_FAILED; }
static inline int fluid_synth_all_sounds_off(fluid_synth_t*, int) { return FLUID_FAILED; }
static inline int fluid_synth_system_reset(fluid_synth_t*) { return FLUID_FAILED; }
static inline fluid_player_t* new_fluid_player(fluid_synth_t*) { return nullptr; }
static inline void delete_fluid_player(fluid_player_t*) {}
static inline int fluid_player_add_mem(fluid_player_t*, const void*, size_t) { return FLUID_FAILED; }
static inline int fluid_player_play(fluid_player_t*) { return FLUID_FAILED; }
static inline int fluid_player_stop(fluid_player_t*) { return FLUID_FAILED; }
static inline int fluid_player_get_status(fluid_player_t*) { return FLUID_PLAYER_DONE; }

#endif
