// NEWGAME: the game in a window (Escape or the close button ends it).
#include "framework/shell/command_line.h"
#include "framework/shell/frame_loop.h"
#include "platform/window/window.h"

#include "game.h"

namespace {
const CommandLineSyntax kCommandLine{
    .program = "NEWGAME",
    .synopsis = "[OPTIONS]",
    .summary = "NEWGAME: click the ball.",
    .options = {kWindowOptions[0], kWindowOptions[1]},
    .version = "0.1",
};
}  // namespace

int main(int argc, char** argv) {
    ParsedCommandLine args;
    const int exitCode = ParseWindowCommandLine(argc, argv, kCommandLine, args);
    if (exitCode >= 0) return exitCode;
    UseGame();
    return WinMain(args.rest.c_str(), platform::SW_SHOWNORMAL) == 0 ? 1 : 0;
}
