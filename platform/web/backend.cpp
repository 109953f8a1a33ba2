// Web backend: the page's canvas as the window, its input as window messages, the clock of
// performance.now(), message boxes as an in-page dialog and sound through Web Audio. The page's
// script (page/quorbix-page.js) keeps what the browser delivers in Module.page; these files read
// it there. Leaves out: moving or confining the pointer (a page cannot), the beep, the window's
// icon (the page shows its own).
//
// Its files, as in every backend (platform/backend.h), each in the contract's order:
//   backend.cpp  identity, events and pacing, time; here also the steps every wait is made of
//                and the machine the page runs on
//   window.cpp   window, cursor, message box
//   video.cpp    screen and presentation: the picture drawn on the canvas
//   input.cpp    the page's input events as window messages, key state, gamepads as joysticks
//   audio.cpp    audio outputs mixed on the page's thread for an audio worklet
// Beside them: keys.cpp (the browser's key names as virtual-key codes) and the web's own versions
// of desktop pieces: font_match.cpp, cp932_table.cpp and fluidsynth_bridge.cpp.
//
// Waits. The program's waits (the frame loop's, a modal box, Delay, a blocking sound) return to
// the browser through Asyncify: each wait sleeps in short steps with emscripten_sleep, and every
// step renders the sound the page needs by then, so that sound never waits for a frame.
#include <emscripten.h>
#include <semaphore.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>

#include "platform/backend.h"
#include "platform/web/web_backend.h"
#include "platform/window/frame_schedule.h"
#include "platform/window/system.h"

namespace platform::web {
namespace {

// clang-format off
EM_JS(double, pageNow, (), { return performance.now(); });
EM_JS(double, pageCalendarMs, (), { return Module.page.calendarMs(); });
EM_JS(int, pageProgramPath, (char* out, int size), {
    stringToUTF8(Module.page.programPath, out, size);
    return 0;
});
// clang-format on

// The longest step of a wait: input and sound are looked at at least this often.
constexpr std::uint32_t kWaitStepMs = 8;

// The frames' schedule.
struct EventLoop {
    FrameSchedule frames;
};

EventLoop eventLoop;

}  // namespace

void waitStep(std::uint32_t ms) {
    pumpAudio();
    emscripten_sleep(std::max<std::uint32_t>(1, std::min(ms, kWaitStepMs)));
    pumpAudio();
}

}  // namespace platform::web

namespace platform::backend {

using web::eventLoop;

// ---------------------------------------------------------------- identity

const Capabilities& describe() {
    static const Capabilities capabilities{"web", true, true, false};
    return capabilities;
}

// ---------------------------------------------------------------- events and pacing

void pumpEvents() {
    web::pumpAudio();
    web::drainEvents();
}

void waitEvents() {
    while (!web::drainEvents()) web::waitStep(web::kWaitStepMs);
}

bool waitFrame(std::uint32_t periodMs) {
    for (;;) {
        const std::int32_t remaining = eventLoop.frames.untilNext(tickCount(), periodMs);
        if (remaining <= 0) return true;
        if (web::eventsWaiting()) {
            web::drainEvents();
            return false;
        }
        web::waitStep(static_cast<std::uint32_t>(remaining));
    }
}

// Everything runs on the one thread of the page: nobody else posts.
void wake() {}

// ---------------------------------------------------------------- time

std::uint32_t tickCount() { return static_cast<std::uint32_t>(static_cast<std::uint64_t>(web::pageNow())); }

// The page checks its ?time; the conversion stays defined whatever the page reports all the same:
// not a number reads as 0, a figure beyond what 64 bits hold as the nearest end of their range.
std::int64_t calendarSeconds() {
    const double seconds = web::pageCalendarMs() / 1000.0;
    if (std::isnan(seconds)) return 0;
    constexpr double kLimit = 9.2e18;  // below 2^63, where the conversion stops being defined
    return static_cast<std::int64_t>(std::clamp(seconds, -kLimit, kLimit));
}

void sleep(std::uint32_t ms) {
    const std::uint32_t start = tickCount();
    for (std::uint32_t passed = 0; passed < ms; passed = tickCount() - start) web::waitStep(ms - passed);
}

// A busy wait on the tick count gives the page its turn at every reading; otherwise nothing
// would be drawn or heard until it ends.
void spinWait() { web::waitStep(1); }

}  // namespace platform::backend

// ---------------------------------------------------------------- the machine the page runs on

namespace platform::web {
namespace {

// The program's file lies in the page's file system, beside its data; the machine's figures are
// fixed (a page sees no disk and no memory of the machine). Set before main: an object here,
// where the link always takes it, not in a file of its own that nothing would pull in.
struct MachineOnThePage {
    char programPath[256] = {};
    MachineOnThePage() {
        pageProgramPath(programPath, sizeof programPath);
        MachineFigures figures;
        figures.sectorsPerCluster = 8;
        figures.bytesPerSector = 512;
        figures.freeClusters = 262144;    // 1 GiB
        figures.totalClusters = 1048576;  // 4 GiB
        figures.availablePhysicalMemory = 256ull << 20;
        figures.modulePath = programPath;
        overrideMachineFigures(&figures);
    }
};

MachineOnThePage machineOnThePage;

}  // namespace
}  // namespace platform::web

// The C library of a WebAssembly build without threads has no timed semaphore wait. Only the
// music's render thread waits that way, and the page starts no threads (describe().threads), so
// this never runs; it is here for the link.
extern "C" int sem_timedwait(sem_t*, const struct timespec*) {
    errno = ETIMEDOUT;
    return -1;
}
