#include <gtest/gtest.h>

#include <cmath>

#include "core/math/BoundingBox.h"
#include "core/math/Plane.h"
#include "core/math/Ray.h"

namespace arvel {
namespace {

const Plane kGround{{0, 0, 1, 0}, 0};  // z = 0, facing +z

TEST(PlaneConstruction, CounterClockwiseCornersFaceTheViewer) {
    Plane p = Plane::fromPoints({0, 0, 2, 0}, {1, 0, 2, 0}, {0, 1, 2, 0});
    EXPECT_EQ(p.normal, (Vector4{0, 0, 1, 0}));
    EXPECT_EQ(p.d, -2.0f);
    EXPECT_EQ(p.distance({5, 5, 7, 0}), 5.0f);
}

TEST(PlaneConstruction, CollinearPointsGiveAZeroNormal) {
    Plane p = Plane::fromPoints({0, 0, 0, 0}, {1, 1, 1, 0}, {2, 2, 2, 0});
    EXPECT_EQ(p.normal, (Vector4{0, 0, 0, 0}));
    EXPECT_EQ(p.distance({9, -3, 4, 0}), 0.0f);
}

TEST(PlaneTransform, TranslationMovesThePlane) {
    Plane p = kGround.transformed(Matrix4::translation(4, 4, 3));
    EXPECT_EQ(p.normal, (Vector4{0, 0, 1, 0}));
    EXPECT_FLOAT_EQ(p.d, -3.0f);
}

TEST(PlaneTransform, RotationTurnsTheNormal) {
    Matrix4 quarterTurnZ;
    quarterTurnZ[0] = 0;
    quarterTurnZ[1] = 1;
    quarterTurnZ[4] = -1;
    quarterTurnZ[5] = 0;
    Plane p = Plane{{1, 0, 0, 0}, -1}.transformed(quarterTurnZ);  // x = 1 becomes y = 1
    EXPECT_FLOAT_EQ(p.normal.x, 0.0f);
    EXPECT_FLOAT_EQ(p.normal.y, 1.0f);
    EXPECT_FLOAT_EQ(p.d, -1.0f);
}

TEST(PlaneTransform, UniformScaleKeepsUnitNormal) {
    Plane p =
        Plane{{0, 0, 1, 0}, -1}.transformed(Matrix4::scaling(2, 2, 2));  // z = 1 becomes z = 2
    EXPECT_EQ(p.normal, (Vector4{0, 0, 1, 0}));
    EXPECT_FLOAT_EQ(p.d, -2.0f);
}

TEST(PlaneTransform, StretchedMapKeepsImagePointsOnThePlane) {
    const float s = std::sqrt(0.5f);
    Plane p = Plane{{s, s, 0, 0}, 0}.transformed(
        Matrix4::scaling(2, 1, 1));  // x + y = 0 becomes x + 2y = 0
    EXPECT_FLOAT_EQ(p.normal.x, 1.0f / std::sqrt(5.0f));
    EXPECT_FLOAT_EQ(p.normal.y, 2.0f / std::sqrt(5.0f));
    EXPECT_NEAR(p.distance({2, -1, 7, 0}), 0.0f, 1e-6f);
}

TEST(RayConstruction, FromTwoPointsHasUnitDirectionAndTheirDistance) {
    Ray r = Ray::fromPoints({1, 2, 3, 0}, {1, 2, 7, 2}, 1, 6);
    EXPECT_EQ(r.direction, (Vector4{0, 0, 1, 0.5f}));  // w divided by the same length
    EXPECT_EQ(r.length, 4.0f);
    EXPECT_EQ(r.twoSided, 1);
    EXPECT_EQ(r.mask, 6);
}

TEST(RayConstruction, FromOnePointTwiceHasLengthZeroAndNoDirection) {
    Ray r = Ray::fromPoints({1, 2, 3, 0}, {1, 2, 3, 0}, 0, 0);
    EXPECT_EQ(r.length, 0.0f);
    EXPECT_EQ(r.direction, (Vector4{}));
    EXPECT_EQ(r.hitPlane(Plane{{0, 0, 1, 0}, -3}), 0.0f);
    EXPECT_EQ(r.hitPlane(kGround), kNoHit);
}

TEST(RayConstruction, FromDirectionIsNormalisedAndUnbounded) {
    Ray r = Ray::fromDirection({0, 0, 0, 0}, {0, 3, 4, 0});
    EXPECT_FLOAT_EQ(r.direction.y, 0.6f);
    EXPECT_FLOAT_EQ(r.direction.z, 0.8f);
    EXPECT_EQ(r.length, 3.4028235e38f);
}

TEST(RayPlane, HitsAtTheDistanceToThePlane) {
    EXPECT_EQ(Ray::fromDirection({0, 0, 5, 0}, {0, 0, -1, 0}).hitPlane(kGround), 5.0f);
    EXPECT_FLOAT_EQ(Ray::fromDirection({0, 0, 5, 0}, {0, 3, -4, 0}).hitPlane(kGround), 6.25f);
}

TEST(RayPlane, HitExactlyAtTheRaysEndCountsButBeyondDoesNot) {
    EXPECT_EQ(Ray::fromPoints({0, 0, 5, 0}, {0, 0, 0, 0}, 0, 0).hitPlane(kGround), 5.0f);
    EXPECT_EQ(Ray::fromPoints({0, 0, 5, 0}, {0, 0, 1, 0}, 0, 0).hitPlane(kGround), kNoHit);
}

TEST(RayPlane, OneSidedRayPassesThroughTheBackButTwoSidedHits) {
    Ray r = Ray::fromDirection({0, 0, -5, 0}, {0, 0, 1, 0});
    EXPECT_EQ(r.hitPlane(kGround), kNoHit);
    r.twoSided = 1;
    EXPECT_EQ(r.hitPlane(kGround), 5.0f);
}

TEST(RayPlane, PlaneBehindTheOriginIsMissed) {
    EXPECT_EQ(Ray::fromDirection({0, 0, -3, 0}, {0, 0, -1, 0}).hitPlane(kGround), kNoHit);
}

TEST(RayPlane, OriginWithinToleranceHitsAtZero) {
    EXPECT_EQ(Ray::fromDirection({0, 0, 0.001f, 0}, {0, 0, -1, 0}).hitPlane(kGround), 0.0f);
    EXPECT_EQ(Ray::fromDirection({0, 0, 0.001f, 0}, {1, 0, 0, 0}).hitPlane(kGround), 0.0f);
}

TEST(RayPlane, ParallelRayAwayFromThePlaneMisses) {
    EXPECT_EQ(Ray::fromDirection({0, 0, 0.00125f, 0}, {1, 0, 0, 0}).hitPlane(kGround), kNoHit);
    EXPECT_EQ(Ray::fromDirection({0, 0, 2, 0}, {1, 0, 0, 0}).hitPlane(kGround), kNoHit);
}

class RayBox : public testing::Test {
protected:
    BoundingBox box{{0, 0, 0, 0}, {2, 2, 2, 0}};
};

TEST_F(RayBox, OriginInsideReportsZero) {
    EXPECT_EQ(Ray::fromDirection({1, 1, 1, 0}, {1, 0, 0, 0}).hitBox(box), 0.0f);
    EXPECT_EQ(Ray::fromDirection({2, 2, 2, 0}, {1, 0, 0, 0}).hitBox(box), 0.0f);
}

TEST_F(RayBox, HitsTheNearFaceOnEachAxis) {
    EXPECT_EQ(Ray::fromDirection({-3, 1, 1, 0}, {1, 0, 0, 0}).hitBox(box), 3.0f);
    EXPECT_EQ(Ray::fromDirection({1, 5, 1, 0}, {0, -1, 0, 0}).hitBox(box), 3.0f);
    EXPECT_EQ(Ray::fromDirection({1, 1, 10, 0}, {0, 0, -1, 0}).hitBox(box), 8.0f);
}

TEST_F(RayBox, FaceIsHalfOpenOnTheOtherAxes) {
    EXPECT_EQ(Ray::fromDirection({-3, 0, 1, 0}, {1, 0, 0, 0}).hitBox(box), 3.0f);
    EXPECT_EQ(Ray::fromDirection({-3, 2, 1, 0}, {1, 0, 0, 0}).hitBox(box), kNoHit);
}

TEST_F(RayBox, FaceOffTheOtherAxesIsTriedOnTheNextAxis) {
    // Crosses the plane x = 0 at y = -1 (outside), enters through y = 0 at (1, 0, 1).
    Ray r = Ray::fromDirection({-1, -2, 1, 0}, {1, 1, 0, 0});
    EXPECT_FLOAT_EQ(r.hitBox(box), 2.0f * std::sqrt(2.0f));
}

TEST_F(RayBox, MissesWhenPassingByOrTooShort) {
    EXPECT_EQ(Ray::fromDirection({-3, 5, 1, 0}, {1, 0, 0, 0}).hitBox(box), kNoHit);
    EXPECT_EQ(Ray::fromDirection({-3, 1, 1, 0}, {-1, 0, 0, 0}).hitBox(box), kNoHit);
    EXPECT_EQ(Ray::fromPoints({-3, 1, 1, 0}, {-1, 1, 1, 0}, 0, 0).hitBox(box), kNoHit);
}

TEST_F(RayBox, EmptyBoxIsNeverHit) {
    EXPECT_EQ(Ray::fromDirection({-3, 1, 1, 0}, {1, 0, 0, 0}).hitBox(BoundingBox()), kNoHit);
}

class RayFace : public testing::Test {
protected:
    static bool inSquare(const Vector4& p) { return std::fabs(p.x) <= 1 && std::fabs(p.y) <= 1; }
    static constexpr int kFlags = 0b101;
};

TEST_F(RayFace, HitsInsideThePolygonAtThePlaneDistance) {
    Vector4 tested;
    Ray r = Ray::fromDirection({0.5f, 0.5f, 3, 0}, {0, 0, -1, 0});
    float t = r.hitFace(kGround, kFlags, [&](const Vector4& p) {
        tested = p;
        return inSquare(p);
    });
    EXPECT_EQ(t, 3.0f);
    EXPECT_EQ(tested, (Vector4{0.5f, 0.5f, 0, 0}));
}

TEST_F(RayFace, MissesOutsideThePolygon) {
    Ray r = Ray::fromDirection({1.5f, 0, 3, 0}, {0, 0, -1, 0});
    EXPECT_EQ(r.hitFace(kGround, kFlags, inSquare), kNoHit);
}

TEST_F(RayFace, BackOfTheFaceNeedsTwoSided) {
    Ray r = Ray::fromDirection({0, 0, -2, 0}, {0, 0, 1, 0});
    EXPECT_EQ(r.hitFace(kGround, kFlags, inSquare), kNoHit);
    r.twoSided = 1;
    EXPECT_EQ(r.hitFace(kGround, kFlags, inSquare), 2.0f);
}

TEST_F(RayFace, FaceMustCarryEveryBitOfTheMask) {
    Ray r = Ray::fromDirection({0, 0, 3, 0}, {0, 0, -1, 0});
    r.mask = 0b100;
    EXPECT_EQ(r.hitFace(kGround, kFlags, inSquare), 3.0f);
    r.mask = 0b110;
    EXPECT_EQ(r.hitFace(kGround, kFlags, inSquare), kNoHit);
}

TEST_F(RayFace, FaceBehindOrBeyondTheLengthOrAlongTheRayIsMissed) {
    EXPECT_EQ(Ray::fromDirection({0, 0, -2, 0}, {0, 0, -1, 0}).hitFace(kGround, kFlags, inSquare),
              kNoHit);
    EXPECT_EQ(Ray::fromPoints({0, 0, 3, 0}, {0, 0, 1, 0}, 0, 0).hitFace(kGround, kFlags, inSquare),
              kNoHit);
    Ray along = Ray::fromDirection({0, 0, 0, 0}, {1, 0, 0, 0});
    along.twoSided = 1;
    EXPECT_EQ(along.hitFace(kGround, kFlags, inSquare), kNoHit);
}

}  // namespace
}  // namespace arvel
