// Platform: the desktop's extent over every display, for every backend.
#include "platform/video/desktop_area.h"

#include <algorithm>

#include "platform/backend.h"

namespace platform {

Rect desktopArea() {
    const int width = backend::screenWidth(), height = backend::screenHeight();
    // More displays than this are not seen in practice; the ones past it are left out.
    Rect displays[16];
    const int count = backend::listDisplays(displays, 16);
    return spanOfDisplays(width, height, displays, std::clamp(count, 0, 16));
}

Rect spanOfDisplays(int screenWidth, int screenHeight, const Rect* displays, int count) {
    Rect span{0, 0, screenWidth, screenHeight};
    for (int i = 0; i < count; ++i) {
        span.left = std::min(span.left, displays[i].left);
        span.top = std::min(span.top, displays[i].top);
        span.right = std::max(span.right, displays[i].right);
        span.bottom = std::max(span.bottom, displays[i].bottom);
    }
    return span;
}

}  // namespace platform
