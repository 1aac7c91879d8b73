#include <gtest/gtest.h>

#include <vector>

#include "shared/SkinArrays.h"
#include "world/Skinning.h"

namespace arvel {
namespace {

using test::SkinArrays;

constexpr float kHalfPi = 1.57079632679f;

// --- where a track stands ---

TEST(KeyPosition, OneKeyAlwaysYieldsThatKey) {
    for (uint32_t ms : {0u, 1u, 50u, 99u, 100u, 12345u, 0xFFFFFFFFu}) {
        const KeyPosition at = keyPositionAt(1, ms);
        EXPECT_EQ(at.key, 0);
        EXPECT_EQ(at.next, 0);
        EXPECT_EQ(at.fraction, 0.0f);
    }
    const Vector4 key{3, 4, 5, 0};
    EXPECT_EQ(sampleKeys(&key, 1, 777), key);
}

TEST(KeyPosition, ZeroAndWholeLengthsGiveKeyZeroExactly) {
    // Three keys: 300 ms long.
    for (uint32_t ms : {0u, 300u, 600u, 300000u, 300u * 14316557u}) {
        const KeyPosition at = keyPositionAt(3, ms);
        EXPECT_EQ(at.key, 0) << ms;
        EXPECT_EQ(at.fraction, 0.0f) << ms;
        EXPECT_EQ(at.next, 1) << ms;
    }
}

TEST(KeyPosition, JustBeforeTheLengthApproachesTheLastKey) {
    const KeyPosition at = keyPositionAt(3, 299);
    EXPECT_EQ(at.key, 1);
    EXPECT_EQ(at.next, 2);
    EXPECT_NEAR(at.fraction, 2.0f * 299.0f / 300.0f - 1.0f, 1e-6f);

    const std::vector<Vector4> keys{{0, 0, 0, 0}, {10, 0, 0, 0}, {20, 0, 0, 0}};
    EXPECT_NEAR(sampleKeys(keys.data(), 3, 299).x, 20.0f * 299.0f / 300.0f, 1e-4f);
    EXPECT_EQ(sampleKeys(keys.data(), 3, 300).x, 0.0f);
}

TEST(KeyPosition, TheClockWrapKeepsElapsedTimePositive) {
    EXPECT_EQ(elapsedSince(0xFFFFFF00u, 0x64u), 0x164u);
    EXPECT_EQ(elapsedSince(0xFFFFFFFFu, 0u), 1u);
    EXPECT_EQ(elapsedSince(5u, 5u), 0u);
    // Five keys, 500 ms: 356 ms into the cycle is s = 2.848.
    const KeyPosition at = keyPositionAt(5, elapsedSince(0xFFFFFF00u, 0x64u));
    EXPECT_EQ(at.key, 2);
    EXPECT_NEAR(at.fraction, 0.848f, 1e-5f);
}

// --- interpolation ---

TEST(Interpolation, ZeroAxisRotationKeyIsTheIdentity) {
    EXPECT_EQ(Quaternion::fromAngleAxis(1.3f, {0, 0, 0, 0}), Quaternion{});
    EXPECT_EQ(Quaternion::fromAngleAxis(-7.0f, {0.001f, 0, 0, 0}), Quaternion{});
}

TEST(Interpolation, QuaternionThenItsNegationDoesNotTurn) {
    const Quaternion q = Quaternion::fromAngleAxis(1.0f, {1, 2, 3, 0});
    const Quaternion minusQ{-q.w, -q.x, -q.y, -q.z};
    const Quaternion keys[2] = {q, minusQ};
    for (uint32_t ms : {0u, 25u, 50u, 99u}) {
        const Quaternion r = sampleKeys(keys, 2, ms);
        EXPECT_FLOAT_EQ(r.w, q.w) << ms;
        EXPECT_FLOAT_EQ(r.x, q.x) << ms;
        EXPECT_FLOAT_EQ(r.y, q.y) << ms;
        EXPECT_FLOAT_EQ(r.z, q.z) << ms;
    }
}

TEST(Interpolation, SphericalTakesTheShortWayAtConstantSpeed) {
    // 0 and 90 degrees about z; half-way is 45 degrees, still of unit length.
    const Quaternion a{};
    const Quaternion b = Quaternion::fromAngleAxis(kHalfPi, {0, 0, 1, 0});
    const Quaternion half = interpolateSpherical(a, b, 0.5f);
    const Quaternion expected = Quaternion::fromAngleAxis(kHalfPi / 2, {0, 0, 1, 0});
    EXPECT_NEAR(half.w, expected.w, 1e-6f);
    EXPECT_NEAR(half.z, expected.z, 1e-6f);
    EXPECT_NEAR(half.w * half.w + half.z * half.z, 1.0f, 1e-6f);
    // 350 degrees is -10 degrees: the blend goes through -5, not through 175.
    const Quaternion far = Quaternion::fromAngleAxis(6.10865238f, {0, 0, 1, 0});
    const Quaternion near = interpolateSpherical(a, far, 0.5f);
    const Quaternion minusFive = Quaternion::fromAngleAxis(-0.0872664626f, {0, 0, 1, 0});
    EXPECT_NEAR(near.w, minusFive.w, 1e-5f);
    EXPECT_NEAR(near.z, minusFive.z, 1e-5f);
}

// --- skinning over plain arrays ---

// Two positions, the first without influences, and three vertices.
SkinArrays twoPositions() {
    SkinArrays data;
    data.bind = {{1, 2, 3, 0}, {0, 1, 0, 0}};
    data.influenceStart = {0, 0, 2};  // position 0 has none
    data.influences = {{0, 0.25f}, {1, 0.75f}};
    data.skin = {Matrix4::translation(4, 0, 0), Matrix4::scaling(2, 2, 2)};
    data.vertexStart = {0, 1, 3};
    data.sources = {
        {2, {1, 0, 0}, {0, 1, 0}}, {0, {0, 0, 1}, {1, 0, 0}}, {1, {0, 3, 0}, {0, 0, 0}}};
    data.positions = std::vector<RenderPosition>(2, {9, 9, 9, 9});
    data.vertices = std::vector<RenderVertex>(3);
    return data;
}

TEST(SkinMesh, PositionWithoutInfluencesGoesToTheOrigin) {
    SkinArrays data = twoPositions();
    SkinJob job = data.job();
    skinMesh(job);
    EXPECT_EQ(data.positions[0].x, 0.0f);
    EXPECT_EQ(data.positions[0].y, 0.0f);
    EXPECT_EQ(data.positions[0].z, 0.0f);
    // Its vertex (2) loses its frame: a zero direction stays zero.
    EXPECT_EQ(data.vertices[2].normal[0], 0.0f);
    EXPECT_EQ(data.vertices[2].tangent[1], 0.0f);
}

TEST(SkinMesh, WeightsBlendTheTransformedPositionsAndDirections) {
    SkinArrays data = twoPositions();
    SkinJob job = data.job();
    skinMesh(job);
    // 0.25 (0 + 4, 1, 0) + 0.75 (0, 2, 0)
    EXPECT_FLOAT_EQ(data.positions[1].x, 1.0f);
    EXPECT_FLOAT_EQ(data.positions[1].y, 1.75f);
    EXPECT_FLOAT_EQ(data.positions[1].z, 0.0f);
    EXPECT_EQ(data.positions[1].w, 0.0f);
    // Directions: 0.25 d + 0.75 (2 d) = 1.75 d, normalised.
    EXPECT_FLOAT_EQ(data.vertices[0].normal[2], 1.0f);
    EXPECT_FLOAT_EQ(data.vertices[0].tangent[0], 1.0f);
    EXPECT_FLOAT_EQ(data.vertices[1].normal[1], 1.0f);
    // The bounds cover both skinned positions.
    EXPECT_EQ(job.boundsMin, (Vector4{0, 0, 0, 0}));
    EXPECT_EQ(job.boundsMax, (Vector4{1, 1.75f, 0, 0}));
}

}  // namespace
}  // namespace arvel
