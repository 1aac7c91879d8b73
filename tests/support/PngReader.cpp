#include "support/PngReader.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace arvel::test {

namespace {

uint32_t bigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

int paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

}  // namespace

bool readPng(const std::string& path, Image& image) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
    static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) return false;
    int channels = 0;
    std::vector<uint8_t> compressed;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = bigEndian(&file[at]);
        if (length > file.size() - at - 12) return false;
        const uint8_t* type = &file[at + 4];
        const uint8_t* data = &file[at + 8];
        if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
            image.width = int(bigEndian(data));
            image.height = int(bigEndian(data + 4));
            if (data[8] != 8 || data[12] != 0) return false;
            channels = data[9] == 2 ? 3 : data[9] == 6 ? 4 : 0;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            compressed.insert(compressed.end(), data, data + length);
        }
        at += 12 + length;
    }
    if (channels == 0 || image.width <= 0 || image.height <= 0) return false;
    const size_t stride = size_t(image.width) * channels;
    std::vector<uint8_t> raw((stride + 1) * image.height);
    uLongf rawSize = raw.size();
    if (uncompress(raw.data(), &rawSize, compressed.data(), compressed.size()) != Z_OK ||
        rawSize != raw.size())
        return false;
    std::vector<uint8_t> previous(stride, 0), row(stride);
    image.rgb.assign(size_t(image.width) * image.height * 3, 0);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t filter = raw[y * (stride + 1)];
        const uint8_t* source = &raw[y * (stride + 1) + 1];
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= size_t(channels) ? row[i - channels] : 0;
            const int b = previous[i];
            const int c = i >= size_t(channels) ? previous[i - channels] : 0;
            const int predictor = filter == 1   ? a
                                  : filter == 2 ? b
                                  : filter == 3 ? (a + b) / 2
                                  : filter == 4 ? paeth(a, b, c)
                                                : 0;
            row[i] = uint8_t(source[i] + predictor);
        }
        for (int x = 0; x < image.width; ++x)
            std::memcpy(&image.rgb[(size_t(y) * image.width + x) * 3], &row[size_t(x) * channels],
                        3);
        previous.swap(row);
    }
    return true;
}

double darkShare(const Image& image, int threshold) {
    size_t dark = 0, total = size_t(image.width) * image.height;
    for (size_t i = 0; i < total; ++i) {
        const uint8_t* p = &image.rgb[i * 3];
        if (p[0] <= threshold && p[1] <= threshold && p[2] <= threshold) ++dark;
    }
    return total ? double(dark) / double(total) : 0.0;
}

}  // namespace arvel::test
