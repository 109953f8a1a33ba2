// elDraw: display set-up and release, and the framework's error reporter.
#include "framework/draw/display.h"

#include <cstdio>

#include "app/app_state.h"
#include "framework/system/code_page.h"
#include "platform/system.h"

namespace elDraw {

DisplayState Display;

namespace {
const elSystem::CodePageText kErrorCaption("エラー発生");
}

int ShowError(const char* operation, const char* message) {
    char text[256];
    std::snprintf(text, sizeof text, "%s : %s", operation != nullptr ? operation : "",
                  message != nullptr ? message : "");
    FlipToGDISurface();
    platform::messageBeep(0xFFFFFFFFu);
    platform::messageBox(Shell.MainWindow, text, kErrorCaption,
                         platform::MB_ICONEXCLAMATION | platform::MB_SYSTEMMODAL);
    return 0;
}

void FlipToGDISurface() {}

void ReleaseScreen() { Display.Open = false; }

void UseTrueColor() { Display.ColorDepth = 32; }

}  // namespace elDraw
