// Headless backend: the runner's --video through FFmpeg's libraries, built as a module of its
// own (quorbix-video.so) that video_writer.cpp loads on the first video opened, so that the
// programs start without FFmpeg and what it brings. libavcodec's VP9 (libvpx) and Opus (libopus)
// encoders, libswscale for the pictures' YUV 4:2:0, libswresample for the mix's 44100 Hz to
// Opus's 48000 Hz, and libavformat's WebM muxer, which writes through the program's
// whole-or-nothing output file (video_module.h).
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/video_module/video_module.h"

namespace {

using platform::headless::video_module::Output;

constexpr int kInRate = 44100;    // the mix's
constexpr int kOutRate = 48000;   // Opus's own
constexpr int kIoBuffer = 1 << 16;

#if LIBAVFORMAT_VERSION_MAJOR >= 61
using IoBytes = const std::uint8_t*;
#else
using IoBytes = std::uint8_t*;
#endif

std::string Reason(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

int WriteBytes(void* opaque, IoBytes data, int size) {
    const auto* out = static_cast<const Output*>(opaque);
    return out->write(out->file, data, static_cast<std::size_t>(size)) ? size : AVERROR(EIO);
}

// The muxer goes back to fill in sizes, the length and the cues once the file is complete.
std::int64_t SeekBytes(void* opaque, std::int64_t offset, int whence) {
    std::FILE* stream = static_cast<const Output*>(opaque)->stream;
    if ((whence & AVSEEK_SIZE) != 0) {
        const off_t here = ftello(stream);
        if (here < 0 || fseeko(stream, 0, SEEK_END) != 0) return AVERROR(errno);
        const off_t size = ftello(stream);
        if (fseeko(stream, here, SEEK_SET) != 0) return AVERROR(errno);
        return size;
    }
    whence &= ~AVSEEK_FORCE;
    if (fseeko(stream, static_cast<off_t>(offset), whence) != 0) return AVERROR(errno);
    return ftello(stream);
}

struct Encoder {
    Output out;
    AVFormatContext* format = nullptr;
    AVIOContext* io = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    AVAudioFifo* fifo = nullptr;
    AVFrame* picture = nullptr;   // the last picture, in YUV, sent once its time is known
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    int width = 0, height = 0;
    bool hasPicture = false;
    std::int64_t pictureMs = 0;    // when the picture held starts
    std::int64_t soundSent = 0;    // 48 kHz frames handed to the encoder
    std::deque<std::pair<std::int64_t, std::int64_t>> durations;   // the pictures sent: start, length
    std::vector<std::int16_t> resampled;
    std::string error;             // the first failure

    ~Encoder() {
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        sws_freeContext(scaler);
        swr_free(&resampler);
        if (fifo != nullptr) av_audio_fifo_free(fifo);
        av_frame_free(&picture);
        av_frame_free(&sound);
        av_packet_free(&packet);
        avformat_free_context(format);
        if (io != nullptr) av_freep(&io->buffer);
        avio_context_free(&io);
    }

    bool failed(const std::string& what, int code) {
        if (error.empty()) error = what + ": " + Reason(code);
        return false;
    }

    // Starts the encoder `coder` (named `encoder` in a failure) and gives the file a stream for it
    // (`what`), with the encoder's parameters and time base.
    bool startStream(AVCodecContext* coder, const AVCodec* codec, AVStream*& stream, const char* encoder,
                     const char* what) {
        if ((format->oformat->flags & AVFMT_GLOBALHEADER) != 0) coder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int code = avcodec_open2(coder, codec, nullptr);
        if (code < 0) return failed(std::string(encoder) + " would not start", code);
        stream = avformat_new_stream(format, nullptr);
        if (stream == nullptr) return failed(what, AVERROR(ENOMEM));
        stream->time_base = coder->time_base;
        code = avcodec_parameters_from_context(stream->codecpar, coder);
        return code < 0 ? failed(what, code) : true;
    }

    bool openVideo(std::uint32_t frameMs) {
        const AVCodec* codec = avcodec_find_encoder_by_name("libvpx-vp9");
        if (codec == nullptr) return failed("no VP9 encoder (libvpx) in this FFmpeg", AVERROR_ENCODER_NOT_FOUND);
        video = avcodec_alloc_context3(codec);
        if (video == nullptr) return failed("the VP9 encoder", AVERROR(ENOMEM));
        video->width = width;
        video->height = height;
        video->pix_fmt = AV_PIX_FMT_YUV420P;
        video->time_base = AVRational{1, 1000};
        video->framerate = AVRational{1000, static_cast<int>(std::max<std::uint32_t>(frameMs, 1))};
        video->gop_size = static_cast<int>(std::max<std::uint32_t>(1, 5000 / std::max<std::uint32_t>(frameMs, 1)));
        video->bit_rate = 0;   // constant quality (crf)
        video->thread_count = 2;
        // The pictures' colours are sRGB turned into BT.601's YUV by libswscale, in TV range.
        video->color_range = AVCOL_RANGE_MPEG;
        video->colorspace = AVCOL_SPC_SMPTE170M;
        video->color_primaries = AVCOL_PRI_BT709;
        video->color_trc = AVCOL_TRC_IEC61966_2_1;
        // Real-time speed: a picture out for each picture in, none held back for look-ahead.
        av_opt_set(video->priv_data, "deadline", "realtime", 0);
        av_opt_set_int(video->priv_data, "cpu-used", 8, 0);
        av_opt_set_int(video->priv_data, "crf", 30, 0);
        av_opt_set_int(video->priv_data, "lag-in-frames", 0, 0);
        av_opt_set_int(video->priv_data, "row-mt", 1, 0);
        if (!startStream(video, codec, videoStream, "the VP9 encoder", "the video stream")) return false;
        scaler = sws_getContext(width, height, AV_PIX_FMT_0RGB32, width, height, AV_PIX_FMT_YUV420P,
                                SWS_BILINEAR, nullptr, nullptr, nullptr);
        picture = av_frame_alloc();
        if (scaler == nullptr || picture == nullptr) return failed("the picture converter", AVERROR(ENOMEM));
        picture->format = AV_PIX_FMT_YUV420P;
        picture->width = width;
        picture->height = height;
        const int code = av_frame_get_buffer(picture, 0);
        return code < 0 ? failed("a picture's memory", code) : true;
    }

    bool openAudio() {
        const AVCodec* codec = avcodec_find_encoder_by_name("libopus");
        if (codec == nullptr) return failed("no Opus encoder (libopus) in this FFmpeg", AVERROR_ENCODER_NOT_FOUND);
        audio = avcodec_alloc_context3(codec);
        if (audio == nullptr) return failed("the Opus encoder", AVERROR(ENOMEM));
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;   // not const: FFmpeg 5.1 takes it so
        audio->sample_fmt = AV_SAMPLE_FMT_S16;
        audio->sample_rate = kOutRate;
        int code = av_channel_layout_copy(&audio->ch_layout, &stereo);
        if (code < 0) return failed("the Opus encoder", code);
        audio->bit_rate = 128000;
        audio->time_base = AVRational{1, kOutRate};
        if (!startStream(audio, codec, audioStream, "the Opus encoder", "the sound stream")) return false;
        code = swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, kOutRate, &stereo, AV_SAMPLE_FMT_S16,
                                   kInRate, 0, nullptr);
        if (code >= 0) code = swr_init(resampler);
        if (code < 0) return failed("the resampler", code);
        fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_S16, 2, audio->frame_size > 0 ? audio->frame_size * 4 : kOutRate);
        sound = av_frame_alloc();
        if (fifo == nullptr || sound == nullptr) return failed("the sound's memory", AVERROR(ENOMEM));
        sound->format = AV_SAMPLE_FMT_S16;
        sound->sample_rate = kOutRate;
        sound->nb_samples = audio->frame_size > 0 ? audio->frame_size : 960;
        code = av_channel_layout_copy(&sound->ch_layout, &stereo);
        if (code >= 0) code = av_frame_get_buffer(sound, 0);
        return code < 0 ? failed("the sound's memory", code) : true;
    }

