// Registering textures: sides that are not powers of two (padded, resampled, or on the
// rectangle target), mipmap chains, cube maps, float formats, and bad input.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "TextureTest.h"
#include "varnet/Context.h"

namespace arvel::test {
namespace {

using RegisterTextureTest = TextureTest;

// 100 x 50: red in the left half, green in the right half.
Image splitImage() {
    Image image(100, 50, 3);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x)
            image.set(x, y,
                      x < 50 ? std::initializer_list<uint8_t>{255, 0, 0}
                             : std::initializer_list<uint8_t>{0, 255, 0});
    return image;
}

// The normalisation factors the driver gives the texture.
void expectScales(DTexture* texture, float s, float t) {
    float actualS = 0, actualT = 0;
    gDriver.dGetNormalizationFactors(texture, &actualS, &actualT);
    EXPECT_FLOAT_EQ(actualS, s);
    EXPECT_FLOAT_EQ(actualT, t);
}

TEST_F(RegisterTextureTest, PaddedImageIsPowerOfTwoWithFractionalScales) {
    const Image image = splitImage();
    DTexture* texture = registerImage(image, /*mipmap*/ true, /*exactSize*/ false);
    ASSERT_NE(texture, nullptr);
    expectScales(texture, 0.78125f, 0.78125f);

    gDriver.dActivateTexture(texture, 0, 0);
    EXPECT_NE(boundOn(0, GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 128);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT), 64);

    // Scaled coordinates show the image across the window; unscaled ones show the
    // zero padding beyond it.
    gDriver.dSetTextureParam(texture, 304, 1);
    drawWindow(0.78125f, 0.78125f);
    EXPECT_TRUE(colourAt(20, 128, 255, 0, 0));
    EXPECT_TRUE(colourAt(236, 128, 0, 255, 0));
    clear(0, 0, 1);
    drawWindow(1.0f, 1.0f);
    EXPECT_TRUE(colourAt(236, 128, 0, 0, 0));  // x = 0.92 of 128 texels: padding
    EXPECT_TRUE(colourAt(20, 20, 255, 0, 0));
}

TEST_F(RegisterTextureTest, ExactSizeResamplesWithScalesOfOne) {
    const Image image = splitImage();
    DTexture* texture = registerImage(image, /*mipmap*/ true, /*exactSize*/ true);
    ASSERT_NE(texture, nullptr);
    expectScales(texture, 1.0f, 1.0f);
    gDriver.dActivateTexture(texture, 0, 0);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 128);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT), 64);
    gDriver.dSetTextureParam(texture, 304, 1);
    drawWindow();
    EXPECT_TRUE(colourAt(20, 128, 255, 0, 0));   // the image stretched over all texels
    EXPECT_TRUE(colourAt(200, 128, 0, 255, 0));  // no padding at the right
}

TEST_F(RegisterTextureTest, WithoutMipmapsANonPowerOfTwoImageGoesOnTheRectangleTarget) {
    const Image image = splitImage();
    DTexture* texture = registerImage(image);
    ASSERT_NE(texture, nullptr);
    expectScales(texture, 100.0f, 50.0f);

    gDriver.dActivateTexture(texture, 0, 0);
    EXPECT_TRUE(enabledOn(0, GL_TEXTURE_RECTANGLE_NV));
    EXPECT_NE(boundOn(0, GL_TEXTURE_BINDING_RECTANGLE_NV), 0);
    EXPECT_EQ(level(GL_TEXTURE_RECTANGLE_NV, 0, GL_TEXTURE_WIDTH), 100);
    EXPECT_EQ(level(GL_TEXTURE_RECTANGLE_NV, 0, GL_TEXTURE_HEIGHT), 50);
    drawWindow(100.0f, 50.0f);  // texel coordinates
    EXPECT_TRUE(colourAt(20, 128, 255, 0, 0));
    EXPECT_TRUE(colourAt(236, 128, 0, 255, 0));
}

