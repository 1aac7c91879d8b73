// Stencil operation codes in each of their three positions, wrapping, and two-sided
// stencil: a z-fail shadow count drawn in one two-sided pass equals the count of two
// culled single-sided passes.
#include <vector>

#include "StateTest.h"

namespace arvel::test {
namespace {

constexpr int kStored = 5;
constexpr int kReference = 9;

// What each operation code makes of kStored with reference kReference.
int expectedAfter(int code) {
    switch (code) {
        case 2:
            return 0;
        case 3:
            return kReference;
        case 4:
            return kStored + 1;
        case 5:
            return kStored - 1;
        case 6:
            return ~kStored & 0xFF;
        case 7:
            return kStored + 1;
        case 8:
            return kStored - 1;
        default:
            return kStored;  // keep, 1 and unknown codes included
    }
}

constexpr int kOperationCodes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, 0x102};

class StencilTest : public StateTest {
protected:
    // Draws a probe with the given function after clearing the stencil to `stored`,
    // and returns the stencil value under it.
    int probe(int function, int stored, float z = 0.0f) {
        clear(0, 0, 0, 0, stored);
        gDriver.dEnableStencil();
        gDriver.dStencilFunc(function, kReference, 0xFF);
        fillPixels(64, 64, 192, 192, z);
        return readStencil(128, 128);
    }
};

TEST_F(StencilTest, DepthPassOperationCodes) {
    for (int code : kOperationCodes) {
        SCOPED_TRACE(code);
        gDriver.dStencilOp(1, 1, code);
        EXPECT_EQ(probe(dcode::kAlways, kStored), expectedAfter(code));
        EXPECT_EQ(readStencil(10, 10), kStored) << "outside the probe nothing changes";
    }
}

TEST_F(StencilTest, StencilFailOperationCodes) {
    for (int code : kOperationCodes) {
        SCOPED_TRACE(code);
        gDriver.dStencilOp(code, 1, 1);
        EXPECT_EQ(probe(dcode::kNever, kStored), expectedAfter(code));
    }
}

TEST_F(StencilTest, DepthFailOperationCodes) {
    for (int code : kOperationCodes) {
        SCOPED_TRACE(code);
        gDriver.dStencilOp(1, code, 1);
        gDriver.dEnableDepth();
        gDriver.dDepthFunc(dcode::kNever);
        EXPECT_EQ(probe(dcode::kAlways, kStored), expectedAfter(code));
        gDriver.dDisableDepth();
    }
}

TEST_F(StencilTest, KeepCodesLeaveAllThreePositionsUnchanged) {
    gDriver.dStencilOp(1, 1, 1);
    EXPECT_EQ(probe(dcode::kAlways, kStored), kStored);
    EXPECT_EQ(probe(dcode::kNever, kStored), kStored);
}

TEST_F(StencilTest, WrappingOperationsWrapAndClampedOnesSaturate) {
    gDriver.dStencilOp(1, 1, dcode::kIncrementWrap);
    EXPECT_EQ(probe(dcode::kAlways, 255), 0);
    gDriver.dStencilOp(1, 1, dcode::kIncrement);
    EXPECT_EQ(probe(dcode::kAlways, 255), 255);
    gDriver.dStencilOp(1, 1, dcode::kDecrementWrap);
    EXPECT_EQ(probe(dcode::kAlways, 0), 255);
    gDriver.dStencilOp(1, 1, dcode::kDecrement);
    EXPECT_EQ(probe(dcode::kAlways, 0), 0);
}

// A cube straddling a receiver plane that covers the left half of the view, seen in
// perspective. Z-fail counting leaves 1 where the receiver lies inside the cube.
class ShadowVolumeTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (!gDriver.dTwoSidedStencil()) GTEST_SKIP() << "no two-sided stencil here";
    }

    void setView() {
        gDriver.dMatrixMode(dcode::kProjection);
        gDriver.dLoadIdentity();
        gDriver.dFrustum(-0.1f, 0.1f, -0.1f, 0.1f, 0.1f, 100.0f);
        gDriver.dMatrixMode(dcode::kModelView);
        gDriver.dLoadIdentity();
        gDriver.dTranslate(0, 0, -4);
    }

    void drawReceiver() {
        clear(0, 0, 0, 0);
        setView();
        gDriver.dEnableDepth();
        gDriver.dDepthFunc(dcode::kLess);
        gDriver.dDepthMask(1);
        gDriver.dColor3(1, 1, 1);
        QuadVertices(-3, -3, 0, 3, 0).draw();
    }

    void drawCube() {
        static const float kFaces[6][4][3] = {
            {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},
            {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}},
            {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}},
            {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
            {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}},
            {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
        };
        gDriver.dPushMatrix();
        gDriver.dRotate(30, 1, 1, 0);
        gDriver.dScale(0.8f, 0.8f, 0.8f);
        for (const auto& face : kFaces) {
            RenderPosition p[4];
            RenderTexCoord t[4] = {};
            RenderVertex v[4];
            for (int i = 0; i < 4; ++i) {
                p[i] = {face[i][0], face[i][1], face[i][2], 1};
                v[i] = {&p[i], &t[i], {}, {}, {}};
            }
            gDriver.dRenderQuad(&v[0], &v[1], &v[2], &v[3]);
        }
        gDriver.dPopMatrix();
    }

    void beginVolumes() {
        gDriver.dDepthMask(0);
        gDriver.dColorMask(0, 0, 0, 0);
    }

    void endVolumes() {
        gDriver.dColorMask(1, 1, 1, 1);
        gDriver.dDepthMask(1);
    }

    std::vector<int> stencilGrid() const {
        std::vector<int> grid;
        for (int y = 2; y < kSize; y += 4)
            for (int x = 2; x < kSize; x += 4) grid.push_back(readStencil(x, y));
        return grid;
    }
};