    // Hands the encoder's packets to the muxer; the pictures' lengths are their own, not the
    // encoder's guess.
    bool drain(AVCodecContext* codec, AVStream* stream) {
        for (;;) {
            const int code = avcodec_receive_packet(codec, packet);
            if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
            if (code < 0) return failed("encoding failed", code);
            if (codec == video) {
                while (!durations.empty() && durations.front().first < packet->pts) durations.pop_front();
                if (!durations.empty() && durations.front().first == packet->pts) packet->duration = durations.front().second;
            }
#if LIBAVFORMAT_VERSION_INT < AV_VERSION_INT(60, 16, 100)
            // The Opus encoder's packets start its pre-skip before 0. The WebM writer stores the
            // pre-skip as the track's codec delay, which a player takes off every time stamp;
            // this one does not add it back itself (later ones do), so the sound would come
            // early by it (6.5 ms): the time stamps are given with it added.
            if (codec == audio && codec->initial_padding > 0) {
                if (packet->pts != AV_NOPTS_VALUE) packet->pts += codec->initial_padding;
                if (packet->dts != AV_NOPTS_VALUE) packet->dts += codec->initial_padding;
            }
#endif
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            const int written = av_interleaved_write_frame(format, packet);
            if (written < 0) return failed("writing the file failed", written);
        }
    }

