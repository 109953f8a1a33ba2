// Platform: recording a windowed session as an input script, and replaying one in the window.
#include "platform/window/recording.h"

#include <algorithm>
#include <atomic>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

#include "platform/backend.h"
#include "platform/files/output_file.h"
#include "platform/window/input_script.h"
#include "platform/window/joystick.h"
#include "platform/window/program_name.h"
#include "platform/window/state_check.h"
#include "platform/window/system.h"
#include "platform/window/window.h"

namespace platform {
namespace {

// A joystick as the program reads it: plugged in or not, its position and buttons.
struct JoyReading {
    bool present = false;
    std::uint32_t x = 0, y = 0, buttons = 0;
    bool operator==(const JoyReading&) const = default;
};

struct RecorderState {
    OutputFile file;         // the recording, put in place when the session ends
    std::FILE* out = nullptr;   // its stream while recording
    std::mutex lock;
    std::thread::id windowThread;
    int next = 1;            // the frame number that events handled now come before
    int running = 0;         // the frame running now (inFrame)
    bool inFrame = false;
    bool started = false;    // the frame loop has asked for a frame or waited
    bool active = true;      // as the replay sees the application: active from the first frame
    int mouseX = 0, mouseY = 0;
    bool tickNoted = false;  // this frame's tick was read (and stands still until it ends)
    std::uint32_t frameTick = 0;   // the tick count of the frame running or run last (start-up: 0)
    std::uint32_t slept = 0;       // what the program slept since that frame began (Delay)
    bool haveTickBase = false;
    std::uint32_t tickBase = 0;
    int tickBaseFrame = 0;
    std::uint32_t period = 50;
    int lastScene = -1;
    std::uint64_t lastHash = 0;
    std::uint64_t lastPicture = 0;
    int lastStateFrame = 0;
    std::string lastFields;
    std::string text;            // every line written, for a copy of the session so far
    std::size_t textAtFrameEnd = 0;   // its length when frame lastStateFrame ended
    JoyReading joyLast[kJoystickIds];    // the last reading written, each stick absent at first
    JoyReading joyFrame[kJoystickIds];   // the reading of the frame joyFrameNo
    int joyFrameNo[kJoystickIds] = {-1, -1};
};

struct ReplayState {
    bool on = false;
    Script script;
    std::size_t nextEvent = 0;
    int next = 1;             // the frame number to enter next
    bool entered = false;     // its events are posted; the frame has not run yet
    bool haveTime = false;
    std::int64_t timeBase = 0;
    std::uint32_t timeBaseTick = 0;
    // The tick count: tickBase at frame tickBaseFrame, the frame period a frame from there,
    // standing still within a frame as it did while recording.
    bool haveTick = false;
    std::uint32_t tickBase = 0;
    int tickBaseFrame = 0;
    std::uint32_t frameTick = 0;   // the tick count of the frame running or run last
    JoyReading joy[kJoystickIds];   // the sticks as the replay's joy events leave them
    bool endSaid = false;
    std::string language;   // as the recording's "# language" line names it
};

RecorderState recorder;
ReplayState replay;
// Every event of the replay has been posted: the window's own input passes from then on. Read
// where the backend posts that input.
std::atomic<bool> replayUsedUp{false};
thread_local bool fromWindowSystem = false;

bool onWindowThread() { return std::this_thread::get_id() == recorder.windowThread; }

void writeLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
void writeLine(const char* format, ...) {
    char small[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0) return;
    std::string line;
    if (static_cast<std::size_t>(length) < sizeof small) {
        line.assign(small, static_cast<std::size_t>(length));
    } else {
        // A state's fields can be long: formatted again into a buffer of their size.
        line.resize(static_cast<std::size_t>(length) + 1);
        va_start(args, format);
        std::vsnprintf(line.data(), line.size(), format, args);
        va_end(args);
        line.pop_back();
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), recorder.out);
    recorder.text += line;
    // A session that is killed still leaves its events behind, in the temporary file.
    recorder.file.flush();
}

// Posts the events of the replay's frame `frame`; true when there were any.
bool enterReplayFrame() {
    replay.entered = true;
    bool posted = false;
    const auto& events = replay.script.events;
    while (replay.nextEvent < events.size() && events[replay.nextEvent].frame <= replay.next) {
        const ScriptEvent& ev = events[replay.nextEvent++];
        const WindowId w = mainWindow();
        const std::string_view n = ev.name;
        if (n == "move") posted = postMessage(w, WM_MOUSEMOVE, 0, makePosition(static_cast<int>(ev.args[0]), static_cast<int>(ev.args[1])));
        else if (n == "ldown") posted = postMessage(w, WM_LBUTTONDOWN, 1, 0);
        else if (n == "lup") posted = postMessage(w, WM_LBUTTONUP, 0, 0);
        else if (n == "rdown") posted = postMessage(w, WM_RBUTTONDOWN, 2, 0);
        else if (n == "rup") posted = postMessage(w, WM_RBUTTONUP, 0, 0);
        else if (n == "ldbl") posted = postMessage(w, WM_LBUTTONDBLCLK, 1, 0);
        else if (n == "rdbl") posted = postMessage(w, WM_RBUTTONDBLCLK, 2, 0);
        else if (n == "key") posted = postMessage(w, WM_KEYDOWN, static_cast<WParam>(ev.args[0]), 1);
        else if (n == "keyup") posted = postMessage(w, WM_KEYUP, static_cast<WParam>(ev.args[0]), 1);
        else if (n == "activate") posted = postMessage(w, WM_ACTIVATEAPP, static_cast<WParam>(ev.args[0]), 0);
        else if (n == "close") posted = postMessage(w, WM_CLOSE, 0, 0);
        else if (n == "text") {
            postTypedText(ev.text.data(), ev.text.size());
            posted = true;
        }
        else if (n == "tick") {
            replay.haveTick = true;
            replay.tickBase = static_cast<std::uint32_t>(ev.args[0]);
            replay.tickBaseFrame = replay.next;
            if (replay.next == 0) replay.frameTick = replay.tickBase;   // start-up's clock
        } else if (n == "time") {
            replay.haveTime = true;
            replay.timeBase = ev.args[0];
            replay.timeBaseTick = getTickCount();
        } else if (n == "joy") {
            replay.joy[ev.args[0]] = JoyReading{true, static_cast<std::uint32_t>(ev.args[1]),
                                                static_cast<std::uint32_t>(ev.args[2]), static_cast<std::uint32_t>(ev.args[3])};
        } else if (n == "joy-off") {
            replay.joy[ev.args[0]] = JoyReading{};
        }
        // lose-surfaces is the headless runner's alone: a window loses its surfaces by itself.
    }
    if (!replay.endSaid && replay.nextEvent >= events.size()) {
        say("the replay's last event was at frame %d; the window's own input takes over\n", replay.next);
        replay.endSaid = true;
        replayUsedUp = true;
    }
    return posted;
}

bool isInput(std::uint32_t m) {
    return (m >= WM_MOUSEMOVE && m <= WM_RBUTTONDBLCLK) || m == WM_KEYDOWN || m == WM_KEYUP || m == WM_CHAR ||
           m == WM_ACTIVATEAPP;
}

}  // namespace

