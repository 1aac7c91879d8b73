// Filtering and wrapping through dSetTextureParam: what the graphics API holds and
// what the window shows.
#include "TextureTest.h"

namespace arvel::test {
namespace {

using TextureParamTest = TextureTest;

constexpr int kFilter = 304, kWrapS = 305, kWrapT = 306, kWrapR = 307;

// 2 x 1: black texel, then white texel.
Image blackWhite() {
    Image image(2, 1, 3);
    image.set(1, 0, {255, 255, 255});
    return image;
}

TEST_F(TextureParamTest, LinearMipmapLinearWithAnisotropyFour) {
    Image image(8, 8, 3);
    DTexture* texture = registerImage(image, /*mipmap*/ true);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(gDriver.dSetTextureParam(texture, kFilter, 2 + 32 + 512), 1);
    gDriver.dActivateTexture(texture, 0, 0);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    GLfloat anisotropy = 0;
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    EXPECT_FLOAT_EQ(anisotropy, 4.0f);
}

TEST_F(TextureParamTest, MipFilterBitsSelectNearestOrLinearMipmaps) {
    Image image(8, 8, 3);
    DTexture* texture = registerImage(image, true);
    gDriver.dActivateTexture(texture, 0, 0);
    gDriver.dSetTextureParam(texture, kFilter, 1 + 16);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_NEAREST);
    gDriver.dSetTextureParam(texture, kFilter, 2 + 16);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    gDriver.dSetTextureParam(texture, kFilter, 1 + 32);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_LINEAR);
    gDriver.dSetTextureParam(texture, kFilter, 2 + 48);  // no mip filter named
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
}

TEST_F(TextureParamTest, WithoutMipmapsMinificationUsesThePlainFilter) {
    Image image(8, 8, 3);
    DTexture* texture = registerImage(image);
    gDriver.dActivateTexture(texture, 0, 0);
    gDriver.dSetTextureParam(texture, kFilter, 1 + 32);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
}

TEST_F(TextureParamTest, UnknownFilterLeavesFiltersButSetsAnisotropy) {
    Image image(8, 8, 3);
    DTexture* texture = registerImage(image, true);
    gDriver.dActivateTexture(texture, 0, 0);
    gDriver.dSetTextureParam(texture, kFilter, 1 + 16);
    gDriver.dSetTextureParam(texture, kFilter, 3 + 32 + 1024);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER), GL_NEAREST_MIPMAP_NEAREST);
    GLfloat anisotropy = 0;
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    EXPECT_FLOAT_EQ(anisotropy, 16.0f);
    gDriver.dSetTextureParam(texture, kFilter, 3 + 0x300);
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    EXPECT_FLOAT_EQ(anisotropy, 8.0f);
    gDriver.dSetTextureParam(texture, kFilter, 3 + 0x500);
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    EXPECT_FLOAT_EQ(anisotropy, 1.0f);
}

TEST_F(TextureParamTest, NearestAndLinearShowOnScreen) {
    DTexture* texture = registerImage(blackWhite());
    gDriver.dActivateTexture(texture, 0, 0);
    gDriver.dSetTextureParam(texture, kFilter, 1);
    drawWindow();
    EXPECT_TRUE(colourAt(120, 128, 0, 0, 0));
    EXPECT_TRUE(colourAt(136, 128, 255, 255, 255));
    gDriver.dSetTextureParam(texture, kFilter, 2);
    drawWindow();
    // Half way between the texel centres (x = 128) linear filtering gives grey.
    EXPECT_TRUE(colourAt(128, 128, 128, 128, 128, 4));
}

// Wrapping s over coordinates 0 to 2 with nearest filtering: at u = 1.2 repeat samples
// u = 0.2 (black), clamp the white edge, mirror u = 0.8 (white); at u = 1.8 repeat and
// clamp give white, mirror u = 0.2 (black).
TEST_F(TextureParamTest, WrapModesShowOnScreen) {
    DTexture* texture = registerImage(blackWhite());
    gDriver.dActivateTexture(texture, 0, 0);
    gDriver.dSetTextureParam(texture, kFilter, 1);
    const int at12 = static_cast<int>(0.6 * kSize), at18 = static_cast<int>(0.9 * kSize);

    EXPECT_EQ(gDriver.dSetTextureParam(texture, kWrapS, 2), 1);
    drawWindow(2.0f, 1.0f);
    EXPECT_TRUE(colourAt(at12, 128, 0, 0, 0));
    EXPECT_TRUE(colourAt(at18, 128, 255, 255, 255));

    gDriver.dSetTextureParam(texture, kWrapS, 1);
    drawWindow(2.0f, 1.0f);
    EXPECT_TRUE(colourAt(at12, 128, 255, 255, 255));
    EXPECT_TRUE(colourAt(at18, 128, 255, 255, 255));

    gDriver.dSetTextureParam(texture, kWrapS, 3);
    drawWindow(2.0f, 1.0f);
    EXPECT_TRUE(colourAt(at12, 128, 255, 255, 255));
    EXPECT_TRUE(colourAt(at18, 128, 0, 0, 0));
}

TEST_F(TextureParamTest, WrapCodesMapToTheApiModes) {
    Image image(4, 4, 3);
    DTexture* texture = registerImage(image);
    gDriver.dActivateTexture(texture, 0, 0);
    gDriver.dSetTextureParam(texture, kWrapT, 1);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    gDriver.dSetTextureParam(texture, kWrapR, 3);
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_R), GL_MIRRORED_REPEAT);
    gDriver.dSetTextureParam(texture, kWrapT, 2);
    gDriver.dSetTextureParam(texture, kWrapT, 9);  // unknown value: unchanged
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(gDriver.dSetTextureParam(texture, 999, 1), 1);  // unknown parameter
    EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T), GL_REPEAT);
}

TEST_F(TextureParamTest, EveryImageOfTheHandleIsSet) {
    Image a(4, 4, 3), b(4, 4, 3), c(4, 4, 3);
    DTexture* texture =
        registerImages({a.pixels.data(), b.pixels.data(), c.pixels.data()}, 4, 4, 1);
    EXPECT_EQ(gDriver.dSetTextureParam(texture, kFilter, 1), 3);
    for (unsigned frame = 0; frame < 3; ++frame) {
        gDriver.dActivateTexture(texture, 0, frame);
        EXPECT_EQ(parameter(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER), GL_NEAREST) << frame;
    }
}

TEST_F(TextureParamTest, RectangleTexturesOnlyClamp) {
    Image image(3, 3, 3);
    DTexture* texture = registerImage(image);
    gDriver.dActivateTexture(texture, 0, 0);
    gDriver.dClearErrors();
    gDriver.dSetTextureParam(texture, kWrapS, 2);
    gDriver.dSetTextureParam(texture, kWrapS, 3);
    EXPECT_EQ(gDriver.dError(), 0);
    gDriver.dSetTextureParam(texture, kWrapS, 1);
    EXPECT_EQ(parameter(GL_TEXTURE_RECTANGLE_NV, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
}

TEST_F(TextureParamTest, SettingParametersLeavesTheUnitBindingAlone) {
    Image white(4, 4, 3), other(4, 4, 3);
    white.fill({255, 255, 255});
    DTexture* shown = registerImage(white);
    DTexture* changed = registerImage(other);
    gDriver.dActivateTexture(shown, 0, 0);
    const GLint bound = boundOn(0, GL_TEXTURE_BINDING_2D);
    gDriver.dSetTextureParam(changed, kFilter, 1);
    EXPECT_EQ(boundOn(0, GL_TEXTURE_BINDING_2D), bound);
}

}  // namespace
}  // namespace arvel::test