    bool send(AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
        const int code = avcodec_send_frame(codec, frame);
        if (code < 0) return failed("encoding failed", code);
        return drain(codec, stream);
    }

    // Sends the picture held, shown for `length` ms.
    bool sendPicture(std::int64_t length) {
        picture->pts = pictureMs;
        durations.emplace_back(pictureMs, length);
        return send(video, videoStream, picture);
    }

    // Encodes the sound waiting up to 48 kHz frame `limit`, in the encoder's frames; at the end
    // (`last`) also a shorter frame, silence making up what the run did not give.
    bool encodeSound(std::int64_t limit, bool last) {
        const int frameSize = audio->frame_size > 0 ? audio->frame_size : 960;
        while (error.empty()) {
            const std::int64_t room = limit - soundSent;
            const int n = static_cast<int>(std::min<std::int64_t>(frameSize, room));
            if (n <= 0 || (n < frameSize && !last)) break;
            const int waiting = av_audio_fifo_size(fifo);
            if (waiting < n) {
                if (!last) break;
                std::vector<std::int16_t> silence(static_cast<std::size_t>(n - waiting) * 2, 0);
                void* planes[1] = {silence.data()};
                if (av_audio_fifo_write(fifo, planes, n - waiting) < n - waiting)
                    return failed("the sound's memory", AVERROR(ENOMEM));
            }
            int code = av_frame_make_writable(sound);
            if (code < 0) return failed("the sound's memory", code);
            sound->nb_samples = n;
            if (av_audio_fifo_read(fifo, reinterpret_cast<void**>(sound->data), n) < n)
                return failed("the sound's memory", AVERROR(ENOMEM));
            sound->pts = soundSent;
            soundSent += n;
            if (!send(audio, audioStream, sound)) return false;
        }
        return error.empty();
    }

    // Resamples `frames` frames (none: what the resampler still holds) into the queue.
    bool resample(const std::int16_t* samples, int frames) {
        const int room = swr_get_out_samples(resampler, frames);
        if (room < 0) return failed("resampling failed", room);
        resampled.resize(static_cast<std::size_t>(room) * 2 + 2);
        std::uint8_t* out[1] = {reinterpret_cast<std::uint8_t*>(resampled.data())};
        const std::uint8_t* in[1] = {reinterpret_cast<const std::uint8_t*>(samples)};
        const int made = swr_convert(resampler, out, room, samples != nullptr ? in : nullptr, frames);
        if (made < 0) return failed("resampling failed", made);
        void* planes[1] = {resampled.data()};
        if (made > 0 && av_audio_fifo_write(fifo, planes, made) < made) return failed("the sound's memory", AVERROR(ENOMEM));
        return true;
    }
};

void Say(const std::string& text, char* error, std::size_t errorSize) {
    if (errorSize == 0) return;
    std::snprintf(error, errorSize, "%s", text.c_str());
}

