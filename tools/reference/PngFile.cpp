#include "reference/PngFile.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace arvel::reference {

namespace {

uint32_t bigEndian(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void putBigEndian(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

int paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

void chunk(std::string& out, const char* type, const std::string& data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    out += typed;
    putBigEndian(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                  static_cast<uInt>(typed.size()))));
}

}  // namespace

bool readPng(const std::filesystem::path& path, RgbImage& image) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
    static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (file.size() < 8 || std::memcmp(file.data(), kSignature, 8) != 0) return false;
    int channels = 0;
    image = {};
    std::vector<uint8_t> compressed;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length = bigEndian(&file[at]);
        if (length > file.size() - at - 12) return false;
        const uint8_t* type = &file[at + 4];
        const uint8_t* data = &file[at + 8];
        if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
            image.width = static_cast<int>(bigEndian(data));
            image.height = static_cast<int>(bigEndian(data + 4));
            if (data[8] != 8 || data[12] != 0) return false;
            channels = data[9] == 2 ? 3 : data[9] == 6 ? 4 : 0;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            compressed.insert(compressed.end(), data, data + length);
        }
        at += 12 + length;
    }
    // Sizes a screenshot can have; anything else is not one of ours.
    if (channels == 0 || image.width <= 0 || image.height <= 0 || image.width > 16384 ||
        image.height > 16384)
        return false;
    const size_t width = static_cast<size_t>(image.width),
                 height = static_cast<size_t>(image.height);
    const size_t stride = width * static_cast<size_t>(channels);
    std::vector<uint8_t> raw((stride + 1) * height);
    uLongf rawSize = raw.size();
    if (uncompress(raw.data(), &rawSize, compressed.data(), compressed.size()) != Z_OK ||
        rawSize != raw.size())
        return false;
    std::vector<uint8_t> previous(stride, 0), row(stride);
    image.rgb.assign(width * height * 3, 0);
    const size_t step = static_cast<size_t>(channels);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t filter = raw[y * (stride + 1)];
        const uint8_t* source = &raw[y * (stride + 1) + 1];
        for (size_t i = 0; i < stride; ++i) {
            const int a = i >= step ? row[i - step] : 0;
            const int b = previous[i];
            const int c = i >= step ? previous[i - step] : 0;
            const int predictor = filter == 1   ? a
                                  : filter == 2 ? b
                                  : filter == 3 ? (a + b) / 2
                                  : filter == 4 ? paeth(a, b, c)
                                                : 0;
            row[i] = static_cast<uint8_t>(source[i] + predictor);
        }
        for (size_t x = 0; x < width; ++x)
            std::memcpy(&image.rgb[(y * width + x) * 3], &row[x * step], 3);
        previous.swap(row);
    }
    return true;
}

bool writePng(const std::filesystem::path& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() !=
            static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3)
        return false;
    const size_t stride = static_cast<size_t>(image.width) * 3;
    // Each row with the filter whose output sums smallest (as signed bytes), the usual
    // guess at what deflates best.
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * static_cast<size_t>(image.height));
    std::vector<uint8_t> zeros(stride, 0), candidate(stride), best(stride);
    for (size_t y = 0; y < static_cast<size_t>(image.height); ++y) {
        const uint8_t* row = &image.rgb[y * stride];
        const uint8_t* above = y > 0 ? &image.rgb[(y - 1) * stride] : zeros.data();
        long bestCost = -1;
        uint8_t bestFilter = 0;
        for (uint8_t filter = 0; filter <= 4; ++filter) {
            long cost = 0;
            for (size_t i = 0; i < stride; ++i) {
                const int a = i >= 3 ? row[i - 3] : 0, b = above[i], c = i >= 3 ? above[i - 3] : 0;
                const int predictor = filter == 1   ? a
                                      : filter == 2 ? b
                                      : filter == 3 ? (a + b) / 2
                                      : filter == 4 ? paeth(a, b, c)
                                                    : 0;
                candidate[i] = static_cast<uint8_t>(row[i] - predictor);
                cost += std::abs(static_cast<int8_t>(candidate[i]));
            }
            if (bestCost < 0 || cost < bestCost) {
                bestCost = cost;
                bestFilter = filter;
                best.swap(candidate);
            }
        }
        raw.push_back(bestFilter);
        raw.insert(raw.end(), best.begin(), best.end());
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string deflated(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(deflated.data()), &size, raw.data(),
                  static_cast<uLong>(raw.size()), 9) != Z_OK)
        return false;
    deflated.resize(size);

    std::string out("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    putBigEndian(header, static_cast<uint32_t>(image.width));
    putBigEndian(header, static_cast<uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, no interlace
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", deflated);
    chunk(out, "IEND", "");
    std::ofstream file(path, std::ios::binary);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    return static_cast<bool>(file);
}

}  // namespace arvel::reference
