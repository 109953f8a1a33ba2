/* The file status call of GLib's gstdio.h, for the page's build of FluidSynth (see ../glib.h). */
#ifndef QRB_WEB_GLIB_STAND_IN_GSTDIO_H
#define QRB_WEB_GLIB_STAND_IN_GSTDIO_H
#include <glib.h>
typedef struct stat GStatBuf;
#define g_stat stat
#endif