void* Open(const Output* out, int width, int height, std::uint32_t frameMs, char* error, std::size_t errorSize) {
    // The libraries' own notes (the encoder's version...) would mix with the run's output: only
    // their errors are said, beside the message the run gives.
    av_log_set_level(AV_LOG_ERROR);
    auto s = std::make_unique<Encoder>();
    s->out = *out;
    s->width = width;
    s->height = height;
    int code = avformat_alloc_output_context2(&s->format, nullptr, "webm", nullptr);
    if (code < 0 || s->format == nullptr) {
        Say("the WebM writer: " + Reason(code < 0 ? code : AVERROR_MUXER_NOT_FOUND), error, errorSize);
        return nullptr;
    }
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBuffer));
    // A pipe or a device cannot be gone back on: the file is then written without its index.
    const bool seekable = fseeko(s->out.stream, 0, SEEK_CUR) == 0;
    s->io = buffer == nullptr ? nullptr
                              : avio_alloc_context(buffer, kIoBuffer, 1, &s->out, nullptr, WriteBytes,
                                                   seekable ? SeekBytes : nullptr);
    if (s->io == nullptr) {
        av_free(buffer);
        Say("the WebM writer: " + Reason(AVERROR(ENOMEM)), error, errorSize);
        return nullptr;
    }
    s->format->pb = s->io;
    s->format->flags |= AVFMT_FLAG_CUSTOM_IO;
    // The Opus encoder's first packet may start before 0 (its pre-skip, below): shifting every
    // stream to make it 0 would make the pictures late.
    s->format->avoid_negative_ts = AVFMT_AVOID_NEG_TS_DISABLED;
    s->packet = av_packet_alloc();
    if (s->packet == nullptr) s->failed("the WebM writer", AVERROR(ENOMEM));
    if (s->error.empty() && s->openVideo(frameMs) && s->openAudio()) {
        code = avformat_write_header(s->format, nullptr);
        if (code < 0) s->failed("writing the file's header failed", code);
    }
    if (!s->error.empty()) {
        Say(s->error, error, errorSize);
        return nullptr;
    }
    return s.release();
}

bool AddPicture(void* encoder, const std::uint32_t* pixels, std::uint64_t ms) {
    Encoder& s = *static_cast<Encoder*>(encoder);
    if (!s.error.empty()) return false;
    const auto start = static_cast<std::int64_t>(ms);
    if (s.hasPicture) {
        // Two pictures in one millisecond: the later one waits for the next.
        if (start <= s.pictureMs) return s.failed("a picture came before the one it follows", AVERROR(EINVAL));
        if (!s.sendPicture(start - s.pictureMs)) return false;
    }
    int code = av_frame_make_writable(s.picture);
    if (code < 0) return s.failed("a picture's memory", code);
    const std::uint8_t* in[1] = {reinterpret_cast<const std::uint8_t*>(pixels)};
    const int inStride[1] = {s.width * 4};
    sws_scale(s.scaler, in, inStride, 0, s.height, s.picture->data, s.picture->linesize);
    s.hasPicture = true;
    s.pictureMs = start;
    // The sound before this picture may go to the encoder now.
    return s.encodeSound(start * kOutRate / 1000, false);
}

bool AddSound(void* encoder, const std::int16_t* samples, std::size_t frames) {
    Encoder& s = *static_cast<Encoder*>(encoder);
    if (!s.error.empty()) return false;
    constexpr std::size_t kChunk = 1 << 16;
    for (std::size_t done = 0; done < frames; done += kChunk)
        if (!s.resample(samples + done * 2, static_cast<int>(std::min(kChunk, frames - done)))) return false;
    return s.hasPicture ? s.encodeSound(s.pictureMs * kOutRate / 1000, false) : true;
}

bool Finish(void* encoder, std::uint64_t endMs, char* error, std::size_t errorSize) {
    Encoder& s = *static_cast<Encoder*>(encoder);
    const auto end = static_cast<std::int64_t>(endMs);
    if (s.error.empty() && (!s.hasPicture || end <= s.pictureMs))
        s.failed("the video ends before its last picture", AVERROR(EINVAL));
    if (s.error.empty()) s.sendPicture(end - s.pictureMs);
    if (s.error.empty() && s.resample(nullptr, 0)) s.encodeSound(end * kOutRate / 1000, true);
    if (s.error.empty()) s.send(s.video, s.videoStream, nullptr);
    if (s.error.empty()) s.send(s.audio, s.audioStream, nullptr);
    if (s.error.empty()) {
        const int code = av_write_trailer(s.format);
        if (code < 0) s.failed("writing the file's end failed", code);
    }
    if (s.error.empty()) avio_flush(s.io);
    if (s.error.empty()) return true;
    Say(s.error, error, errorSize);
    return false;
}

void Close(void* encoder) { delete static_cast<Encoder*>(encoder); }

constexpr platform::headless::video_module::Table kTable = {platform::headless::video_module::kVersion, Open,
                                                             AddPicture, AddSound, Finish, Close};

}  // namespace

extern "C" __attribute__((visibility("default"))) const platform::headless::video_module::Table* qrb_video_module() {
    return &kTable;
}
