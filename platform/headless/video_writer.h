// Headless backend: a run's pictures and mixed sound as one WebM file (the runner's --video),
// written whole or not at all.
#pragma once
#if !defined(QRB_PUBLIC_HEADERS) && !defined(QRB_BUILDING)
#pragma message("platform/headless/video_writer.h is the framework's own; include <quorbix/headless.h> instead (this path goes in Quorbix 2.0)")
#endif
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform::headless {

// A WebM file of VP9 pictures and Opus sound, built picture by picture from 0x00RRGGBB pictures
// of one size and the mix's 16-bit stereo 44100 Hz samples (resampled to Opus's 48000 Hz). The
// sound is one stream from the file's start; each picture is shown from the time given with it
// until the next one's, the last until the end given to commit, which is the file's length: the
// sound is cut or filled with silence to end there. Built where FFmpeg's libraries were found
// (QRB_VIDEO); elsewhere supported() is false and open fails, saying so.
class VideoWriter {
public:
    VideoWriter();
    ~VideoWriter();
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // False where the build has no video encoder: open would fail.
    static bool supported();
    // Starts the file: pictures of width x height (each at least 2), about `frameMs` apart.
    // False, with a one-line reason in error, when the file or the encoders cannot be started.
    bool open(const std::string& path, int width, int height, std::uint32_t frameMs, std::string& error);
    // Adds a picture shown from `ms` milliseconds into the file (later than the picture
    // before). False once anything failed (said by commit).
    bool addPicture(const std::uint32_t* pixels, std::uint64_t ms);
    // Adds `frames` frames of sound (interleaved stereo) after those given before.
    bool addSound(const std::int16_t* samples, std::size_t frames);
    // Ends the file at `endMs` (after the last picture's time), flushes the encoders and puts the
    // file in its place; false with the reason otherwise, the target then left as it was.
    bool commit(std::uint64_t endMs, std::string& error);
    // Drops what was written (also done by the destructor without commit).
    void discard();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform::headless
