// elDraw: Back's device context for text and primitives, straight from the surface.
#include "framework/draw/back_dc.h"

#include "framework/draw/display.h"
#include "platform/video/surface.h"

namespace elDraw {

platform::HDC TakeBackDC() {
    if (Display.Back == nullptr) return nullptr;
    platform::HDC dc = nullptr;
    if (Display.Back->GetDC(&dc) != platform::DD_OK) return nullptr;
    return dc;
}

void GiveBackDC(platform::HDC dc) {
    if (dc != nullptr && Display.Back != nullptr) Display.Back->ReleaseDC(dc);
}

}  // namespace elDraw
