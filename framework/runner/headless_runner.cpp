// Headless runner: option parsing, the run itself and the per-frame trace.
#include "framework/runner/headless_runner.h"

#include "framework/shell/trace.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "framework/core/app_state.h"
#include "framework/shell/frame_loop.h"
#include "platform/files/png_writer.h"
#include "platform/sound/audio_stream.h"
#include "platform/headless/audio.h"
#include "platform/files/riff.h"
#include "platform/window/system.h"
#include "platform/window/window.h"

namespace {

struct TraceContext {
    std::ostream* out = nullptr;
    platform::WavWriter* audio = nullptr;
    int lastWritten = 0;
    int framesBefore = 0;   // Shell.LastFrame.Count when the frame number was entered
    const RunOptions* options = nullptr;
    int lastDumped = 0;
    std::string dumpError;  // the first frame that could not be written
};

// Writes the picture the window shows as DIR/frame-NNNNNN.png when the frame is listed. A
// frame number in which no frame ran shows the picture presented last.
void DumpFrame(TraceContext& ctx, int frame) {
    const RunOptions& o = *ctx.options;
    if (o.framesDir.empty() || frame <= ctx.lastDumped || !ctx.dumpError.empty()) return;
    ctx.lastDumped = frame;
    if (!o.dump.contains(frame)) return;
    const platform::headless::Picture& pic = platform::headless::shownPicture();
    if (pic.pixels.empty()) return;
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", frame);
    std::string error;
    if (!platform::writePng(o.framesDir + "/" + name, pic.pixels.data(), pic.width, pic.height, error))
        ctx.dumpError = error;
}

void WriteLine(TraceContext& ctx, int frame, bool quit) {
    DumpFrame(ctx, frame);
    if (ctx.out == nullptr || frame <= ctx.lastWritten) return;
    const bool ran = Shell.LastFrame.Count != ctx.framesBefore;
    const std::uint32_t tick = platform::headless::frameTick(frame);
    std::vector<TraceBox> boxes;
    for (auto& box : platform::headless::takeBoxes()) boxes.push_back({box.caption, box.text});
    *ctx.out << TraceFrameLine(frame, tick, ran, quit, boxes);
    ctx.lastWritten = frame;
    ctx.framesBefore = Shell.LastFrame.Count;
}

// Moves what the headless clock has mixed so far into the audio file.
void DrainAudio(TraceContext& ctx) {
    if (ctx.audio == nullptr) return;
    std::vector<std::int16_t> samples = platform::headless::takeAudio();
    ctx.audio->append(samples.data(), samples.size());
}

void OnFrameEnd(int frame, void* user) {
    auto& ctx = *static_cast<TraceContext*>(user);
    WriteLine(ctx, frame, false);
    DrainAudio(ctx);
    if (ctx.options->frameEnd != nullptr) ctx.options->frameEnd(frame, ctx.options->frameEndUser);
}

bool ParseNumber(const char* text, long long minValue, long long maxValue, long long& out) {
    if (text == nullptr || *text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < minValue || v > maxValue) return false;
    out = v;
    return true;
}

}  // namespace

bool FrameSet::contains(int frame) const {
    if (all) return true;
    for (const auto& r : ranges)
        if (frame >= r.first && frame <= r.second) return true;
    return false;
}

bool ParseFrameList(const std::string& text, FrameSet& out, std::string& error) {
    out = FrameSet{};
    const std::string bad = "--dump takes 'all' or frame numbers and ranges such as 1,2,600 or 10-20";
    if (text == "all") {
        out.all = true;
        return true;
    }
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::size_t dash = item.find('-');
        long long first = 0, last = 0;
        bool ok = dash == std::string::npos
                      ? ParseNumber(item.c_str(), 1, 100000000, first)
                      : ParseNumber(item.substr(0, dash).c_str(), 1, 100000000, first) &&
                            ParseNumber(item.substr(dash + 1).c_str(), 1, 100000000, last);
        if (dash == std::string::npos) last = first;
        if (!ok || last < first) {
            error = bad;
            return false;
        }
        out.ranges.emplace_back(static_cast<int>(first), static_cast<int>(last));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return true;
}

