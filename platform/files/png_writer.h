// Platform: writing pictures as PNG files (frame dumps of the headless runner, test output).
#pragma once
#include <cstdint>
#include <string>

namespace platform {

// Writes width x height pixels given as 0x00RRGGBB words, row after row, as an 8-bit RGB PNG.
// False with a one-line reason in error when the file cannot be written.
bool writePng(const std::string& path, const std::uint32_t* pixels, int width, int height,
              std::string& error);

}  // namespace platform
