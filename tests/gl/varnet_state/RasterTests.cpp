// Face culling and winding, scissor, viewport, wireframe, polygon offset and depth
// clamping.
#include "StateTest.h"

namespace arvel::test {
namespace {

class RasterTest : public StateTest {
protected:
    // A counter-clockwise quad on the left half, a clockwise one on the right.
    void drawBothWindings() {
        gDriver.dColor3(1, 1, 1);
        fillPixels(16, 64, 112, 192, 0, false);
        fillPixels(144, 64, 240, 192, 0, true);
    }
    bool leftDrawn() const { return !isBlack(64, 128); }
    bool rightDrawn() const { return !isBlack(192, 128); }
};

TEST_F(RasterTest, CullFaceBackRemovesClockwisePolygons) {
    gDriver.dEnableCull();
    gDriver.dCullFace(dcode::kBack);
    drawBothWindings();
    EXPECT_TRUE(leftDrawn());
    EXPECT_FALSE(rightDrawn());
}

TEST_F(RasterTest, CullFaceFrontRemovesCounterClockwisePolygons) {
    gDriver.dEnableCull();
    gDriver.dCullFace(dcode::kFront);
    drawBothWindings();
    EXPECT_FALSE(leftDrawn());
    EXPECT_TRUE(rightDrawn());
}

TEST_F(RasterTest, UnknownCullFaceCodeIsIgnored) {
    gDriver.dEnableCull();
    gDriver.dCullFace(dcode::kFront);
    gDriver.dCullFace(4098);
    gDriver.dCullFace(0);
    drawBothWindings();
    EXPECT_FALSE(leftDrawn());
    EXPECT_TRUE(rightDrawn());
}

TEST_F(RasterTest, DisabledCullingDrawsBothWindings) {
    gDriver.dCullFace(dcode::kBack);
    gDriver.dEnableCull();
    gDriver.dDisableCull();
    drawBothWindings();
    EXPECT_TRUE(leftDrawn());
    EXPECT_TRUE(rightDrawn());
}

TEST_F(RasterTest, FrontFaceChoosesWhichWindingIsFront) {
    auto frontFace = unboundExport<void (*)(int)>("dFrontFace");
    ASSERT_NE(frontFace, nullptr);
    gDriver.dEnableCull();
    gDriver.dCullFace(dcode::kBack);
    frontFace(dcode::kClockwise);
    frontFace(4100);  // ignored
    drawBothWindings();
    EXPECT_FALSE(leftDrawn());
    EXPECT_TRUE(rightDrawn());

    clear(0, 0, 0, 0);
    frontFace(dcode::kCounterClockwise);
    drawBothWindings();
    EXPECT_TRUE(leftDrawn());
    EXPECT_FALSE(rightDrawn());
}

TEST_F(RasterTest, ScissorLimitsDrawingToItsBox) {
    gDriver.dScissor(0, 0, 128, 256);
    gDriver.dEnableScissor();
    gDriver.dColor3(1, 0, 0);
    fillWindow();
    EXPECT_TRUE(colourAt(127, 128, 255, 0, 0));
    EXPECT_TRUE(isBlack(128, 128));

    gDriver.dDisableScissor();
    gDriver.dColor3(0, 1, 0);
    fillPixels(128, 0, 256, 256);
    EXPECT_TRUE(colourAt(200, 128, 0, 255, 0));
}

TEST_F(RasterTest, ViewportMapsTheWholeViewIntoItsRectangle) {
    gDriver.dViewport(0, 0, 128, 128);
    gDriver.dColor3(1, 1, 1);
    fillWindow();
    gDriver.dViewport(0, 0, kSize, kSize);
    EXPECT_FALSE(isBlack(64, 64));
    EXPECT_TRUE(isBlack(64, 192));
    EXPECT_TRUE(isBlack(192, 64));
}

TEST_F(RasterTest, WireframeDrawsOnlyTheEdges) {
    gDriver.dColor3(1, 1, 1);
    gDriver.dWireframe(1);
    // Edges through pixel centres, so each edge lights one exact column or row.
    const float half = 1.0f / kSize;
    QuadVertices(ndc(64) + half, ndc(64) + half, ndc(192) + half, ndc(192) + half, 0).draw();
    gDriver.dWireframe(0);
    EXPECT_TRUE(isBlack(128, 128)) << "the inside stays empty";
    EXPECT_FALSE(isBlack(64, 128)) << "left edge";
    EXPECT_FALSE(isBlack(128, 64)) << "bottom edge";
}

TEST_F(RasterTest, WireframeOffFillsAndLooksAtTheLowByte) {
    gDriver.dColor3(1, 1, 1);
    gDriver.dWireframe(1);
    gDriver.dWireframe(0x100);
    fillPixels(64, 64, 192, 192);
    EXPECT_FALSE(isBlack(128, 128));
}

TEST_F(RasterTest, PolygonOffsetPullsCoplanarPolygonsForward) {
    gDriver.dEnableDepth();
    gDriver.dDepthFunc(dcode::kLess);
    gDriver.dColor3(1, 0, 0);
    fillWindow(0.0f);
    gDriver.dColor3(0, 1, 0);
    fillWindow(0.0f);
    EXPECT_TRUE(colourAt(128, 128, 255, 0, 0)) << "coplanar fails 'less' without offset";

    gDriver.dPolygonOffset(0.0f, -100.0f);
    gDriver.dEnableOffset();
    fillWindow(0.0f);
    EXPECT_TRUE(colourAt(128, 128, 0, 255, 0));

    gDriver.dDisableOffset();
    gDriver.dColor3(0, 0, 1);
    fillWindow(0.0f);
    EXPECT_TRUE(colourAt(128, 128, 0, 255, 0)) << "offset off again";
}

TEST_F(RasterTest, DepthClampDrawsGeometryBeyondTheFarPlane) {
    ASSERT_TRUE(gDriver.dDepthClamp());
    gDriver.dEnableDepth();
    gDriver.dDepthFunc(dcode::kLessEqual);
    gDriver.dColor3(1, 1, 1);

    fillPixels(0, 0, 128, 256, 1.5f);  // beyond the far plane: clipped
    EXPECT_TRUE(isBlack(64, 128));

    gDriver.dEnableDepthClamp();
    fillPixels(0, 0, 128, 256, 1.5f);
    EXPECT_FALSE(isBlack(64, 128));
    EXPECT_FLOAT_EQ(readDepth(64, 128), 1.0f);

    gDriver.dDisableDepthClamp();
    fillPixels(128, 0, 256, 256, 1.5f);
    EXPECT_TRUE(isBlack(192, 128));
}

}  // namespace
}  // namespace arvel::test