int RunHeadless(const RunOptions& options, std::string& error) {
    platform::headless::configure(options.config);
    if (!platform::headless::loadScript(options.script, error)) return 2;
    if (!options.framesDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.framesDir, ec);
        if (ec || !std::filesystem::is_directory(options.framesDir)) {
            error = "cannot make the frames directory '" + options.framesDir + "'";
            return 2;
        }
    }
    ResetProgramState();   // the start values are read from the configured clock
    if (options.prepare != nullptr) options.prepare();
    TraceContext ctx;
    ctx.out = options.trace;
    ctx.options = &options;
    platform::WavWriter audio;
    if (!options.audioPath.empty()) {
        if (!audio.open(options.audioPath, platform::audio::kChannels, platform::audio::kRate, error)) return 1;
        platform::headless::setAudioCapture(true);
        ctx.audio = &audio;
    }
    if (ctx.out != nullptr) *ctx.out << TraceBackendLine();
    platform::headless::setSlotEndHook(OnFrameEnd, &ctx);
    WinMain("", platform::SW_SHOWNORMAL);
    // The frame number in which the program quit has not been written yet.
    if (!platform::headless::frameLimitReached())
        WriteLine(ctx, platform::headless::currentFrame(), true);
    platform::headless::setSlotEndHook(nullptr, nullptr);
    if (!ctx.dumpError.empty()) {
        error = "writing a frame failed: " + ctx.dumpError;
        return 1;
    }
    DrainAudio(ctx);
    platform::headless::setAudioCapture(false);
    if (ctx.audio != nullptr && !audio.finish(error)) return 1;
    return 0;
}

long long TraceField(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const std::size_t p = line.find(key);
    if (p == std::string::npos) return -999;
    return std::strtoll(line.c_str() + p + key.size(), nullptr, 10);
}

bool ParseRunnerArguments(int argc, char** argv, RunOptions& options, std::string& scriptPath,
                          std::string& tracePath, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        long long v = 0;
        if (arg == "--frames") {
            const char* s = value("--frames");
            if (s == nullptr) return false;
            if (!ParseNumber(s, 0, 100000000, v)) {
                error = "--frames takes a whole number from 0 to 100000000";
                return false;
            }
            options.config.frames = static_cast<int>(v);
        } else if (arg == "--time") {
            const char* s = value("--time");
            if (s == nullptr) return false;
            if (!ParseNumber(s, 0, 253402300799LL, v)) {
                error = "--time takes whole seconds from 0 to 253402300799";
                return false;
            }
            options.config.time = v;
        } else if (arg == "--start-tick") {
            const char* s = value("--start-tick");
            if (s == nullptr) return false;
            if (!ParseNumber(s, 0, 4294967295LL, v)) {
                error = "--start-tick takes milliseconds from 0 to 4294967295";
                return false;
            }
            options.config.startTick = static_cast<std::uint32_t>(v);
        } else if (arg == "--frame-ms") {
            const char* s = value("--frame-ms");
            if (s == nullptr) return false;
            if (!ParseNumber(s, 1, 60000, v)) {
                error = "--frame-ms takes milliseconds from 1 to 60000";
                return false;
            }
            options.config.frameMs = static_cast<std::uint32_t>(v);
        } else if (arg == "--audio") {
            const char* s = value("--audio");
            if (s == nullptr) return false;
            options.audioPath = s;
        } else if (arg == "--trace") {
            const char* s = value("--trace");
            if (s == nullptr) return false;
            tracePath = s;
        } else if (arg == "--frames-dir") {
            const char* s = value("--frames-dir");
            if (s == nullptr) return false;
            if (*s == '\0') {
                error = "--frames-dir needs a directory";
                return false;
            }
            options.framesDir = s;
        } else if (arg == "--dump") {
            const char* s = value("--dump");
            if (s == nullptr) return false;
            if (!ParseFrameList(s, options.dump, error)) return false;
        } else if (arg == "-" || arg.rfind("--", 0) != 0) {
            if (!scriptPath.empty()) {
                error = "only one script may be given";
                return false;
            }
            scriptPath = arg;
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (options.framesDir.empty() != options.dump.empty()) {
        error = "--frames-dir and --dump go together";
        return false;
    }
    return true;
}
