// elDraw: the device context of Back, which every text bracket and primitive takes and gives back
// within one call.
#pragma once
#include "platform/gdi.h"
#include "platform/pixels.h"

namespace elDraw {

// Called by elDraw::BeginText and by each primitive. nullptr when Back has no context to give
// (no surface, or its one context is already taken); the caller then draws nothing.
platform::HDC GetBackDC();
// Called by elDraw::EndText and by each primitive with what GetBackDC gave; nullptr is ignored.
void ReleaseBackDC(platform::HDC dc);

// The pixels behind the context, for tests that look at what was drawn.
platform::PixelView BackPixels();
// Clears the pixels to black and takes back a context left out (tests start from here).
void ResetBackPixels();

}  // namespace elDraw