TEST_F(RegisterTextureTest, PowerOfTwoImageWithoutMipmapsStaysTwoDimensional) {
    Image image(16, 8, 3);
    image.fill({0, 0, 255});
    DTexture* texture = registerImage(image);
    ASSERT_NE(texture, nullptr);
    expectScales(texture, 1.0f, 1.0f);
    gDriver.dActivateTexture(texture, 0, 0);
    EXPECT_TRUE(enabledOn(0, GL_TEXTURE_2D));
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 16);
    // Level 0 alone is complete: the texture is sampled without any parameter call.
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 0, 0, 255));
}

TEST_F(RegisterTextureTest, SixtyFourSquareImageHasSevenMipLevels) {
    Image image(64, 64, 3);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) image.set(x, y, {uint8_t(x < 32 ? 200 : 100), 40, 0});
    DTexture* texture = registerImage(image, /*mipmap*/ true);
    ASSERT_NE(texture, nullptr);
    gDriver.dActivateTexture(texture, 0, 0);
    for (int i = 0; i <= 6; ++i) {
        EXPECT_EQ(level(GL_TEXTURE_2D, i, GL_TEXTURE_WIDTH), 64 >> i) << "level " << i;
        EXPECT_EQ(level(GL_TEXTURE_2D, i, GL_TEXTURE_HEIGHT), 64 >> i) << "level " << i;
    }
    EXPECT_EQ(level(GL_TEXTURE_2D, 7, GL_TEXTURE_WIDTH), 0);
    // The last level is the mean of the image.
    uint8_t last[3] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 6, GL_RGB, GL_UNSIGNED_BYTE, last);
    EXPECT_NEAR(last[0], 150, 2);
    EXPECT_NEAR(last[1], 40, 2);
}

TEST_F(RegisterTextureTest, NonSquareMipmappedImageEndsAtOneByOne) {
    const Image image = splitImage();
    DTexture* texture = registerImage(image, /*mipmap*/ true);
    ASSERT_NE(texture, nullptr);
    gDriver.dActivateTexture(texture, 0, 0);
    EXPECT_EQ(level(GL_TEXTURE_2D, 7, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(level(GL_TEXTURE_2D, 7, GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(level(GL_TEXTURE_2D, 6, GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(level(GL_TEXTURE_2D, 6, GL_TEXTURE_WIDTH), 2);
}

TEST_F(RegisterTextureTest, CubeMapUploadsSixFacesInOrder) {
    const uint8_t colours[6][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                   {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
    Image faces(8, 8 * 6, 3);  // six 8 x 8 faces one after another
    for (int f = 0; f < 6; ++f)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) std::memcpy(faces.at(x, f * 8 + y), colours[f], 3);
    DTexture* texture =
        registerImages({faces.pixels.data()}, 8, 8, 1, false, false, dcode::kCubeMap);
    ASSERT_NE(texture, nullptr);
    expectScales(texture, 1.0f, 1.0f);

    gDriver.dActivateTexture(texture, 0, 0);
    EXPECT_TRUE(enabledOn(0, GL_TEXTURE_CUBE_MAP));
    EXPECT_NE(boundOn(0, GL_TEXTURE_BINDING_CUBE_MAP), 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int f = 0; f < 6; ++f) {
        uint8_t texels[8 * 8 * 3] = {};
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
        EXPECT_EQ(std::memcmp(texels + 3 * 27, colours[f], 3), 0) << "face " << f;
    }
}

TEST_F(RegisterTextureTest, CubeMapMipmapsReachOnePixelOnEveryFace) {
    std::vector<uint8_t> faces(16 * 16 * 6 * 3, 90);
    DTexture* texture = registerImages({faces.data()}, 16, 16, 1, true, false, dcode::kCubeMap);
    ASSERT_NE(texture, nullptr);
    gDriver.dActivateTexture(texture, 0, 0);
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(level(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 4, GL_TEXTURE_WIDTH), 1)
            << "face " << f;
}

TEST_F(RegisterTextureTest, NonSquareCubeMapIsRefused) {
    std::vector<uint8_t> faces(16 * 8 * 6 * 3, 0);
    const void* images[1] = {faces.data()};
    DTexture* texture = nullptr;
    const std::string err = stderrOf(
        [&] { texture = gDriver.dRegisterTexture(images, 16, 8, dcode::kCubeMap, 1, 1, 0, 0, 0); });
    EXPECT_EQ(texture, nullptr);
    EXPECT_NE(err.find("Cubemap cannot be rectangular (note CUBE-map dummy)"), std::string::npos)
        << err;
    EXPECT_NE(err.find("Error in file Texture at row"), std::string::npos) << err;
}

TEST_F(RegisterTextureTest, FloatTextureKeepsValuesAboveOne) {
    // 4 x 4 RGBA, 32-bit floats.
    std::vector<float> pixels(4 * 4 * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = 2.5f;
        pixels[i + 1] = 0.25f;
        pixels[i + 2] = -1.0f;
        pixels[i + 3] = 1.0f;
    }
    DTexture* texture = registerImages({pixels.data()}, 4, 4, 34);
    ASSERT_NE(texture, nullptr);
    gDriver.dActivateTexture(texture, 0, 0);
    ASSERT_NE(boundOn(0, GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_TYPE), GL_FLOAT);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE), 32);
    float back[4 * 4 * 4] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, back);
    EXPECT_FLOAT_EQ(back[0], 2.5f);
    EXPECT_FLOAT_EQ(back[1], 0.25f);
    EXPECT_FLOAT_EQ(back[2], -1.0f);
}

TEST_F(RegisterTextureTest, HalfFloatLuminanceIsSixteenBitFloat) {
    std::vector<float> pixels(8 * 8, 0.5f);
    DTexture* texture = registerImages({pixels.data()}, 8, 8, 20);
    ASSERT_NE(texture, nullptr);
    gDriver.dActivateTexture(texture, 0, 0);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_LUMINANCE_TYPE), GL_FLOAT);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_LUMINANCE_SIZE), 16);
}

