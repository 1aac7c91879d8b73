#include "world/ViewVolume.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/Zone.h"
#include "shared/FrameProjection.h"
#include "world/Camera.h"

namespace arvel {
namespace {

using test::frameProjection;

bool inside(const ViewVolume& volume, const Vector4& p) { return volume.reachesSphere(p, 0.0f); }

void expectPoint(const Vector4& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

void expectPlane(const Plane& p, float x, float y, float z, float d) {
    EXPECT_NEAR(p.normal.x, x, 1e-5f);
    EXPECT_NEAR(p.normal.y, y, 1e-5f);
    EXPECT_NEAR(p.normal.z, z, 1e-5f);
    EXPECT_NEAR(p.d, d, 1e-5f);
}

// The same corners in the same cyclic order, from whichever one the clip started.
void expectCycle(const std::vector<Vector4>& corners, const std::vector<Vector4>& expected) {
    ASSERT_EQ(corners.size(), expected.size());
    size_t start = 0;
    while (start < corners.size() && length3(corners[start] - expected[0]) > 1e-5f) ++start;
    ASSERT_LT(start, corners.size()) << "first expected corner missing";
    for (size_t i = 0; i < expected.size(); ++i) {
        const Vector4& v = corners[(start + i) % corners.size()];
        expectPoint(v, expected[i].x, expected[i].y, expected[i].z);
    }
}

bool hasPlane(const std::vector<Plane>& planes, float x, float y, float z) {
    for (const Plane& p : planes)
        if (std::fabs(p.normal.x - x) < 1e-5f && std::fabs(p.normal.y - y) < 1e-5f &&
            std::fabs(p.normal.z - z) < 1e-5f && std::fabs(p.d) < 1e-5f)
            return true;
    return false;
}

class ViewVolumeTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        zone().create();
        frustum = CameraView().frustum();
    }
    void TearDown() override { zone().destroy(); }

    // A square of half size h at depth z (z < 0), counter-clockwise seen from the eye.
    static std::vector<Vector4> squareFacingEye(float h, float z) {
        return {{-h, -h, z, 0}, {h, -h, z, 0}, {h, h, z, 0}, {-h, h, z, 0}};
    }
    static PortalPolygon portalOf(const std::vector<Vector4>& corners) {
        return {corners.data(), static_cast<int>(corners.size()),
                Plane::fromPoints(corners[0], corners[1], corners[2])};
    }

