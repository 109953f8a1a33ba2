// bench-gif: the headless runner's --gif and --video on 30 seconds of play of the game (600
// frames of 50 ms after a click that starts it, clicks over the field as a player's), against
// real time and against the same run without them, measured in the same process. The GIF is
// decoded back with giflib and checked (its size, its frames, its delays adding up to the range's
// time), the video read back with libavformat (VP9 and Opus at 48000 Hz, one picture a frame,
// as long as the range), before anything is printed.
// Prints "ratio gif_vs_realtime VALUE" (the session's time / the time to render it with the GIF;
// higher is better), "ratio gif_vs_plain_run VALUE" (the run without the GIF / with it), the same
// two for the video where the build has it (video_vs_realtime, video_vs_plain_run), and as
// figures the GIF's and the video's sizes in MB.
#include <gif_lib.h>

#if QRB_WITH_VIDEO
extern "C" {
#include <libavformat/avformat.h>
}
#endif

#include "bench/bench_util.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "framework/runner/headless_runner.h"
#include "game/scenes.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFrameMs = 50;

// A start click in frame 2, then a click every third frame over the field, wandering as in play.
std::string PlayScript(int frames) {
    std::string script = "2 move 240 180\n2 ldown\n2 lup\n";
    int x = 100, y = 100;
    for (int f = 5; f < frames; f += 3) {
        script += std::to_string(f) + " move " + std::to_string(x) + " " + std::to_string(y) + "\n";
        script += std::to_string(f) + " ldown\n" + std::to_string(f) + " lup\n";
        x = (x + 37) % 300 + 90;
        y = (y + 23) % 180 + 90;
    }
    return script;
}

// Runs the game over `frames` frame numbers, with the GIF (or the video) of frames 3 on when
// `gif` (`video`) is given; the wall time in seconds, or a negative number after saying why the
// run failed.
double Run(int frames, const std::string& gif, const std::string& video = "") {
    quorbix::RunOptions options;
    options.config.frames = frames;
    options.config.time = 1700000000;
    options.script = PlayScript(frames);
    options.prepare = [] { UseProgram(GameProgram()); };
    options.gifPath = gif;
    options.videoPath = video;
    options.gifFrom = 3;
    std::string error;
    const auto start = Clock::now();
    const int status = quorbix::RunHeadless(options, error);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (status != 0) {
        std::printf("error: bench-gif: the run failed: %s\n", error.c_str());
        return -1;
    }
    return seconds;
}

// The GIF's screen, frames and delays as the run should have made them.
bool CheckGif(const std::string& path, int frames, std::string& why) {
    int code = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &code);
    if (gif == nullptr) {
        why = std::string("cannot open the GIF: ") + GifErrorString(code);
        return false;
    }
    bool ok = DGifSlurp(gif) == GIF_OK;
    long delays = 0;
    for (int i = 0; ok && i < gif->ImageCount; ++i) {
        GraphicsControlBlock gcb{};
        ok = DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK;
        delays += gcb.DelayTime;
    }
    const long expected = static_cast<long>(frames - 2) * kFrameMs / 10;
    if (!ok)
        why = std::string("cannot decode the GIF: ") + GifErrorString(gif->Error);
    else if (gif->SWidth != 480 || gif->SHeight != 360)
        why = "the GIF is " + std::to_string(gif->SWidth) + " x " + std::to_string(gif->SHeight), ok = false;
    else if (gif->ImageCount < 2)
        why = "the GIF has " + std::to_string(gif->ImageCount) + " frame(s)", ok = false;
    else if (delays != expected)
        why = "the GIF lasts " + std::to_string(delays) + " hundredths, not " + std::to_string(expected), ok = false;
    DGifCloseFile(gif, &code);
    return ok;
}

