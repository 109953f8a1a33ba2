// Platform in the browser: no GIF encoder (the pages carry no giflib; only the tests' headless
// runner for WebAssembly reaches this, and it refuses --gif before the run).
#include "platform/files/gif_writer.h"

namespace {
constexpr const char* kBuildWithoutGif = "web";
}

#include "platform/files/gif_writer_absent.inc"