    ViewVolume frustum;
    const Vector4 eye{0, 0, 0, 0};
    const float r5 = 1.0f / std::sqrt(5.0f);
};

TEST_F(ViewVolumeTest, FinishListsSidePlanesThenCaps) {
    ViewVolume v;
    v.sidePlanes = {Plane{{1, 0, 0, 0}, 0}, Plane{{0, 1, 0, 0}, 0}};
    v.capPlanes = {Plane{{0, 0, 1, 0}, 5}};
    EXPECT_TRUE(v.planes().empty());
    v.finish();
    ASSERT_EQ(v.planes().size(), 3u);
    EXPECT_EQ(v.planes()[1], v.sidePlanes[1]);
    EXPECT_EQ(v.planes()[2], v.capPlanes[0]);
}

TEST_F(ViewVolumeTest, TransformedCarriesPlanesCornersAndViewpoint) {
    ViewVolume moved = frustum.transformed(Matrix4::translation(0, 0, -10));
    expectPoint(moved.viewpoint, 0, 0, -10);
    expectPoint(moved.corners[0], -1, -1, -11);
    ASSERT_EQ(moved.planes().size(), 4u);
    const float s = std::sqrt(0.5f);
    expectPlane(moved.planes()[0], -s, 0, -s, -10 * s);
    EXPECT_TRUE(inside(moved, {0, 0, -12, 0}));
    EXPECT_FALSE(inside(moved, {0, 0, -8, 0}));
}

TEST_F(ViewVolumeTest, PortalInsideTheViewKeepsItsCornersAndNarrowsToThem) {
    auto corners = squareFacingEye(1, -2);
    auto volume = frustum.clipByPortal(eye, portalOf(corners), PortalCap::kFarSide);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->viewpoint, eye);
    ASSERT_EQ(volume->corners.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(volume->corners[i], corners[i]) << i;
    // Planes through the eye and each edge, starting with the edge from the last corner.
    ASSERT_EQ(volume->sidePlanes.size(), 4u);
    expectPlane(volume->sidePlanes[0], 2 * r5, 0, -r5, 0);   // left edge
    expectPlane(volume->sidePlanes[1], 0, 2 * r5, -r5, 0);   // bottom
    expectPlane(volume->sidePlanes[2], -2 * r5, 0, -r5, 0);  // right
    expectPlane(volume->sidePlanes[3], 0, -2 * r5, -r5, 0);  // top
    // The far-side cap keeps what lies beyond the portal.
    ASSERT_EQ(volume->capPlanes.size(), 1u);
    expectPlane(volume->capPlanes[0], 0, 0, -1, -2);
    EXPECT_EQ(volume->planes().size(), 5u);
    EXPECT_TRUE(inside(*volume, {0, 0, -5, 0}));
    EXPECT_TRUE(inside(*volume, {2.4f, 0, -5, 0}));
    EXPECT_FALSE(inside(*volume, {2.6f, 0, -5, 0}));
    EXPECT_FALSE(inside(*volume, {0, 0, -1, 0}));
}

TEST_F(ViewVolumeTest, PortalReachingOutOfTheViewIsCutAtTheViewsEdge) {
    // At depth 1 the view ends at x = 1.
    std::vector<Vector4> corners = {
        {0, -0.5f, -1, 0}, {3, -0.5f, -1, 0}, {3, 0.5f, -1, 0}, {0, 0.5f, -1, 0}};
    auto volume = frustum.clipByPortal(eye, portalOf(corners), PortalCap::kFarSide);
    ASSERT_NE(volume, nullptr);
    ASSERT_EQ(volume->corners.size(), 4u);
    expectPoint(volume->corners[0], 0, -0.5f, -1);
    expectPoint(volume->corners[1], 1, -0.5f, -1);
    expectPoint(volume->corners[2], 1, 0.5f, -1);
    expectPoint(volume->corners[3], 0, 0.5f, -1);
    EXPECT_TRUE(inside(*volume, {1.9f, 0, -2, 0}));
    EXPECT_FALSE(inside(*volume, {2.1f, 0, -2, 0}));
}

TEST_F(ViewVolumeTest, ClippingThroughTwoPortalsNarrowsTwice) {
    auto first = frustum.clipByPortal(eye, portalOf(squareFacingEye(1, -2)), PortalCap::kFarSide);
    ASSERT_NE(first, nullptr);
    auto second = first->clipByPortal(eye, portalOf(squareFacingEye(3, -4)), PortalCap::kFarSide);
    ASSERT_NE(second, nullptr);
    expectCycle(second->corners, squareFacingEye(2, -4));
    EXPECT_FALSE(inside(*second, {0, 0, -3, 0}));
    EXPECT_TRUE(inside(*second, {0, 0, -5, 0}));
}

TEST_F(ViewVolumeTest, PortalBehindTheViewpointIsNotCrossed) {
    auto corners = squareFacingEye(1, 2);
    EXPECT_EQ(frustum.clipByPortal(eye, portalOf(corners), PortalCap::kFarSide), nullptr);
}

TEST_F(ViewVolumeTest, PortalOutsideTheViewIsNotCrossed) {
    std::vector<Vector4> corners = {{5, -1, -2, 0}, {7, -1, -2, 0}, {7, 1, -2, 0}, {5, 1, -2, 0}};
    EXPECT_EQ(frustum.clipByPortal(eye, portalOf(corners), PortalCap::kFarSide), nullptr);
}

TEST_F(ViewVolumeTest, PortalSeenFromItsBackGivesTheSameVolume) {
    std::vector<Vector4> backwards = {
        {-1, 1, -2, 0}, {1, 1, -2, 0}, {1, -1, -2, 0}, {-1, -1, -2, 0}};
    PortalPolygon portal = portalOf(backwards);
    ASSERT_LT(portal.plane.distance(eye), 0.0f);
    auto volume = frustum.clipByPortal(eye, portal, PortalCap::kFarSide);
    ASSERT_NE(volume, nullptr);
    // Corners reversed, so they still run counter-clockwise as the eye sees them.
    ASSERT_EQ(volume->corners.size(), 4u);
    EXPECT_EQ(volume->corners[0], backwards[3]);
    EXPECT_EQ(volume->corners[3], backwards[0]);
    EXPECT_TRUE(hasPlane(volume->sidePlanes, 2 * r5, 0, -r5));
    EXPECT_TRUE(hasPlane(volume->sidePlanes, 0, 2 * r5, -r5));
    EXPECT_TRUE(hasPlane(volume->sidePlanes, -2 * r5, 0, -r5));
    EXPECT_TRUE(hasPlane(volume->sidePlanes, 0, -2 * r5, -r5));
    ASSERT_EQ(volume->capPlanes.size(), 1u);
    EXPECT_EQ(volume->capPlanes[0], portal.plane);  // the plane itself, facing away
    EXPECT_TRUE(inside(*volume, {0, 0, -5, 0}));
    EXPECT_FALSE(inside(*volume, {0, 0, -1, 0}));
}

TEST_F(ViewVolumeTest, ViewerSideCapKeepsTheNearSideAndNoCapKeepsBoth) {
    auto corners = squareFacingEye(1, -2);
    PortalPolygon portal = portalOf(corners);
    auto nearSide = frustum.clipByPortal(eye, portal, PortalCap::kViewerSide);
    ASSERT_NE(nearSide, nullptr);
    ASSERT_EQ(nearSide->capPlanes.size(), 1u);
    EXPECT_EQ(nearSide->capPlanes[0], portal.plane);
    EXPECT_TRUE(inside(*nearSide, {0, 0, -1, 0}));
    EXPECT_FALSE(inside(*nearSide, {0, 0, -5, 0}));

    auto open = frustum.clipByPortal(eye, portal, PortalCap::kNone);
    ASSERT_NE(open, nullptr);
    EXPECT_TRUE(open->capPlanes.empty());
    EXPECT_EQ(open->planes().size(), 4u);
}

TEST_F(ViewVolumeTest, VolumeWithoutPlanesTakesTheWholePortal) {
    ViewVolume everything;
    auto corners = squareFacingEye(1, -2);
    auto volume = everything.clipByPortal({0, 0, 3, 0}, portalOf(corners), PortalCap::kFarSide);
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->corners.size(), 4u);
    EXPECT_EQ(volume->viewpoint, (Vector4{0, 0, 3, 0}));
}

