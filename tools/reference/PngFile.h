// PNG files of 8-bit RGB pixels, read (RGB or RGBA, any filter, not interlaced) and
// written compressed, for pictures kept in the repository.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace arvel::reference {

struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows top-down
};

// False when the file is missing or not a PNG of that kind.
bool readPng(const std::filesystem::path& path, RgbImage& image);
bool writePng(const std::filesystem::path& path, const RgbImage& image);

}  // namespace arvel::reference
