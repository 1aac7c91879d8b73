// Writes images as Targa files in the subset the engine reads: uncompressed true
// colour (24 or 32 bits, image type 2) and uncompressed grey (8 bits, image type 3
// with descriptor 8, the only grey form the engine accepts).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace arvel::content {

// A picture in reading order: rows from the top, pixels from the left, each pixel
// `channels` bytes (1 grey; 3 red, green, blue; 4 red, green, blue, alpha).
struct Image {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;

    Image() = default;
    // A width x height picture with every byte zero. Throws std::invalid_argument for
    // sizes or channel counts no image file can hold.
    Image(int width, int height, int channels);

    uint8_t* at(int x, int y) { return &pixels[offset(x, y)]; }
    const uint8_t* at(int x, int y) const { return &pixels[offset(x, y)]; }
    // Sets the pixel at (x, y) from the first `channels` values of rgba.
    void set(int x, int y, std::initializer_list<uint8_t> rgba);

private:
    size_t offset(int x, int y) const {
        return (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) *
               static_cast<size_t>(channels);
    }
};

// Row order of a colour Targa; grey images are always written bottom row first.
enum class TgaRows { kTopFirst, kBottomFirst };

// The file's bytes. Throws std::invalid_argument for an image Targa cannot describe
// (sides above 65535 or a channel count other than 1, 3 or 4).
std::string tgaBytes(const Image& image, TgaRows rows = TgaRows::kTopFirst);
// Writes the file; false when it cannot be written.
bool saveTga(const std::filesystem::path& path, const Image& image,
             TgaRows rows = TgaRows::kTopFirst);

}  // namespace arvel::content
