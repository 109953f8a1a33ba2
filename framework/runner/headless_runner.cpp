// Headless runner: the run itself and the per-frame trace.
#include "framework/runner/headless_runner.h"

#include "framework/host/trace.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "framework/core/app_state.h"
#include "framework/core/texts.h"
#include "framework/shell/frame_loop.h"
#include "framework/shell/frame_state.h"
#include "platform/files/gif_writer.h"
#include "platform/files/os.h"
#include "platform/files/output_file.h"
#include "platform/files/png_writer.h"
#include "platform/sound/audio_stream.h"
#include "platform/headless/audio.h"
#include "platform/files/riff.h"
#include "platform/window/state_check.h"
#include "platform/window/system.h"
#include "platform/window/window.h"

namespace quorbix {

namespace {

struct TraceContext {
    std::ostream* out = nullptr;
    platform::OutputFile* file = nullptr;   // the trace file (RunOptions::tracePath)
    platform::WavWriter* audio = nullptr;
    int lastWritten = 0;
    int framesBefore = 0;   // Shell.LastFrame.Count when the frame number was entered
    const RunOptions* options = nullptr;
    int lastDumped = 0;
    std::string dumpError;  // the first frame that could not be written
    int checkedBefore = 0;  // Shell.LastFrame.Count at the last frame checked (--check)
    platform::GifWriter* gif = nullptr;
    int gifWidth = 0, gifHeight = 0;
    int lastGif = 0;
    std::string gifError;   // the first frame the GIF could not take
    bool gifRangeError = false;   // gifError is about the frames asked for, not the file
};

// Adds the picture of a frame number in --from..--to to the GIF, opened at the first one.
void GifFrame(TraceContext& ctx, int frame) {
    const RunOptions& o = *ctx.options;
    if (ctx.gif == nullptr || frame <= ctx.lastGif || !ctx.gifError.empty()) return;
    ctx.lastGif = frame;
    if (frame < o.gifFrom || (o.gifTo > 0 && frame > o.gifTo)) return;
    const platform::headless::Picture& pic = platform::headless::shownPicture();
    if (pic.pixels.empty()) {
        ctx.gifError = "frame " + std::to_string(frame) + " shows no picture yet: start the GIF later (--from)";
        ctx.gifRangeError = true;
        return;
    }
    if (ctx.gifWidth == 0) {
        if (!ctx.gif->open(o.gifPath, pic.width, pic.height, o.gifScale, ctx.gifError)) return;
        ctx.gifWidth = pic.width;
        ctx.gifHeight = pic.height;
    } else if (pic.width != ctx.gifWidth || pic.height != ctx.gifHeight) {
        ctx.gifError = "the picture changed its size at frame " + std::to_string(frame) + ": a GIF has one size";
        ctx.gifRangeError = true;
        return;
    }
    ctx.gif->add(pic.pixels.data(), platform::headless::config().frameMs);
}

// The GIF's frames must lie in the session and its folder must be there: said before the run.
bool GifFits(const RunOptions& o, std::string& error) {
    if (!platform::GifWriter::supported()) {
        error = "this build writes no GIF (--gif): make it with the Linux runner";
        return false;
    }
    const int limit = platform::headless::config().frames;
    if (o.gifTo > limit || o.gifFrom > limit) {
        error = "the GIF's frames (--from " + std::to_string(o.gifFrom) + (o.gifTo > 0 ? " --to " + std::to_string(o.gifTo) : "") +
                ") lie outside the session, whose last frame is " + std::to_string(limit);
        return false;
    }
    const std::size_t slash = o.gifPath.find_last_of(platform::os::kSeparator == '/' ? "/" : "/\\");
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : o.gifPath.substr(0, slash);
    if (platform::os::kindOf(folder) != platform::os::Kind::directory) {
        error = "cannot write '" + o.gifPath + "': the folder '" + folder + "' does not exist";
        return false;
    }
    return true;
}

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

// Hands a trace line to the stream and the file the run writes the trace to.
void Emit(TraceContext& ctx, const std::string& line) {
    if (ctx.out != nullptr) *ctx.out << line;
    if (ctx.file != nullptr) ctx.file->write(line.data(), line.size());
}

void WriteLine(TraceContext& ctx, int frame, bool quit) {
    DumpFrame(ctx, frame);
    GifFrame(ctx, frame);
    if ((ctx.out == nullptr && ctx.file == nullptr) || frame <= ctx.lastWritten) return;
    const bool ran = Shell.LastFrame.Count != ctx.framesBefore;
    const std::uint32_t tick = platform::headless::frameTick(frame);
    std::vector<TraceBox> boxes;
    for (auto& box : platform::headless::takeBoxes()) boxes.push_back({box.caption, box.text});
    Emit(ctx, TraceFrameLine(frame, tick, ran, quit, boxes));
    ctx.lastWritten = frame;
    ctx.framesBefore = Shell.LastFrame.Count;
}

// Moves what the headless clock has mixed so far into the audio file.
void DrainAudio(TraceContext& ctx) {
    if (ctx.audio == nullptr) return;
    std::vector<std::int16_t> samples = platform::headless::takeAudio();
    ctx.audio->append(samples.data(), samples.size());
}

// Checks a frame that ran against the recording the run replays (RunOptions::checkStates).
void CheckFrame(TraceContext& ctx, int frame) {
    if (!ctx.options->checkStates || Shell.LastFrame.Count == ctx.checkedBefore) return;
    ctx.checkedBefore = Shell.LastFrame.Count;
    const FrameState state = CurrentFrameState(Program.TraceFields);
    platform::checkFrameState(frame, Shell.LastFrame.Scene, state.Fields, state.Picture);
}

void OnFrameEnd(int frame, void* user) {
    auto& ctx = *static_cast<TraceContext*>(user);
    CheckFrame(ctx, frame);
    WriteLine(ctx, frame, false);
    DrainAudio(ctx);
    if (ctx.options->frameEnd != nullptr) ctx.options->frameEnd(frame, ctx.options->frameEndUser);
}

// The sound of every frame number (frame-ms at 44100 stereo 16-bit frames a second) must fit a
// wave file's 32-bit sizes: said before the run rather than after gigabytes were written.
bool AudioFitsWave(const platform::headless::Config& config, std::string& error) {
    const std::uint64_t frames = config.frames > 0 ? static_cast<std::uint64_t>(config.frames) : 0;
    const std::uint64_t bytes = frames * config.frameMs * platform::audio::kRate / 1000 *
                                platform::audio::kChannels * 2;
    if (bytes <= platform::kWavMaxDataBytes) return true;
    error = "the sound of " + std::to_string(frames) + " frames of " + std::to_string(config.frameMs) +
            " ms is " + std::to_string(bytes) + " bytes, more than a wave file holds (" +
            std::to_string(platform::kWavMaxDataBytes) + "): give fewer frames";
    return false;
}

// Puts each output that is complete in its place, the trace and the wave even when a frame
// could not be written. Returns 0, or 1 with what failed in error.
int FinishOutputs(TraceContext& ctx, platform::OutputFile& traceFile, std::string& error) {
    std::string failed, why;
    auto note = [&](const std::string& what) { failed += (failed.empty() ? "" : "; ") + what; };
    if (ctx.audio != nullptr && !ctx.audio->finish(why)) note(why);
    if (traceFile.isOpen() && !traceFile.commit(why)) note(why);
    if (!ctx.dumpError.empty()) note("writing a frame failed: " + ctx.dumpError);
    if (ctx.gif != nullptr) {
        // The session must have reached the last frame asked for.
        const int to = ctx.options->gifTo;
        if (ctx.gifError.empty() && to > 0 && ctx.lastGif < to) {
            ctx.gifError = "the GIF's last frame (--to " + std::to_string(to) + ") lies outside the session, which ended at frame " +
                           std::to_string(ctx.lastGif);
            ctx.gifRangeError = true;
        }
        if (ctx.gifError.empty() && ctx.gifWidth == 0) {
            ctx.gifError = "the session ended at frame " + std::to_string(ctx.lastGif) + ", before the GIF's first (--from " +
                           std::to_string(ctx.options->gifFrom) + ")";
            ctx.gifRangeError = true;
        }
        if (ctx.gifError.empty()) ctx.gif->commit(ctx.gifError);
        if (!ctx.gifError.empty()) {
            ctx.gif->discard();
            note(ctx.gifError);
        }
    }
    if (failed.empty()) return 0;
    error = failed;
    return ctx.gifRangeError ? 2 : 1;
}

}  // namespace

bool FrameSet::contains(int frame) const {
    if (all) return true;
    for (const auto& r : ranges)
        if (frame >= r.first && frame <= r.second) return true;
    return false;
}

bool MakeFramesDirectory(const std::string& dir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!ec && std::filesystem::is_directory(dir)) return true;
    error = "cannot make the frames directory '" + dir + "'";
    return false;
}