TEST_F(ViewVolumeTest, DegeneratePortalsAreNotCrossed) {
    std::vector<Vector4> two = {{0, 0, -2, 0}, {1, 0, -2, 0}};
    EXPECT_EQ(
        frustum.clipByPortal(eye, {two.data(), 2, Plane{{0, 0, 1, 0}, 2}}, PortalCap::kFarSide),
        nullptr);
    EXPECT_EQ(frustum.clipByPortal(eye, {nullptr, 4, Plane{{0, 0, 1, 0}, 2}}, PortalCap::kFarSide),
              nullptr);
}

TEST_F(ViewVolumeTest, ClipLeavesTheZoneEmpty) {
    frustum.clipByPortal(eye, portalOf(squareFacingEye(1, -2)), PortalCap::kFarSide);
    EXPECT_EQ(zone().used, 0);
}

TEST_F(ViewVolumeTest, ClipUnderAHoldKeepsTheHoldersArraysAndReturnsItsOwn) {
    void* held = zone().allocate(64);
    zone().hold();
    EXPECT_NE(frustum.clipByPortal(eye, portalOf(squareFacingEye(1, -2)), PortalCap::kFarSide),
              nullptr);
    EXPECT_TRUE(frustum.reachesPolygon(squareFacingEye(1, -2).data(), 4));
    EXPECT_EQ(zone().used, 64);
    EXPECT_EQ(zone().allocate(16), static_cast<uint8_t*>(held) + 64);
    zone().release();
    EXPECT_EQ(zone().used, 0);
}

