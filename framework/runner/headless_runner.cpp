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
#include "platform/headless/video_writer.h"
#include "platform/headless/video_module/video_module.h"
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
    platform::headless::VideoWriter* video = nullptr;
    int videoWidth = 0, videoHeight = 0;   // 0 until the first picture opened the file
    int lastVideo = 0;
    std::string videoError;   // the first frame the video could not take
    bool videoRangeError = false;   // videoError is about the frames asked for, not the file
    std::uint64_t videoSound = 0;   // frames of sound given to the video since its first picture
    std::uint64_t videoPictureMs = 0;   // when the last picture starts in the video
    bool videoEnded = false;        // the frame after --to was reached: the video's length is known
    std::uint64_t videoEndMs = 0;
};

// Milliseconds of the mix's 44100 Hz frames, rounded.
std::uint64_t SoundMs(std::uint64_t frames) {
    return (frames * 1000 + platform::audio::kRate / 2) / platform::audio::kRate;
}

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

// A clip's frames (--from, --to: the GIF's and the video's) must lie in the session and its
// file's folder must be there: said before the run. `what` is "GIF" or "video".
bool ClipFits(const RunOptions& o, const std::string& path, const char* what, std::string& error) {
    const int limit = platform::headless::config().frames;
    if (o.gifTo > limit || o.gifFrom > limit) {
        error = std::string("the ") + what + "'s frames (--from " + std::to_string(o.gifFrom) +
                (o.gifTo > 0 ? " --to " + std::to_string(o.gifTo) : "") + ") lie outside the session, whose last frame is " +
                std::to_string(limit);
        return false;
    }
    const std::size_t slash = path.find_last_of(platform::os::kSeparator == '/' ? "/" : "/\\");
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (platform::os::kindOf(folder) != platform::os::Kind::directory) {
        error = "cannot write '" + path + "': the folder '" + folder + "' does not exist";
        return false;
    }
    return true;
}

bool GifFits(const RunOptions& o, std::string& error) {
    if (!platform::GifWriter::supported()) {
        error = "this build writes no GIF (--gif): make it with the Linux runner";
        return false;
    }
    return ClipFits(o, o.gifPath, "GIF", error);
}

bool VideoFits(const RunOptions& o, std::string& error) {
    if (!platform::headless::VideoWriter::supported()) {
        error = "this build writes no video (--video): it was built without FFmpeg's libraries (QRB_VIDEO)";
        return false;
    }
    // The encoder's module and FFmpeg's libraries are loaded now, not with the program: one
    // missing is said before the run, as a folder that is.
    if (!platform::headless::loadVideoModule(error)) return false;
    return ClipFits(o, o.videoPath, "video", error);
}

// Adds the picture of a frame number in --from..--to to the video, opened at the first one, at
// the time the sound given to the video has reached: the picture and the sound started in its
// frame begin together. The frame after --to ends the video.
void VideoFrame(TraceContext& ctx, int frame) {
    const RunOptions& o = *ctx.options;
    if (ctx.video == nullptr || frame <= ctx.lastVideo || !ctx.videoError.empty() || ctx.videoEnded) return;
    ctx.lastVideo = frame;
    if (frame < o.gifFrom) return;
    if (o.gifTo > 0 && frame > o.gifTo) {
        ctx.videoEnded = true;
        ctx.videoEndMs = SoundMs(ctx.videoSound);
        return;
    }
    const platform::headless::Picture& pic = platform::headless::shownPicture();
    if (pic.pixels.empty()) {
        ctx.videoError = "frame " + std::to_string(frame) + " shows no picture yet: start the video later (--from)";
        ctx.videoRangeError = true;
        return;
    }
    if (ctx.videoWidth == 0) {
        if (!ctx.video->open(o.videoPath, pic.width, pic.height, platform::headless::config().frameMs, ctx.videoError))
            return;
        ctx.videoWidth = pic.width;
        ctx.videoHeight = pic.height;
    } else if (pic.width != ctx.videoWidth || pic.height != ctx.videoHeight) {
        ctx.videoError = "the picture changed its size at frame " + std::to_string(frame) + ": a video has one size";
        ctx.videoRangeError = true;
        return;
    }
    ctx.videoPictureMs = SoundMs(ctx.videoSound);
    ctx.video->addPicture(pic.pixels.data(), ctx.videoPictureMs);
}

// Hands sound the clock mixed to the video while it runs (from its first picture to its end).
void VideoSound(TraceContext& ctx, const std::vector<std::int16_t>& samples) {
    if (ctx.video == nullptr || ctx.videoWidth == 0 || ctx.videoEnded || !ctx.videoError.empty()) return;
    const std::size_t frames = samples.size() / platform::audio::kChannels;
    ctx.video->addSound(samples.data(), frames);
    ctx.videoSound += frames;
}

