// The comparison codes 1 to 8 of the depth, stencil and alpha tests, and the codes
// that leave each test unchanged.
#include "StateTest.h"

namespace arvel::test {
namespace {

constexpr int kCodes[] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr int kIgnoredCodes[] = {0, 9, -1, 0x103};

// Three probe rectangles side by side; the value each tests against is chosen by
// the test.
constexpr int kProbeX[3] = {16, 96, 176};
constexpr int kProbeWidth = 64;

class ComparisonTest : public StateTest {
protected:
    void fillProbe(int i, float z = 0.0f) {
        fillPixels(kProbeX[i], 64, kProbeX[i] + kProbeWidth, 192, z);
    }
    bool probeDrawn(int i) const { return !isBlack(kProbeX[i] + kProbeWidth / 2, 128); }
};

TEST_F(ComparisonTest, DepthFuncCodesCompareIncomingDepthWithStoredDepth) {
    const float depths[3] = {-0.5f, 0.0f, 0.5f};  // nearer, equal, farther than 0
    for (int code : kCodes) {
        SCOPED_TRACE(code);
        clear(0, 0, 0, 0);
        gDriver.dEnableDepth();
        gDriver.dDepthMask(1);
        gDriver.dDepthFunc(dcode::kAlways);
        gDriver.dColor3(0, 0, 0);
        fillWindow(0.0f);  // stored depth everywhere: the same plane as the middle probe
        gDriver.dDepthFunc(code);
        gDriver.dColor3(1, 1, 1);
        for (int i = 0; i < 3; ++i) fillProbe(i, depths[i]);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(probeDrawn(i), comparisonPasses(code, depths[i], 0.0)) << "probe " << i;
    }
}

TEST_F(ComparisonTest, StencilFuncCodesCompareReferenceWithStoredValue) {
    const int references[3] = {4, 5, 6};
    for (int code : kCodes) {
        SCOPED_TRACE(code);
        clear(0, 0, 0, 0, 5);
        gDriver.dEnableStencil();
        gDriver.dStencilOp(1, 1, 1);
        gDriver.dColor3(1, 1, 1);
        for (int i = 0; i < 3; ++i) {
            gDriver.dStencilFunc(code, references[i], 0xFF);
            fillProbe(i);
        }
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(probeDrawn(i), comparisonPasses(code, references[i], 5)) << "probe " << i;
    }
}

TEST_F(ComparisonTest, StencilFuncAppliesTheMaskToBothSides) {
    clear(0, 0, 0, 0, 0x15);
    gDriver.dEnableStencil();
    gDriver.dColor3(1, 1, 1);
    gDriver.dStencilFunc(dcode::kEqual, 0x05, 0x0F);  // 0x15 & 0x0F == 0x05
    fillProbe(0);
    gDriver.dStencilFunc(dcode::kEqual, 0x05, 0xFF);
    fillProbe(1);
    EXPECT_TRUE(probeDrawn(0));
    EXPECT_FALSE(probeDrawn(1));
}

TEST_F(ComparisonTest, AlphaFuncCodesCompareFragmentAlphaWithReference) {
    // Alpha and reference pairs exact in any precision: less, equal, greater.
    const float alphas[3] = {0.0f, 1.0f, 1.0f};
    const float references[3] = {1.0f, 1.0f, 0.0f};
    for (int code : kCodes) {
        SCOPED_TRACE(code);
        clear(0, 0, 0, 0);
        gDriver.dEnableAlphaTest();
        for (int i = 0; i < 3; ++i) {
            gDriver.dAlphaFunc(code, references[i]);
            gDriver.dColor4(1, 1, 1, alphas[i]);
            fillProbe(i);
        }
        gDriver.dDisableAlphaTest();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(probeDrawn(i), comparisonPasses(code, alphas[i], references[i]))
                << "probe " << i;
    }
}

TEST_F(ComparisonTest, IgnoredDepthCodesKeepThePreviousFunction) {
    gDriver.dEnableDepth();
    gDriver.dColor3(1, 1, 1);
    for (int code : kIgnoredCodes) {
        SCOPED_TRACE(code);
        clear(0, 0, 0, 0);
        gDriver.dDepthFunc(dcode::kNever);
        gDriver.dDepthFunc(code);
        fillProbe(0);
        gDriver.dDepthFunc(dcode::kAlways);
        gDriver.dDepthFunc(code);
        fillProbe(1);
        EXPECT_FALSE(probeDrawn(0));
        EXPECT_TRUE(probeDrawn(1));
    }
}

TEST_F(ComparisonTest, IgnoredStencilCodesKeepFunctionReferenceAndMask) {
    gDriver.dEnableStencil();
    gDriver.dColor3(1, 1, 1);
    for (int code : kIgnoredCodes) {
        SCOPED_TRACE(code);
        clear(0, 0, 0, 0, 5);
        gDriver.dStencilFunc(dcode::kNever, 5, 0xFF);
        gDriver.dStencilFunc(code, 5, 0xFF);
        fillProbe(0);
        gDriver.dStencilFunc(dcode::kEqual, 5, 0xFF);
        gDriver.dStencilFunc(code, 9, 0);  // would pass everything if taken
        fillProbe(1);
        gDriver.dStencilFunc(dcode::kEqual, 4, 0xFF);
        gDriver.dStencilFunc(code, 5, 0xFF);  // would pass if taken
        fillProbe(2);
        EXPECT_FALSE(probeDrawn(0));
        EXPECT_TRUE(probeDrawn(1));
        EXPECT_FALSE(probeDrawn(2));
    }
}

TEST_F(ComparisonTest, IgnoredAlphaCodesKeepFunctionAndReference) {
    gDriver.dEnableAlphaTest();
    gDriver.dColor4(1, 1, 1, 1);
    for (int code : kIgnoredCodes) {
        SCOPED_TRACE(code);
        clear(0, 0, 0, 0);
        gDriver.dAlphaFunc(dcode::kNever, 0.0f);
        gDriver.dAlphaFunc(code, 0.0f);
        fillProbe(0);
        gDriver.dAlphaFunc(dcode::kGreaterEqual, 1.0f);
        gDriver.dAlphaFunc(code, 2.0f);  // would reject alpha 1 if taken
        fillProbe(1);
        EXPECT_FALSE(probeDrawn(0));
        EXPECT_TRUE(probeDrawn(1));
    }
}

TEST_F(ComparisonTest, DisabledTestsLetEverythingThrough) {
    clear(0, 0, 0, 0, 5);
    gDriver.dColor4(1, 1, 1, 0);
    gDriver.dDepthFunc(dcode::kNever);
    gDriver.dStencilFunc(dcode::kNever, 0, 0xFF);
    gDriver.dAlphaFunc(dcode::kNever, 0.0f);
    gDriver.dEnableDepth();
    gDriver.dEnableStencil();
    gDriver.dEnableAlphaTest();
    fillProbe(0);
    gDriver.dDisableDepth();
    gDriver.dDisableStencil();
    gDriver.dDisableAlphaTest();
    fillProbe(1);
    EXPECT_FALSE(probeDrawn(0));
    EXPECT_TRUE(probeDrawn(1));
}

}  // namespace
}  // namespace arvel::test
