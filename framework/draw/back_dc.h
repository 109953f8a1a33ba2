// elDraw: Back's device context as the text brackets and the primitives take it and give it back.
#pragma once
#include "platform/video/gdi.h"

namespace elDraw {

// Called by elDraw::BeginText and by each primitive. nullptr when Back has no context to give
// (no display, a lost surface, or its one context is already taken); the caller then draws
// nothing. Every context starts from the defaults.
platform::HDC TakeBackDC();
// Called by elDraw::EndText and by each primitive with what TakeBackDC gave; nullptr is ignored.
void GiveBackDC(platform::HDC dc);

}  // namespace elDraw
