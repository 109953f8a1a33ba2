// Headless backend: the controls that the headless runner and the tests use.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("platform/headless/headless.h is the framework's own; include <quorbix/headless.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::headless {

struct Config {
    std::uint32_t startTick = 0;   // the tick count during start-up (frame 0)
    std::uint32_t frameMs = 50;    // the clock advances this much per frame number
    std::int64_t time = 0;         // calendar time at start-up, whole seconds
    int frames = 100000;           // the runner stops after this many frame numbers
    bool framesCoverScript = false;   // ... or after the script's last event, when that is later
    int screenWidth = 1024;
    int screenHeight = 768;
    int colorDepth = 32;           // bits per pixel of the desktop: 16, 24 or 32
    int refusedDepth = 0;          // a full-screen display mode at this depth is refused
};

// Starts the backend afresh: clock at startTick, frame number 0, no script, empty logs.
void configure(const Config& config);
const Config& config();
// Called by the headless runner once the program is installed, before its first frame: the
// clock moves `ms` (at least 1) per frame number from then on, instead of config.frameMs.
void setFrameMs(std::uint32_t ms);

// Parses a script (see docs/headless.md). On a bad line returns false and sets error to
// "line N: ..."; the events already in place are kept only when it succeeds.
bool loadScript(const std::string& text, std::string& error);

// Called by the backend when it leaves a frame number (after that frame ran or was skipped),
// before the events of the next one are posted.
using SlotHook = void (*)(int frame, void* user);
void setSlotEndHook(SlotHook hook, void* user);

// The frame number being handled (0 during start-up).
int currentFrame();
// The tick count while frame number `frame` runs: start-tick + frame x frame-ms, unless the
// script's tick events moved the clock (docs/headless.md).
std::uint32_t frameTick(int frame);
// True once the frame limit was reached (the backend then posted WM_QUIT itself).
bool frameLimitReached();
// Called by the runner after the run: the script's events that were not played, and the frame
// number of the first of them (0 for none).
std::size_t eventsNotPlayed(int& firstFrame);

// Tests move the clock by hand; the runner never does.
void setTick(std::uint32_t tick);
void advanceTick(std::uint32_t ms);

// Message boxes shown so far, as UTF-8, oldest first; taking them empties the log.
struct Box {
    std::string caption;
    std::string text;
};
std::vector<Box> takeBoxes();
// Beeps sounded since configure (the error boxes' beep, elSound::Beep).
int beepCount();

// The system cursor as the program left it.
bool cursorVisible();
// The window's client area on the virtual screen.
int clientOriginX();
int clientOriginY();
bool windowOpen();
// Whether the program asked to keep its window above the others (a windowed program does).
bool windowTopmost();
// The size of the icon resource the window was given (0 for none).
std::size_t windowIconBytes();
// Moves the window's client area to (x, y) on the virtual screen and tells the window (WM_MOVE).
void moveWindow(int x, int y);

// The picture the window shows: captured each time the primary surface is presented (the part
// under the client area, or the whole screen in full screen). Empty before the first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;   // 0x00RRGGBB, top row first
};
const Picture& shownPicture();
// Reads the presented picture from the desktop surface now (before something may change it).
void captureShownPicture();
// How many times a picture was presented since configure.
int presentCount();

// The scripted input devices; the script's joy, joy-off, key and keyup events set them too.
// A joystick (id 0 or 1) is absent, and every key up, after configure.
void setJoystick(int id, int x, int y, std::uint32_t buttons);   // present from now on
void unplugJoystick(int id);                                      // reads fail from now on
void setKeyDown(int virtualKey, bool down);

}  // namespace platform::headless