// The session's last frame number ends the video as the frame after it would: its sound, which
// the clock mixes only on entering the next frame (and the wave file therefore ends before), is
// mixed now, while the program still plays, for the video alone.
void EndVideoAtLimit(TraceContext& ctx, int frame) {
    if (ctx.video == nullptr || ctx.videoWidth == 0 || ctx.videoEnded || frame != ctx.lastVideo ||
        frame < platform::headless::config().frames)
        return;
    platform::headless::advanceAudio(platform::headless::config().frameMs);
    VideoSound(ctx, platform::headless::takeAudio());
    ctx.videoEnded = true;
    ctx.videoEndMs = SoundMs(ctx.videoSound);
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
    VideoFrame(ctx, frame);
    if ((ctx.out == nullptr && ctx.file == nullptr) || frame <= ctx.lastWritten) return;
    const bool ran = Shell.LastFrame.Count != ctx.framesBefore;
    const std::uint32_t tick = platform::headless::frameTick(frame);
    std::vector<TraceBox> boxes;
    for (auto& box : platform::headless::takeBoxes()) boxes.push_back({box.caption, box.text});
    Emit(ctx, TraceFrameLine(frame, tick, ran, quit, boxes));
    ctx.lastWritten = frame;
    ctx.framesBefore = Shell.LastFrame.Count;
}

// Moves what the headless clock has mixed so far into the audio file and the video.
void DrainAudio(TraceContext& ctx) {
    if (ctx.audio == nullptr && ctx.video == nullptr) return;
    std::vector<std::int16_t> samples = platform::headless::takeAudio();
    if (ctx.audio != nullptr) ctx.audio->append(samples.data(), samples.size());
    VideoSound(ctx, samples);
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
    // The sound mixed up to this frame's picture, before the picture goes to the video.
    DrainAudio(ctx);
    WriteLine(ctx, frame, false);
    EndVideoAtLimit(ctx, frame);
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
    if (ctx.video != nullptr) {
        const int to = ctx.options->gifTo;
        if (ctx.videoError.empty() && to > 0 && ctx.lastVideo < to) {
            ctx.videoError = "the video's last frame (--to " + std::to_string(to) +
                             ") lies outside the session, which ended at frame " + std::to_string(ctx.lastVideo);
            ctx.videoRangeError = true;
        }
        if (ctx.videoError.empty() && ctx.videoWidth == 0) {
            ctx.videoError = "the session ended at frame " + std::to_string(ctx.lastVideo) +
                             ", before the video's first (--from " + std::to_string(ctx.options->gifFrom) + ")";
            ctx.videoRangeError = true;
        }
        // A program that quit ends the video a frame length after its last picture.
        const std::uint64_t end =
            ctx.videoEnded ? ctx.videoEndMs : ctx.videoPictureMs + platform::headless::config().frameMs;
        if (ctx.videoError.empty()) ctx.video->commit(end, ctx.videoError);
        if (!ctx.videoError.empty()) {
            ctx.video->discard();
            note(ctx.videoError);
        }
    }
    if (failed.empty()) return 0;
    error = failed;
    return ctx.gifRangeError || ctx.videoRangeError ? 2 : 1;
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
    if (!options.videoPath.empty() && !VideoFits(options, error)) return 2;
    platform::OutputFile traceFile;
    if (!options.tracePath.empty() && !traceFile.open(options.tracePath, error)) return 2;
    TraceContext ctx;
    ctx.out = options.trace;
    if (traceFile.isOpen()) ctx.file = &traceFile;
    ctx.options = &options;
    platform::WavWriter audio;
    if (!options.audioPath.empty()) {
        if (!audio.open(options.audioPath, platform::audio::kChannels, platform::audio::kRate, error)) return 1;
        ctx.audio = &audio;
    }
    platform::GifWriter gif;
    if (!options.gifPath.empty()) ctx.gif = &gif;
    platform::headless::VideoWriter video;
    if (!options.videoPath.empty()) ctx.video = &video;
    platform::headless::setAudioCapture(ctx.audio != nullptr || ctx.video != nullptr);
    Emit(ctx, TraceBackendLine());
    platform::headless::setSlotEndHook(OnFrameEnd, &ctx);
    WinMain("", platform::SW_SHOWNORMAL);
    // The frame number in which the program quit has not been written yet.
    DrainAudio(ctx);
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
