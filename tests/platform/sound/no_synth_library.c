/* Preloaded by synth_library.sh: the MIDI synthesiser's library cannot be loaded, as on a system
 * without it; every other library loads as usual. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stddef.h>
#include <string.h>

void* dlopen(const char* file, int mode) {
    if (file != NULL && strstr(file, "fluidsynth") != NULL) return NULL;
    void* (*real)(const char*, int) = (void* (*)(const char*, int))dlsym(RTLD_NEXT, "dlopen");
    return real != NULL ? real(file, mode) : NULL;
}
