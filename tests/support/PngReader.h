// Reads the PNG files the game writes (8-bit RGB or RGBA, not interlaced), for tests
// that look at screenshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace arvel::test {

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows top-down

    const uint8_t* pixel(int x, int y) const {
        return &rgb[(static_cast<size_t>(y) * width + x) * 3];
    }
};

// False when the file is missing or not a PNG of that kind.
bool readPng(const std::string& path, Image& image);

// The share of pixels whose channels are all at most threshold.
double darkShare(const Image& image, int threshold = 8);

}  // namespace arvel::test
