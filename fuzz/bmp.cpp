// fuzz-bmp: random bytes through the BMP decoder, as a file and as a bitmap resource. Nothing
// may be read outside the input, and a picture that decodes must be as large as it says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/files/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    platform::DecodedBitmap out;
    std::string error;
    for (bool file : {true, false}) {
        bool ok = file ? platform::decodeBmpFile(data, size, out, error)
                       : platform::decodePackedDib(data, size, out, error);
        if (ok && (out.width < 1 || out.height < 1 ||
                   out.pixels.size() != static_cast<std::size_t>(out.width) * out.height))
            std::abort();
        if (!ok && (error.empty() || !out.pixels.empty())) std::abort();
    }
    return 0;
}
