// Headless runner: the headless programs' command line and the run it asks for.
#include "framework/runner/runner_command_line.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "framework/core/texts.h"
#include "framework/system/saved_data.h"
#include "platform/headless/headless.h"
#include "platform/window/input_script.h"
#include "platform/window/state_check.h"

namespace quorbix {

namespace {

const CommandLineOption kRunnerOptions[] = {
    {"--frames", "N", "stop after N frame numbers, 0 to 100000000 (default 100000, or the script's last frame)"},
    {"--time", "S", "calendar time at start-up in whole seconds, seeds the random generator (default 0)"},
    {"--start-tick", "MS", "the tick count during start-up, 0 to 4294967295 (default 0)"},
    {"--frame-ms", "MS", "milliseconds the clock moves per frame number, 1 to 60000 (default: the program's frame period, 50)"},
    {"--trace", "FILE", "write one JSON line per frame number to FILE", FileUse::Writes},
    {"--frames-dir", "DIR", "where the frames --dump lists are written (made if missing)", FileUse::Writes},
    {"--dump", "LIST", "frames written to DIR as frame-NNNNNN.png: 'all', or such as 1,2,600 or 10-20"},
    {"--audio", "FILE", "write the whole mix to FILE as a 16-bit stereo 44100 Hz WAV", FileUse::Writes},
    {"--lang", "LANG", "show the program's texts in LANG: ja (default) or en"},
    {"--gif", "FILE", "write the frames --from to --to as an animated GIF to FILE", FileUse::Writes},
    {"--from", "N", "the GIF's and the video's first frame number (default 1)"},
    {"--to", "N", "the GIF's and the video's last frame number (default: the session's last)"},
    {"--gif-scale", "K", "the GIF's pictures K times as large, 1 or 2 (default 1)"},
    {"--video", "FILE", "write the frames --from to --to and their sound as a WebM video (VP9, Opus) to FILE", FileUse::Writes},
    {"--data", "DIR", "keep the program's saved data in DIR, made if missing (default: none is kept)", FileUse::Writes},
    {"--check", nullptr, "SCRIPT is a recorded session: check every frame against it (status 1 when one differs)"},
};

// Reads a number option into a field of the configuration when it was given (the last one counts).
template <class Field>
bool Number(const CommandLineSyntax& syntax, const ParsedCommandLine& args, const char* option, const char* takes,
            long long minValue, long long maxValue, Field& field) {
    if (!args.has(option)) return true;
    long long v = 0;
    if (!CommandLineNumber(syntax, option, args.value(option), minValue, maxValue, v, takes)) return false;
    field = static_cast<Field>(v);
    return true;
}

// Reads SCRIPT (a file, or "-" for standard input) into the run's options; false after saying why.
bool ReadScript(const CommandLineSyntax& syntax, HeadlessCommandLine& run) {
    std::string error;
    if (run.scriptPath.empty() || platform::readScriptFile(run.scriptPath, run.options.script, error)) return true;
    std::fprintf(stderr, "%s: %s\n", syntax.program, error.c_str());
    return false;
}

// Events the frame limit left unplayed are said, not dropped in silence: the run itself worked.
void WarnUnplayedEvents(const CommandLineSyntax& syntax) {
    int first = 0;
    const std::size_t left = platform::headless::eventsNotPlayed(first);
    if (!platform::headless::frameLimitReached() || left == 0) return;
    std::fprintf(stderr, "%s: warning: the run stopped after frame %d (--frames): %zu event(s) of the script, "
                 "from frame %d on, were not played\n", syntax.program, platform::headless::config().frames, left, first);
}

}  // namespace

std::vector<CommandLineOption> RunnerOptions(const std::vector<CommandLineOption>& own) {
    std::vector<CommandLineOption> all(std::begin(kRunnerOptions), std::end(kRunnerOptions));
    for (const CommandLineOption& o : own) {
        bool replaced = false;
        for (CommandLineOption& r : all)
            if (std::string(r.name) == o.name) r = o, replaced = true;
        if (!replaced) all.push_back(o);
    }
    return all;
}

int ParseHeadlessCommandLine(int argc, char** argv, const CommandLineSyntax& syntax, HeadlessCommandLine& out) {
    out = HeadlessCommandLine{};
    CommandLineSyntax anywhere = syntax;
    anywhere.optionsAfterWords = true;
    const int exitCode = ParseCommandLine(argc, argv, anywhere, out.args);
    if (exitCode >= 0) return exitCode;
    const ParsedCommandLine& args = out.args;
    RunOptions& o = out.options;
    o.config.framesCoverScript = !args.has("--frames");
    if (!Number(syntax, args, "--frames", "a whole number", 0, platform::kMaxScriptFrame, o.config.frames) ||
        !Number(syntax, args, "--time", "whole seconds", 0, 253402300799LL, o.config.time) ||
        !Number(syntax, args, "--start-tick", "milliseconds", 0, 4294967295LL, o.config.startTick) ||
        !Number(syntax, args, "--frame-ms", "milliseconds", 1, 60000, o.config.frameMs))
        return 2;
    o.frameMsGiven = args.has("--frame-ms");
    // Headless runs keep the default language whatever the system's, so that traces and frames
    // are the same on every machine.
    const char* language = kLanguages[0];
    if (!ChosenLanguage(syntax, args, language)) return 2;
    o.language = language;
    if (!Number(syntax, args, "--from", "a frame number", 1, platform::kMaxScriptFrame, o.gifFrom) ||
        !Number(syntax, args, "--to", "a frame number", 1, platform::kMaxScriptFrame, o.gifTo) ||
        !Number(syntax, args, "--gif-scale", "1 or 2", 1, 2, o.gifScale))
        return 2;
    if (args.has("--gif") && args.value("--gif").empty()) return CommandLineUsageError(syntax, "--gif needs a file");
    if (args.has("--video") && args.value("--video").empty()) return CommandLineUsageError(syntax, "--video needs a file");
    o.gifPath = args.value("--gif");
    o.videoPath = args.value("--video");
    if (o.gifPath.empty() && args.has("--gif-scale")) return CommandLineUsageError(syntax, "--gif-scale goes with --gif");
    if (o.gifPath.empty() && o.videoPath.empty() && (args.has("--from") || args.has("--to")))
        return CommandLineUsageError(syntax, "--from and --to go with --gif or --video");
    if (o.gifTo > 0 && o.gifTo < o.gifFrom) return CommandLineUsageError(syntax, "--to comes before --from");
    if (args.words.size() > 1) return CommandLineUsageError(syntax, "only one script may be given");
    if (!args.words.empty()) out.scriptPath = args.words[0];
    o.audioPath = args.value("--audio");
    o.checkStates = args.has("--check");
    if (o.checkStates && out.scriptPath.empty()) return CommandLineUsageError(syntax, "--check needs a recorded session as SCRIPT");
    if (args.has("--frames-dir") && args.value("--frames-dir").empty())
        return CommandLineUsageError(syntax, "--frames-dir needs a directory");
    o.framesDir = args.value("--frames-dir");
    std::string error;
    if (args.has("--dump") && !ParseFrameList(args.value("--dump"), o.dump, error))
        return CommandLineUsageError(syntax, error);
    if (!CommandLineFilesDistinct(syntax, args, {{"the script", out.scriptPath, FileUse::Reads}})) return 2;
    return -1;
}

int RunHeadlessCommandLine(const CommandLineSyntax& syntax, HeadlessCommandLine& run) {
    RunOptions& options = run.options;
    if (options.framesDir.empty() != options.dump.empty())
        return CommandLineUsageError(syntax, "--frames-dir and --dump go together");
    if (run.args.has("--data") && run.args.value("--data").empty())
        return CommandLineUsageError(syntax, "--data needs a directory");
    if (!ReadScript(syntax, run)) return 2;
    // Saved data only where the command line asks: a run writes nothing else of its own.
    KeepDataIn(run.args.value("--data"));
    // A recorded session shows the texts in the language it was recorded in.
    const std::string recorded = platform::scriptLanguage(options.script);
    if (!run.args.has("--lang") && !recorded.empty()) options.language = recorded;
    options.scriptName = run.scriptPath;
    options.tracePath = run.args.value("--trace");
    std::string error;
    const int status = RunHeadless(options, error);
    if (status != 0) {
        std::fprintf(stderr, "%s: %s\n", syntax.program, error.c_str());
        return status;
    }
    WarnUnplayedEvents(syntax);
    if (options.checkStates) std::fprintf(stderr, "%s: %s\n", syntax.program, platform::stateCheckSummary().c_str());
    return 0;
}

bool ParseFrameList(const std::string& text, FrameSet& out, std::string& error) {
    out = FrameSet{};
    if (text == "all") {
        out.all = true;
        return true;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::size_t dash = item.find('-');
        long long first = 0, last = 0;
        const bool ok = dash == std::string::npos
                            ? ParseWholeNumber(item, 1, 100000000, first)
                            : ParseWholeNumber(item.substr(0, dash), 1, 100000000, first) &&
                                  ParseWholeNumber(item.substr(dash + 1), 1, 100000000, last);
        if (dash == std::string::npos) last = first;
        if (!ok || last < first) {
            error = "--dump takes 'all' or frame numbers and ranges such as 1,2,600 or 10-20";
            return false;
        }
        out.ranges.emplace_back(static_cast<int>(first), static_cast<int>(last));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return true;
}

}  // namespace quorbix