#if QRB_WITH_VIDEO
// The video's streams, pictures and length as the run should have made them.
bool CheckVideo(const std::string& path, int frames, std::string& why) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
        why = "cannot open the video";
        return false;
    }
    bool ok = avformat_find_stream_info(format, nullptr) >= 0 && format->nb_streams == 2;
    int video = -1, sound = -1;
    for (unsigned i = 0; ok && i < format->nb_streams; ++i) {
        const AVCodecParameters* p = format->streams[i]->codecpar;
        if (p->codec_id == AV_CODEC_ID_VP9 && p->width == 480 && p->height == 360) video = static_cast<int>(i);
        if (p->codec_id == AV_CODEC_ID_OPUS && p->sample_rate == 48000) sound = static_cast<int>(i);
    }
    long pictures = 0;
    std::int64_t end = 0;   // milliseconds
    AVPacket* packet = av_packet_alloc();
    while (ok && video >= 0 && packet != nullptr && av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == video) {
            ++pictures;
            const AVRational base = format->streams[video]->time_base;
            end = std::max(end, av_rescale_q(packet->pts + packet->duration, base, AVRational{1, 1000}));
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&format);
    const long expected = frames - 2;
    if (!ok || video < 0 || sound < 0)
        why = "the video has not its two streams (VP9 480 x 360, Opus at 48000 Hz)", ok = false;
    else if (pictures != expected)
        why = "the video has " + std::to_string(pictures) + " pictures, not " + std::to_string(expected), ok = false;
    else if (end != expected * kFrameMs)
        why = "the video's pictures end at " + std::to_string(end) + " ms, not " + std::to_string(expected * kFrameMs), ok = false;
    return ok;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    const bool quick = bench::TakeQuick(argc, argv);
    const int frames = quick ? 102 : 602;   // frames 3 to 602: 30 s of play
    const int runs = quick ? 1 : 3;
    const std::string gif = (std::filesystem::temp_directory_path() / ("bench-gif-" + std::to_string(::getpid()) + ".gif")).string();
    bench::Checks checks("bench-gif");
    double plain = 1e30, withGif = 1e30;
    for (int r = 0; r < runs; ++r) {
        const double p = Run(frames, "");
        const double g = Run(frames, gif);
        checks.Expect("plain", p > 0, "the run without the GIF failed");
        checks.Expect("gif", g > 0, "the run with the GIF failed");
        if (p > 0) plain = std::min(plain, p);
        if (g > 0) withGif = std::min(withGif, g);
    }
    std::string why;
    checks.Expect("gif", CheckGif(gif, frames, why), why);
    std::error_code ec;
    const double megabytes = static_cast<double>(std::filesystem::file_size(gif, ec)) / 1e6;
    std::filesystem::remove(gif, ec);
    const double session = frames * kFrameMs / 1000.0;
    checks.Ratio("gif_vs_realtime", "gif", "gif", session / withGif);
    checks.Ratio("gif_vs_plain_run", "gif", "plain", plain / withGif);
    checks.Figure(quick ? "gif_mb_5s" : "gif_mb_30s", "gif", megabytes, "%.2f");
#if QRB_WITH_VIDEO
    // The video against the same plain runs: VP9 at the encoder's real-time speed, Opus.
    const std::string video =
        (std::filesystem::temp_directory_path() / ("bench-video-" + std::to_string(::getpid()) + ".webm")).string();
    double withVideo = 1e30;
    for (int r = 0; r < runs; ++r) {
        const double v = Run(frames, "", video);
        checks.Expect("video", v > 0, "the run with the video failed");
        if (v > 0) withVideo = std::min(withVideo, v);
    }
    checks.Expect("video", CheckVideo(video, frames, why), why);
    const double videoMegabytes = static_cast<double>(std::filesystem::file_size(video, ec)) / 1e6;
    std::filesystem::remove(video, ec);
    checks.Ratio("video_vs_realtime", "video", "video", session / withVideo);
    checks.Ratio("video_vs_plain_run", "video", "plain", plain / withVideo);
    checks.Figure(quick ? "video_mb_5s" : "video_mb_30s", "video", videoMegabytes, "%.2f");
#endif
    return checks.Status();
}