namespace {
const SessionHooks kSessionHooks{recording::notePost,     recording::beforeFrameWait, recording::afterFrameWait,
                                 recording::inactiveWait, recording::tick,            recording::calendar,
                                 recording::joystick,     recording::waited};
}  // namespace

bool startRecording(const std::string& path, std::string& error) {
    if (!recorder.file.open(path, error)) return false;
    recorder.out = recorder.file.stream();
    recorder.windowThread = std::this_thread::get_id();
    setSessionHooks(&kSessionHooks);
    const char* name = programName();
    writeLine("# A session of %s, recorded in its window: play it back with", name);
    writeLine("#   %s-headless --check %s   or   %s --replay %s", name, path.c_str(), name, path.c_str());
    writeLine("# Lines are 'FRAME EVENT ARGS'; '# state FRAME SCENE FIELDS PICTURE' lines check the replay.");
    return true;
}

bool startReplay(const std::string& path, std::string& error) {
    std::string text;
    if (!readScriptFile(path, text, error)) return false;
    replay = ReplayState{};
    replayUsedUp = false;
    if (!parseScript(text, replay.script, error)) {
        error = path + ": " + error;
        return false;
    }
    // Each frame is checked against the recording's state comments as it runs.
    if (!startStateCheck(text, error)) {
        error = path + ": " + error;
        return false;
    }
    replay.language = scriptLanguage(text);
    recorder.windowThread = std::this_thread::get_id();
    setSessionHooks(&kSessionHooks);
    replay.on = true;
    // Frame 0 is the machine at start-up: its calendar time is read before the first frame.
    replay.next = 0;
    enterReplayFrame();
    replay.next = 1;
    replay.entered = false;
    return true;
}

