/* The parts of GLib that FluidSynth's synthesiser uses, for the page's single-threaded
 * WebAssembly build of it (scripts/web-deps): GLib itself does not build for a page without
 * threads. The page's program runs on one thread and FluidSynth is set to one core, so locks and
 * conditions have nothing to wait for and do nothing, atomics are plain reads and writes, and
 * threads cannot be started (starting one fails with an error FluidSynth reports). Everything
 * else maps onto the C library. */
#ifndef QRB_WEB_GLIB_STAND_IN_H
#define QRB_WEB_GLIB_STAND_IN_H

#include <errno.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#define GLIB_MAJOR_VERSION 2
#define GLIB_MINOR_VERSION 74
#define GLIB_MICRO_VERSION 6
#define GLIB_CHECK_VERSION(major, minor, micro) \
    (GLIB_MAJOR_VERSION > (major) || (GLIB_MAJOR_VERSION == (major) && GLIB_MINOR_VERSION > (minor)) || \
     (GLIB_MAJOR_VERSION == (major) && GLIB_MINOR_VERSION == (minor) && GLIB_MICRO_VERSION >= (micro)))

typedef char gchar;
typedef int gint;
typedef unsigned int guint;
typedef int gboolean;
typedef void* gpointer;
typedef int8_t gint8;
typedef uint8_t guint8;
typedef int16_t gint16;
typedef uint16_t guint16;
typedef int32_t gint32;
typedef uint32_t guint32;
typedef int64_t gint64;
typedef uint64_t guint64;
typedef intptr_t gintptr;
typedef uintptr_t guintptr;
typedef size_t gsize;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define G_LITTLE_ENDIAN 1234
#define G_BIG_ENDIAN 4321
#define G_BYTE_ORDER G_LITTLE_ENDIAN /* WebAssembly is little-endian */
#define GINT32_FROM_LE(x) ((gint32)(x))
#define GINT16_FROM_LE(x) ((gint16)(x))

#define G_LIKELY(e) __builtin_expect(!!(e), 1)
#define G_UNLIKELY(e) __builtin_expect(!!(e), 0)

#define g_return_val_if_fail(e, v) \
    do {                             \
        if (!(e)) return (v);        \
    } while (0)

#define g_new(type, n) ((type*)calloc((n), sizeof(type)))
#define g_free free
#define g_strerror strerror
#define g_snprintf snprintf
#define g_vsnprintf vsnprintf

/* Errors: a thread that could not be started is the only one. */
typedef struct {
    guint32 domain;
    gint code;
    gchar* message;
} GError;
static inline void g_clear_error(GError** err) {
    if (err != NULL && *err != NULL) {
        free((*err)->message);
        free(*err);
        *err = NULL;
    }
}

/* Files */
typedef enum { G_FILE_TEST_IS_REGULAR = 1 << 0, G_FILE_TEST_EXISTS = 1 << 4 } GFileTest;
static inline gboolean g_file_test(const gchar* path, GFileTest test) {
    struct stat s;
    if (stat(path, &s) != 0) return FALSE;
    if ((test & G_FILE_TEST_EXISTS) != 0) return TRUE;
    return (test & G_FILE_TEST_IS_REGULAR) != 0 && S_ISREG(s.st_mode);
}

/* The command shell's line splitting: the page has no shell. */
static inline gboolean g_shell_parse_argv(const gchar* line, gint* argc, gchar*** argv, GError** err) {
    (void)line;
    (void)err;
    if (argc != NULL) *argc = 0;
    if (argv != NULL) *argv = NULL;
    return FALSE;
}
static inline void g_strfreev(gchar** v) {
    gchar** p;
    if (v == NULL) return;
    for (p = v; *p != NULL; ++p) free(*p);
    free(v);
}

/* Time */
static inline gint64 g_get_monotonic_time(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (gint64)t.tv_sec * 1000000 + t.tv_nsec / 1000;
}
static inline void g_usleep(unsigned long microseconds) { usleep(microseconds); }

/* Locks and conditions: one thread, nothing to wait for. */
typedef struct {
    int unused;
} GMutex, GRecMutex, GCond;
typedef struct {
    gpointer value;
} GPrivate;
#define g_mutex_init(m) ((void)(m))
#define g_mutex_clear(m) ((void)(m))
#define g_mutex_lock(m) ((void)(m))
#define g_mutex_unlock(m) ((void)(m))
#define g_rec_mutex_init(m) ((void)(m))
#define g_rec_mutex_clear(m) ((void)(m))
#define g_rec_mutex_lock(m) ((void)(m))
#define g_rec_mutex_unlock(m) ((void)(m))
#define g_cond_init(c) ((void)(c))
#define g_cond_clear(c) ((void)(c))
#define g_cond_signal(c) ((void)(c))
#define g_cond_broadcast(c) ((void)(c))
#define g_cond_wait(c, m) ((void)(c), (void)(m))
#define g_private_get(p) ((p)->value)
#define g_private_set(p, v) ((p)->value = (v))

/* Atomics: plain reads and writes on one thread. */
#define g_atomic_int_get(p) (*(p))
#define g_atomic_int_set(p, v) ((void)(*(p) = (v)))
#define g_atomic_int_inc(p) ((void)(++*(p)))
#define g_atomic_int_dec_and_test(p) (--*(p) == 0)
#define g_atomic_int_add(p, v) qrb_glib_int_add((int*)(p), (v))
#define g_atomic_int_compare_and_exchange(p, old, new) qrb_glib_int_swap((int*)(p), (old), (new))
#define g_atomic_pointer_get(p) (*(p))
#define g_atomic_pointer_set(p, v) ((void)(*(p) = (v)))
#define g_atomic_pointer_compare_and_exchange(p, old, new) \
    qrb_glib_pointer_swap((void**)(p), (void*)(old), (void*)(new))
static inline int qrb_glib_int_add(int* p, int v) {
    int was = *p;
    *p = was + v;
    return was;
}
static inline gboolean qrb_glib_int_swap(int* p, int old, int replacement) {
    if (*p != old) return FALSE;
    *p = replacement;
    return TRUE;
}
static inline gboolean qrb_glib_pointer_swap(void** p, void* old, void* replacement) {
    if (*p != old) return FALSE;
    *p = replacement;
    return TRUE;
}

/* Threads: the page's program has one; asking for another fails. */
typedef struct {
    int unused;
} GThread;
typedef gpointer (*GThreadFunc)(gpointer data);
static GThread qrb_glib_only_thread;
static inline GThread* g_thread_self(void) { return &qrb_glib_only_thread; }
static inline GThread* g_thread_try_new(const gchar* name, GThreadFunc func, gpointer data, GError** err) {
    (void)name;
    (void)func;
    (void)data;
    if (err != NULL) {
        *err = (GError*)calloc(1, sizeof(GError));
        if (*err != NULL) (*err)->message = strdup("this build runs on one thread");
    }
    return NULL;
}
static inline gpointer g_thread_join(GThread* thread) {
    (void)thread;
    return NULL;
}
static inline void g_thread_unref(GThread* thread) { (void)thread; }

#endif
