// Blend factor bytes (including bytes above 7, which pass the whole mode word to the
// graphics API), separate alpha blending, and the colour and depth write masks.
#include <algorithm>

#include "StateTest.h"

namespace arvel::test {
namespace {

struct Colour {
    double r, g, b, a;
};

// A byte as the frame buffer stores it, back as a fraction.
double stored(double value) { return static_cast<int>(value * 255.0 + 0.5) / 255.0; }

class BlendTest : public StateTest {
protected:
    static constexpr Colour kSource = {0.8, 0.6, 0.4, 0.5};

    void SetUp() override {
        StateTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        clear(0.2f, 0.4f, 0.6f, 0.25f);
        const Rgba p = readPixel(128, 128);
        destination_ = {p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, p[3] / 255.0};
    }

    // Draws the source colour over the cleared destination with the mode and checks
    // the result against source * sf + destination * df, per channel factors.
    void expectBlend(unsigned mode, const Colour& sf, const Colour& df) {
        SCOPED_TRACE(::testing::Message() << "mode 0x" << std::hex << mode);
        clear(0.2f, 0.4f, 0.6f, 0.25f);
        gDriver.dEnableBlend();
        gDriver.dBlendFunc(mode);
        gDriver.dColor4(kSource.r, kSource.g, kSource.b, kSource.a);
        fillWindow();
        gDriver.dDisableBlend();
        const Colour& s = kSource;
        const Colour& d = destination_;
        auto channel = [](double src, double f, double dst, double g) {
            return static_cast<int>(std::clamp(src * f + dst * g, 0.0, 1.0) * 255.0 + 0.5);
        };
        EXPECT_TRUE(colourAt(128, 128, channel(s.r, sf.r, d.r, df.r), channel(s.g, sf.g, d.g, df.g),
                             channel(s.b, sf.b, d.b, df.b), 3));
    }

    static Colour all(double f) { return {f, f, f, f}; }

