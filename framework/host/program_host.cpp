// Program host: the program host of windowed programs (command line, record and replay, the
// end of the session).
#include "framework/host/program_host.h"

#include <cstdio>
#include <string>

#include "framework/core/texts.h"
#include "framework/system/saved_data.h"
#include "platform/files/os.h"
#include "platform/window/program_name.h"
#include "platform/window/recording.h"
#include "platform/window/state_check.h"
#include "platform/window/window.h"

namespace quorbix {

namespace {

#ifdef _WIN32
// A Windows program may come without its headless twin (the game's package has none).
const char* const kWindowHelp =
    "Alt+Enter or F11 switches between the window and the full screen; F12 saves the picture as\n"
    "a PNG in the pictures folder (QUORBIX_SCREENSHOT_DIR names another). A session recorded with\n"
    "--record is a script of input events, which --replay plays back in the window. Started\n"
    "without a console, the program writes its messages to %LOCALAPPDATA%\\NAME\\NAME.log.";
const char* const kRecordHelp = "write the session to FILE, a script --replay plays back";
#else
const char* const kWindowHelp =
    "Alt+Enter or F11 switches between the window and the full screen; F12 saves the picture as\n"
    "a PNG in the pictures folder (QUORBIX_SCREENSHOT_DIR names another). A session recorded with\n"
    "--record is a script of input events: the program's headless twin plays it back exactly,\n"
    "and --replay plays it back in the window.";
const char* const kRecordHelp = "write the session to FILE, a script the headless program plays back";
#endif

int Fail(const std::string& name, const std::string& what, int status) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), what.c_str());
    return status;
}

}  // namespace

std::string HostProgramName(const ProgramSetup& program, const HostCommandLine& more, const char* suffix) {
    if (more.Program != nullptr) return more.Program;
    if (program.Name != nullptr && program.Name[0] != '\0') return std::string(program.Name) + suffix;
    platform::setProgramName(nullptr);
    return platform::programName();
}

std::vector<CommandLineOption> WindowProgramOptions() {
    return {
        kWindowOptions[0],
        {"--fullscreen", nullptr, "start in the full screen (Alt+Enter or F11 switches back)"},
        kWindowOptions[1],
        {"--record", "FILE", kRecordHelp, FileUse::Writes},
        {"--replay", "FILE", "play a recorded session back in the window", FileUse::Reads},
        {kLanguageOption.name, kLanguageOption.argument, "show the texts in LANG: ja or en (default: the system's language)"},
    };
}

int RunWindowProgram(const ProgramSetup& program, int argc, char** argv, const HostCommandLine& more,
                     const std::function<int(const ParsedCommandLine&)>& started) {
    // --help, --version and every message reach the console the program was typed in, or its log.
    const std::string name = HostProgramName(program, more, "");
    platform::os::attachParentConsole(name);
    CommandLineSyntax syntax{
        .program = name.c_str(),
        .synopsis = more.Synopsis != nullptr ? more.Synopsis : "[OPTIONS]",
        .summary = more.Summary != nullptr ? more.Summary : program.Summary != nullptr ? program.Summary : program.Title,
        .options = WindowProgramOptions(),
        .epilogue = nullptr,
        .version = program.Version,
    };
    syntax.options.insert(syntax.options.end(), more.Options.begin(), more.Options.end());
    // The host's own help names the program where it says NAME (a program's own help is as given).
    std::string help = more.Help != nullptr ? more.Help : kWindowHelp;
    for (std::size_t at = help.find("NAME"); more.Help == nullptr && at != std::string::npos; at = help.find("NAME", at + name.size()))
        help.replace(at, 4, name);
    syntax.epilogue = help.c_str();

    ParsedCommandLine args;
    int status = CheckWindowCommandLine(argc, argv, syntax, args);
    if (status >= 0) return status;
    if (args.has("--record") && args.has("--replay"))
        return CommandLineUsageError(syntax, "--record and --replay cannot be used together");
    // The system's language, unless the command line chose one.
    const char* language = SystemLanguage();
    if (!ChosenLanguage(syntax, args, language)) return 2;
    if (started) {
        status = started(args);
        if (status >= 0) return status;
    }
    // Installed first: the recording's header names the program.
    UseProgram(program);
    // The user's own folder for the program's saved data.
    KeepDataPerUser(name);
    SetLanguage(language);
    std::string error;
    if (args.has("--replay") && !platform::startReplay(args.value("--replay"), error)) return Fail(name, error, 2);
    // A replay shows the texts in the language the session was recorded in.
    const std::string recorded = platform::replayLanguage();
    if (!args.has("--lang") && !recorded.empty() && !SetLanguage(recorded.c_str()))
        return Fail(name, args.value("--replay") + ": no texts in the language '" + recorded + "' (" + LanguageList() + ")", 2);
    // The outputs are opened only once every option and the replay have been read.
    status = StartWindowTrace(syntax, args);
    if (status >= 0) return status;
    if (args.has("--record") && !platform::startRecording(args.value("--record"), error)) {
        EndWindowProgram(0);
        return Fail(name, error, 2);
    }
    platform::recordLanguage(Language());
    platform::setStartFullScreen(args.has("--fullscreen"));
    // The entry point gets the words after the options, as one text.
    const int result = WinMain(args.rest.c_str(), platform::SW_SHOWNORMAL);
    // The trace and the recording are put in place after a session that ended (WinMain nonzero)
    // and removed when the window never opened.
    status = EndWindowProgram(result);
    if (!platform::stopRecording(result != 0, error)) status = Fail(name, error, 1);
    // A replay was checked frame by frame against the recording's states as it ran.
    if (platform::replayActive() && platform::stateCheckResult().checked > 0) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), platform::stateCheckSummary().c_str());
        if (platform::stateCheckResult().differing > 0) status = 1;
    }
    return status;
}

}  // namespace quorbix
