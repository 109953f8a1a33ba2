// Headless backend: what the video writer (video_writer.cpp) and its loadable module
// (quorbix-video.so, built from encoder.cpp where FFmpeg's libraries were found) say to each
// other. The module carries FFmpeg and the hundred-odd libraries it brings; the programs load it
// on the first video opened rather than at start-up. Plain C types only: the module's one
// exported symbol hands back this table, checked against kVideoModuleVersion.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace platform::headless::video_module {

// Raised whenever the table below changes: a module of another version is refused.
constexpr std::uint32_t kVersion = 1;

// The name the module is built and installed under, and its one exported symbol.
constexpr const char* kFileName = "quorbix-video.so";
constexpr const char* kEntry = "qrb_video_module";

// The program's whole-or-nothing output file, which the module writes through.
struct Output {
    void* file;
    // Writes bytes; false once any write has failed.
    bool (*write)(void* file, const void* data, std::size_t size);
    // The stream itself, for going back over what was written (sizes, the index).
    std::FILE* stream;
};

// One encoder: opened, fed pictures and sound, finished (the file is then complete in `out`, and
// the program puts it in its place) and closed. Errors are one line, copied into `error`.
struct Table {
    std::uint32_t version;
    void* (*open)(const Output* out, int width, int height, std::uint32_t frameMs, char* error, std::size_t errorSize);
    bool (*addPicture)(void* encoder, const std::uint32_t* pixels, std::uint64_t ms);
    bool (*addSound)(void* encoder, const std::int16_t* samples, std::size_t frames);
    bool (*finish)(void* encoder, std::uint64_t endMs, char* error, std::size_t errorSize);
    void (*close)(void* encoder);
};

using Entry = const Table* (*)();

}  // namespace platform::headless::video_module

namespace platform::headless {

// Loads the module, once (video_writer.cpp), for the runner to say before the run, with the
// other checks of its --video, when no video can be written: false with the one-line reason
// ("this build's video writer could not be loaded: ..."), also in a build without the video.
bool loadVideoModule(std::string& error);

}  // namespace platform::headless
