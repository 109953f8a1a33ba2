// SDL2 backend: the session key. F9, while the window records its session (--record), writes the
// session so far beside the screenshots (NAME-DATE-TIME.txt) and has the program's headless
// runner, the executable beside this one named NAME-headless, replay it into a GIF of its last
// 30 seconds (NAME-DATE-TIME.gif). The runner is a process of its own at a lower priority, so that
// the frame loop never waits for it: the loop only asks, a few times a second, whether it ended.
// The replay is exact, so the GIF shows the frames the window showed, each for its full period.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

#include "platform/files/os.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window/program_name.h"
#include "platform/window/recording.h"

namespace platform::sdl {
namespace {

constexpr std::uint32_t kClipMs = 30000;   // the GIF's length, at most
constexpr Uint32 kNoteMs = 5000;           // how long the title says how it went
constexpr Uint32 kPollMs = 250;            // how often the frame loop asks after the runner

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return path.substr(slash == std::string::npos ? 0 : slash + 1);
}

#ifndef _WIN32
// The runner making the GIF, while it runs.
struct Rendering {
    pid_t pid = -1;
    std::string gif;
};
Rendering rendering;

// Starts the runner on the session; false with the reason when it could not be started.
bool startRunner(const std::string& session, const std::string& gif, int from, int to, std::string& why) {
    const std::string runner = os::executablePath() + "-headless";
    if (access(runner.c_str(), X_OK) != 0) {
        why = "no headless runner " + runner + " to make the GIF";
        return false;
    }
    // The copy closes the window after its last frame: the replay stops there by itself.
    std::vector<std::string> words = {runner, session, "--gif", gif, "--from", std::to_string(from), "--to", std::to_string(to)};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    // Its standard output (nothing the player needs) goes nowhere; its messages share ours.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int code = posix_spawn(&pid, runner.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (code != 0) {
        why = "the headless runner could not be started";
        return false;
    }
    // Behind the window's own thread for the processor: the frames come first. (Started before
    // this, the runner has at most its start-up at the ordinary priority; the thread that writes
    // the GIF's frames starts later, at the clip's first frame, and inherits this one.)
    setpriority(PRIO_PROCESS, static_cast<id_t>(pid), 10);
    rendering = Rendering{pid, gif};
    return true;
}
#endif

// The frames' starts against the schedule, apart while a GIF is being made and otherwise, for
// QUORBIX_FRAME_TIMING (below). A frame is late when it starts more than half a period after
// its time: the scheduler's own jitter stays well under that.
struct Tally {
    long frames = 0, late = 0;
    std::uint32_t worstMs = 0;
    void count(std::uint32_t lateMs, std::uint32_t periodMs) {
        ++frames;
        if (lateMs > periodMs / 2) ++late;
        worstMs = std::max(worstMs, lateMs);
    }
};
Tally idle, whileMaking;

}  // namespace

void countFrameStart(std::uint32_t lateMs, std::uint32_t periodMs) {
#ifndef _WIN32
    (rendering.pid > 0 ? whileMaking : idle).count(lateMs, periodMs);
#else
    idle.count(lateMs, periodMs);
#endif
}

void sayFrameTiming() {
    const char* asked = std::getenv("QUORBIX_FRAME_TIMING");
    if (asked == nullptr || *asked == '\0' || idle.frames + whileMaking.frames == 0) return;
    say("frame timing: %ld frames, %ld late by more than half a period (the worst %u ms); while a GIF "
        "was being made: %ld frames, %ld late (the worst %u ms)\n",
        idle.frames, idle.late, static_cast<unsigned>(idle.worstMs), whileMaking.frames, whileMaking.late,
        static_cast<unsigned>(whileMaking.worstMs));
}

void saveSessionGif() {
#ifndef _WIN32
    if (rendering.pid > 0) return showNote("a GIF is still being made", 2000);
#endif
    std::string why;
    const std::string folder = captureFolder(why);
    if (folder.empty()) {
        say("session not saved: %s\n", why.c_str());
        return showNote("session not saved: " + why, kNoteMs);
    }
    const std::string stem = freshStem(folder, {".txt", ".gif"});
    int last = 0;
    std::uint32_t period = 50;
    if (!copyRecording(stem + ".txt", last, period, why)) {
        say("session not saved: %s\n", why.c_str());
        return showNote("session not saved: " + why, kNoteMs);
    }
    say("session saved as %s.txt\n", stem.c_str());
    const int frames = static_cast<int>(kClipMs / std::max<std::uint32_t>(period, 1));
    const int from = std::max(1, last - frames + 1);
#ifdef _WIN32
    showNote("saved " + baseName(stem) + ".txt (GIFs are made by the Linux runner)", kNoteMs);
    (void)from;
#else
    if (!startRunner(stem + ".txt", stem + ".gif", from, last, why)) {
        say("GIF not made: %s\n", why.c_str());
        return showNote("saved " + baseName(stem) + ".txt; no GIF: " + why, kNoteMs);
    }
    say("making %s.gif of frames %d to %d\n", stem.c_str(), from, last);
    showNote("saved " + baseName(stem) + ".txt, making the GIF...", 0);
#endif
}

Uint32 pollSessionGif() {
#ifdef _WIN32
    return 0;
#else
    if (rendering.pid <= 0) return 0;
    int status = 0;
    const pid_t done = waitpid(rendering.pid, &status, WNOHANG);
    if (done == 0) return kPollMs;
    const std::string gif = rendering.gif, name = baseName(gif);
    rendering = Rendering{};
    if (done == -1) {
        // The runner was waited for elsewhere: whether it made the GIF, the file tells.
        if (os::kindOf(gif) == os::Kind::regular) showNote("GIF ready: " + name, kNoteMs);
        return 0;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        say("GIF ready: %s\n", name.c_str());
        showNote("GIF ready: " + name, kNoteMs);
    } else {
        say("GIF not made: the headless runner failed (its message is above)\n");
        showNote("GIF not made: the headless runner failed", kNoteMs);
    }
    return 0;
#endif
}

}  // namespace platform::sdl
