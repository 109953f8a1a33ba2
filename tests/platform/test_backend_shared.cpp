// What the backends share: the double-click rule for mouse buttons, the part of the desktop the
// window shows, and the desktop's extent over several displays.
#include <gtest/gtest.h>

#include "tests/support/display_support.h"
#include "platform/video/screen_area.h"
#include "platform/video/surface.h"
#include "platform/window/mouse_buttons.h"
#include "platform/window/window.h"

using namespace platform;

TEST(MouseButtons, EverySecondQuickPressIsADoubleClick) {
    struct Case {
        MouseButton button;
        bool pressed;
        int clicks;
        std::uint32_t message;
        WParam wParam;
    } cases[] = {
        {MouseButton::left, true, 1, WM_LBUTTONDOWN, 1},
        {MouseButton::left, true, 2, WM_LBUTTONDBLCLK, 1},
        {MouseButton::left, true, 3, WM_LBUTTONDOWN, 1},   // a third quick press starts again
        {MouseButton::left, true, 4, WM_LBUTTONDBLCLK, 1},
        {MouseButton::left, true, 0, WM_LBUTTONDOWN, 1},   // a press nobody counted is a press
        {MouseButton::right, true, 1, WM_RBUTTONDOWN, 2},
        {MouseButton::right, true, 2, WM_RBUTTONDBLCLK, 2},
        {MouseButton::left, false, 2, WM_LBUTTONUP, 0},    // releases are never double
        {MouseButton::right, false, 1, WM_RBUTTONUP, 0},
        {MouseButton::other, true, 2, 0, 0},               // the middle button: nothing
        {MouseButton::other, false, 1, 0, 0},
    };
    for (const Case& c : cases) {
        const ButtonMessage m = mouseButtonMessage(c.button, c.pressed, c.clicks);
        EXPECT_EQ(m.message, c.message) << static_cast<int>(c.button) << " " << c.pressed << " " << c.clicks;
        EXPECT_EQ(m.wParam, c.wParam) << static_cast<int>(c.button) << " " << c.pressed << " " << c.clicks;
    }
}

TEST(MouseButtons, PostedToTheMainWindowWithTheClientPosition) {
    OpenDisplay();
    const WindowId window = Shell.MainWindow;
    Message m;
    while (peekMessage(m)) {
    }
    postMouseButton(MouseButton::other, true, 1, 5, 6);
    postMouseButton(MouseButton::right, true, 2, 30, 40);
    ASSERT_TRUE(peekMessage(m));
    EXPECT_EQ(m.window, window);
    EXPECT_EQ(m.message, WM_RBUTTONDBLCLK);
    EXPECT_EQ(m.wParam, 2u);
    EXPECT_EQ(m.lParam, 40 * 65536 + 30);
    EXPECT_FALSE(peekMessage(m)) << "the middle button posts nothing";
    ResetProgramState();
}

TEST(ScreenArea, TheWindowShowsItsClientAreaAndInFullScreenTheWholeMode) {
    OpenDisplay();
    const WindowId window = Shell.MainWindow;
    auto expectArea = [](const ScreenArea& a, int x, int y, int w, int h, const char* what) {
        EXPECT_EQ(a.x, x) << what;
        EXPECT_EQ(a.y, y) << what;
        EXPECT_EQ(a.width, w) << what;
        EXPECT_EQ(a.height, h) << what;
    };
    expectArea(shownArea({272, 213, 480, 360}), 272, 213, 480, 360, "no primary surface");

    DirectDraw* dd = nullptr;
    ASSERT_EQ(directDrawCreate(nullptr, &dd), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    SurfaceDesc desc;
    desc.flags = DDSD_CAPS;
    desc.caps = DDSCAPS_PRIMARYSURFACE;
    Surface* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary), DD_OK);
    expectArea(shownArea({272, 213, 480, 360}), 272, 213, 480, 360, "windowed");
    primary->Release();

    ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
    desc.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.backBufferCount = 1;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary), DD_OK);
    expectArea(shownArea({272, 213, 480, 360}), 0, 0, 640, 480, "full screen");
    primary->Release();
    dd->Release();
    ResetProgramState();
}

TEST(ScreenArea, TheDesktopSpansTheMainScreenAndEveryDisplay) {
    auto expectRect = [](const Rect& r, int left, int top, int right, int bottom, const char* what) {
        EXPECT_EQ(r.left, left) << what;
        EXPECT_EQ(r.top, top) << what;
        EXPECT_EQ(r.right, right) << what;
        EXPECT_EQ(r.bottom, bottom) << what;
    };
    expectRect(spanOfDisplays(1024, 768, nullptr, 0), 0, 0, 1024, 768, "the main screen alone");
    // A 1280 x 1024 display to the left, and an 800 x 1080 one to the right, 200 higher.
    const Rect sides[] = {{-1280, 0, 0, 1024}, {1024, -200, 1824, 880}};
    expectRect(spanOfDisplays(1024, 768, sides, 2), -1280, -200, 1824, 1024, "three displays");
    // A listed display inside the main screen changes nothing; the main screen always counts.
    const Rect inside[] = {{0, 0, 800, 600}};
    expectRect(spanOfDisplays(1024, 768, inside, 1), 0, 0, 1024, 768, "a smaller listed display");
    // The headless machine has one screen, of the configured size.
    OpenDisplay();
    expectRect(desktopArea(), 0, 0, 1024, 768, "headless");
    ResetProgramState();
}