    Colour destination_{};
};

TEST_F(BlendTest, SourceFactorCodes) {
    const Colour& s = kSource;
    const Colour& d = destination_;
    const double as = stored(s.a);
    expectBlend(dcode::blendMode(0, 0), all(0), all(0));
    expectBlend(dcode::blendMode(1, 0), all(1), all(0));
    expectBlend(dcode::blendMode(2, 0), d, all(0));
    expectBlend(dcode::blendMode(3, 0), {1 - d.r, 1 - d.g, 1 - d.b, 1 - d.a}, all(0));
    expectBlend(dcode::blendMode(4, 0), all(as), all(0));
    expectBlend(dcode::blendMode(5, 0), all(1 - as), all(0));
    expectBlend(dcode::blendMode(6, 0), all(d.a), all(0));
    expectBlend(dcode::blendMode(7, 0), all(1 - d.a), all(0));
}

TEST_F(BlendTest, DestinationFactorCodes) {
    const Colour& s = kSource;
    const Colour& d = destination_;
    const double as = stored(s.a);
    expectBlend(dcode::blendMode(0, 0), all(0), all(0));
    expectBlend(dcode::blendMode(0, 1), all(0), all(1));
    expectBlend(dcode::blendMode(0, 2), all(0), s);
    expectBlend(dcode::blendMode(0, 3), all(0), {1 - s.r, 1 - s.g, 1 - s.b, 1 - s.a});
    expectBlend(dcode::blendMode(0, 4), all(0), all(as));
    expectBlend(dcode::blendMode(0, 5), all(0), all(1 - as));
    expectBlend(dcode::blendMode(0, 6), all(0), all(d.a));
    expectBlend(dcode::blendMode(0, 7), all(0), all(1 - d.a));
}

TEST_F(BlendTest, Mode0x0504IsSourceAlphaOverOneMinusSourceAlpha) {
    const double as = stored(kSource.a);
    expectBlend(0x0504, all(as), all(1 - as));
}

TEST_F(BlendTest, DestinationByteAbove7PassesTheWholeModeAsDestinationFactor) {
    // 0x8004 is the API's "one minus constant alpha"; the constant alpha is 0, so the
    // destination is kept whole. The low byte 4 still selects source alpha.
    gDriver.dBlendFunc(dcode::blendMode(1, 0));
    expectBlend(0x8004, all(stored(kSource.a)), all(1));
}

TEST_F(BlendTest, SourceByteAbove7PassesTheWholeModeAsSourceFactor) {
    // 0x0308 is the API's "source alpha saturate": min(source alpha, 1 - destination
    // alpha) for colour. The second byte 3 still selects one minus source colour.
    const Colour& s = kSource;
    const double saturate = std::min(stored(s.a), 1 - destination_.a);
    expectBlend(0x0308, all(saturate), {1 - s.r, 1 - s.g, 1 - s.b, 1 - s.a});
}

TEST_F(BlendTest, BlendFuncSeparateSetsColourAndAlphaFactorsApart) {
    ASSERT_TRUE(gDriver.dSeparateBlendFunc());
    if (destination_.a > 0.99) GTEST_SKIP() << "the frame buffer stores no alpha";
    clear(0.2f, 0.4f, 0.6f, 0.25f);
    gDriver.dEnableBlend();
    // Colour: source only; alpha: destination only.
    gDriver.dBlendFuncSeparate(dcode::blendMode(1, 0), dcode::blendMode(0, 1));
    gDriver.dColor4(1, 1, 1, 1);
    fillWindow();
    const Rgba p = readPixel(128, 128);
    EXPECT_TRUE(colourAt(128, 128, 255, 255, 255));
    EXPECT_NEAR(p[3], 64, 2) << "alpha kept from the destination";
}

TEST_F(BlendTest, SeparateBlendSwitchesAreTheBlendSwitches) {
    auto enable = unboundExport<void (*)()>("dEnableSeparateBlendFunc");
    auto disable = unboundExport<void (*)()>("dDisableSeparateBlendFunc");
    ASSERT_NE(enable, nullptr);
    ASSERT_NE(disable, nullptr);
    gDriver.dBlendFunc(dcode::blendMode(0, 1));  // keeps the destination
    gDriver.dColor3(1, 1, 1);
    enable();
    fillPixels(0, 0, 128, 256);
    disable();
    fillPixels(128, 0, 256, 256);
    EXPECT_TRUE(colourAt(64, 128, 51, 102, 153));
    EXPECT_TRUE(colourAt(192, 128, 255, 255, 255));
}

TEST_F(BlendTest, DisabledBlendingWritesTheSourceUnchanged) {
    gDriver.dBlendFunc(dcode::blendMode(0, 1));
    gDriver.dEnableBlend();
    gDriver.dDisableBlend();
    gDriver.dColor3(1, 0, 0);
    fillWindow();
    EXPECT_TRUE(colourAt(128, 128, 255, 0, 0));
}

class WriteMaskTest : public StateTest {};

TEST_F(WriteMaskTest, ColorMaskWritesOnlyChannelsWhoseArgumentIsExactlyOne) {
    const bool storesAlpha = readPixel(128, 128)[3] == 0;  // cleared to alpha 0
    gDriver.dColorMask(1, 2, 1, 1);
    gDriver.dColor4(1, 1, 1, 1);
    fillWindow();
    gDriver.dColorMask(1, 1, 1, 1);
    EXPECT_TRUE(colourAt(128, 128, 255, 0, 255));
    if (storesAlpha) {
        EXPECT_EQ(readPixel(128, 128)[3], 255);
    }
}

TEST_F(WriteMaskTest, ColorMaskLooksAtTheLowByteOnly) {
    gDriver.dColorMask(0x101, 0x100, 0x201, 0);
    gDriver.dColor4(1, 1, 1, 1);
    fillWindow();
    gDriver.dColorMask(1, 1, 1, 1);
    EXPECT_TRUE(colourAt(128, 128, 255, 0, 255));
}

TEST_F(WriteMaskTest, ColorMaskOfZerosWritesNothing) {
    gDriver.dColorMask(0, 0, 0, 0);
    gDriver.dColor3(1, 1, 1);
    fillWindow();
    gDriver.dColorMask(1, 1, 1, 1);
    EXPECT_TRUE(isBlack(128, 128));
}

TEST_F(WriteMaskTest, DepthMaskOffLeavesTheDepthBufferUntouched) {
    gDriver.dEnableDepth();
    gDriver.dDepthFunc(dcode::kLess);
    for (int off : {0, 0x100}) {
        SCOPED_TRACE(off);
        clear(0, 0, 0, 0);
        gDriver.dDepthMask(off);
        gDriver.dColor3(1, 0, 0);
        fillWindow(-0.5f);
        gDriver.dColor3(0, 1, 0);
        fillWindow(0.5f);  // behind the red one, but its depth was never written
        EXPECT_TRUE(colourAt(128, 128, 0, 255, 0));
    }
}

TEST_F(WriteMaskTest, DepthMaskOnWritesDepth) {
    gDriver.dEnableDepth();
    gDriver.dDepthFunc(dcode::kLess);
    gDriver.dDepthMask(2);
    gDriver.dColor3(1, 0, 0);
    fillWindow(-0.5f);
    gDriver.dColor3(0, 1, 0);
    fillWindow(0.5f);
    EXPECT_TRUE(colourAt(128, 128, 255, 0, 0));
    EXPECT_NEAR(readDepth(128, 128), 0.25f, 0.001f);
}

}  // namespace
}  // namespace arvel::test
