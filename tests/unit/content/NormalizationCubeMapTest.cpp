// The world's default texture: a normalization cube map whose texels hold the unit
// direction through them, in the face order and orientation the graphics API samples.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "FpfWriter.h"
#include "NormalizationCubeMap.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "render/Texture.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"

namespace arvel::content {
namespace {

float decode(uint8_t value) { return static_cast<float>(value) / 255.0f * 2.0f - 1.0f; }

TEST(NormalizationCubeMap, EveryTexelHoldsAUnitVectorTowardsItsFace) {
    const int size = 16;
    const std::vector<Image> faces = normalizationCubeMap(size);
    ASSERT_EQ(faces.size(), 6u);
    // Face f points along axis f / 2, positive for even f.
    for (int face = 0; face < 6; ++face) {
        ASSERT_EQ(faces[face].width, size);
        ASSERT_EQ(faces[face].channels, 3);
        const int axis = face / 2;
        const float sign = face % 2 == 0 ? 1.0f : -1.0f;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const uint8_t* p = faces[face].at(x, y);
                const float d[3] = {decode(p[0]), decode(p[1]), decode(p[2])};
                const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
                EXPECT_NEAR(length, 1.0f, 0.02f) << "face " << face << " at " << x << ", " << y;
                EXPECT_GT(d[axis] * sign, 0.5f) << "face " << face << " at " << x << ", " << y;
            }
        }
    }
}

// The graphics API's cube-map rules: on +X, s runs towards -z and t towards -y; on
// +Y, s runs towards +x and t towards +z; on +Z, s towards +x and t towards -y. t
// grows with the rows as they are handed over, which is bottom first.
TEST(NormalizationCubeMap, FacesRunTheWayTheApiSamplesThem) {
    const int size = 8;
    float d[3];
    cubeMapDirection(0, size, size - 1, size - 1, d);  // +X, largest s, smallest t
    EXPECT_LT(d[2], -0.5f);
    EXPECT_GT(d[1], 0.5f);
    cubeMapDirection(2, size, size - 1, 0, d);  // +Y, largest s, largest t
    EXPECT_GT(d[0], 0.5f);
    EXPECT_GT(d[2], 0.5f);
    cubeMapDirection(4, size, 0, 0, d);  // +Z, smallest s, largest t
    EXPECT_LT(d[0], -0.5f);
    EXPECT_LT(d[1], -0.5f);
    cubeMapDirection(5, size, 0, size - 1, d);  // -Z, smallest s, smallest t
    EXPECT_GT(d[0], 0.5f);
    EXPECT_GT(d[1], 0.5f);
}

TEST(NormalizationCubeMap, SizeBelowOneIsRefused) {
    EXPECT_THROW(normalizationCubeMap(0), std::invalid_argument);
}

TEST(NormalizationCubeMap, LoadsAsAClampedCubeMap) {
    setenv("ARVEL_NO_DIALOGS", "1", 1);
    test::TempDir folder;
    fileSystem().clear();
    ASSERT_TRUE(test::mountFolder(folder));
    FpfOptions options;
    options.cubeMap = true;
    folder.write("default.fpf", fpfBytes(normalizationCubeMap(4), options));

    Texture texture("default.fpf", true, true, true);
    texture.stream();
    fileSystem().clear();
    ASSERT_TRUE(texture.loaded());
    EXPECT_TRUE(texture.cubeMap());
    EXPECT_EQ(texture.width(), 4);
    EXPECT_EQ(texture.pixelFormat(), Texture::kFormatRgb);
    EXPECT_EQ(texture.wrapS(), Texture::kWrapClamp);
    EXPECT_EQ(texture.wrapR(), Texture::kWrapClamp);
    ASSERT_EQ(texture.image(0).size(), 4u * 4u * 3u * 6u);
}

}  // namespace
}  // namespace arvel::content
