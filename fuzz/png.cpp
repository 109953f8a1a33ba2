// fuzz-png: random bytes through the PNG decoder. Nothing may be read outside the input, and a
// picture that decodes must be as large as it says and within the decoder's limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/files/png_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::DecodedBitmap out;
    std::string error;
    const bool ok = platform::decodePng(data, size, out, error);
    if (ok && (out.width < 1 || out.height < 1 || out.width > platform::kMaxBitmapSide ||
               out.height > platform::kMaxBitmapSide ||
               out.pixels.size() != static_cast<std::size_t>(out.width) * out.height))
        std::abort();
    if (!ok && (error.empty() || !out.pixels.empty())) std::abort();
    return 0;
}