TEST_F(RegisterTextureTest, FloatImageWithMipmapsIsBoxFilteredOrGenerated) {
    std::vector<float> pixels(5 * 3 * 3, 0.75f);  // 5 x 3 RGB: padded to 8 x 4
    DTexture* texture = registerImages({pixels.data()}, 5, 3, 17, /*mipmap*/ true);
    ASSERT_NE(texture, nullptr);
    gDriver.dActivateTexture(texture, 0, 0);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 8);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT), 4);
    EXPECT_EQ(level(GL_TEXTURE_2D, 3, GL_TEXTURE_WIDTH), 1);
    expectScales(texture, 5.0f / 8.0f, 3.0f / 4.0f);
}

// A request for compression is kept only where the renderer samples compressed textures
// in hardware; ARVEL_TEXCOMPRESS=1 forces it for the next context.
TEST_F(RegisterTextureTest, CompressionIsStoredOnlyWhereTheRendererDecodesItInHardware) {
    Image image(32, 32, 3);
    image.fill({10, 200, 30});
    const auto registerCompressed = [&] {
        DTexture* texture = registerImages({image.pixels.data()}, 32, 32, 1, false, false,
                                           dcode::kTextureMap, /*compress*/ true);
        EXPECT_NE(texture, nullptr);
        if (texture) gDriver.dActivateTexture(texture, 0, 0);
        return texture != nullptr;
    };
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    ASSERT_TRUE(registerCompressed());
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED) == GL_TRUE,
              !varnet::decodesCompressedTexturesInSoftware(renderer))
        << renderer;
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 10, 200, 30, 8));

    // The forced choice: the compressed path still uploads and samples.
    setenv("ARVEL_TEXCOMPRESS", "1", 1);
    const bool recreated = gDriver.dSetRenderWindow(window(), 32, 24, 8);
    unsetenv("ARVEL_TEXCOMPRESS");
    ASSERT_TRUE(recreated);
    gDriver.dChangeWindowSize(kSize, kSize);
    resetMatrices();
    gDriver.dDisableDepth();
    gDriver.dDisableCull();
    gDriver.dColor4(1, 1, 1, 1);
    clear(0, 0, 0);
    ASSERT_TRUE(registerCompressed());
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED), GL_TRUE);
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 10, 200, 30, 8));
}

