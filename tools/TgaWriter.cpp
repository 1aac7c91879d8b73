#include "TgaWriter.h"

#include <fstream>
#include <stdexcept>

namespace arvel::content {

namespace {

constexpr uint8_t kTrueColour = 2;
constexpr uint8_t kGrey = 3;
constexpr uint8_t kTopFirstBit = 0x20;
constexpr uint8_t kGreyDescriptor = 8;

bool validChannels(int channels) { return channels == 1 || channels == 3 || channels == 4; }

void put16(std::string& out, int value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace

Image::Image(int width, int height, int channels)
    : width(width), height(height), channels(channels) {
    if (width < 0 || height < 0 || !validChannels(channels))
        throw std::invalid_argument("image size or channel count out of range");
    pixels.assign(
        static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels),
        0);
}

void Image::set(int x, int y, std::initializer_list<uint8_t> rgba) {
    uint8_t* pixel = at(x, y);
    int c = 0;
    for (uint8_t value : rgba) {
        if (c == channels) break;
        pixel[c++] = value;
    }
}

std::string tgaBytes(const Image& image, TgaRows rows) {
    if (!validChannels(image.channels) || image.width < 0 || image.height < 0 ||
        image.width > 0xFFFF || image.height > 0xFFFF ||
        image.pixels.size() != static_cast<size_t>(image.width) *
                                   static_cast<size_t>(image.height) *
                                   static_cast<size_t>(image.channels))
        throw std::invalid_argument("image cannot be written as Targa");

    const bool grey = image.channels == 1;
    // The engine reads grey images only bottom row first.
    const bool topFirst = !grey && rows == TgaRows::kTopFirst;

    std::string out;
    out.reserve(18 + image.pixels.size());
    out.push_back(0);  // no identification field
    out.push_back(0);  // no colour map
    out.push_back(static_cast<char>(grey ? kGrey : kTrueColour));
    out.append(9, '\0');  // no colour map; x and y origin 0
    put16(out, image.width);
    put16(out, image.height);
    out.push_back(static_cast<char>(image.channels * 8));
    uint8_t descriptor = grey ? kGreyDescriptor : (image.channels == 4 ? 8 : 0);
    if (topFirst) descriptor |= kTopFirstBit;
    out.push_back(static_cast<char>(descriptor));

    for (int i = 0; i < image.height; ++i) {
        const int y = topFirst ? i : image.height - 1 - i;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            if (grey) {
                out.push_back(static_cast<char>(p[0]));
                continue;
            }
            // Targa stores blue, green, red (, alpha).
            out.push_back(static_cast<char>(p[2]));
            out.push_back(static_cast<char>(p[1]));
            out.push_back(static_cast<char>(p[0]));
            if (image.channels == 4) out.push_back(static_cast<char>(p[3]));
        }
    }
    return out;
}

bool saveTga(const std::filesystem::path& path, const Image& image, TgaRows rows) {
    const std::string bytes = tgaBytes(image, rows);
    std::ofstream file(path, std::ios::binary);
    if (!file) return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace arvel::content
