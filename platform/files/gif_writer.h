// Platform: animated GIF output (the headless runner's --gif), written whole or not at all.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// An animated GIF built frame by frame from 0x00RRGGBB pictures of one size, looping forever.
// Each frame stores only the rectangle that changed since the picture before it, with a palette
// of its own chosen from the pixels that changed: their colours exactly when there are at most
// 256 of them (255 when some pixels inside the rectangle stayed), else chosen by giflib's
// median-cut quantiser (it works on 5 bits a channel, so such a rectangle's colours
// are off by up to 4 per channel plus the cut's own error). A pixel that stayed keeps what the
// picture before showed, through the palette's entry of its colour or the transparent index. A frame equal to the one before it
// lengthens that one's delay instead of being stored. Delays are in hundredths of a second,
// each the rounded end time of its frame less the rounded end time of the one before, so that the
// total is the pictures' total time rounded, whatever the frame period. On Linux only (giflib);
// elsewhere open fails, saying so.
class GifWriter {
public:
    GifWriter();
    ~GifWriter();
    // False where the build has no GIF encoder (Windows): open would fail.
    static bool supported();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // Starts the file: pictures of width x height, stored `scale` (1 or 2) times as large. False,
    // with a one-line reason in error, when the file cannot be started.
    bool open(const std::string& path, int width, int height, int scale, std::string& error);
    // Adds a picture shown for `ms` milliseconds; false once anything failed (said by commit).
    bool add(const std::uint32_t* pixels, std::uint32_t ms);
    // Writes the last frame and puts the file in its place; false with the reason otherwise, the
    // target then left as it was.
    bool commit(std::string& error);
    // Drops what was written (also done by the destructor without commit).
    void discard();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
