// The pixel work before uploads: power-of-two sides, padding, bilinear resampling and
// the box filter, for byte and float images. No display needed.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "varnet/TextureImage.h"

namespace arvel::varnet {
namespace {

TEST(PowerOfTwoTest, SmallestPowerNotBelow) {
    EXPECT_EQ(powerOfTwoAtLeast(0), 1);
    EXPECT_EQ(powerOfTwoAtLeast(1), 1);
    EXPECT_EQ(powerOfTwoAtLeast(5), 8);
    EXPECT_EQ(powerOfTwoAtLeast(64), 64);
    EXPECT_EQ(powerOfTwoAtLeast(100), 128);
    EXPECT_EQ(powerOfTwoAtLeast(50), 64);
    EXPECT_EQ(powerOfTwoAtLeast(-3), 1);
}

TEST(PowerOfTwoTest, SidesTooLargeForAnIntGiveZero) {
    EXPECT_EQ(powerOfTwoAtLeast(1 << 30), 1 << 30);
    EXPECT_EQ(powerOfTwoAtLeast((1 << 30) + 1), 0);
}

TEST(PowerOfTwoTest, RecognisesPowersOfTwo) {
    EXPECT_TRUE(isPowerOfTwo(1));
    EXPECT_TRUE(isPowerOfTwo(64));
    EXPECT_FALSE(isPowerOfTwo(0));
    EXPECT_FALSE(isPowerOfTwo(100));
    EXPECT_FALSE(isPowerOfTwo(-4));
}

TEST(PadImageTest, SourceInTheLowerLeftZerosElsewhere) {
    // 3 x 2 RGB, bottom row first.
    std::vector<uint8_t> source;
    for (int i = 0; i < 6; ++i) {
        for (int k = 0; k < 3; ++k) source.push_back(static_cast<uint8_t>(10 * i + k + 1));
    }
    const std::vector<uint8_t> out = padImage(source.data(), 3, 2, 3);
    ASSERT_EQ(out.size(), 4u * 2u * 3u);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int k = 0; k < 3; ++k) {
                const int expected = x < 3 ? 10 * (y * 3 + x) + k + 1 : 0;
                EXPECT_EQ(out[(y * 4 + x) * 3 + k], expected) << x << "," << y << "," << k;
            }
        }
    }
}

TEST(PadImageTest, NullSourceGivesZeroImageOfPaddedSize) {
    const std::vector<float> out = padImage<float>(nullptr, 100, 50, 4);
    ASSERT_EQ(out.size(), 128u * 64u * 4u);
    for (float v : out) ASSERT_EQ(v, 0.0f);
}

TEST(PadImageTest, ZeroSidesBecomeOnePixel) {
    EXPECT_EQ(padImage<uint8_t>(nullptr, 0, 0, 3).size(), 3u);
}

TEST(ResampleImageTest, PowerOfTwoSourceIsCopiedUnchanged) {
    std::vector<uint8_t> source(4 * 2);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 30);
    EXPECT_EQ(resampleImage(source.data(), 4, 2, 1), source);
}

TEST(ResampleImageTest, BytesInterpolateTruncateAndWrapAtTheRight) {
    // 3 x 1 -> 4 x 1: pixel i samples x = 3i / 4.
    const uint8_t source[3] = {0, 100, 255};
    const std::vector<uint8_t> out = resampleImage(source, 3, 1, 1);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], 0);    // x = 0
    EXPECT_EQ(out[1], 75);   // x = 0.75: 0 * 0.25 + 100 * 0.75
    EXPECT_EQ(out[2], 177);  // x = 1.5: 177.5 truncated
    EXPECT_EQ(out[3], 191);  // x = 2.25: 255 * 0.75 + pixel 0 (wrapped) * 0.25 = 191.25
}

TEST(ResampleImageTest, RowsWrapAtTheTop) {
    // 1 x 3 -> 1 x 4, one column: rows sample y = 3j / 4.
    const uint8_t source[3] = {200, 0, 40};
    const std::vector<uint8_t> out = resampleImage(source, 1, 3, 1);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], 200);
    EXPECT_EQ(out[1], 50);  // 200 * 0.25
    EXPECT_EQ(out[2], 20);  // (0 + 40) / 2
    EXPECT_EQ(out[3], 80);  // 40 * 0.75 + 200 * 0.25
}

TEST(ResampleImageTest, FloatsKeepFractions) {
    const float source[3] = {0.0f, 1.0f, 3.0f};
    const std::vector<float> out = resampleImage(source, 3, 1, 1);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_FLOAT_EQ(out[1], 0.75f);
    EXPECT_FLOAT_EQ(out[2], 2.0f);
    EXPECT_FLOAT_EQ(out[3], 2.25f);  // 3 * 0.75 + 0 * 0.25
}

TEST(ResampleImageTest, KeepsChannelsApart) {
    // 3 x 1 RGB: red ramps, green constant, blue zero.
    const uint8_t source[9] = {0, 90, 0, 120, 90, 0, 240, 90, 0};
    const std::vector<uint8_t> out = resampleImage(source, 3, 1, 3);
    ASSERT_EQ(out.size(), 12u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out[i * 3 + 1], 90) << i;
        EXPECT_EQ(out[i * 3 + 2], 0) << i;
    }
    EXPECT_EQ(out[1 * 3], 90);  // 120 * 0.75
}

TEST(HalveImageTest, ByteMeanIsTheSumShiftedRight) {
    // 2 x 2 -> 1 x 1: (1 + 2 + 2 + 2) >> 2 = 1 (7 / 4 truncated).
    const uint8_t source[4] = {1, 2, 2, 2};
    const std::vector<uint8_t> out = halveImage(source, 2, 2, 1);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], 1);
}

TEST(HalveImageTest, FloatMeanIsExact) {
    const float source[4] = {1.0f, 2.0f, 2.0f, 2.0f};
    const std::vector<float> out = halveImage(source, 2, 2, 1);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_FLOAT_EQ(out[0], 1.75f);
}

TEST(HalveImageTest, ANarrowSideWrapsOntoItself) {
    // 1 x 4 -> 1 x 2: column 2i + 1 wraps to column 0, so rows average in pairs.
    const uint8_t source[4] = {10, 30, 100, 200};
    const std::vector<uint8_t> out = halveImage(source, 1, 4, 1);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], 20);   // (10 + 10 + 30 + 30) / 4
    EXPECT_EQ(out[1], 150);  // (100 + 100 + 200 + 200) / 4
}

TEST(HalveImageTest, ChainOfAOneHundredTwentyEightBySixtyFourImageEndsAtOnePixel) {
    std::vector<uint8_t> level(128 * 64 * 4, 77);
    int w = 128, h = 64, levels = 1;
    while (w > 1 || h > 1) {
        level = halveImage(level.data(), w, h, 4);
        w = w / 2 > 1 ? w / 2 : 1;
        h = h / 2 > 1 ? h / 2 : 1;
        ASSERT_EQ(level.size(), static_cast<size_t>(w) * h * 4);
        ++levels;
    }
    EXPECT_EQ(levels, 8);
    for (uint8_t v : level) EXPECT_EQ(v, 77);  // a flat image stays flat
}

}  // namespace
}  // namespace arvel::varnet
