// Framework core: the error box of elDraw::ShowError.
#include "framework/core/error_box.h"

#include <cstdio>

#include "framework/core/app_state.h"
#include "framework/core/code_page.h"
#include "framework/core/texts.h"
#include "framework/core/display_link.h"
#include "platform/window/system.h"

namespace elDraw {

namespace {
const quorbix::LocalText kErrorCaption("エラー発生", "Error");
}  // namespace

int ShowError(const char* operation, const char* message) {
    char text[256];
    std::snprintf(text, sizeof text, "%s : %s", operation != nullptr ? operation : "",
                  message != nullptr ? message : "");
    PrepareDisplayForBox();
    platform::messageBeep(0xFFFFFFFFu);
    platform::messageBox(Shell.MainWindow, text, kErrorCaption,
                         platform::MB_ICONEXCLAMATION | platform::MB_SYSTEMMODAL);
    return 0;
}

}  // namespace elDraw
