// Platform: the shown part of the desktop, for every backend.
#include "platform/video/screen_area.h"

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

}  // namespace platform
