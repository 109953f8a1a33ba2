// Platform: PNG output through libpng's simplified writer.
#include "platform/files/png_writer.h"

#include <png.h>

#include <vector>

#include "platform/files/output_file.h"

namespace platform {

bool writePng(const std::string& path, const std::uint32_t* pixels, int width, int height,
              std::string& error) {
    if (pixels == nullptr || width < 1 || height < 1) {
        error = "no picture to write";
        return false;
    }
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
        rgb[3 * i] = (pixels[i] >> 16) & 0xFF;
        rgb[3 * i + 1] = (pixels[i] >> 8) & 0xFF;
        rgb[3 * i + 2] = pixels[i] & 0xFF;
    }
    OutputFile out;
    if (!out.open(path, error)) return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_stdio(&image, out.stream(), 0, rgb.data(), width * 3, nullptr) == 0) {
        error = path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    return out.commit(error);
}

}  // namespace platform