class PolygonReach : public ViewVolumeTest {
protected:
    void SetUp() override {
        ViewVolumeTest::SetUp();
        halfSpace.sidePlanes = {Plane{{1, 0, 0, 0}, 0}};  // x >= 0
        halfSpace.finish();
    }
    ViewVolume halfSpace;
};

TEST_F(PolygonReach, PolygonPartlyInsideReaches) {
    std::vector<Vector4> square = {
        {-1, 0, 0, 0}, {0.01f, 0, 0, 0}, {0.01f, 1, 0, 0}, {-1, 1, 0, 0}};
    EXPECT_TRUE(halfSpace.reachesPolygon(square.data(), 4));
}

TEST_F(PolygonReach, PolygonTouchingAlongAnEdgeDoesNotReach) {
    std::vector<Vector4> square = {{-1, 0, 0, 0}, {0, 0, 0, 0}, {0, 1, 0, 0}, {-1, 1, 0, 0}};
    EXPECT_FALSE(halfSpace.reachesPolygon(square.data(), 4));
}

TEST_F(PolygonReach, PolygonOutsideOrDegenerateDoesNotReach) {
    std::vector<Vector4> square = {{-3, 0, 0, 0}, {-2, 0, 0, 0}, {-2, 1, 0, 0}, {-3, 1, 0, 0}};
    EXPECT_FALSE(halfSpace.reachesPolygon(square.data(), 4));
    EXPECT_FALSE(halfSpace.reachesPolygon(square.data(), 2));
    EXPECT_FALSE(halfSpace.reachesPolygon(nullptr, 4));
}

TEST_F(PolygonReach, CullKeepsReachingPolygonsInOrder) {
    const std::vector<Vector4> positions = {{1, 0, 0, 0},  {2, 0, 0, 0},  {1, 1, 0, 0},
                                            {-2, 0, 0, 0}, {-1, 0, 0, 0}, {-1, 1, 0, 0},
                                            {-2, 1, 0, 0}};
    const std::vector<int> indices = {0, 1, 2, 3, 4, 5, 6, 4, 0, 2, 0, 1, 99};
    const std::vector<int> counts = {3, 4, 3, 3};  // inside, outside, straddling, bad index
    PolygonList list{positions.data(), static_cast<int>(positions.size()), indices.data(),
                     counts.data(), 4};
    EXPECT_EQ(cullPolygons(halfSpace, list), (std::vector<int>{0, 2}));
}

TEST_F(PolygonReach, CullWithoutIndicesTakesPositionsInOrder) {
    const std::vector<Vector4> positions = {{-2, 0, 0, 0}, {-1, 0, 0, 0}, {-1, 1, 0, 0},
                                            {1, 0, 0, 0},  {2, 0, 0, 0},  {1, 1, 0, 0}};
    const std::vector<int> counts = {3, 3, 3};  // the third runs past the positions
    PolygonList list{positions.data(), static_cast<int>(positions.size()), nullptr, counts.data(),
                     3};
    EXPECT_EQ(cullPolygons(halfSpace, list), (std::vector<int>{1}));
    EXPECT_TRUE(cullPolygons(halfSpace, PolygonList{}).empty());
}

