// Binding textures to units: frames, target switches, disabling, the unit count, and
// handles that are null, unknown or removed.
#include <cstring>

#include "TextureTest.h"

namespace arvel::test {
namespace {

using TextureUnitTest = TextureTest;

// Three 4 x 4 frames: red, green, blue.
struct ThreeFrames {
    Image red{4, 4, 3}, green{4, 4, 3}, blue{4, 4, 3};
    ThreeFrames() {
        red.fill({255, 0, 0});
        green.fill({0, 255, 0});
        blue.fill({0, 0, 255});
    }
    std::vector<const void*> images() const {
        return {red.pixels.data(), green.pixels.data(), blue.pixels.data()};
    }
};

TEST_F(TextureUnitTest, FrameIndexWrapsModuloTheImageCount) {
    const ThreeFrames frames;
    DTexture* texture = registerImages(frames.images(), 4, 4, 1);
    ASSERT_NE(texture, nullptr);

    gDriver.dActivateTexture(texture, 0, 7);  // 7 mod 3 = 1
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 0, 255, 0));

    gDriver.dActivateTexture(texture, 0, 3);
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 255, 0, 0));

    gDriver.dActivateTexture(texture, 0, 0xFFFFFFFFu);  // 4294967295 mod 3 = 0
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 255, 0, 0));

    gDriver.dActivateTexture(texture, 0, 5);
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 0, 0, 255));
}

TEST_F(TextureUnitTest, DisablingAUnitDrawsUntextured) {
    const ThreeFrames frames;
    DTexture* texture = registerImages(frames.images(), 4, 4, 1);
    gDriver.dActivateTexture(texture, 0, 2);
    EXPECT_TRUE(enabledOn(0, GL_TEXTURE_2D));
    gDriver.dDisableTextureing(0);
    EXPECT_FALSE(enabledOn(0, GL_TEXTURE_2D));
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 255, 255, 255));
}

TEST_F(TextureUnitTest, SwitchingTargetsOnAUnitDisablesTheOldOne) {
    Image odd(3, 3, 3);
    odd.fill({0, 0, 255});
    Image even(4, 4, 3);
    even.fill({255, 0, 0});
    DTexture* rectangle = registerImage(odd);
    DTexture* flat = registerImage(even);
    gDriver.dActivateTexture(rectangle, 0, 0);
    EXPECT_TRUE(enabledOn(0, GL_TEXTURE_RECTANGLE_NV));
    EXPECT_FALSE(enabledOn(0, GL_TEXTURE_2D));
    gDriver.dActivateTexture(flat, 0, 0);
    EXPECT_FALSE(enabledOn(0, GL_TEXTURE_RECTANGLE_NV));
    EXPECT_TRUE(enabledOn(0, GL_TEXTURE_2D));
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 255, 0, 0));
    gDriver.dDisableTextureing(0);
    EXPECT_FALSE(enabledOn(0, GL_TEXTURE_2D));
    EXPECT_FALSE(enabledOn(0, GL_TEXTURE_RECTANGLE_NV));
}

TEST_F(TextureUnitTest, UnitsKeepTheirOwnBindings) {
    const ThreeFrames frames;
    DTexture* texture = registerImages(frames.images(), 4, 4, 1);
    gDriver.dActivateTexture(texture, 0, 0);
    gDriver.dActivateTexture(texture, 1, 1);
    const GLint onZero = boundOn(0, GL_TEXTURE_BINDING_2D);
    const GLint onOne = boundOn(1, GL_TEXTURE_BINDING_2D);
    EXPECT_NE(onZero, 0);
    EXPECT_NE(onOne, 0);
    EXPECT_NE(onZero, onOne);
    EXPECT_TRUE(enabledOn(1, GL_TEXTURE_2D));
    gDriver.dDisableTextureing(1);
    EXPECT_FALSE(enabledOn(1, GL_TEXTURE_2D));
    EXPECT_TRUE(enabledOn(0, GL_TEXTURE_2D));
}

// Programs sample a unit whether it is enabled or not; a disabled one must not go on
// showing them the texture it held.
TEST_F(TextureUnitTest, DisablingAUnitUnbindsItsTexture) {
    const ThreeFrames frames;
    DTexture* texture = registerImages(frames.images(), 4, 4, 1);
    gDriver.dActivateTexture(texture, 1, 0);
    ASSERT_NE(boundOn(1, GL_TEXTURE_BINDING_2D), 0);
    gDriver.dDisableTextureing(1);
    EXPECT_EQ(boundOn(1, GL_TEXTURE_BINDING_2D), 0);
    // Activating it again binds it again.
    gDriver.dActivateTexture(texture, 1, 0);
    EXPECT_NE(boundOn(1, GL_TEXTURE_BINDING_2D), 0);
}

