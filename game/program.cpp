// Game: what the game hands the shell, and its fields in the headless trace.
#include <cstdio>
#include <string>

#include <quorbix/program.h>

#include "game/game_state.h"
#include "game/scenes.h"

quorbix::ProgramSetup GameProgram() {
    quorbix::ProgramSetup setup;
    setup.Name = "quorbix";
    setup.Title = "Quorbix v1.0";
    setup.Summary = "Quorbix, a one-player mouse game: pop the flying balls before the time runs out.";
    setup.Init = GameInit;
    setup.Scenes[kScenePlay] = ScenePlay;
    setup.Scenes[kSceneTitle] = SceneTitle;
    setup.Scenes[kSceneResult] = SceneResult;
    setup.Reset = [] { Game.reset(); };
    setup.TraceFields = AppendGameFields;
    return setup;
}

quorbix::HostCommandLine GameCommandLine() {
    quorbix::HostCommandLine more;
    more.Synopsis = "[OPTIONS] [TEXT...]";
#ifdef _WIN32
    // The Windows package holds the window programs only: the help names nothing else.
    more.Help =
        "Alt+Enter or F11 switches between the window and the full screen; F12 saves the picture as\n"
        "a PNG in the pictures folder (QUORBIX_SCREENSHOT_DIR names another). TEXT after the options\n"
        "is handed to the game as its command line. A session recorded with --record plays back in\n"
        "the window with --replay. Started without a console, the game writes its messages to\n"
        "%LOCALAPPDATA%\\quorbix\\quorbix.log.";
#else
    more.Help =
        "Alt+Enter or F11 switches between the window and the full screen; F12 saves the picture as\n"
        "a PNG in the pictures folder (QUORBIX_SCREENSHOT_DIR names another). TEXT after the options\n"
        "is handed to the game as its command line. Without a display the game cannot start; the\n"
        "headless runner quorbix-headless runs it from a script instead, and plays back a session\n"
        "recorded with --record exactly.";
#endif
    return more;
}

quorbix::HostCommandLine GameHeadlessCommandLine() {
    quorbix::HostCommandLine more;
    more.Summary = "Quorbix without a display: a virtual clock, input from a script, the trace, frames and sound to files.";
    more.Help =
        "SCRIPT is a file of events, one per line as 'FRAME EVENT ARGS', or - for standard input;\n"
        "without it the game runs with no input. Options may also follow SCRIPT. See docs/headless.md.";
    return more;
}

void AppendGameFields(std::string& line) {
    char num[32];
    line += ",\"level\":" + std::to_string(Game.Level);
    line += ",\"score\":" + std::to_string(Game.Score);
    line += ",\"time_left\":" + std::to_string(Game.TimeLeft);
    line += ",\"balls\":[";
    for (int i = 0; i < kBallCount; ++i) {
        if (i > 0) line += ",";
        // Nine significant digits give every float back exactly.
        std::snprintf(num, sizeof num, "[%.9g,", static_cast<double>(Game.BallX[i]));
        line += num;
        std::snprintf(num, sizeof num, "%.9g,%d]", static_cast<double>(Game.BallY[i]), Game.BallAlive[i]);
        line += num;
    }
    line += "]";
    line += ",\"password\":";
    quorbix::AppendJsonString(line, Game.PasswordLetters);
    line += ",\"next_hit\":" + std::to_string(Game.NextHitSound);
}