TEST_F(RegisterTextureTest, LuminanceImageSpreadsToAllChannels) {
    Image image(4, 4, 1);
    image.fill({128});
    DTexture* texture = registerImage(image);
    ASSERT_NE(texture, nullptr);
    gDriver.dActivateTexture(texture, 0, 0);
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 128, 128, 128));
}

TEST_F(RegisterTextureTest, UnknownFormatReportsAndStillReturnsAHandle) {
    uint8_t pixels[16] = {};
    const void* images[1] = {pixels};
    DTexture* texture = nullptr;
    const std::string err = stderrOf([&] {
        texture = gDriver.dRegisterTexture(images, 2, 2, dcode::kTextureMap, 3, 1, 0, 0, 0);
    });
    EXPECT_NE(err.find("Illegal texture format"), std::string::npos) << err;
    ASSERT_NE(texture, nullptr);
    gDriver.dClearErrors();
    gDriver.dRemoveTexture(texture);
}

TEST_F(RegisterTextureTest, NullImagesAllocateEmptyTextures) {
    DTexture* texture = registerImages({nullptr, nullptr}, 100, 50, 2, false, false);
    ASSERT_NE(texture, nullptr);
    gDriver.dActivateTexture(texture, 0, 1);
    EXPECT_EQ(level(GL_TEXTURE_RECTANGLE_NV, 0, GL_TEXTURE_WIDTH), 100);
    DTexture* padded = registerImages({nullptr}, 100, 50, 2, true, false);
    ASSERT_NE(padded, nullptr);
    gDriver.dActivateTexture(padded, 0, 0);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH), 128);
    EXPECT_EQ(level(GL_TEXTURE_2D, 7, GL_TEXTURE_WIDTH), 1);
}

TEST_F(RegisterTextureTest, NegativeOrHugeSidesAreRefused) {
    const void* images[1] = {nullptr};
    EXPECT_EQ(gDriver.dRegisterTexture(images, -1, 4, dcode::kTextureMap, 1, 1, 0, 0, 0), nullptr);
    EXPECT_EQ(gDriver.dRegisterTexture(images, 4, 1 << 20, dcode::kTextureMap, 1, 1, 0, 0, 0),
              nullptr);
    EXPECT_EQ(gDriver.dRegisterTexture(images, 4, 4, dcode::kTextureMap, 1, -2, 0, 0, 0), nullptr);
}

TEST_F(RegisterTextureTest, ZeroImagesGiveAnEmptyHandleThatBindsNothing) {
    DTexture* texture = registerImages({}, 4, 4, 1);
    ASSERT_NE(texture, nullptr);
    gDriver.dActivateTexture(texture, 0, 5);
    EXPECT_EQ(boundOn(0, GL_TEXTURE_BINDING_2D), 0);
    EXPECT_EQ(gDriver.dSetTextureParam(texture, 304, 2), 0);
}

TEST_F(RegisterTextureTest, RegisteringLeavesTheUnitBindingAlone) {
    Image image(4, 4, 3);
    image.fill({255, 255, 255});
    DTexture* first = registerImage(image);
    gDriver.dActivateTexture(first, 0, 0);
    const GLint bound = boundOn(0, GL_TEXTURE_BINDING_2D);
    registerImage(image, true);
    std::vector<uint8_t> faces(4 * 4 * 6 * 3, 0);
    registerImages({faces.data()}, 4, 4, 1, false, false, dcode::kCubeMap);
    EXPECT_EQ(boundOn(0, GL_TEXTURE_BINDING_2D), bound);
    drawWindow();
    EXPECT_TRUE(colourAt(128, 128, 255, 255, 255));
}

}  // namespace
}  // namespace arvel::test