TEST_F(ViewVolumeTest, SphereReachesUntilItIsWhollyBehindOnePlane) {
    // The right plane is 2 * sqrt(0.5) = 1.414 from (3, 0, -1).
    EXPECT_FALSE(frustum.reachesSphere({3, 0, -1, 0}, 1.0f));
    EXPECT_TRUE(frustum.reachesSphere({3, 0, -1, 0}, 1.5f));
    EXPECT_TRUE(frustum.reachesSphere({0, 0, -1, 0}, 0.0f));
    EXPECT_TRUE(ViewVolume().reachesSphere({0, 0, 100, 0}, 0.0f));
}

TEST_F(ViewVolumeTest, ScreenRectVolumeHasPlanesPerEdgeAndADepthCap) {
    ViewVolume v = ViewVolume::fromScreenRect(-0.5f, 0.5f, -0.25f, 0.25f, 10);
    ASSERT_EQ(v.planes().size(), 5u);
    const float k = 1.0f / std::sqrt(1.0625f);         // 1 / |(1, 0.25)|
    const float m = 1.0f / std::sqrt(1.25f);           // 1 / |(1, 0.5)|
    expectPlane(v.planes()[0], 0, k, -0.25f * k, 0);   // bottom
    expectPlane(v.planes()[1], -m, 0, -0.5f * m, 0);   // right
    expectPlane(v.planes()[2], 0, -k, -0.25f * k, 0);  // top
    expectPlane(v.planes()[3], m, 0, -0.5f * m, 0);    // left
    expectPlane(v.planes()[4], 0, 0, 1, 10);
    ASSERT_EQ(v.corners.size(), 4u);
    expectPoint(v.corners[0], -5, -2.5f, -10);
    expectPoint(v.corners[1], 5, -2.5f, -10);
    expectPoint(v.corners[2], 5, 2.5f, -10);
    expectPoint(v.corners[3], -5, 2.5f, -10);
    EXPECT_TRUE(inside(v, {4.4f, 2.2f, -9, 0}));
    EXPECT_FALSE(inside(v, {4.6f, 0, -9, 0}));
    EXPECT_FALSE(inside(v, {0, 2.3f, -9, 0}));
    EXPECT_FALSE(inside(v, {0, 0, -10.5f, 0}));
    EXPECT_FALSE(inside(v, {0, 0, 1, 0}));
}

TEST_F(ViewVolumeTest, ScreenBoxProjectsTheCorners) {
    auto volume = frustum.clipByPortal(eye, portalOf(squareFacingEye(1, -2)), PortalCap::kFarSide);
    ASSERT_NE(volume, nullptr);
    BoundingBox box = volume->screenBox(frameProjection());
    EXPECT_FLOAT_EQ(box.min.x, -0.5f);
    EXPECT_FLOAT_EQ(box.max.x, 0.5f);
    EXPECT_FLOAT_EQ(box.min.y, -2.0f / 3.0f);
    EXPECT_FLOAT_EQ(box.max.y, 2.0f / 3.0f);
    EXPECT_NEAR(box.min.z, -0.0005f, 1e-6f);  // (0.999 * 2 - 1.999) / 2
}

TEST_F(ViewVolumeTest, ScreenBoxOfTheCameraVolumeIsTheWholeScreen) {
    BoundingBox box = frustum.screenBox(frameProjection());
    EXPECT_EQ(box.min.x, -1.0f);
    EXPECT_EQ(box.min.y, -1.0f);  // the volume is taller than the 4:3 picture
    EXPECT_EQ(box.max.x, 1.0f);
    EXPECT_EQ(box.max.y, 1.0f);
}

TEST_F(ViewVolumeTest, ScreenBoxWithACornerAtTheEyeCoversTheScreen) {
    ViewVolume v;
    v.corners = {{0, 0, 0, 0}, {0.1f, 0, -2, 0}, {0, 0.1f, -2, 0}};
    BoundingBox box = v.screenBox(frameProjection());
    EXPECT_EQ(box.min.x, -1.0f);
    EXPECT_EQ(box.max.y, 1.0f);
    EXPECT_TRUE(ViewVolume().screenBox(frameProjection()).isEmpty());
}

}  // namespace
}  // namespace arvel
