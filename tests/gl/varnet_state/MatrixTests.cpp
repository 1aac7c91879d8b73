// Matrix selection, loading and the multiplying operations, seen through where a quad
// lands on the screen.
#include <GL/gl.h>

#include "StateTest.h"

namespace arvel::test {
namespace {

class MatrixTest : public StateTest {
protected:
    // A small white square around the origin of the current coordinates.
    void drawMarker(float cx = 0, float cy = 0, float half = 0.1f, float z = 0) {
        gDriver.dColor3(1, 1, 1);
        QuadVertices(cx - half, cy - half, cx + half, cy + half, z).draw();
    }
};

TEST_F(MatrixTest, MatrixLoadsColumnMajorWithTranslationAt12) {
    const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1};
    gDriver.dMatrix(m);
    drawMarker();
    EXPECT_TRUE(isBlack(128, 128));
    EXPECT_FALSE(isBlack(192, 128));
}

TEST_F(MatrixTest, PushAndPopRestoreTheMatrix) {
    gDriver.dPushMatrix();
    gDriver.dTranslate(0.5f, 0, 0);
    gDriver.dPopMatrix();
    drawMarker();
    EXPECT_FALSE(isBlack(128, 128));
    EXPECT_TRUE(isBlack(192, 128));
}

TEST_F(MatrixTest, LoadIdentityUndoesEarlierChanges) {
    gDriver.dTranslate(0.5f, 0.5f, 0);
    gDriver.dScale(3, 3, 3);
    gDriver.dLoadIdentity();
    drawMarker();
    EXPECT_FALSE(isBlack(128, 128));
    EXPECT_TRUE(isBlack(192, 192));
}

TEST_F(MatrixTest, OrthoMapsTheGivenBoxOntoTheWindow) {
    gDriver.dMatrixMode(dcode::kProjection);
    gDriver.dOrtho(0, 256, 0, 256, -1, 1);
    gDriver.dMatrixMode(dcode::kModelView);
    drawMarker(20, 30, 4);
    EXPECT_FALSE(isBlack(20, 30));
    EXPECT_TRUE(isBlack(26, 30));
    EXPECT_TRUE(isBlack(128, 128));
}

TEST_F(MatrixTest, FrustumDividesByDistance) {
    gDriver.dMatrixMode(dcode::kProjection);
    gDriver.dFrustum(-1, 1, -1, 1, 1, 10);
    gDriver.dMatrixMode(dcode::kModelView);
    drawMarker(0, 0, 1, -2);  // two units away: half size, pixels 64 to 192
    EXPECT_FALSE(isBlack(70, 128));
    EXPECT_TRUE(isBlack(58, 128));
    EXPECT_FALSE(isBlack(186, 186));
    EXPECT_TRUE(isBlack(198, 198));
}

TEST_F(MatrixTest, ScaleTranslateAndRotateCompose) {
    gDriver.dRotate(90, 0, 0, 1);  // x axis onto y
    gDriver.dTranslate(0.5f, 0, 0);
    gDriver.dScale(2, 2, 1);
    drawMarker(0, 0, 0.05f);  // 0.2 across after scaling, centred at (0, 0.5) after turning
    EXPECT_FALSE(isBlack(128, 192));
    EXPECT_TRUE(isBlack(192, 128));
    EXPECT_TRUE(isBlack(128, 128));
    EXPECT_TRUE(isBlack(128, 192 + 16)) << "scaled by 2, not more";
    EXPECT_FALSE(isBlack(128, 192 + 10));
}

TEST_F(MatrixTest, ProjectionAndModelViewAreSeparateMatrices) {
    gDriver.dMatrixMode(dcode::kProjection);
    gDriver.dTranslate(0.5f, 0, 0);
    gDriver.dMatrixMode(dcode::kModelView);
    gDriver.dTranslate(0, 0.5f, 0);
    gDriver.dMatrixMode(dcode::kProjection);
    gDriver.dLoadIdentity();  // leaves the model-view translation
    gDriver.dMatrixMode(dcode::kModelView);
    drawMarker();
    EXPECT_FALSE(isBlack(128, 192));
    EXPECT_TRUE(isBlack(192, 192));
}

TEST_F(MatrixTest, UnknownMatrixModesChangeNothing) {
    for (int mode : {0, 3, 15, -1, 16 + 32}) {
        SCOPED_TRACE(mode);
        clear(0, 0, 0, 0);
        gDriver.dMatrixMode(dcode::kModelView);
        gDriver.dLoadIdentity();
        gDriver.dMatrixMode(mode);
        gDriver.dTranslate(0.5f, 0, 0);  // still the model-view matrix
        drawMarker();
        EXPECT_FALSE(isBlack(192, 128));
    }
}

TEST_F(MatrixTest, TextureModeActivatesTheUnitAndSelectsItsTextureMatrix) {
    gDriver.dMatrixMode(dcode::kTextureMatrix + 1);
    gDriver.dTranslate(0.25f, 0, 0);
    GLint activeUnit = 0, mode = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(activeUnit, GL_TEXTURE1);
    EXPECT_EQ(mode, GL_TEXTURE);
    GLfloat unit1[16];
    glGetFloatv(GL_TEXTURE_MATRIX, unit1);
    EXPECT_FLOAT_EQ(unit1[12], 0.25f);

    gDriver.dMatrixMode(dcode::kTextureMatrix);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    EXPECT_EQ(activeUnit, GL_TEXTURE0);
    GLfloat unit0[16];
    glGetFloatv(GL_TEXTURE_MATRIX, unit0);
    EXPECT_FLOAT_EQ(unit0[12], 0.0f);

    gDriver.dMatrixMode(dcode::kModelView);
    drawMarker();
    EXPECT_FALSE(isBlack(128, 128)) << "the model-view matrix was not touched";
}

}  // namespace
}  // namespace arvel::test
