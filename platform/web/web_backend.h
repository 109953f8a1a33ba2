// Web backend: what its files share with each other (platform/web only).
#pragma once
#include <cstdint>

#include "platform/video/screen_area.h"

namespace platform::web {

// backend.cpp. One step of a wait: the sound the page needs by now, then back to the browser for
// at most `ms` (and at most a few milliseconds, so that input and sound are looked at often).
void waitStep(std::uint32_t ms);

// window.cpp. Called by presentPrimary: the client area on the screen; false while no window is
// open.
bool clientArea(ScreenArea& client);

// input.cpp. Called by the event waits: turns every input event the page has queued into window
// messages; false when there was none. eventsWaiting says whether there is one, taking none.
bool drainEvents();
bool eventsWaiting();
// Called by cursorPosition: the pointer in client coordinates, as the page last reported it.
void pointerPosition(int& x, int& y);

// keys.cpp. The virtual-key code of a key as the browser names it (KeyboardEvent.code: "KeyA",
// "Digit1", "ArrowLeft", "NumpadEnter"...); 0 for keys the program has no code for. The same
// keys as the desktop's table.
int virtualKey(const char* code);

// audio.cpp. Called by every wait of the backend: renders the sound the page's output needs by
// now and hands it over.
void pumpAudio();

}  // namespace platform::web
