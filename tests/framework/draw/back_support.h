// Tests: Back's pixels for the text and primitive tests, on a display opened as the game opens it.
#pragma once
#include <algorithm>
#include <cstring>

#include "tests/support/display_support.h"
#include "framework/draw/display.h"
#include "platform/video/surface.h"

namespace elDraw {

// Back's pixels (an empty view before the display is open).
inline platform::PixelView BackPixels() {
    return Display.Back != nullptr ? Display.Back->view() : platform::PixelView{};
}

// Opens the window and the display if they are not open (480 x 360, on the clock as it stands),
// clears Back to black and takes back a context left out.
inline void ResetBackPixels() {
    if (Display.Back == nullptr) {
        using namespace platform;
        if (Shell.MainWindow == 0) {
            WindowClass wc;
            wc.proc = WndProc;
            wc.className = "DEFAULT";
            registerClass(wc);
            Shell.FullScreen = 0;
            Shell.MainWindow = createWindow("DEFAULT", "test", WS_CAPTION | WS_SYSMENU, 269, 191, 486, 385);
            showWindow(Shell.MainWindow, SW_SHOWNORMAL);
        }
        Screen(480, 360);
    }
    platform::PixelView v = Display.Back->view();
    if (Display.BackDC != nullptr) {
        Display.Back->ReleaseDC(Display.BackDC);
        Display.BackDC = nullptr;
    }
    for (int y = 0; y < v.height; ++y)
        std::memset(v.pixels + static_cast<std::ptrdiff_t>(y) * v.pitch, 0,
                    static_cast<std::size_t>(v.width) * platform::bytesPerPixel(v.format));
}

}  // namespace elDraw
