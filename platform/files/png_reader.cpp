// Platform: PNG input through libpng's simplified reader, the same in every build.
#include "platform/files/png_reader.h"

#include <png.h>

#include <new>
#include <utility>

namespace platform {

bool decodePng(const std::uint8_t* data, std::size_t size, DecodedBitmap& out, std::string& error) {
    out = DecodedBitmap{};
    if (!looksLikePng(data, size)) {
        error = "not a PNG file";
        return false;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, data, size) == 0) {
        error = std::string("bad PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    const std::int64_t w = image.width, h = image.height;
    if (w < 1 || h < 1 || w > kMaxBitmapSide || h > kMaxBitmapSide || w * h > kMaxBitmapPixels) {
        error = "PNG picture too large (" + std::to_string(w) + " x " + std::to_string(h) + ")";
        png_image_free(&image);
        return false;
    }
    // BGRA bytes are 0xAARRGGBB words on this little-endian machine.
    image.format = PNG_FORMAT_BGRA;
    DecodedBitmap pic;
    pic.width = static_cast<int>(w);
    pic.height = static_cast<int>(h);
    try {
        pic.pixels.assign(static_cast<std::size_t>(w * h), 0);
    } catch (const std::bad_alloc&) {
        error = "out of memory for the PNG picture";
        png_image_free(&image);
        return false;
    }
    if (png_image_finish_read(&image, nullptr, pic.pixels.data(), static_cast<png_int_32>(w * 4), nullptr) == 0) {
        error = std::string("bad PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    // A warning (a damaged ancillary chunk) still gives the picture; only errors refuse it.
    png_image_free(&image);
    out = std::move(pic);
    return true;
}

}  // namespace platform