TEST_F(TextureUnitTest, UnitCountIsTheImageUnitLimitAtMostThirtyTwo) {
    const int units = gDriver.dTextureUnits();
    EXPECT_GE(units, 1);
    EXPECT_LE(units, 32);
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (extensions && std::strstr(extensions, "GL_ARB_fragment_program ")) {
        EXPECT_EQ(units, std::min(32, static_cast<int>(integer(GL_MAX_TEXTURE_IMAGE_UNITS_ARB))));
    }
}

TEST_F(TextureUnitTest, UnitsBeyondTheCountAreIgnored) {
    const ThreeFrames frames;
    DTexture* texture = registerImages(frames.images(), 4, 4, 1);
    gDriver.dActivateTexture(texture, 0, 0);
    const GLint before = boundOn(0, GL_TEXTURE_BINDING_2D);
    gDriver.dActivateTexture(texture, -1, 1);
    gDriver.dActivateTexture(texture, gDriver.dTextureUnits(), 1);
    gDriver.dActivateTexture(texture, 1000, 1);
    gDriver.dDisableTextureing(-5);
    gDriver.dDisableTextureing(64);
    EXPECT_EQ(boundOn(0, GL_TEXTURE_BINDING_2D), before);
    EXPECT_TRUE(enabledOn(0, GL_TEXTURE_2D));
    EXPECT_EQ(gDriver.dError(), 0);
}

TEST_F(TextureUnitTest, NullHandleShowsNullDataAndChangesNothing) {
    const ThreeFrames frames;
    DTexture* texture = registerImages(frames.images(), 4, 4, 1);
    gDriver.dActivateTexture(texture, 0, 1);
    const GLint before = boundOn(0, GL_TEXTURE_BINDING_2D);
    const std::string err = stderrOf([] { gDriver.dActivateTexture(nullptr, 0, 0); });
    EXPECT_NE(err.find("NULLDATA\n"), std::string::npos) << err;
    EXPECT_EQ(boundOn(0, GL_TEXTURE_BINDING_2D), before);
}

TEST_F(TextureUnitTest, UnknownHandlesAreIgnoredEverywhere) {
    alignas(16) unsigned char bogus[256];
    std::memset(bogus, 0xA5, sizeof bogus);
    DTexture* fake = reinterpret_cast<DTexture*>(bogus);
    float s = -7.0f, t = -7.0f;
    const std::string err = stderrOf([&] {
        gDriver.dActivateTexture(fake, 0, 0);
        EXPECT_EQ(gDriver.dSetTextureParam(fake, 304, 2), 0);
        gDriver.dGetNormalizationFactors(fake, &s, &t);
        gDriver.dGetFromScreen(fake, 0, 0, 0, 8, 8);
        gDriver.dRemoveTexture(fake);
        gDriver.dRemoveTexture(nullptr);
        EXPECT_EQ(gDriver.dSetTextureParam(nullptr, 304, 2), 0);
        gDriver.dGetNormalizationFactors(nullptr, &s, &t);
    });
    EXPECT_EQ(s, -7.0f);
    EXPECT_EQ(t, -7.0f);
    EXPECT_NE(err.find("NULLDATA"), std::string::npos);
}

TEST_F(TextureUnitTest, RemovedHandleIsForgottenByItsUnit) {
    const ThreeFrames frames;
    DTexture* texture = registerImages(frames.images(), 4, 4, 1);
    gDriver.dActivateTexture(texture, 0, 0);
    forget(texture);
    gDriver.dRemoveTexture(texture);
    // A second removal and later use of the stale handle do nothing.
    gDriver.dRemoveTexture(texture);
    EXPECT_EQ(gDriver.dSetTextureParam(texture, 304, 1), 0);
    gDriver.dDisableTextureing(0);
    EXPECT_FALSE(enabledOn(0, GL_TEXTURE_2D));
}

TEST_F(TextureUnitTest, TexCombineIsNotExported) {
    EXPECT_EQ(gDriver.dTexCombine, nullptr);
    EXPECT_NE(gDriver.dTexGenFunc, nullptr);
}

}  // namespace
}  // namespace arvel::test
