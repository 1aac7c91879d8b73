#include <gtest/gtest.h>

#include <cmath>

#ifdef ARVEL_HAVE_IMPORTER
#include "ImportSkeleton.h"
#include "world/SceneNode.h"

namespace arvel {
namespace {

using content::BoneKey;
using content::decomposeTransform;

// The local matrix the engine builds from the key (rotation, then scale along the
// parent's axes, then translation).
Matrix4 engineMatrix(const BoneKey& key) {
    SceneNode node;
    node.position = {key.position[0], key.position[1], key.position[2], 0};
    node.setOrientation(key.rotation.angle,
                        {key.rotation.axis[0], key.rotation.axis[1], key.rotation.axis[2], 0});
    node.scale = {key.scale[0], key.scale[1], key.scale[2], 0};
    node.updateLocalMatrix();
    return node.localMatrix;
}

// Largest difference between the engine's matrix and assimp's (row r, column c is
// m[4c + r] in the engine).
float difference(const Matrix4& engine, const aiMatrix4x4& model) {
    float largest = 0;
    for (unsigned r = 0; r < 4; ++r)
        for (unsigned c = 0; c < 4; ++c)
            largest = std::max(
                largest,
                std::fabs(engine.at(static_cast<int>(r), static_cast<int>(c)) - model[r][c]));
    return largest;
}

// Translation x rotation x scale, the scale along the node's own axes.
aiMatrix4x4 trs(aiVector3D translation, aiVector3D axis, float angle, aiVector3D scaling) {
    aiMatrix4x4 t, r(aiQuaternion(axis.Normalize(), angle).GetMatrix()), s;
    aiMatrix4x4::Translation(translation, t);
    aiMatrix4x4::Scaling(scaling, s);
    return t * r * s;
}

TEST(BoneKeyTest, RigidTransformsComeBackExactly) {
    const aiMatrix4x4 cases[] = {
        aiMatrix4x4(),
        trs({1, -2, 3}, {0, 0, 1}, 0, {1, 1, 1}),
        trs({0, 0, 0}, {0, 1, 0}, 1.2f, {1, 1, 1}),
        trs({4, 5, 6}, {1, 2, 3}, 2.9f, {1, 1, 1}),
        trs({-1, 0, 2}, {0.3f, -1, 0.2f}, 3.14159f, {1, 1, 1}),  // half a turn: w = 0
        trs({0, 1, 0}, {1, 1, 0}, -0.7f, {2.5f, 2.5f, 2.5f}),    // uniform scale
    };
    for (const aiMatrix4x4& m : cases) {
        const BoneKey key = decomposeTransform(m);
        EXPECT_FALSE(key.approximated);
        EXPECT_LT(difference(engineMatrix(key), m), 1e-5f);
    }
}

TEST(BoneKeyTest, AMirrorBecomesOneNegativeScale) {
    const aiMatrix4x4 m = trs({1, 2, 3}, {0, 1, 1}, 0.8f, {-1, 1, 1});
    const BoneKey key = decomposeTransform(m);
    EXPECT_FALSE(key.approximated);
    EXPECT_LT(key.scale[0] * key.scale[1] * key.scale[2], 0.0f);
    EXPECT_LT(difference(engineMatrix(key), m), 1e-5f);
}

TEST(BoneKeyTest, ScaleAlongTheParentsAxesIsExact) {
    // Non-uniform scale before any rotation scales the rows: what the engine builds.
    aiMatrix4x4 m = trs({0, 0, 0}, {0, 0, 1}, 0.6f, {1, 1, 1});
    aiMatrix4x4 scaling;
    aiMatrix4x4::Scaling(aiVector3D(1, 3, 0.5f), scaling);
    m = scaling * m;
    const BoneKey key = decomposeTransform(m);
    EXPECT_FALSE(key.approximated);
    EXPECT_LT(difference(engineMatrix(key), m), 1e-5f);
}

TEST(BoneKeyTest, NonUniformScaleUnderRotationIsFlaggedAsApproximated) {
    const aiMatrix4x4 m = trs({0, 0, 0}, {0, 0, 1}, 0.6f, {1, 3, 1});
    const BoneKey key = decomposeTransform(m);
    EXPECT_TRUE(key.approximated);
    EXPECT_GT(difference(engineMatrix(key), m), 0.1f);
}

TEST(BoneKeyTest, ACollapsedAxisIsFlaggedAndStaysFinite) {
    aiMatrix4x4 m;
    m.b2 = 0;
    const BoneKey key = decomposeTransform(m);
    EXPECT_TRUE(key.approximated);
    EXPECT_TRUE(std::isfinite(key.rotation.angle));
}

TEST(BoneKeyTest, RotationKeysCarryTheEnginesAngleSign) {
    // The engine's q = (cos(-angle/2), sin(-angle/2) axis): a quarter turn about +z
    // (taking x to y) is written as angle -pi/2.
    const content::MshRotationKey key =
        content::rotationKey(aiQuaternion(aiVector3D(0, 0, 1), 1.5707963f));
    EXPECT_NEAR(key.angle, -1.5707963f, 1e-6f);
    EXPECT_NEAR(key.axis[2], 1.0f, 1e-6f);
    const Quaternion q =
        Quaternion::fromAngleAxis(key.angle, {key.axis[0], key.axis[1], key.axis[2], 0});
    EXPECT_NEAR(q.w, 0.70710678f, 1e-6f);
    EXPECT_NEAR(q.z, 0.70710678f, 1e-6f);
    EXPECT_EQ(content::rotationKey(aiQuaternion()).angle, 0.0f);
}

TEST(BoneKeyTest, FramesAreTheLengthOverATenthOfASecond) {
    EXPECT_EQ(content::frameCountFor(0), 1);
    EXPECT_EQ(content::frameCountFor(-3), 1);
    EXPECT_EQ(content::frameCountFor(std::nan("")), 1);
    EXPECT_EQ(content::frameCountFor(0.01), 2);  // anything that lasts has two ends
    EXPECT_EQ(content::frameCountFor(3.3), 33);
    EXPECT_EQ(content::frameCountFor(0.96), 10);
    EXPECT_EQ(content::frameCountFor(1e12), 36000);
}

}  // namespace
}  // namespace arvel
#endif
