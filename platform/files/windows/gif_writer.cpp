// Platform on Windows: the Windows build carries no GIF encoder (its libraries have no giflib).
#include "platform/files/gif_writer.h"

namespace {
constexpr const char* kBuildWithoutGif = "Windows";
}

#include "platform/files/gif_writer_absent.inc"
