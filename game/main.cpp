// quorbix: the game in a real window (SDL2 backend).
#include <string>

#include "framework/shell/frame_loop.h"
#include "framework/shell/trace.h"
#include "game/scenes.h"
#include "platform/window.h"

int main(int argc, char** argv) {
    if (!TakeTraceOption(argc, argv)) return 2;
    // The entry point gets the command line after the program's name, as one text.
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    UseProgram(GameProgram());
    return WinMain(commandLine.c_str(), platform::SW_SHOWNORMAL) == 0 ? 1 : 0;
}
