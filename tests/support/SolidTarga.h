// Texture files for tests that only need one colour.
#pragma once

#include <cstdint>
#include <string>

namespace arvel::test {

// A width x height 24-bit Targa of one colour (stored blue, green, red).
inline std::string solidTarga(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    std::string out(18, '\0');
    out[2] = 2;
    out[12] = static_cast<char>(width);
    out[14] = static_cast<char>(height);
    out[16] = 24;
    for (int i = 0; i < width * height; ++i) {
        out.push_back(static_cast<char>(b));
        out.push_back(static_cast<char>(g));
        out.push_back(static_cast<char>(r));
    }
    return out;
}

}  // namespace arvel::test
