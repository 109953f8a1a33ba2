// SDL2 backend: what its files share with each other (platform/sdl only).
#pragma once
#include <SDL.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::sdl {

// backend.cpp. Starts SDL's video and events once; false (said on standard error) where there is
// no display. videoStarted says whether that succeeded, without trying.
bool ensureVideo();
bool videoStarted();

// window.cpp. The window and its renderer; null before openWindow and after closeWindow.
SDL_Window* window();
SDL_Renderer* renderer();
// Where the program was last told its client area is (window creation, WM_MOVE): the screen
// point whose part of the desktop the window shows. Set by the move events (input.cpp).
void reportedClientOrigin(int& x, int& y);
void setReportedClientOrigin(int x, int y);

// video.cpp. presentPicture shows the desktop surface's picture, false while there is nothing to
// show; presentNow shows it again (after an expose), or black before the first.
bool presentPicture();
void presentNow();
void releasePresentation();
// The picture is shown scaled in the window: a window point (as SDL reports the pointer) to the
// program's pixel (floor; outside the picture gives positions outside its size), and the top-left
// corner of a program pixel in window points. False before the window has a picture to place.
bool windowToPicture(int wx, int wy, int& px, int& py);
bool pictureToWindow(int px, int py, double& wx, double& wy);
// Alt+Enter and F11: the window's picture over the whole screen, and back to its old place.
void toggleFullScreen();
// While such a view holds the window (or the program's mode covers the display with it): true,
// with the place the window goes back to, which setWindowedPlace changes (a new client size).
bool windowedPlace(SDL_Rect& place);
void setWindowedPlace(const SDL_Rect& place);
// The renderer lost its device or its targets: every surface is marked lost.
void deviceLost();

// input.cpp. Called by the event waits (backend.cpp) for each SDL event: turns it into the window
// messages a classic window system would have queued; a recording notes them, a replay holds
// them back. drainEvents does so for every pending event.
void translate(const SDL_Event& event);
void drainEvents();

// video.cpp. The picture the window shows now, at the program's size; false before the first.
bool shownPicture(std::vector<std::uint32_t>& pixels, int& width, int& height);

// screenshot.cpp. F12: the shown picture saved as a PNG in the pictures folder, said in the title
// for two seconds (and on standard error). titleNoteLeft puts the title back once the note's
// time is over and otherwise says how many milliseconds it has left (0 when none is shown);
// forgetTitleNote drops it when the window closes.
void takeScreenshot();
Uint32 titleNoteLeft();
void forgetTitleNote();
// A note in the title for `ms` milliseconds, or until the next one when 0.
void showNote(const std::string& text, Uint32 ms);
// Where screenshots and sessions go: QUORBIX_SCREENSHOT_DIR, else the user's pictures folder;
// "" with the reason when it is missing or no folder.
std::string captureFolder(std::string& why);
// FOLDER/NAME-YYYY-MM-DD-HHMMSS (the program's name, the local time), with -2, -3... added when
// a file of that name with one of `extensions` is there already.
std::string freshStem(const std::string& folder, const std::vector<std::string>& extensions);

// session_gif.cpp. F9: the session recorded so far saved beside the screenshots, and its last
// 30 seconds rendered as a GIF by the program's headless runner in a process of its own, at a
// lower priority; the title says when the GIF is ready. pollSessionGif notices the process's end
// and says how many milliseconds until it should be asked again (0 when none runs).
void saveSessionGif();
Uint32 pollSessionGif();
// Counts a frame's start, `lateMs` after its time on the schedule, apart while a GIF is being
// made; sayFrameTiming says the counts when the window closes, where QUORBIX_FRAME_TIMING is set
// (a measurement: the GIF's process must not make the window's frames late).
void countFrameStart(std::uint32_t lateMs, std::uint32_t periodMs);
void sayFrameTiming();

// keys.cpp. The virtual-key code of an SDL key; 0 for keys the program has no code for. Called
// for the key messages and for the key state.
int virtualKey(SDL_Keycode key);

// pads.cpp. Pad mappings in the database's text format (one pad a line: device id, name,
// name:binding fields, the platform among them; # begins a comment). Called by the joysticks'
// start (input.cpp): holdBackMappingFile, before SDL's pads start, takes over the file SDL would
// read by itself (SDL_GAMECONTROLLERCONFIG_FILE) and gives its name; loadPadMappings, after they
// started, adds the file beside the program and then that one.
void holdBackMappingFile(std::string& named);
void loadPadMappings(const std::string& named);
// Adds a file's mappings for this system to SDL's and returns how many SDL took; -1, said once on
// standard error and nothing added, when it cannot be read or a line is not a mapping (a missing
// file is not said when quietWhenMissing).
int addPadMappingFile(const std::string& path, bool quietWhenMissing);
// What is wrong with a mapping line ("" when nothing), and with a file's text ("line N: ...";
// forThisSystem gets how many of its mappings are for the running system).
std::string mappingFault(std::string_view line);
std::string mappingFileFault(std::string_view text, int& forThisSystem);

// x11_desktop.cpp. Whether a window manager runs on the game window's X server (true on another
// window system, which places its windows itself). Without one, nobody answers SDL's full-screen
// requests.
bool windowManagerRuns();
// Around SDL's modal box: while it is open, it is put over the middle of the game window and,
// with no window manager, given the keyboard, which goes back where it was when the box closes.
void beginBoxPlacement();
void endBoxPlacement();

}  // namespace platform::sdl
