#include "core/PngFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shared/TempDir.h"

namespace arvel {
namespace {

// Gradients with a little noise: every filter and byte value turns up.
RgbImage pattern(int width, int height) {
    RgbImage image{width, height, {}};
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            image.rgb.push_back(static_cast<uint8_t>(x * 7));
            image.rgb.push_back(static_cast<uint8_t>(y * 11));
            image.rgb.push_back(static_cast<uint8_t>(noise >> 24));
        }
    }
    return image;
}

void expectSame(const RgbImage& actual, const RgbImage& expected) {
    EXPECT_EQ(actual.width, expected.width);
    EXPECT_EQ(actual.height, expected.height);
    EXPECT_TRUE(actual.rgb == expected.rgb);
}

TEST(PngFile, pixelsComeBackExactly) {
    for (const auto& [width, height] : {std::pair{1, 1}, {37, 19}, {300, 2}, {2, 300}}) {
        const RgbImage image = pattern(width, height);
        const std::string png = encodePng(width, height, image.rgb.data());
        ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        RgbImage decoded;
        ASSERT_TRUE(decodePng(png, decoded)) << width << " x " << height;
        expectSame(decoded, image);
        EXPECT_EQ(decoded.pixel(width - 1, height - 1)[2], image.rgb.back());
    }
}

TEST(PngFile, screenshotSizedPictureIsCompressed) {
    RgbImage image{640, 480, std::vector<uint8_t>(640 * 480 * 3, 0)};
    for (size_t i = 0; i < image.rgb.size(); i += 3) image.rgb[i] = static_cast<uint8_t>(i / 7680);
    const std::string png = encodePng(image.width, image.height, image.rgb.data());
    EXPECT_LT(png.size(), image.rgb.size() / 20);
    RgbImage decoded;
    ASSERT_TRUE(decodePng(png, decoded));
    expectSame(decoded, image);
}

TEST(PngFile, filesRoundTripAndBadOnesAreRefused) {
    test::TempDir dir;
    const RgbImage image = pattern(23, 17);
    ASSERT_TRUE(writePng(dir.path() / "picture.png", image));
    RgbImage read;
    ASSERT_TRUE(readPng(dir.path() / "picture.png", read));
    expectSame(read, image);

    // A refused file leaves nothing of an earlier picture behind.
    EXPECT_FALSE(readPng(dir.path() / "missing.png", read));
    EXPECT_EQ(read.width, 0);
    EXPECT_TRUE(read.rgb.empty());
    EXPECT_FALSE(readPng(dir.write("text.png", "not a picture"), read));

    const std::string png = dir.read("picture.png");
    EXPECT_FALSE(decodePng(png.substr(0, png.size() / 2), read)) << "truncated";
    EXPECT_FALSE(decodePng(png.substr(8), read)) << "no signature";
    EXPECT_TRUE(read.rgb.empty());
}

TEST(PngFile, emptyOrMismatchedImageWritesNothing) {
    const uint8_t pixel[3] = {1, 2, 3};
    EXPECT_TRUE(encodePng(0, 1, pixel).empty());
    EXPECT_TRUE(encodePng(1, 0, pixel).empty());
    EXPECT_TRUE(encodePng(-4, 2, pixel).empty());
    EXPECT_TRUE(encodePng(1, 1, nullptr).empty());
    EXPECT_FALSE(encodePng(1, 1, pixel).empty());

    test::TempDir dir;
    EXPECT_FALSE(writePng(dir.path() / "short.png", RgbImage{2, 2, {1, 2, 3}}));
    EXPECT_FALSE(writePng(dir.path() / "empty.png", RgbImage{}));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "short.png"));
    EXPECT_FALSE(writePng(dir.path() / "no folder" / "x.png", pattern(2, 2)));
}

}  // namespace
}  // namespace arvel
