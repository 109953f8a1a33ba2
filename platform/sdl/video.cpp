// SDL2 backend: presentation of the picture in the window.
#include "platform/sdl/sdl_backend.h"

namespace platform::sdl {

bool presentPicture() { return false; }
void releasePresentation() {}
void deviceLost() {}

}  // namespace platform::sdl
