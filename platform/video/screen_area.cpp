// Platform: the shown part of the desktop and the desktop's extent, for every backend.
#include "platform/video/screen_area.h"

#include <algorithm>

#include "platform/backend.h"
#include "platform/video/surface.h"

namespace platform {

ScreenArea shownArea(const ScreenArea& client) {
    int width = 0, height = 0;
    if (desktopIsFullScreen(width, height)) return ScreenArea{0, 0, width, height};
    return client;
}

ScreenArea recentred(const ScreenArea& client, int width, int height) {
    return ScreenArea{client.x + client.width / 2 - width / 2, client.y + client.height / 2 - height / 2, width,
                      height};
}

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
