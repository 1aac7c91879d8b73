// Screen boxes found by fuzzing levels: geometry far enough out projects to boxes with
// infinite or NaN edges, which were turned into ints unchecked. The rectangle now
// stays within the window.
#include <gtest/gtest.h>

#include <limits>

#include "core/math/BoundingBox.h"
#include "world/LightRenderer.h"

namespace arvel {
namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

void expectWholeWindow(const ScissorRect& rect) {
    EXPECT_EQ(rect.x, 0);
    EXPECT_EQ(rect.y, 0);
    EXPECT_EQ(rect.width, 1024);
    EXPECT_EQ(rect.height, 768);
}

TEST(ScissorFuzzRegression, InfiniteBoxIsTheWholeWindow) {
    expectWholeWindow(scissorFromBox(
        BoundingBox({-kInfinity, -kInfinity, 0, 0}, {kInfinity, kInfinity, 0, 0}), 512.0f, 384.0f));
}

TEST(ScissorFuzzRegression, NaNEdgesOpenTheWholeWindow) {
    expectWholeWindow(
        scissorFromBox(BoundingBox({kNaN, kNaN, 0, 0}, {kNaN, kNaN, 0, 0}), 512.0f, 384.0f));
}

TEST(ScissorFuzzRegression, EdgesPastTheWindowStopAtIt) {
    const ScissorRect rect =
        scissorFromBox(BoundingBox({-3.0f, 0.5f, 0, 0}, {0.5f, 1e30f, 0, 0}), 512.0f, 384.0f);
    EXPECT_EQ(rect.x, 0);
    EXPECT_EQ(rect.width, 768);
    EXPECT_EQ(rect.y, 576);
    EXPECT_EQ(rect.height, 192);
}

}  // namespace
}  // namespace arvel
