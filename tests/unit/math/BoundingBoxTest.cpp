#include "core/math/BoundingBox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/math/OrientedBox.h"
#include "driver/Driver.h"
#include "shared/FrameProjection.h"

namespace arvel {
namespace {

using test::frameProjection;

void expectPoint(const Vector4& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

TEST(BoundingBoxShape, StartsEmptyWithExtremeBounds) {
    BoundingBox box;
    EXPECT_EQ(box.min, (Vector4{3.4028235e38f, 3.4028235e38f, 3.4028235e38f, 0}));
    EXPECT_EQ(box.max, (Vector4{-3.4028235e38f, -3.4028235e38f, -3.4028235e38f, 0}));
    EXPECT_TRUE(box.isEmpty());
}

TEST(BoundingBoxShape, EmptyBoxExtendedByOnePointBecomesThatPoint) {
    BoundingBox box;
    box.extend({1, -2, 3, 9});
    EXPECT_EQ(box.min, (Vector4{1, -2, 3, 0}));
    EXPECT_EQ(box.max, (Vector4{1, -2, 3, 0}));
    EXPECT_FALSE(box.isEmpty());
}

TEST(BoundingBoxShape, CornersRunXFastestThenYThenZWithWZero) {
    BoundingBox box({1, 2, 3, 0}, {4, 5, 6, 0});
    auto c = box.corners();
    const float expected[8][3] = {{1, 2, 3}, {4, 2, 3}, {1, 5, 3}, {4, 5, 3},
                                  {1, 2, 6}, {4, 2, 6}, {1, 5, 6}, {4, 5, 6}};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(c[i], (Vector4{expected[i][0], expected[i][1], expected[i][2], 0})) << i;
}

TEST(BoundingBoxShape, GrowEnclosesAnotherVolumesCorners) {
    BoundingBox box({0, 0, 0, 0}, {1, 1, 1, 0});
    box.grow(OrientedBox(Matrix4::translation(10, 0, 0)));
    EXPECT_EQ(box.min, (Vector4{0, -1, -1, 0}));
    EXPECT_EQ(box.max, (Vector4{11, 1, 1, 0}));
}

TEST(BoundingBoxShape, IntersectKeepsTheOverlap) {
    BoundingBox box({0, 0, 0, 0}, {2, 2, 2, 0});
    box.intersect(BoundingBox({1, -1, 1, 0}, {3, 1, 5, 0}));
    EXPECT_EQ(box.min, (Vector4{1, 0, 1, 0}));
    EXPECT_EQ(box.max, (Vector4{2, 1, 2, 0}));
}

TEST(BoundingBoxShape, DisjointIntersectionIsFlatAtTheLargerMinimum) {
    BoundingBox box({0, 0, 0, 0}, {1, 1, 1, 0});
    box.intersect(BoundingBox({2, 0, 0, 0}, {3, 1, 1, 0}));
    EXPECT_EQ(box.min.x, 2.0f);
    EXPECT_EQ(box.max.x, 2.0f);
}

TEST(BoundingBoxQueries, ContainsWithinToleranceOnly) {
    BoundingBox box({0, 0, 0, 0}, {1, 1, 1, 0});
    EXPECT_TRUE(box.contains({1.001f, 0.5f, 0.5f, 0}));
    EXPECT_TRUE(box.contains({0.5f, -0.001f, 0.5f, 0}));
    EXPECT_FALSE(box.contains({1.002f, 0.5f, 0.5f, 0}));
    EXPECT_FALSE(box.contains({0.5f, 0.5f, -0.002f, 0}));
}

TEST(BoundingBoxQueries, ClosestPointClampsAndKeepsW) {
    BoundingBox box({0, 0, 0, 0}, {2, 2, 2, 0});
    EXPECT_EQ(box.closestPoint({3, -1, 1, 7}), (Vector4{2, 0, 1, 7}));
    EXPECT_FLOAT_EQ(box.distance({3, -1, 1, 7}), std::sqrt(2.0f));
    EXPECT_EQ(box.distance({1, 1, 1, 0}), 0.0f);
}

TEST(BoundingBoxQueries, ClassifyTellsTheSidesTheBoxReaches) {
    BoundingBox box({0, 0, 0, 0}, {2, 2, 2, 0});
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, -1}), 3);  // through the centre
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, -5}), kNegativeSide);
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, 5}), kPositiveSide);
    EXPECT_EQ(box.classify({{1, 0, 0, 0}, -2}), kNegativeSide);  // touching counts as neither
    const float s = std::sqrt(0.5f);
    EXPECT_EQ(box.classify({{-s, -s, 0, 0}, 3.9f * s}), 3);  // cuts off the corner (2, 2)
    EXPECT_EQ(box.classify({{-s, -s, 0, 0}, 4.1f * s}), kPositiveSide);
}

TEST(BoundingBoxQueries, TransformedMapsTheUnitCubeOntoTheBox) {
    BoundingBox box({0, 0, 0, 0}, {2, 4, 6, 0});
    auto oriented = box.transformed(Matrix4::translation(10, 0, 0));
    const Matrix4& m = oriented->matrix();
    EXPECT_EQ(m[0], 1.0f);
    EXPECT_EQ(m[5], 2.0f);
    EXPECT_EQ(m[10], 3.0f);
    EXPECT_EQ(m[12], 11.0f);
    EXPECT_EQ(m[13], 2.0f);
    EXPECT_EQ(m[14], 3.0f);
    expectPoint(oriented->corners()[0], 10, 0, 0);
    expectPoint(oriented->corners()[7], 12, 4, 6);
}

