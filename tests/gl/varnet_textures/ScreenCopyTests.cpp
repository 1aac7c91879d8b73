// Copying screen regions into textures with dGetFromScreen.
#include "TextureTest.h"

namespace arvel::test {
namespace {

using ScreenCopyTest = TextureTest;

// Draws an untextured rectangle in window pixels.
void fillPixels(int x0, int y0, int x1, int y1, float r, float g, float b) {
    gDriver.dColor4(r, g, b, 1);
    const auto ndc = [](int p) { return p * 2.0f / VarnetTest::kSize - 1.0f; };
    TexturedQuad(ndc(x0), ndc(y0), ndc(x1), ndc(y1), 0, 0, 1, 1).draw();
    gDriver.dColor4(1, 1, 1, 1);
}

TEST_F(ScreenCopyTest, RegionLandsAtTheOriginOfLevelZero) {
    clear(0, 0, 1);
    fillPixels(32, 48, 64, 80, 1, 0, 0);  // red square, 32 pixels wide
    DTexture* texture = registerImages({nullptr}, 64, 64, 1);
    ASSERT_NE(texture, nullptr);
    gDriver.dGetFromScreen(texture, 0, 32, 48, 64, 64);

    gDriver.dActivateTexture(texture, 0, 0);
    std::vector<uint8_t> texels(64 * 64 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    const auto texel = [&](int x, int y) { return &texels[(y * 64 + x) * 3]; };
    EXPECT_EQ(texel(0, 0)[0], 255);    // the square's lower left
    EXPECT_EQ(texel(31, 31)[0], 255);  // its upper right
    EXPECT_EQ(texel(40, 10)[2], 255);  // blue beside it
    EXPECT_EQ(texel(40, 10)[0], 0);
}

TEST_F(ScreenCopyTest, CopiedTextureDrawsBackTheCapturedPicture) {
    clear(0, 1, 0);
    fillPixels(0, 0, 128, 256, 1, 0, 0);  // left half red, right half green
    Image blank(256, 256, 3);
    DTexture* texture = registerImage(blank);
    gDriver.dGetFromScreen(texture, 0, 0, 0, 256, 256);
    clear(0, 0, 0);
    gDriver.dActivateTexture(texture, 0, 0);
    gDriver.dSetTextureParam(texture, 304, 1);
    drawWindow(1, 1);
    EXPECT_TRUE(colourAt(60, 128, 255, 0, 0));
    EXPECT_TRUE(colourAt(200, 128, 0, 255, 0));
}

TEST_F(ScreenCopyTest, FrameIndexSelectsTheImageModuloTheCount) {
    clear(1, 1, 0);
    DTexture* texture = registerImages({nullptr, nullptr}, 16, 16, 1);
    gDriver.dGetFromScreen(texture, 3, 0, 0, 16, 16);  // image 1
    gDriver.dActivateTexture(texture, 0, 1);
    uint8_t texel[16 * 16 * 3] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[0], 255);
    EXPECT_EQ(texel[1], 255);
    EXPECT_EQ(texel[2], 0);
}

TEST_F(ScreenCopyTest, RegionLargerThanTheTextureCopiesWhatFits) {
    clear(1, 0, 1);
    DTexture* texture = registerImages({nullptr}, 8, 8, 1);
    gDriver.dClearErrors();
    gDriver.dGetFromScreen(texture, 0, 0, 0, 200, 200);
    EXPECT_EQ(gDriver.dError(), 0);
    gDriver.dActivateTexture(texture, 0, 0);
    uint8_t texel[8 * 8 * 3] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(texel[(7 * 8 + 7) * 3], 255);
    EXPECT_EQ(texel[(7 * 8 + 7) * 3 + 1], 0);
}

TEST_F(ScreenCopyTest, CopyLeavesUnitsAsTheyWere) {
    Image white(4, 4, 3);
    white.fill({255, 255, 255});
    DTexture* shown = registerImage(white);
    DTexture* target = registerImages({nullptr}, 16, 16, 1);
    gDriver.dActivateTexture(shown, 0, 0);
    const GLint bound = boundOn(0, GL_TEXTURE_BINDING_2D);
    selectUnit(1);
    gDriver.dGetFromScreen(target, 0, 0, 0, 16, 16);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    EXPECT_EQ(boundOn(0, GL_TEXTURE_BINDING_2D), bound);
}

TEST_F(ScreenCopyTest, NullCubeAndBumpTargetsAreRefusedWithTheirMessages) {
    std::vector<uint8_t> faces(8 * 8 * 6 * 3, 0);
    DTexture* cube = registerImages({faces.data()}, 8, 8, 1, false, false, dcode::kCubeMap);
    DTexture* bump = registerImages({faces.data()}, 8, 8, 1, false, false, dcode::kBumpMap);
    ASSERT_NE(cube, nullptr);
    ASSERT_NE(bump, nullptr);
    EXPECT_NE(stderrOf([] { gDriver.dGetFromScreen(nullptr, 0, 0, 0, 8, 8); }).find("NULLDATA\n"),
              std::string::npos);
    EXPECT_NE(stderrOf([&] {
                  gDriver.dGetFromScreen(cube, 0, 0, 0, 8, 8);
              }).find("Cubemap readback currently not supported"),
              std::string::npos);
    EXPECT_NE(stderrOf([&] {
                  gDriver.dGetFromScreen(bump, 0, 0, 0, 8, 8);
              }).find("Can't capture bumpmaps"),
              std::string::npos);
}

}  // namespace
}  // namespace arvel::test
