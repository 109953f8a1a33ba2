// Tests: the display opened on the headless backend as the game opens it, and pixel helpers.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "framework/core/app_state.h"
#include "framework/shell/window_proc.h"
#include "framework/draw/display.h"
#include "framework/draw/object_table.h"
#include "platform/headless/headless.h"
#include "platform/window/system.h"
#include "platform/window/window.h"
#include "tests/support/test_support.h"

// Program start and the window as the entry point makes it (centred, client area 480 x 360 at
// (272, 213) on the 1024 x 768 virtual screen, or a popup in full screen); the display itself
// is the caller's elDraw::Screen.
inline void OpenDisplay(int depth = 32, int fullScreen = 0, int refusedDepth = 0) {
    using namespace platform;
    headless::Config cfg;
    cfg.colorDepth = depth;
    cfg.refusedDepth = refusedDepth;
    headless::configure(cfg);
    ResetProgramState();
    WindowClass wc;
    wc.proc = WndProc;
    wc.className = "DEFAULT";
    registerClass(wc);
    Shell.FullScreen = fullScreen;
    if (fullScreen != 0)
        Shell.MainWindow = createWindow("DEFAULT", "test", WS_POPUP, 0, 0, 1024, 768);
    else
        Shell.MainWindow = createWindow("DEFAULT", "test", WS_CAPTION | WS_SYSMENU, 269, 191, 486, 385);
    showWindow(Shell.MainWindow, SW_SHOWNORMAL);
}

inline platform::PixelView BackView() { return elDraw::Display.Back->view(); }

// A pixel of Back as 0x00RRGGBB, whatever the format.
inline std::uint32_t BackRgb(int x, int y) {
    platform::PixelView v = BackView();
    std::uint32_t c = platform::pixelToColor(platform::readPixel(v, x, y), v.format);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A colour (0x00RRGGBB) as Back's format keeps it (16 bits lose the low bits).
inline std::uint32_t InBackFormat(std::uint32_t rgb) {
    platform::PixelFormat f = BackView().format;
    std::uint32_t c = platform::pixelToColor(
        platform::colorToPixel(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF), f), f);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A pixel of the picture the window shows, 0x00RRGGBB.
inline std::uint32_t ShownRgb(int x, int y) {
    const auto& p = platform::headless::shownPicture();
    return p.pixels[static_cast<std::size_t>(y) * p.width + x];
}

// The message boxes shown since the last call, as "caption|text" lines.
inline std::string TakeBoxTexts() {
    std::string s;
    for (const auto& b : platform::headless::takeBoxes()) s += b.caption + "|" + b.text + "\n";
    return s;
}