TEST(BoundingBoxScreenRect, BoxInFrontIsDividedByDepth) {
    // x from -1 to 1 at depths 2 and 4; y from -0.75 to 0.
    BoundingBox box({-1, -0.75f, -4, 0}, {1, 0, -2, 0});
    BoundingBox rect = box.screenRect(frameProjection());
    expectPoint(rect.min, -0.5f, -0.5f, -1);
    expectPoint(rect.max, 0.5f, 0, -1);
}

TEST(BoundingBoxScreenRect, RectangleIsClampedToTheScreen) {
    BoundingBox box({-8, -0.75f, -4, 0}, {1, 0, -2, 0});
    BoundingBox rect = box.screenRect(frameProjection());
    EXPECT_FLOAT_EQ(rect.min.x, -1.0f);
    EXPECT_FLOAT_EQ(rect.max.x, 0.5f);
}

TEST(BoundingBoxScreenRect, BoxAroundTheEyeCoversTheScreen) {
    BoundingBox rect = BoundingBox({-1, -1, -1, 0}, {1, 1, 1, 0}).screenRect(frameProjection());
    EXPECT_EQ(rect.min, (Vector4{-1, -1, 0, 0}));
    EXPECT_EQ(rect.max, (Vector4{1, 1, 0, 0}));
}

TEST(BoundingBoxScreenRect, BoxCrossingTheNearPlaneCountsItsVisiblePart) {
    // From the eye's depth back to 3: the part nearer than 1 is never drawn; the
    // near-plane section (x 1..2, y 0..0.75 at depth 1) projects to x 1..2, y 0..1.
    BoundingBox box({1, 0, -3, 0}, {2, 0.75f, 0, 0});
    BoundingBox rect = box.screenRect(frameProjection());
    EXPECT_NEAR(rect.min.x, 1.0f / 3.0f, 1e-5f);
    EXPECT_NEAR(rect.min.y, 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(rect.max.x, 1.0f);
    EXPECT_NEAR(rect.max.y, 1.0f, 1e-5f);
}

TEST(BoundingBoxScreenRect, BoxBehindTheEyeOrBeforeTheNearPlaneIsEmpty) {
    EXPECT_TRUE(BoundingBox({-1, -1, 2, 0}, {1, 1, 4, 0}).screenRect(frameProjection()).isEmpty());
    EXPECT_TRUE(BoundingBox({0.1f, -0.2f, -0.9f, 0}, {0.3f, 0.2f, -0.5f, 0})
                    .screenRect(frameProjection())
                    .isEmpty());
}

TEST(BoundingBoxScreenRect, BoxOffToTheSideIsEmpty) {
    EXPECT_TRUE(BoundingBox({5, -1, -3, 0}, {6, 1, -2, 0}).screenRect(frameProjection()).isEmpty());
}

TEST(BoundingBoxScreenRect, EmptyBoxStaysEmpty) {
    EXPECT_TRUE(BoundingBox().screenRect(frameProjection()).isEmpty());
}

// A driver table that records the lines and colours it is given.
struct LineLog {
    static inline std::vector<DVec4> from, to;
    static inline std::vector<float> colour;
    static void line(DVec4 a, DVec4 b) {
        from.push_back(a);
        to.push_back(b);
    }
    static void color4(float r, float g, float b, float a) {
        colour.assign({r, g, b, a});
        EXPECT_TRUE(from.empty()) << "colour must be set before the lines";
    }
};

TEST(BoundingVolumeDrawing, DrawsTwelveWhiteEdgesBetweenCorners) {
    LineLog::from.clear();
    LineLog::to.clear();
    LineLog::colour.clear();
    DriverTable driver;
    driver.dRenderLine = &LineLog::line;
    driver.dColor4 = &LineLog::color4;
    BoundingBox({0, 0, 0, 0}, {1, 2, 3, 0}).drawEdges(driver);
    EXPECT_EQ(LineLog::colour, (std::vector<float>{1, 1, 1, 1}));
    ASSERT_EQ(LineLog::from.size(), 12u);
    // Every edge joins corners that differ on exactly one axis.
    for (int i = 0; i < 12; ++i) {
        int differing = (LineLog::from[i].x != LineLog::to[i].x) +
                        (LineLog::from[i].y != LineLog::to[i].y) +
                        (LineLog::from[i].z != LineLog::to[i].z);
        EXPECT_EQ(differing, 1) << i;
    }
    EXPECT_EQ(LineLog::to[0].x, 1.0f);  // corner 0 to corner 1
    EXPECT_EQ(LineLog::to[4].y, 2.0f);  // corner 0 to corner 2
    EXPECT_EQ(LineLog::to[8].z, 3.0f);  // corner 0 to corner 4
}

TEST(BoundingVolumeDrawing, DriverWithoutLinesDrawsNothing) {
    LineLog::colour.clear();
    DriverTable driver;
    driver.dColor4 = &LineLog::color4;  // no line function bound
    BoundingBox({0, 0, 0, 0}, {1, 1, 1, 0}).drawEdges(driver);
    EXPECT_TRUE(LineLog::colour.empty());
}

}  // namespace
}  // namespace arvel
