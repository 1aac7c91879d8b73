// PNG files of 8-bit RGB pixels: screenshots, the tools' pictures and the tests'.
// Encoding and decoding are stb_image's; any PNG reads, its alpha dropped.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace arvel {

struct RgbImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows top-down

    const uint8_t* pixel(int x, int y) const {
        return &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) *
                    3];
    }
};

// A compressed PNG of width x height pixels of 3 bytes each, rows top-down, packed
// without gaps. Empty for a size of 0 or one a PNG cannot hold.
std::string encodePng(int width, int height, const uint8_t* rgb);
// False, with image emptied, when bytes are not a PNG.
bool decodePng(std::string_view bytes, RgbImage& image);

// False when the file is missing or not a PNG.
bool readPng(const std::filesystem::path& path, RgbImage& image);
// False when the image is empty, its pixels do not match its size or the file cannot
// be written.
bool writePng(const std::filesystem::path& path, const RgbImage& image);
bool writePng(const std::filesystem::path& path, int width, int height, const uint8_t* rgb);

}  // namespace arvel
