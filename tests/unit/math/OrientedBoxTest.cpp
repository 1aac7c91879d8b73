#include "core/math/OrientedBox.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/math/BoundingBox.h"

namespace arvel {
namespace {

// Rotation about z by the given angle in degrees.
Matrix4 turnZ(float degrees) {
    float a = degrees * 3.14159265f / 180.0f;
    Matrix4 r;
    r[0] = std::cos(a);
    r[1] = std::sin(a);
    r[4] = -std::sin(a);
    r[5] = std::cos(a);
    return r;
}

TEST(OrientedBoxShape, StartsAsTheUnitCube) {
    OrientedBox box;
    auto c = box.corners();
    EXPECT_EQ(c[0], (Vector4{-1, -1, -1, 1}));
    EXPECT_EQ(c[1], (Vector4{1, -1, -1, 1}));
    EXPECT_EQ(c[2], (Vector4{-1, 1, -1, 1}));
    EXPECT_EQ(c[4], (Vector4{-1, -1, 1, 1}));
    EXPECT_EQ(c[7], (Vector4{1, 1, 1, 1}));
    EXPECT_EQ(box.matrix(), Matrix4());
}

TEST(OrientedBoxShape, TransformedAppliesTheNewMatrixAfterTheBoxs) {
    auto moved = OrientedBox(Matrix4::translation(1, 0, 0)).transformed(Matrix4::scaling(2, 2, 2));
    EXPECT_EQ(moved->matrix()[0], 2.0f);
    EXPECT_EQ(moved->matrix()[12], 2.0f);
}

TEST(OrientedBoxContains, NoToleranceOutsideTheCube) {
    OrientedBox box(Matrix4::translation(5, 0, 0) * Matrix4::scaling(2, 1, 1));
    EXPECT_TRUE(box.contains({6.9f, 0, 0, 0}));
    EXPECT_TRUE(box.contains({7, 1, -1, 0}));
    EXPECT_FALSE(box.contains({7.001f, 0, 0, 0}));
    EXPECT_FALSE(box.contains({5, 0, 1.001f, 0}));
}

TEST(OrientedBoxContains, FollowsTheBoxsOrientation) {
    OrientedBox box(turnZ(45) * Matrix4::scaling(2, 1, 1));  // long axis along the diagonal
    EXPECT_TRUE(box.contains({1.2f, 1.2f, 0, 0}));
    EXPECT_FALSE(box.contains({-1, 1, 0, 0}));
}

TEST(OrientedBoxContains, NewMatrixDropsTheKeptInverse) {
    OrientedBox box;
    EXPECT_FALSE(box.contains({1.5f, 0, 0, 0}));
    box.setMatrix(Matrix4::scaling(2, 1, 1));
    EXPECT_TRUE(box.contains({1.5f, 0, 0, 0}));
}

TEST(OrientedBoxContains, FlatBoxHoldsPointsOnItsPlane) {
    // A portal's box: no extent in z.
    auto flat = BoundingBox({0, 0, 0, 0}, {2, 2, 0, 0}).transformed(Matrix4());
    EXPECT_TRUE(flat->contains({1, 1, 0, 0}));
    EXPECT_TRUE(flat->contains({1, 1, 0.001f, 0}));
    EXPECT_FALSE(flat->contains({1, 1, 0.01f, 0}));
    EXPECT_FALSE(flat->contains({3, 1, 0, 0}));
}

TEST(OrientedBoxContains, PointBoxHoldsOnlyItsPoint) {
    auto point = BoundingBox({4, 5, 6, 0}, {4, 5, 6, 0}).transformed(Matrix4());
    EXPECT_TRUE(point->contains({4, 5, 6, 0}));
    EXPECT_FALSE(point->contains({4, 5.1f, 6, 0}));
}

TEST(OrientedBoxQueries, ClosestPointIsClampedInTheBoxsSpace) {
    OrientedBox box(Matrix4::translation(5, 0, 0) * Matrix4::scaling(2, 1, 1));
    Vector4 q = box.closestPoint({10, 3, 0, 0});
    EXPECT_FLOAT_EQ(q.x, 7.0f);
    EXPECT_FLOAT_EQ(q.y, 1.0f);
    EXPECT_FLOAT_EQ(q.z, 0.0f);
    EXPECT_FLOAT_EQ(box.distance({10, 3, 0, 0}), std::sqrt(13.0f));
    EXPECT_EQ(box.distance({5, 0, 0, 0}), 0.0f);
}

TEST(OrientedBoxQueries, ClassifyAgainstPlanes) {
    OrientedBox box(Matrix4::translation(5, 0, 0) * Matrix4::scaling(2, 1, 1));
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, -5}), 3);  // through the centre
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, -8}), kNegativeSide);
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, 0}), kPositiveSide);
    // Box runs from x = 3 to 7: planes just inside either end still cut it.
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, -3.5f}), 3);
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, -6.5f}), 3);
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, -2.5f}), kPositiveSide);
    EXPECT_EQ(box.classify({{-1, 0, 0, 0}, 7.5f}), kPositiveSide);
}

TEST(OrientedBoxQueries, StretchedBoxReachesAcrossAnObliquePlane) {
    // x from -10 to 10, y from -1 to 1; the plane x + y = 10.5 cuts off the corner (10, 1).
    OrientedBox box(Matrix4::scaling(10, 1, 1));
    const float s = std::sqrt(0.5f);
    EXPECT_EQ(box.classify({{s, s, 0, 0}, -10.5f * s}), 3);
    EXPECT_EQ(box.classify({{s, s, 0, 0}, -11.5f * s}), kNegativeSide);
}

TEST(OrientedBoxQueries, RotatedBoxClassifiesByItsTurnedAxes) {
    OrientedBox box(turnZ(90) * Matrix4::scaling(10, 1, 1));  // now long along y
    EXPECT_EQ(box.classify({{0, 1, 0, 0}, -5}), 3);
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, -5}), kNegativeSide);
}

}  // namespace
}  // namespace arvel
