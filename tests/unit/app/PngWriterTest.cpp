#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/PngWriter.h"

namespace arvel {
namespace {

uint32_t bigEndian(const std::string& s, size_t at) {
    return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 |
           uint32_t(uint8_t(s[at + 2])) << 8 | uint32_t(uint8_t(s[at + 3]));
}

const uint8_t* bytes(const std::string& s, size_t at = 0) {
    return reinterpret_cast<const uint8_t*>(s.data() + at);
}

struct Chunk {
    std::string type, data;
};

// Splits a PNG into its chunks, checking each chunk's CRC on the way.
std::vector<Chunk> chunksOf(const std::string& png) {
    std::vector<Chunk> chunks;
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = bigEndian(png, at);
        EXPECT_LE(at + 12 + length, png.size());
        if (at + 12 + length > png.size()) break;
        EXPECT_EQ(bigEndian(png, at + 8 + length), pngCrc32(bytes(png, at + 4), 4 + length));
        chunks.push_back({png.substr(at + 4, 4), png.substr(at + 8, length)});
        at += 12 + length;
    }
    return chunks;
}

// Reads the stored blocks of a zlib stream back into the raw bytes; checks the Adler-32.
std::string inflateStored(const std::string& z) {
    EXPECT_EQ(uint8_t(z[0]), 0x78);
    EXPECT_EQ((uint8_t(z[0]) * 256 + uint8_t(z[1])) % 31, 0);
    std::string raw;
    size_t at = 2;
    for (bool last = false; !last;) {
        EXPECT_LE(at + 5, z.size());
        if (at + 5 > z.size()) return raw;
        last = (z[at] & 1) != 0;
        EXPECT_EQ((z[at] >> 1) & 3, 0) << "stored block";
        const unsigned length = uint8_t(z[at + 1]) | uint8_t(z[at + 2]) << 8;
        const unsigned complement = uint8_t(z[at + 3]) | uint8_t(z[at + 4]) << 8;
        EXPECT_EQ(length ^ 0xFFFFu, complement);
        raw += z.substr(at + 5, length);
        at += 5 + length;
    }
    EXPECT_EQ(at + 4, z.size());
    EXPECT_EQ(bigEndian(z, at), adler32(bytes(raw), raw.size()));
    return raw;
}

TEST(PngWriter, checksumsMatchTheirPublishedCheckValues) {
    const std::string digits = "123456789";
    EXPECT_EQ(pngCrc32(bytes(digits), digits.size()), 0xCBF43926u);
    const std::string word = "Wikipedia";
    EXPECT_EQ(adler32(bytes(word), word.size()), 0x11E60398u);
    EXPECT_EQ(adler32(nullptr, 0), 1u);
}

TEST(PngWriter, headerHoldsSizeAndEightBitRgb) {
    const std::vector<uint8_t> pixels(5 * 3 * 3, 0x40);
    const auto chunks = chunksOf(encodePng(5, 3, pixels.data()));
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    ASSERT_EQ(chunks[0].data.size(), 13u);
    EXPECT_EQ(bigEndian(chunks[0].data, 0), 5u);
    EXPECT_EQ(bigEndian(chunks[0].data, 4), 3u);
    EXPECT_EQ(chunks[0].data.substr(8), std::string("\x08\x02\0\0\0", 5));
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_TRUE(chunks[2].data.empty());
}

TEST(PngWriter, rowsComeBackUnfilteredInOrder) {
    const int width = 3, height = 2;
    std::vector<uint8_t> pixels(width * height * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 7 + 1);
    const auto chunks = chunksOf(encodePng(width, height, pixels.data()));
    ASSERT_EQ(chunks.size(), 3u);
    const std::string raw = inflateStored(chunks[1].data);
    ASSERT_EQ(raw.size(), size_t(height * (1 + width * 3)));
    for (int y = 0; y < height; ++y) {
        EXPECT_EQ(raw[y * (1 + width * 3)], '\0') << "filter of row " << y;
        for (int i = 0; i < width * 3; ++i)
            EXPECT_EQ(uint8_t(raw[y * (1 + width * 3) + 1 + i]), pixels[y * width * 3 + i]);
    }
}

TEST(PngWriter, largeImageSpansSeveralStoredBlocks) {
    // 640 x 480 is the demo's frame: 922,080 raw bytes, fifteen blocks.
    const int width = 640, height = 480;
    std::vector<uint8_t> pixels(width * height * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i % 251);
    const auto chunks = chunksOf(encodePng(width, height, pixels.data()));
    ASSERT_EQ(chunks.size(), 3u);
    const std::string raw = inflateStored(chunks[1].data);
    ASSERT_EQ(raw.size(), size_t(height) * (1 + width * 3));
    EXPECT_EQ(uint8_t(raw.back()), pixels.back());
    EXPECT_EQ(uint8_t(raw[1 + width * 3 + 1]), pixels[width * 3]);
}

TEST(PngWriter, emptyOrMissingImageGivesNothing) {
    const uint8_t pixel[3] = {1, 2, 3};
    EXPECT_TRUE(encodePng(0, 1, pixel).empty());
    EXPECT_TRUE(encodePng(1, 0, pixel).empty());
    EXPECT_TRUE(encodePng(-4, 2, pixel).empty());
    EXPECT_TRUE(encodePng(1, 1, nullptr).empty());
    EXPECT_FALSE(encodePng(1, 1, pixel).empty());
}

}  // namespace
}  // namespace arvel
