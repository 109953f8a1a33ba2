// Platform: the backend contract, every function a backend supplies (platform/sdl,
// platform/headless, platform/web).
//
// The shared platform code (the subsystem folders beside this file) is the only caller: the
// framework reaches these through the platform's public headers (window/window.h,
// window/system.h, video/surface.h, sound/sound.h). It includes no other platform header, so
// every folder may include it. A backend is linked into each executable at build time; there is
// no run-time driver table. Unless a function says otherwise it is called on the window's
// thread, the one that runs the frame loop.
//
// Every backend puts the sections below in the same files, in this order inside each:
// backend.cpp (identity, events and pacing, time), window.cpp (window, cursor, message box),
// video.cpp (screen and presentation), input.cpp (input devices, with the translation of the
// system's input events into window messages) and audio.cpp (audio).
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {
struct Rect;   // platform/window/system.h
}  // namespace platform

namespace platform::backend {

// ---------------------------------------------------------------- identity

struct Capabilities {
    const char* name;   // "sdl", "headless", "web"
    bool realTime;      // the clock is the wall clock and waits take real time
    bool hasDisplay;    // frames are shown to a person
    // The platform may start threads of its own (the music's renderer, the sound font's loader).
    // Without them that work runs on the window's thread, where it is asked for.
    bool threads;
};
// Called by platform::backendInfo (the headless trace's first line, the start-up log).
const Capabilities& describe();

// ---------------------------------------------------------------- events and pacing

// Called by peekMessage before it looks at the queue: turn pending input into posted messages.
void pumpEvents();
// Called by waitMessage while the queue is empty: sleep until something may be queued.
void waitEvents();
// Called by waitFrame (see platform/window/window.h).
bool waitFrame(std::uint32_t periodMs);
// Called by postMessage from any thread (the audio thread's end-of-music notice included):
// wake a thread that sleeps in waitEvents or waitFrame.
void wake();

// ---------------------------------------------------------------- time

// Called by getTickCount, from the frame clock, the wait timers and the sequencer: milliseconds,
// unsigned 32-bit, wrapping after about 49.7 days. No side effects.
std::uint32_t tickCount();
// Called by calendarTime when the program seeds its random generator: whole seconds.
std::int64_t calendarSeconds();
// Called by sleepMs (elSystem::Delay): let `ms` milliseconds pass without using the processor.
// A real clock sleeps; a virtual one moves by `ms` at once.
void sleep(std::uint32_t ms);
// Called by spinWait, once per reading of a busy wait on the tick count. A real clock moves by
// itself; a virtual one moves one millisecond, so that the wait ends there too.
void spinWait();

// ---------------------------------------------------------------- window

// Called by createWindow: open the backend's window with a client area of width x height whose
// top-left corner is at (x, y) on the screen. False when no window can be opened.
bool openWindow(const char* title, int x, int y, int width, int height, std::uint32_t style);
// Called by setClientSize while the window has its old client size (clientSize): give it a
// client area of width x height around the same centre (recentred, platform/video/screen_area.h)
// and write the area's new top-left corner on the screen to (x, y). False, nothing changed, when
// the backend cannot show a picture of that size.
bool resizeWindow(int width, int height, int& x, int& y);
// Called by createWindow with the window class's icon: a BMP file with an alpha channel (the
// program's "ICON" resource). Not called when the program has none.
void setWindowIcon(const unsigned char* bmp, std::size_t size);
// Called by showWindow and setWindowTopmost.
void showWindow(bool show);
void setTopmost();
// Called by destroyWindow after WM_DESTROY was sent.
void closeWindow();

// ---------------------------------------------------------------- cursor

// Called by showCursor with the new visibility.
void setCursorVisible(bool visible);
// Called by getCursorPos, setCursorPos and clipCursor; screen coordinates, right and bottom
// exclusive. A null rectangle ends the confinement.
bool cursorPosition(int& x, int& y);
bool moveCursor(int x, int y);
bool confineCursor(const Rect* rect);

// ---------------------------------------------------------------- message box

// Called by messageBox with UTF-8 texts; returns when the box is closed.
int showMessageBox(const char* utf8Text, const char* utf8Caption, std::uint32_t style);
// Called by messageBeep.
void beep(std::uint32_t type);

// ---------------------------------------------------------------- screen and presentation

// Called by getSystemMetrics and when the primary surface is made: the desktop's size in pixels.
int screenWidth();
int screenHeight();
// Called by getColorDepth: bits per pixel of the desktop.
int colorDepth();
// Called by the display surfaces after the primary surface's picture changed (a blit or fill
// onto it, a flip, an unlock or a released device context): show it now (readDesktop gives
// the pixels).
void presentPrimary();
// Called by SetDisplayMode: make the window cover a screen of width x height at that depth;
// false when the backend refuses the mode.
bool setDisplayMode(int width, int height, int bitsPerPixel);
// Called when the display object that set a mode is released: back to the desktop's own mode.
void restoreDisplayMode();
// Called by platform::desktopArea when the windowed primary surface is made: writes the screen
// rectangles of up to `max` displays to `out` and returns how many it wrote. The main screen,
// (0, 0, screenWidth(), screenHeight()), counts whether it is listed or not: a backend with one
// screen lists none.
int listDisplays(Rect* out, int max);

// ---------------------------------------------------------------- input devices

// Called by joyGetPosEx with an id of 0 or 1: the joystick's position (0 to 65535) and its
// buttons mask. False when no joystick is behind that id now.
bool readJoystick(int id, std::uint32_t& x, std::uint32_t& y, std::uint32_t& buttons);
// Called by getKeyState with a code of 0 to 255: true while that virtual key is down.
bool keyDown(int virtualKey);

// ---------------------------------------------------------------- audio

// An output renders through `render` from the backend's audio thread (SDL's own thread, or the
// headless clock on the window's thread), 44100 Hz interleaved 16-bit stereo, at most
// audio::kDeviceFrames frames a call. `mayWait` is false on a real-time thread.
using AudioRenderFn = void (*)(void* user, std::int16_t* out, int frames, bool mayWait);

// Called by acquireStream and by the blocking player. Returns an output id (not 0), or 0 when
// the system has no usable audio device.
int openAudioOutput(AudioRenderFn render, void* user);
// Called when the output is no longer needed; when it returns, render is not running and will
// not be called again.
void closeAudioOutput(int output);
// Called by the blocking player while its sound plays: lets `ms` milliseconds of sound pass.
void waitAudio(std::uint32_t ms);

}  // namespace platform::backend

namespace platform::shared {
// True while no message is queued. Called by backends that decide whether to sleep.
bool queueEmpty();
}  // namespace platform::shared
