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
        {"--record", "FILE", "write the session to FILE, a script quorbix-headless plays back", FileUse::Writes},
        {"--replay", "FILE", "play a recorded session back in the window", FileUse::Reads},
    },
    "Alt+Enter or F11 switches between the window and the full screen. TEXT after the options\n"
    "is handed to the game as its command line. Without a display the game cannot start; the\n"
    "headless runner quorbix-headless runs it from a script instead.",
};

// The status the program ends with once WinMain has returned: the trace and the recording put
// in place after a session that ended (WinMain nonzero), removed when the window never opened.
int EndSession(int winMainResult) {
    int status = EndWindowProgram(winMainResult);
    std::string error;
    if (!platform::stopRecording(winMainResult != 0, error)) {
        std::fprintf(stderr, "quorbix: %s\n", error.c_str());
        status = 1;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    ParsedCommandLine args;
    int exitCode = CheckWindowCommandLine(argc, argv, kCommandLine, args);
    if (exitCode >= 0) return exitCode;
    if (args.has("--record") && args.has("--replay")) {
        std::fprintf(stderr, "quorbix: --record and --replay cannot be used together\n");
        return 2;
    }
    std::string error;
    if (args.has("--replay") && !platform::startReplay(args.value("--replay"), error)) {
        std::fprintf(stderr, "quorbix: %s\n", error.c_str());
        return 2;
    }
    // The outputs are opened only once every option and the replay have been read.
    exitCode = StartWindowTrace(kCommandLine, args);
    if (exitCode >= 0) return exitCode;
    if (args.has("--record") && !platform::startRecording(args.value("--record"), error)) {
        std::fprintf(stderr, "quorbix: %s\n", error.c_str());
        EndWindowProgram(0);
        return 2;
    }
    UseProgram(GameProgram());
    // The entry point gets the command line after the options, as one text.
    const int result = WinMain(args.rest.c_str(), platform::SW_SHOWNORMAL);
    return EndSession(result);
}
