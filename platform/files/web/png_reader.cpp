// Platform (web): no PNG decoder is built for the browser: PNG pictures are refused by name.
#include "platform/files/png_reader.h"

namespace platform {

bool decodePng(const std::uint8_t*, std::size_t, DecodedBitmap& out, std::string& error) {
    out = DecodedBitmap{};
    error = "PNG pictures are not supported in the web build (use BMP)";
    return false;
}

}  // namespace platform
