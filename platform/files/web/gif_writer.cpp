// Platform in the browser: no GIF encoder (the pages carry no giflib; only the tests' headless
// runner for WebAssembly reaches this, and it refuses --gif before the run).
#include "platform/files/gif_writer.h"

namespace platform {

struct GifWriter::State {};

GifWriter::GifWriter() = default;

bool GifWriter::supported() { return false; }
GifWriter::~GifWriter() = default;

bool GifWriter::open(const std::string&, int, int, int, std::string& error) {
    error = "GIF output is not part of the web build: make the GIF with the Linux runner";
    return false;
}

bool GifWriter::add(const std::uint32_t*, std::uint32_t) { return false; }

bool GifWriter::commit(std::string& error) {
    error = "GIF output is not part of the web build";
    return false;
}

void GifWriter::discard() {}

}  // namespace platform
