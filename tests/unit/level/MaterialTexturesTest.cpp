// The demo's generated surface textures: they tile, and their normal maps hold unit
// normals that lean the way their height fields slope.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "MaterialTextures.h"

namespace arvel::content {
namespace {

float decode(uint8_t value) { return static_cast<float>(value) / 255.0f * 2.0f - 1.0f; }

TEST(MaterialTexturesTest, everyPatternTilesAcrossBothSeams) {
    for (const std::string& name : surfacePatternNames()) {
        const SurfacePattern p = surfacePattern(name, 64);
        float inner = 0.0f, seamX = 0.0f, seamY = 0.0f;
        for (int i = 0; i < p.size; ++i) {
            for (int j = 0; j + 1 < p.size; ++j) {
                inner = std::max(inner, std::abs(p.heightAt(j + 1, i) - p.heightAt(j, i)));
                inner = std::max(inner, std::abs(p.heightAt(i, j + 1) - p.heightAt(i, j)));
            }
            seamX = std::max(seamX, std::abs(p.heightAt(0, i) - p.heightAt(p.size - 1, i)));
            seamY = std::max(seamY, std::abs(p.heightAt(i, 0) - p.heightAt(i, p.size - 1)));
        }
        EXPECT_LE(seamX, inner) << name;
        EXPECT_LE(seamY, inner) << name;
    }
}

TEST(MaterialTexturesTest, everyPatternHasRelief) {
    for (const std::string& name : surfacePatternNames()) {
        const SurfacePattern p = surfacePattern(name, 64);
        const auto [low, high] = std::minmax_element(p.height.begin(), p.height.end());
        EXPECT_GT(*high - *low, 0.5f) << name;
        EXPECT_EQ(p.colour.width, 64);
        EXPECT_EQ(p.colour.channels, 3);
    }
}

TEST(MaterialTexturesTest, normalMapsHoldUnitNormalsOutOfTheSurface) {
    for (const std::string& name : surfacePatternNames()) {
        const Image normals = normalMap(surfacePattern(name, 32), 6.0f);
        for (int y = 0; y < normals.height; ++y) {
            for (int x = 0; x < normals.width; ++x) {
                const uint8_t* n = normals.at(x, y);
                const float l =
                    std::sqrt(decode(n[0]) * decode(n[0]) + decode(n[1]) * decode(n[1]) +
                              decode(n[2]) * decode(n[2]));
                ASSERT_NEAR(l, 1.0f, 0.02f) << name << " " << x << ", " << y;
                ASSERT_GT(decode(n[2]), 0.0f);
            }
        }
    }
}

TEST(MaterialTexturesTest, normalsLeanAgainstTheSlopeWithVUpTheImage) {
    SurfacePattern rising;  // higher to the right
    rising.size = 16;
    SurfacePattern falling;  // lower down the image, so higher up it (along v)
    falling.size = 16;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            rising.height.push_back(static_cast<float>(x) / 16.0f);
            falling.height.push_back(1.0f - static_cast<float>(y) / 16.0f);
        }
    }
    const Image a = normalMap(rising, 4.0f);
    EXPECT_LT(decode(a.at(8, 8)[0]), -0.1f);
    EXPECT_NEAR(decode(a.at(8, 8)[1]), 0.0f, 0.01f);
    const Image b = normalMap(falling, 4.0f);
    EXPECT_NEAR(decode(b.at(8, 8)[0]), 0.0f, 0.01f);
    EXPECT_LT(decode(b.at(8, 8)[1]), -0.1f);
}

TEST(MaterialTexturesTest, unknownNamesAndTinySizesAreRefused) {
    EXPECT_THROW(surfacePattern("marble", 64), std::invalid_argument);
    EXPECT_THROW(surfacePattern("brick", 4), std::invalid_argument);
}

TEST(MaterialTexturesTest, aFlatImageIsOneColourEverywhere) {
    const Image white = flatImage(8, 255, 255, 255);
    EXPECT_EQ(white.pixels.size(), 8u * 8u * 3u);
    EXPECT_EQ(std::count(white.pixels.begin(), white.pixels.end(), 255), 8 * 8 * 3);
}

}  // namespace
}  // namespace arvel::content
