// Web backend: what its files share with each other (platform/web only).
#pragma once

namespace platform::web {

// The virtual-key code of a key as the browser names it (KeyboardEvent.code: "KeyA", "Digit1",
// "ArrowLeft", "NumpadEnter"...); 0 for keys the program has no code for. The same keys as the
// desktop's table.
int virtualKey(const char* code);

// Called by every wait of the backend: renders the sound the page's output needs by now and
// hands it over.
void pumpAudio();

}  // namespace platform::web
