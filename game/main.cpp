// quorbix: the game in a real window (SDL2 backend).
#include <cstdio>
#include <string>

#include "framework/shell/command_line.h"
#include "framework/shell/frame_loop.h"
#include "game/scenes.h"
#include "platform/window/recording.h"
#include "platform/window/window.h"

namespace {
const CommandLineSyntax kCommandLine{
    "quorbix",
    "[OPTIONS] [TEXT...]",
    "Quorbix, a one-player mouse game: pop the flying balls before the time runs out.",
    {
        kWindowOptions[0],
        kWindowOptions[1],
        {"--record", "FILE", "write the session to FILE, a script quorbix-headless plays back"},
        {"--replay", "FILE", "play a recorded session back in the window"},
    },
    "Alt+Enter or F11 switches between the window and the full screen. TEXT after the options\n"
    "is handed to the game as its command line. Without a display the game cannot start; the\n"
    "headless runner quorbix-headless runs it from a script instead.",
};
}  // namespace

int main(int argc, char** argv) {
    ParsedCommandLine args;
    const int exitCode = ParseWindowCommandLine(argc, argv, kCommandLine, args);
    if (exitCode >= 0) return exitCode;
    if (args.has("--record") && args.has("--replay")) {
        std::fprintf(stderr, "quorbix: --record and --replay cannot be used together\n");
        return 2;
    }
    std::string error;
    if (args.has("--record") && !platform::startRecording(args.value("--record"), error)) {
        std::fprintf(stderr, "quorbix: %s\n", error.c_str());
        return 2;
    }
    if (args.has("--replay") && !platform::startReplay(args.value("--replay"), error)) {
        std::fprintf(stderr, "quorbix: %s\n", error.c_str());
        return 2;
    }
    UseProgram(GameProgram());
    // The entry point gets the command line after the options, as one text.
    const int result = WinMain(args.rest.c_str(), platform::SW_SHOWNORMAL);
    platform::stopRecording();
    return result == 0 ? 1 : 0;
}
