// Headless backend built for WebAssembly (the tests' runner, cmake/web_replay.cmake): the C library
// of a WebAssembly build without threads has no timed semaphore wait. Only the music's render
// thread waits that way, and the headless backend renders the music on the virtual clock, on the
// program's thread, so this never runs; it is here for the link, as in the web backend.
#ifdef __EMSCRIPTEN__
#include <semaphore.h>

#include <cerrno>

extern "C" int sem_timedwait(sem_t*, const struct timespec*) {
    errno = ETIMEDOUT;
    return -1;
}
#endif
