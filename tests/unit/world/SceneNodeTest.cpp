#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "world/SceneNode.h"

namespace arvel {
namespace {

Matrix4 matrixOf(std::initializer_list<float> values) {
    Matrix4 m;
    int i = 0;
    for (float v : values) m[i++] = v;
    return m;
}

TEST(SceneNode, StartsAtTheOriginUnrotatedUnscaledWithIdentityMatrices) {
    SceneNode node;
    EXPECT_EQ(node.orientation, (Quaternion{1.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(node.scale, (Vector4{1.0f, 1.0f, 1.0f, 0.0f}));
    EXPECT_EQ(node.position, Vector4{});
    EXPECT_EQ(node.localMatrix, Matrix4::identity());
    EXPECT_EQ(node.worldMatrix, Matrix4::identity());
    EXPECT_TRUE(node.getBoundingBox().isEmpty());
    node.updateLocalMatrix();
    EXPECT_EQ(node.localMatrix, Matrix4::identity());
}

TEST(SceneNode, LocalMatrixRotatesThenScalesAlongParentAxesThenTranslates) {
    SceneNode node;
    // A third of a turn about (1, 1, 1): x goes to y, y to z, z to x.
    node.orientation = {0.5f, 0.5f, 0.5f, 0.5f};
    node.scale = {2.0f, 3.0f, 4.0f, 0.0f};
    node.position = {5.0f, 6.0f, 7.0f, 0.0f};
    node.updateLocalMatrix();
    // The x axis lands on y and is scaled by y's factor, and so on.
    EXPECT_EQ(node.localMatrix, matrixOf({0, 3, 0, 0, 0, 0, 4, 0, 2, 0, 0, 0, 5, 6, 7, 1}));
    const Vector4 p = node.localMatrix.transformPoint({1.0f, 0.0f, 0.0f, 0.0f});
    EXPECT_EQ(p, (Vector4{5.0f, 9.0f, 7.0f, 1.0f}));
}

TEST(SceneNode, HalfTurnAboutZNegatesXAndY) {
    SceneNode node;
    node.orientation = {0.0f, 0.0f, 0.0f, 1.0f};
    node.scale = {2.0f, 3.0f, 4.0f, 0.0f};
    node.position = {5.0f, 6.0f, 7.0f, 0.0f};
    node.updateLocalMatrix();
    EXPECT_EQ(node.localMatrix, matrixOf({-2, 0, 0, 0, 0, -3, 0, 0, 0, 0, 4, 0, 5, 6, 7, 1}));
}

TEST(SceneNode, AngleAndAxisTurnClockwiseAboutTheAxis) {
    SceneNode node;
    node.setOrientation(std::numbers::pi_v<float> / 2.0f, {0.0f, 0.0f, 2.0f, 0.0f});
    const float h = std::sqrt(0.5f);
    EXPECT_NEAR(node.orientation.w, h, 1e-6f);
    EXPECT_NEAR(node.orientation.z, -h, 1e-6f);
    EXPECT_EQ(node.orientation.x, 0.0f);
    EXPECT_EQ(node.orientation.y, 0.0f);
    node.updateLocalMatrix();
    const Vector4 p = node.localMatrix.transformPoint({1.0f, 0.0f, 0.0f, 0.0f});
    EXPECT_NEAR(p.x, 0.0f, 1e-6f);
    EXPECT_NEAR(p.y, -1.0f, 1e-6f);
}

TEST(SceneNode, AxisNoLongerThanTheToleranceGivesTheIdentity) {
    EXPECT_EQ(Quaternion::fromAngleAxis(1.0f, {0.0f, 0.0f, 0.0f, 0.0f}), Quaternion{});
    EXPECT_EQ(Quaternion::fromAngleAxis(1.0f, {0.00125f, 0.0f, 0.0f, 0.0f}), Quaternion{});
    EXPECT_NE(Quaternion::fromAngleAxis(1.0f, {0.002f, 0.0f, 0.0f, 0.0f}), Quaternion{});
}

TEST(SceneNode, WorldMatrixIsTheParentsWorldTimesTheLocal) {
    SceneNode parent;
    parent.orientation = {0.0f, 0.0f, 0.0f, 1.0f};
    parent.position = {10.0f, 0.0f, 0.0f, 0.0f};
    parent.updateLocalMatrix();
    parent.updateWorldMatrix();
    EXPECT_EQ(parent.worldMatrix, parent.localMatrix);

    SceneNode child;
    child.position = {1.0f, 2.0f, 3.0f, 0.0f};
    child.setParent(&parent);
    child.updateLocalMatrix();
    child.updateWorldMatrix();
    EXPECT_EQ(child.worldMatrix, matrixOf({-1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 9, -2, 3, 1}));
    // The local matrix itself is untouched by the parent.
    EXPECT_EQ(child.localMatrix, Matrix4::translation(1.0f, 2.0f, 3.0f));
}

}  // namespace
}  // namespace arvel
