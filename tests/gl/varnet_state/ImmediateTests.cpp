// Immediate drawing (quads, triangles, lines, the coordinate-system cross) and the
// current colour.
#include <GL/gl.h>

#include "StateTest.h"

namespace arvel::test {
namespace {

class ImmediateTest : public StateTest {
protected:
    // Half a pixel in normalised coordinates: lines through pixel centres.
    static constexpr float kHalf = 1.0f / kSize;

    static DVec4 point(int px, int py) { return {ndc(px) + kHalf, ndc(py) + kHalf, 0, 1}; }
};

TEST_F(ImmediateTest, QuadFeedsTextureCoordinatesOfUnitZeroPerVertex) {
    QuadVertices quad(-0.5f, -0.5f, 0.5f, 0.5f, 0);
    quad.texCoord[3] = {0.25f, 0.75f};
    gDriver.dColor3(1, 1, 1);
    quad.draw();
    EXPECT_FALSE(isBlack(128, 128));
    GLfloat current[4] = {};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, current);
    EXPECT_FLOAT_EQ(current[0], 0.25f);
    EXPECT_FLOAT_EQ(current[1], 0.75f);
}

TEST_F(ImmediateTest, QuadWithAMissingRecordDrawsNothing) {
    QuadVertices quad(-1, -1, 1, 1, 0);
    gDriver.dColor3(1, 1, 1);
    gDriver.dRenderQuad(&quad.vertex[0], nullptr, &quad.vertex[2], &quad.vertex[3]);
    quad.vertex[1].position = nullptr;
    gDriver.dRenderQuad(&quad.vertex[0], &quad.vertex[1], &quad.vertex[2], &quad.vertex[3]);
    quad.vertex[1].position = &quad.position[1];
    quad.vertex[2].texCoord = nullptr;
    gDriver.dRenderQuad(&quad.vertex[0], &quad.vertex[1], &quad.vertex[2], &quad.vertex[3]);
    EXPECT_TRUE(isBlack(128, 128));
}

TEST_F(ImmediateTest, TriangleDrawsItsThreeCorners) {
    auto renderTriangle =
        unboundExport<void (*)(const RenderVertex*, const RenderVertex*, const RenderVertex*)>(
            "dRenderTriangle");
    ASSERT_NE(renderTriangle, nullptr);
    QuadVertices quad(-1, -1, 1, 1, 0);  // corners 0, 1, 2: the lower right half
    gDriver.dColor3(1, 1, 1);
    renderTriangle(&quad.vertex[0], &quad.vertex[1], &quad.vertex[2]);
    EXPECT_FALSE(isBlack(200, 50));
    EXPECT_TRUE(isBlack(50, 200));
    renderTriangle(&quad.vertex[0], nullptr, &quad.vertex[2]);  // ignored
}

TEST_F(ImmediateTest, LineRunsBetweenItsPointsInTheCurrentColour) {
    gDriver.dColor3(1, 1, 0);
    gDriver.dRenderLine(point(20, 100), point(200, 100));
    EXPECT_TRUE(colourAt(100, 100, 255, 255, 0));
    EXPECT_TRUE(isBlack(100, 102));
    EXPECT_TRUE(isBlack(220, 100));
}

TEST_F(ImmediateTest, CoordSystemDrawsRedGreenBlueAxesAndLeavesBlueCurrent) {
    gDriver.dColor3(1, 1, 1);
    const DVec4 origin = point(128, 128);
    gDriver.dRenderCoordSystem(origin, {0.5f, 0, 0, 0}, {0, 0.5f, 0, 0}, {-0.5f, -0.5f, 0, 0});
    EXPECT_TRUE(colourAt(160, 128, 255, 0, 0)) << "x axis";
    EXPECT_TRUE(colourAt(128, 160, 0, 255, 0)) << "y axis";
    EXPECT_TRUE(colourAt(96, 96, 0, 0, 255)) << "z axis";
    EXPECT_TRUE(isBlack(200, 128)) << "the x axis ends at origin + axis";

    fillPixels(0, 200, 40, 240);
    EXPECT_TRUE(colourAt(20, 220, 0, 0, 255)) << "blue stays the current colour";
}

TEST_F(ImmediateTest, ColourFunctionsSetTheCurrentColour) {
    const float rgb[3] = {0, 1, 0};
    const float rgba[4] = {0, 0, 1, 1};
    gDriver.dColor3(1, 0, 0);
    fillPixels(0, 0, 64, 64);
    gDriver.dColor3v(rgb);
    fillPixels(64, 0, 128, 64);
    gDriver.dColor4v(rgba);
    fillPixels(128, 0, 192, 64);
    gDriver.dColor4(1, 0, 1, 1);
    fillPixels(192, 0, 256, 64);
    gDriver.dColor3v(nullptr);  // ignored
    gDriver.dColor4v(nullptr);
    fillPixels(0, 64, 64, 128);
    EXPECT_TRUE(colourAt(32, 32, 255, 0, 0));
    EXPECT_TRUE(colourAt(96, 32, 0, 255, 0));
    EXPECT_TRUE(colourAt(160, 32, 0, 0, 255));
    EXPECT_TRUE(colourAt(224, 32, 255, 0, 255));
    EXPECT_TRUE(colourAt(32, 96, 255, 0, 255));
}

TEST_F(ImmediateTest, Color4SetsAlpha) {
    gDriver.dColor4(1, 1, 1, 0.5f);
    GLfloat current[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, current);
    EXPECT_FLOAT_EQ(current[3], 0.5f);
}

}  // namespace
}  // namespace arvel::test
