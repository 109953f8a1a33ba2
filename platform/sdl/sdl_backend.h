// SDL2 backend: what its files share with each other (platform/sdl only).
#pragma once
#include <SDL.h>

namespace platform::sdl {

// Initialises SDL's video once; false (said on standard error) where there is no display.
bool ensureVideo();
// Initialises SDL's joystick subsystem once, apart from video; false (said on standard error)
// where joysticks cannot be read.
bool ensureJoystick();
SDL_Window* window();
SDL_Renderer* renderer();

// Shows the current picture in the window again (after an expose), or black before the first.
void presentNow();

// Presentation of the desktop surface (platform/sdl/video.cpp). presentPicture returns false
// while there is nothing to show.
bool presentPicture();
void releasePresentation();
// The picture is shown scaled in the window: a window point (as SDL reports the pointer) to the
// program's pixel (floor; outside the picture gives positions outside its size), and the top-left
// corner of a program pixel in window points. False before the window has a picture to place.
bool windowToPicture(int wx, int wy, int& px, int& py);
bool pictureToWindow(int px, int py, double& wx, double& wy);
// Alt+Enter and F11: the window's picture over the whole screen, and back to its old place.
void toggleFullScreen();
// The renderer lost its device or its targets: every surface is marked lost.
void deviceLost();

// Whether a window manager runs on the game window's X server (true on another window system,
// which places its windows itself). Without one, nobody answers SDL's full-screen requests.
bool windowManagerRuns();
// Around SDL's modal box: while it is open, it is put over the middle of the game window and,
// with no window manager, given the keyboard, which goes back where it was when the box closes.
void beginBoxPlacement();
void endBoxPlacement();

// The virtual-key code of an SDL key; 0 for keys the program has no code for. Called for the key
// messages and for the key state (platform/sdl/keys.cpp).
int virtualKey(SDL_Keycode key);
// Where the program was last told its client area is (window creation, WM_MOVE): the screen
// point whose part of the desktop the window shows.
void reportedClientOrigin(int& x, int& y);

}  // namespace platform::sdl