bool recordingActive() { return recorder.out != nullptr; }

void recordLanguage(const std::string& tag) {
    if (recorder.out != nullptr) writeLine("# language %s", tag.c_str());
}

std::string replayLanguage() { return replay.on ? replay.language : std::string(); }

bool stopRecording(bool sessionEnded, std::string& error) {
    if (recorder.out == nullptr) return true;
    std::lock_guard<std::mutex> hold(recorder.lock);
    if (sessionEnded)
        writeLine("# end after frame %d: scene %d %s", recorder.lastStateFrame, recorder.lastScene,
                  recorder.lastFields.c_str());
    recorder.out = nullptr;
    if (sessionEnded) return recorder.file.commit(error);
    recorder.file.discard();
    return true;
}

void recordFrameState(int scene, const std::string& fields, std::uint64_t picture) {
    if (recorder.out == nullptr || !recorder.inFrame) return;
    std::lock_guard<std::mutex> hold(recorder.lock);
    const std::uint64_t h = stateHash(fields);
    recorder.lastStateFrame = recorder.running;
    if (scene != recorder.lastScene || h != recorder.lastHash || picture != recorder.lastPicture) {
        recorder.lastScene = scene;
        recorder.lastHash = h;
        recorder.lastPicture = picture;
        recorder.lastFields = fields;
        writeLine("# state %d %d %016" PRIx64 " %016" PRIx64, recorder.running, scene, h, picture);
    }
    // What follows belongs to later frames: a copy of the session so far ends here.
    recorder.textAtFrameEnd = recorder.text.size();
}

bool copyRecording(const std::string& path, int& lastFrame, std::uint32_t& periodMs, std::string& error) {
    std::string text;
    {
        std::lock_guard<std::mutex> hold(recorder.lock);
        if (recorder.out == nullptr) {
            error = "no session is being recorded (start the program with --record FILE)";
            return false;
        }
        if (recorder.lastStateFrame < 1) {
            error = "no frame has run yet";
            return false;
        }
        text.assign(recorder.text, 0, recorder.textAtFrameEnd);
        // The window went on; the copy closes it after the frame, so that a replay stops there.
        char end[96];
        std::snprintf(end, sizeof end, "%d close\n# end after frame %d: scene %d ", recorder.lastStateFrame + 1,
                      recorder.lastStateFrame, recorder.lastScene);
        text += end + recorder.lastFields + "\n";
        lastFrame = recorder.lastStateFrame;
        periodMs = recorder.period;
    }
    OutputFile file;
    if (!file.open(path, error)) return false;
    file.write(text.data(), text.size());   // a failed write is reported by commit
    return file.commit(error);
}

bool replayActive() { return replay.on; }

void stopReplay() {
    replay = ReplayState{};
    replayUsedUp = false;
}