TEST_F(ShadowVolumeTest, TwoSidedAndTwoPassZFailGiveTheSameStencil) {
    drawReceiver();
    beginVolumes();
    gDriver.dDisableCull();
    gDriver.dEnableTwoSidedStencil();
    gDriver.dStencilSide(dcode::kBack);
    gDriver.dStencilFunc(dcode::kAlways, 0, ~0u);
    gDriver.dStencilOp(1, dcode::kIncrementWrap, 1);
    gDriver.dStencilSide(dcode::kFront);
    gDriver.dStencilFunc(dcode::kAlways, 0, ~0u);
    gDriver.dStencilOp(1, dcode::kDecrementWrap, 1);
    drawCube();
    gDriver.dDisableTwoSidedStencil();
    endVolumes();
    const std::vector<int> twoSided = stencilGrid();
    EXPECT_EQ(readStencil(118, 128), 1) << "receiver inside the cube";
    EXPECT_EQ(readStencil(138, 128), 0) << "cube without a receiver behind it";
    EXPECT_EQ(readStencil(20, 128), 0) << "receiver outside the cube";

    drawReceiver();
    beginVolumes();
    gDriver.dEnableStencil();
    gDriver.dEnableCull();
    gDriver.dStencilFunc(dcode::kAlways, 0, ~0u);
    gDriver.dCullFace(dcode::kFront);
    gDriver.dStencilOp(1, dcode::kIncrementWrap, 1);
    drawCube();
    gDriver.dCullFace(dcode::kBack);
    gDriver.dStencilOp(1, dcode::kDecrementWrap, 1);
    drawCube();
    gDriver.dDisableCull();
    gDriver.dDisableStencil();
    endVolumes();
    const std::vector<int> twoPass = stencilGrid();

    EXPECT_EQ(twoSided, twoPass);
    int shadowed = 0;
    for (int value : twoPass) {
        EXPECT_TRUE(value == 0 || value == 1) << value;
        shadowed += value == 1;
    }
    EXPECT_GT(shadowed, 20);
}

TEST_F(ShadowVolumeTest, BackFaceStateIsSetOnlyWhileTheBackSideIsSelected) {
    clear(0, 0, 0, 0, 0);
    gDriver.dEnableTwoSidedStencil();
    gDriver.dStencilSide(dcode::kFront);
    gDriver.dStencilFunc(dcode::kAlways, 3, 0xFF);
    gDriver.dStencilOp(1, 1, dcode::kReplace);
    gDriver.dStencilSide(dcode::kBack);
    gDriver.dStencilFunc(dcode::kAlways, 7, 0xFF);
    gDriver.dStencilOp(1, 1, dcode::kReplace);
    fillPixels(0, 0, 128, 256, 0, false);   // front-facing
    fillPixels(128, 0, 256, 256, 0, true);  // back-facing
    gDriver.dDisableTwoSidedStencil();
    EXPECT_EQ(readStencil(64, 128), 3);
    EXPECT_EQ(readStencil(192, 128), 7);
}

TEST_F(ShadowVolumeTest, DisablingTwoSidedStencilSelectsTheFrontFaceAgain) {
    clear(0, 0, 0, 0, 0);
    gDriver.dEnableTwoSidedStencil();
    gDriver.dStencilSide(dcode::kBack);
    gDriver.dDisableTwoSidedStencil();
    gDriver.dEnableStencil();
    gDriver.dStencilFunc(dcode::kAlways, 3, 0xFF);
    gDriver.dStencilOp(1, 1, dcode::kReplace);
    fillWindow();
    EXPECT_EQ(readStencil(128, 128), 3);
}

TEST_F(ShadowVolumeTest, DisablingTwoSidedStencilTurnsTheStencilTestOff) {
    clear(0, 0, 0, 0, 0);
    gDriver.dEnableTwoSidedStencil();
    gDriver.dStencilFunc(dcode::kNever, 0, 0xFF);
    gDriver.dDisableTwoSidedStencil();
    gDriver.dColor3(1, 1, 1);
    fillWindow();
    EXPECT_FALSE(isBlack(128, 128));
}

}  // namespace
}  // namespace arvel::test
