// quorbix-gallery: the effects gallery in a real window (SDL2 backend).
#include "framework/shell/command_line.h"
#include "framework/shell/frame_loop.h"
#include "gallery/gallery.h"
#include "platform/window/window.h"

namespace {
const CommandLineSyntax kCommandLine{
    "quorbix-gallery",
    "[OPTIONS]",
    "The Quorbix effects gallery: every drawing effect and transition of the framework, a page each.",
    {
        kWindowOptions[0],
        kWindowOptions[1],
    },
    "Alt+Enter or F11 switches between the window and the full screen (docs/gallery.md).",
};
}  // namespace

int main(int argc, char** argv) {
    ParsedCommandLine args;
    const int exitCode = ParseWindowCommandLine(argc, argv, kCommandLine, args);
    if (exitCode >= 0) return exitCode;
    UseGallery();
    return EndWindowProgram(WinMain(args.rest.c_str(), platform::SW_SHOWNORMAL));
}