int sessionFrame() { return recorder.running; }

}  // namespace platform

namespace platform::recording {

void beginInput() { fromWindowSystem = true; }
void endInput() { fromWindowSystem = false; }

bool notePost(std::uint32_t m, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!fromWindowSystem) return true;
    if (replay.on) return !isInput(m) || replayUsedUp;
    if (recorder.out == nullptr || !onWindowThread()) return true;
    std::lock_guard<std::mutex> hold(recorder.lock);
    const int frame = recorder.next;
    const int x = static_cast<std::int16_t>(lParam & 0xFFFF), y = static_cast<std::int16_t>((lParam >> 16) & 0xFFFF);
    auto moveTo = [&] {
        if (x == recorder.mouseX && y == recorder.mouseY) return;
        recorder.mouseX = x;
        recorder.mouseY = y;
        writeLine("%d move %d %d", frame, x, y);
    };
    const char* button = nullptr;
    switch (m) {
        case WM_MOUSEMOVE: moveTo(); break;
        case WM_LBUTTONDOWN: button = "ldown"; break;
        case WM_LBUTTONUP: button = "lup"; break;
        case WM_LBUTTONDBLCLK: button = "ldbl"; break;
        case WM_RBUTTONDOWN: button = "rdown"; break;
        case WM_RBUTTONUP: button = "rup"; break;
        case WM_RBUTTONDBLCLK: button = "rdbl"; break;
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (wParam >= 1 && wParam <= 255) writeLine("%d %s %u", frame, m == WM_KEYDOWN ? "key" : "keyup", static_cast<unsigned>(wParam));
            break;
        case WM_CHAR: {
            // One character a line, as it arrived.
            char utf8[5] = {};
            const auto c = static_cast<std::uint32_t>(wParam);
            if (c < 0x80) utf8[0] = static_cast<char>(c);
            else if (c < 0x800) { utf8[0] = static_cast<char>(0xC0 | c >> 6); utf8[1] = static_cast<char>(0x80 | (c & 0x3F)); }
            else if (c < 0x10000) {
                utf8[0] = static_cast<char>(0xE0 | c >> 12);
                utf8[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                utf8[2] = static_cast<char>(0x80 | (c & 0x3F));
            } else {
                utf8[0] = static_cast<char>(0xF0 | c >> 18);
                utf8[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                utf8[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                utf8[3] = static_cast<char>(0x80 | (c & 0x3F));
            }
            writeLine("%d text %s", frame, quoteScriptText(utf8).c_str());
            break;
        }
        case WM_ACTIVATEAPP:
            if ((wParam != 0) == recorder.active) return true;
            recorder.active = wParam != 0;
            writeLine("%d activate %d", frame, recorder.active ? 1 : 0);
            // Deactivated, the frame number is passed by without a frame, as on the headless clock.
            if (!recorder.active) ++recorder.next;
            return true;
        case WM_CLOSE: writeLine("%d close", frame); break;
        default: return true;
    }
    if (button != nullptr) {
        moveTo();
        writeLine("%d %s", frame, button);
    }
    // Inactive, each event passes a frame number of its own.
    if (!recorder.active) ++recorder.next;
    return true;
}

bool beforeFrameWait(std::uint32_t periodMs) {
    recorder.inFrame = false;
    recorder.started = true;
    recorder.period = periodMs;
    if (replay.on && !replay.entered) return enterReplayFrame();
    return false;
}

void afterFrameWait(bool due) {
    if (!due) return;
    recorder.running = recorder.next++;
    recorder.inFrame = true;
    recorder.tickNoted = false;
    recorder.slept = 0;
    if (replay.on) {
        replay.entered = false;
        ++replay.next;
        // The frame's tick count: the last tick line's plus a frame period for each frame since.
        replay.frameTick = replay.tickBase + static_cast<std::uint32_t>(recorder.running - replay.tickBaseFrame) * recorder.period;
    }
}

bool inactiveWait() {
    recorder.inFrame = false;
    recorder.started = true;
    if (!replay.on || replayUsedUp) return false;
    // The entered frame number passes without a frame; the next one's events may wake the program.
    if (replay.entered) ++replay.next;
    for (;;) {
        if (enterReplayFrame()) return true;
        while (!backend::waitFrame(recorder.period)) {
            if (!shared::queueEmpty()) return true;
        }
        ++replay.next;
    }
}

// The session's clock, the same in a recording and its replay: it stands still during start-up
// and within a frame (at the frame's first reading; between frames at the last frame's), and
// moves only by what the program sleeps there (elSystem::Delay), as the headless clock does.
std::uint32_t tick(std::uint32_t real) {
    if (replay.on) return replay.haveTick && onWindowThread() ? replay.frameTick + recorder.slept : real;
    if (recorder.out == nullptr || !onWindowThread()) return real;
    std::lock_guard<std::mutex> hold(recorder.lock);
    if (!recorder.started) {
        // Start-up: the first reading is where the replay's clock starts.
        if (!recorder.haveTickBase) {
            recorder.haveTickBase = true;
            recorder.tickBase = real;
            recorder.tickBaseFrame = 0;
            recorder.frameTick = real;
            writeLine("0 tick %" PRIu32, real);
        }
    } else if (recorder.inFrame && !recorder.tickNoted) {
        recorder.tickNoted = true;
        recorder.frameTick = real;
        const std::uint32_t expected = recorder.tickBase + static_cast<std::uint32_t>(recorder.running - recorder.tickBaseFrame) * recorder.period;
        if (real != expected) {
            recorder.tickBase = real;
            recorder.tickBaseFrame = recorder.running;
            writeLine("%d tick %" PRIu32, recorder.running, real);
        }
    }
    return recorder.frameTick + recorder.slept;
}

void waited(std::uint32_t ms) {
    if ((recorder.out != nullptr || replay.on) && onWindowThread()) recorder.slept += ms;
}

std::int64_t calendar(std::int64_t real) {
    if (replay.on && replay.haveTime)
        return replay.timeBase + static_cast<std::int64_t>((getTickCount() - replay.timeBaseTick) / 1000u);
    if (recorder.out == nullptr || !onWindowThread()) return real;
    std::lock_guard<std::mutex> hold(recorder.lock);
    writeLine("%d time %" PRId64, !recorder.started ? 0 : recorder.inFrame ? recorder.running : recorder.next, real);
    return real;
}

bool joystick(int id, bool present, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons) {
    if (id < 0 || id >= kJoystickIds) return present;
    // What the program reads instead of the device: a reading kept earlier.
    auto give = [&](const JoyReading& j) {
        x = j.x;
        y = j.y;
        buttons = j.buttons;
        return j.present;
    };
    if (replay.on && !replayUsedUp) return give(replay.joy[id]);
    if (recorder.out == nullptr || !onWindowThread()) return present;
    std::lock_guard<std::mutex> hold(recorder.lock);
    // Within a frame a stick reads as it did first in that frame, as the replay can give it.
    if (recorder.inFrame && recorder.joyFrameNo[id] == recorder.running) return give(recorder.joyFrame[id]);
    const JoyReading now = present ? JoyReading{true, x, y, buttons} : JoyReading{};
    if (recorder.inFrame) {
        recorder.joyFrameNo[id] = recorder.running;
        recorder.joyFrame[id] = now;
    }
    if (!(now == recorder.joyLast[id])) {
        recorder.joyLast[id] = now;
        const int frame = !recorder.started ? 0 : recorder.inFrame ? recorder.running : recorder.next;
        if (now.present)
            writeLine("%d joy %d %" PRIu32 " %" PRIu32 " %" PRIu32, frame, id, now.x, now.y, now.buttons);
        else
            writeLine("%d joy-off %d", frame, id);
    }
    return present;
}

}  // namespace platform::recording
