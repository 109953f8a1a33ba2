// quorbix-gallery: the effects gallery in a real window (SDL2 backend).
#include "framework/shell/command_line.h"
#include "framework/shell/frame_loop.h"
#include "framework/shell/trace.h"
#include "gallery/gallery.h"
#include "platform/window.h"

namespace {
const CommandLineSpec kCommandLine{
    "quorbix-gallery",
    "[OPTIONS]",
    "The Quorbix effects gallery: every drawing effect and transition of the framework, a page each.",
    {
        {"--scale", "N", "show the 480 x 360 picture N times as large (default: what fits)"},
        {"--trace", "FILE", "write one JSON line per frame to FILE (docs/headless.md)"},
    },
    "Alt+Enter or F11 switches between the window and the full screen (docs/gallery.md).",
};
}  // namespace

int main(int argc, char** argv) {
    if (!TakeTraceOption(argc, argv)) return 2;
    ParsedCommandLine args;
    const int exitCode = ParseCommandLine(argc, argv, kCommandLine, args);
    if (exitCode >= 0) return exitCode;
    if (args.has("--scale")) {
        int scale = 0;
        if (!CommandLineNumber(kCommandLine, "--scale", args.value("--scale"), 1, 16, scale)) return 2;
        platform::setWindowScale(scale);
    }
    UseGallery();
    return WinMain(args.rest.c_str(), platform::SW_SHOWNORMAL) == 0 ? 1 : 0;
}