int RunHeadless(const RunOptions& options, std::string& error) {
    platform::headless::configure(options.config);
    if (!platform::headless::loadScript(options.script, error)) {
        if (!options.scriptName.empty()) error = options.scriptName + ": " + error;
        return 2;
    }
    platform::stopStateCheck();
    if (options.checkStates && !platform::startStateCheck(options.script, error)) {
        if (!options.scriptName.empty()) error = options.scriptName + ": " + error;
        return 2;
    }
    ResetProgramState();   // the start values are read from the configured clock
    if (!SetLanguage(options.language.c_str())) {
        error = "no texts in the language '" + options.language + "' (" + LanguageList() + ")";
        return 2;
    }
    if (options.prepare) options.prepare();
    // The program's own frame period, unless the command line gave one.
    if (!options.frameMsGiven) platform::headless::setFrameMs(ProgramFramePeriodMs());
    // The sound's size follows the frame length and the frame limit as the run has them (a
    // script may carry the limit past the default).
    if (!options.audioPath.empty() && !AudioFitsWave(platform::headless::config(), error)) return 2;
    if (!options.framesDir.empty() && !MakeFramesDirectory(options.framesDir, error)) return 2;
    if (!options.gifPath.empty() && !GifFits(options, error)) return 2;
    platform::OutputFile traceFile;
    if (!options.tracePath.empty() && !traceFile.open(options.tracePath, error)) return 2;
    TraceContext ctx;
    ctx.out = options.trace;
    if (traceFile.isOpen()) ctx.file = &traceFile;
    ctx.options = &options;
    platform::WavWriter audio;
    if (!options.audioPath.empty()) {
        if (!audio.open(options.audioPath, platform::audio::kChannels, platform::audio::kRate, error)) return 1;
        platform::headless::setAudioCapture(true);
        ctx.audio = &audio;
    }
    platform::GifWriter gif;
    if (!options.gifPath.empty()) ctx.gif = &gif;
    Emit(ctx, TraceBackendLine());
    platform::headless::setSlotEndHook(OnFrameEnd, &ctx);
    WinMain("", platform::SW_SHOWNORMAL);
    // The frame number in which the program quit has not been written yet.
    if (!platform::headless::frameLimitReached())
        WriteLine(ctx, platform::headless::currentFrame(), true);
    platform::headless::setSlotEndHook(nullptr, nullptr);
    DrainAudio(ctx);
    platform::headless::setAudioCapture(false);
    int status = FinishOutputs(ctx, traceFile, error);
    if (options.checkStates && platform::stateCheckResult().differing > 0) {
        error += (error.empty() ? "" : "; ") + platform::stateCheckSummary();
        status = 1;
    }
    return status;
}

long long TraceField(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const std::size_t p = line.find(key);
    if (p == std::string::npos) return -999;
    return std::strtoll(line.c_str() + p + key.size(), nullptr, 10);
}

std::vector<long long> TraceList(const std::string& line, const std::string& name) {
    std::vector<long long> values;
    const std::string key = "\"" + name + "\":[";
    const std::size_t p = line.find(key);
    if (p == std::string::npos) return values;
    const char* at = line.c_str() + p + key.size();
    while (*at != ']' && *at != '\0') {
        char* end = nullptr;
        const long long value = std::strtoll(at, &end, 10);
        if (end == at) break;   // not a number: an array of something else
        values.push_back(value);
        at = end;
        while (*at == ',' || *at == ' ') ++at;
    }
    return values;
}

bool WritePicture(const std::string& path, const platform::headless::Picture& picture, std::string& error) {
    return platform::writePng(path, picture.pixels.data(), picture.width, picture.height, error);
}

}  // namespace quorbix
