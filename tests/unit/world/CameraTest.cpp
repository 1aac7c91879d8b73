#include "world/Camera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace arvel {
namespace {

bool inside(const ViewVolume& volume, const Vector4& p) { return volume.reachesSphere(p, 0.0f); }

TEST(CameraState, StartsAtTheOriginUnturnedWithNinetyDegrees) {
    Camera camera;
    EXPECT_EQ(camera.position(), (Vector4{0, 0, 0, 0}));
    EulerAngles angles = camera.orientation();
    EXPECT_EQ(angles.pitch, 0.0f);
    EXPECT_EQ(angles.yaw, 0.0f);
    EXPECT_EQ(angles.roll, 0.0f);
    EXPECT_EQ(angles.w, 0.0f);
    EXPECT_EQ(camera.fieldOfView(), 90.0f);
    EXPECT_EQ(camera.updateView().viewMatrix(), Matrix4());
}

TEST(CameraState, GettersReturnAllFourStoredValues) {
    Camera camera;
    camera.setPosition(1, 2, 3, 4);
    camera.setOrientation(10, 20, 30, 40);
    EXPECT_EQ(camera.position(), (Vector4{1, 2, 3, 4}));
    EulerAngles angles = camera.orientation();
    EXPECT_EQ(angles.pitch, 10.0f);
    EXPECT_EQ(angles.yaw, 20.0f);
    EXPECT_EQ(angles.roll, 30.0f);
    EXPECT_EQ(angles.w, 40.0f);
}

TEST(CameraState, ViewKeepsItsCopyUntilTheNextUpdate) {
    Camera camera;
    camera.setPosition(1, 2, 3, 0);
    const CameraView& view = camera.updateView();
    camera.setPosition(7, 7, 7, 0);
    EXPECT_EQ(view.position, (Vector4{1, 2, 3, 0}));
    EXPECT_EQ(view.viewMatrix()[12], -1.0f);
    camera.updateView();
    EXPECT_EQ(view.position, (Vector4{7, 7, 7, 0}));
    EXPECT_EQ(view.viewMatrix()[12], -7.0f);
}

TEST(CameraViewMatrix, PositionAloneGivesTheNegatedTranslation) {
    Camera camera;
    camera.setPosition(1, 2, 3, 0);
    const Matrix4& m = camera.updateView().viewMatrix();
    EXPECT_EQ(m[12], -1.0f);
    EXPECT_EQ(m[13], -2.0f);
    EXPECT_EQ(m[14], -3.0f);
    EXPECT_EQ(m[15], 1.0f);
    EXPECT_EQ(m[0], 1.0f);
    EXPECT_EQ(m[5], 1.0f);
    EXPECT_EQ(m[10], 1.0f);
}

TEST(CameraViewMatrix, PitchNinetyTurnsYIntoZ) {
    Camera camera;
    camera.setOrientation(90, 0, 0, 0);
    const Matrix4& m = camera.updateView().viewMatrix();
    EXPECT_NEAR(m[4], 0.0f, 1e-6f);
    EXPECT_NEAR(m[5], 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(m[6], 1.0f);
    EXPECT_NEAR(m[8], 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(m[9], -1.0f);
    EXPECT_NEAR(m[10], 0.0f, 1e-6f);
}

TEST(CameraViewMatrix, YawNinetyLooksAlongPlusX) {
    Camera camera;
    camera.setPosition(5, 0, 0, 0);
    camera.setOrientation(0, 90, 0, 0);
    Vector4 ahead = camera.updateView().viewMatrix().transformPoint({8, 0, 0, 0});
    EXPECT_NEAR(ahead.x, 0.0f, 1e-5f);
    EXPECT_NEAR(ahead.y, 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(ahead.z, -3.0f);
}

TEST(CameraViewMatrix, RollNinetyTurnsWorldXDownward) {
    Camera camera;
    camera.setOrientation(0, 0, 90, 0);
    Vector4 p = camera.updateView().viewMatrix().transformPoint({1, 0, 0, 0});
    EXPECT_NEAR(p.x, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(p.y, -1.0f);
    EXPECT_NEAR(p.z, 0.0f, 1e-6f);
}

TEST(CameraViewMatrix, FourthOrientationValueIsIgnored) {
    Camera camera;
    camera.setPosition(1, -2, 3, 0);
    camera.setOrientation(12, 34, 56, 0);
    Matrix4 without = camera.updateView().viewMatrix();
    camera.setOrientation(12, 34, 56, 789);
    EXPECT_EQ(camera.updateView().viewMatrix(), without);
}

TEST(CameraViewMatrix, AnyAnglesGiveARotationThatCameraToWorldUndoes) {
    Camera camera;
    camera.setPosition(3, -4, 5, 0);
    camera.setOrientation(-25, 130, 40, 0);
    const CameraView& view = camera.updateView();
    Matrix4 product = view.viewMatrix() * view.cameraToWorld();
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(product[i], (i % 5 == 0) ? 1.0f : 0.0f, 1e-5f) << i;
    Vector4 eye = view.viewMatrix().transformPoint(view.position);
    EXPECT_NEAR(length3(eye), 0.0f, 1e-5f);
}

TEST(CameraFrustum, NinetyDegreesGivesPlanesAtFortyFiveDegrees) {
    Camera camera;
    const ViewVolume& frustum = camera.updateView().frustum();
    const float s = std::sqrt(0.5f);
    const Vector4 normals[4] = {{-s, 0, -s, 0}, {s, 0, -s, 0}, {0, -s, -s, 0}, {0, s, -s, 0}};
    ASSERT_EQ(frustum.sidePlanes.size(), 4u);
    ASSERT_EQ(frustum.planes().size(), 4u);
    EXPECT_TRUE(frustum.capPlanes.empty());
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(frustum.planes()[i].normal.x, normals[i].x) << i;
        EXPECT_FLOAT_EQ(frustum.planes()[i].normal.y, normals[i].y) << i;
        EXPECT_FLOAT_EQ(frustum.planes()[i].normal.z, normals[i].z) << i;
        EXPECT_EQ(frustum.planes()[i].d, 0.0f);
    }
}

TEST(CameraFrustum, CornersOutlineTheWindowOneUnitAhead) {
    Camera camera;
    const ViewVolume& frustum = camera.updateView().frustum();
    const float expected[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    ASSERT_EQ(frustum.corners.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(frustum.corners[i].x, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(frustum.corners[i].y, expected[i][1]) << i;
        EXPECT_EQ(frustum.corners[i].z, -1.0f);
    }
}

TEST(CameraFrustum, HoldsWhatLiesWithinFortyFiveDegreesOfTheViewDirection) {
    Camera camera;
    const ViewVolume& frustum = camera.updateView().frustum();
    EXPECT_TRUE(inside(frustum, {0, 0, -10, 0}));
    EXPECT_TRUE(inside(frustum, {9.9f, 0, -10, 0}));
    EXPECT_FALSE(inside(frustum, {10.1f, 0, -10, 0}));
    EXPECT_TRUE(inside(frustum, {0, -9.9f, -10, 0}));
    EXPECT_FALSE(inside(frustum, {0, -10.1f, -10, 0}));
    EXPECT_FALSE(inside(frustum, {0, 0, 10, 0}));
}

TEST(CameraFrustum, NarrowerFieldOfViewRebuildsPlanesAndCorners) {
    CameraView view;
    view.setFieldOfView(60);
    EXPECT_FLOAT_EQ(view.frustum().planes()[0].normal.x, -std::sqrt(3.0f) / 2.0f);
    EXPECT_FLOAT_EQ(view.frustum().planes()[0].normal.z, -0.5f);
    EXPECT_FLOAT_EQ(view.frustum().corners[2].x, 1.0f / std::sqrt(3.0f));
    EXPECT_TRUE(inside(view.frustum(), {5.7f, 0, -10, 0}));
    EXPECT_FALSE(inside(view.frustum(), {5.8f, 0, -10, 0}));
}

TEST(CameraFrustum, FieldOfViewIsKeptWithinUsableAngles) {
    CameraView view;
    view.setFieldOfView(400);
    EXPECT_EQ(view.fieldOfView(), 179.0f);
    view.setFieldOfView(-5);
    EXPECT_EQ(view.fieldOfView(), 1.0f);
    view.setFieldOfView(std::nanf(""));
    EXPECT_EQ(view.fieldOfView(), 1.0f);
}

TEST(CameraFrustum, WorldVolumeFollowsTheCamera) {
    Camera camera;
    camera.setPosition(10, 0, 0, 0);
    camera.setOrientation(0, 90, 0, 0);  // looking along +x
    ViewVolume world = camera.updateView().worldVolume();
    EXPECT_NEAR(world.viewpoint.x, 10.0f, 1e-5f);
    EXPECT_TRUE(inside(world, {20, 0, 0, 0}));
    EXPECT_TRUE(inside(world, {20, 9, 0, 0}));
    EXPECT_FALSE(inside(world, {20, 11, 0, 0}));
    EXPECT_FALSE(inside(world, {0, 0, 0, 0}));
    EXPECT_NEAR(world.corners[0].x, 11.0f, 1e-5f);
}

TEST(CameraFrustum, AWindowWiderThanTheFieldOfViewWidensTheVolumeAcrossOnly) {
    Camera camera;
    const CameraView& view = camera.updateView();
    // 5:4 and 4:3 windows fit the 90-degree volume: it stays as it is.
    for (auto [w, h] : {std::pair{640, 512}, {640, 480}}) {
        const ViewVolume same = view.worldVolume(FrameShape::ofWindow(w, h));
        EXPECT_EQ(same.corners, view.frustum().corners) << w << " x " << h;
    }
    // 16:9 sees 4/3 across for every unit ahead.
    const ViewVolume wide = view.worldVolume(FrameShape::ofWindow(1024, 576));
    EXPECT_TRUE(inside(wide, {13.2f, 0, -10, 0}));
    EXPECT_FALSE(inside(wide, {13.5f, 0, -10, 0}));
    EXPECT_TRUE(inside(wide, {-13.2f, 9.9f, -10, 0}));
    EXPECT_FALSE(inside(wide, {0, 10.1f, -10, 0}));
    EXPECT_NEAR(wide.corners[2].x, 4.0f / 3.0f, 1e-6f);
}

}  // namespace
}  // namespace arvel
