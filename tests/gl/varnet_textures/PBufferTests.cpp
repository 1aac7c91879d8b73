// Pbuffers: mode string keywords, drawing into one, binding it as a texture and drawing
// that onto the window, and the messages of misuse.
#include "TextureTest.h"

namespace arvel::test {
namespace {

class PBufferTest : public TextureTest {
protected:
    void TearDown() override {
        if (gDriver.dBindPBufferAsRenderTarget) gDriver.dBindPBufferAsRenderTarget(nullptr);
        for (DPBuffer* pbuffer : pbuffers_) gDriver.dDeletePBuffer(pbuffer);
        pbuffers_.clear();
        TextureTest::TearDown();
    }

    DPBuffer* create(int width, int height, const char* mode, bool shareContext = false) {
        DPBuffer* pbuffer = gDriver.dCreatePBuffer(width, height, shareContext, false, mode);
        if (pbuffer) pbuffers_.push_back(pbuffer);
        return pbuffer;
    }

    // Clears the pbuffer to green and draws a red left half into it.
    void drawInto(DPBuffer* pbuffer) {
        gDriver.dBindPBufferAsRenderTarget(pbuffer);
        clear(0, 1, 0);
        gDriver.dColor4(1, 0, 0, 1);
        TexturedQuad(-1, -1, 0, 1, 0, 0, 1, 1).draw();
        gDriver.dColor4(1, 1, 1, 1);
        gDriver.dBindPBufferAsRenderTarget(nullptr);
    }

    // A white texture on unit 0, so the unit's 2D target is enabled.
    DTexture* whiteOnUnitZero() {
        Image white(4, 4, 3);
        white.fill({255, 255, 255});
        DTexture* texture = registerImage(white);
        gDriver.dActivateTexture(texture, 0, 0);
        return texture;
    }

private:
    std::vector<DPBuffer*> pbuffers_;
};

TEST_F(PBufferTest, RenderedPBufferDrawsOntoTheWindowAsATexture) {
    DPBuffer* pbuffer = create(64, 64, "rgb alpha depth24 stencil texture");
    ASSERT_NE(pbuffer, nullptr);
    clear(0, 0, 1);
    drawInto(pbuffer);
    // The window kept its picture while the pbuffer was drawn into.
    EXPECT_TRUE(colourAt(128, 128, 0, 0, 255));

    whiteOnUnitZero();
    gDriver.dBindPBufferAsTexture(pbuffer, kFrontLeft);
    drawWindow();
    EXPECT_TRUE(colourAt(40, 128, 255, 0, 0));
    EXPECT_TRUE(colourAt(220, 128, 0, 255, 0));
    gDriver.dUnbindPBufferAsTexture(pbuffer, kFrontLeft);
    drawWindow();
    EXPECT_TRUE(colourAt(40, 128, 255, 255, 255));  // the unit's own texture again
}

TEST_F(PBufferTest, ActivationSwitchesSurfaceAndViewportAndDeactivationRestoresThem) {
    DPBuffer* pbuffer = create(64, 32, "rgb depth24 stencil texture");
    GLint viewport[4] = {};
    gDriver.dBindPBufferAsRenderTarget(pbuffer);
    EXPECT_NE(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 64);
    EXPECT_EQ(viewport[3], 32);
    EXPECT_EQ(integer(GL_DEPTH_BITS), 24);
    EXPECT_EQ(integer(GL_STENCIL_BITS), 8);
    gDriver.dBindPBufferAsRenderTarget(nullptr);
    EXPECT_EQ(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kSize);
    EXPECT_EQ(viewport[3], kSize);
}

TEST_F(PBufferTest, KeywordsChooseTheBuffers) {
    DPBuffer* plain = create(16, 16, "rgb texture");
    gDriver.dBindPBufferAsRenderTarget(plain);
    EXPECT_EQ(integer(GL_DEPTH_BITS), 0);
    EXPECT_EQ(integer(GL_STENCIL_BITS), 0);
    EXPECT_EQ(integer(GL_ALPHA_BITS), 0);
    EXPECT_EQ(integer(GL_RED_BITS), 8);
    gDriver.dBindPBufferAsRenderTarget(nullptr);

    DPBuffer* stencilled = nullptr;
    EXPECT_EQ(stderrOf([&] { stencilled = create(16, 16, "rgb stencil double texture"); }), "");
    gDriver.dBindPBufferAsRenderTarget(stencilled);
    EXPECT_EQ(integer(GL_STENCIL_BITS), 8);
    gDriver.dBindPBufferAsRenderTarget(nullptr);

    DPBuffer* deep = create(16, 16, "rgb alpha depth16 texture");
    gDriver.dBindPBufferAsRenderTarget(deep);
    EXPECT_GE(integer(GL_DEPTH_BITS), 16);
    EXPECT_EQ(integer(GL_ALPHA_BITS), 8);
    gDriver.dBindPBufferAsRenderTarget(nullptr);
}

TEST_F(PBufferTest, SharedContextTakesTheWindowsFormat) {
    const GLint depth = integer(GL_DEPTH_BITS), stencil = integer(GL_STENCIL_BITS);
    DPBuffer* pbuffer = create(16, 16, "rgb texture", /*shareContext*/ true);
    gDriver.dBindPBufferAsRenderTarget(pbuffer);
    EXPECT_EQ(integer(GL_DEPTH_BITS), depth);
    EXPECT_EQ(integer(GL_STENCIL_BITS), stencil);
    gDriver.dBindPBufferAsRenderTarget(nullptr);
}

TEST_F(PBufferTest, FloatPBufferBindsToAFloatRectangleTexture) {
    DPBuffer* pbuffer = create(32, 16, "float16 alpha texture");
    gDriver.dBindPBufferAsRenderTarget(pbuffer);
    ASSERT_NE(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    gDriver.dClearColor(2.0f, 0.5f, 0.0f, 1.0f);
    gDriver.dSetClear(dcode::kClearColour);
    gDriver.dClearBuffer();
    gDriver.dBindPBufferAsRenderTarget(nullptr);

    selectUnit(0);
    gDriver.dBindPBufferAsTexture(pbuffer, kFrontLeft);
    const GLint bound = integer(GL_TEXTURE_BINDING_RECTANGLE_NV);
    EXPECT_NE(bound, 0);
    EXPECT_EQ(level(GL_TEXTURE_RECTANGLE_NV, 0, GL_TEXTURE_RED_TYPE), GL_FLOAT);
    float texel[32 * 16 * 4] = {};
    glGetTexImage(GL_TEXTURE_RECTANGLE_NV, 0, GL_RGBA, GL_FLOAT, texel);
    EXPECT_FLOAT_EQ(texel[0], 2.0f);  // not clamped to 1
    EXPECT_FLOAT_EQ(texel[1], 0.5f);
    gDriver.dUnbindPBufferAsTexture(pbuffer, kFrontLeft);
}

TEST_F(PBufferTest, MultisampledPBufferIsResolvedIntoItsTexture) {
    DPBuffer* pbuffer = create(64, 64, "rgb depth24 samples4 texture");
    drawInto(pbuffer);
    whiteOnUnitZero();
    gDriver.dBindPBufferAsTexture(pbuffer, kFrontLeft);
    drawWindow();
    EXPECT_TRUE(colourAt(40, 128, 255, 0, 0));
    EXPECT_TRUE(colourAt(220, 128, 0, 255, 0));
}

TEST_F(PBufferTest, MipmappedPBufferTextureHasLevels) {
    DPBuffer* pbuffer = create(32, 32, "rgb texture mipmap");
    drawInto(pbuffer);
    selectUnit(0);
    gDriver.dBindPBufferAsTexture(pbuffer, kFrontLeft);
    EXPECT_EQ(level(GL_TEXTURE_2D, 5, GL_TEXTURE_WIDTH), 1);
    uint8_t last[4] = {};
    glGetTexImage(GL_TEXTURE_2D, 5, GL_RGBA, GL_UNSIGNED_BYTE, last);
    EXPECT_NEAR(last[0], 128, 3);  // half red, half green
    EXPECT_NEAR(last[1], 128, 3);
}

TEST_F(PBufferTest, NestedActivationsUnwindToTheWindow) {
    DPBuffer* outer = create(32, 32, "rgb texture");
    DPBuffer* inner = create(16, 16, "rgb texture");
    gDriver.dBindPBufferAsRenderTarget(outer);
    gDriver.dBindPBufferAsRenderTarget(inner);
    gDriver.dBindPBufferAsRenderTarget(inner);  // already active: stays
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 16);
    gDriver.dBindPBufferAsRenderTarget(nullptr);
    EXPECT_EQ(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kSize);
    clear(1, 0, 0);
    EXPECT_TRUE(colourAt(128, 128, 255, 0, 0));  // the window is drawn into again
}

TEST_F(PBufferTest, DeletingTheActivePBufferGivesTheWindowBack) {
    DPBuffer* pbuffer = gDriver.dCreatePBuffer(32, 32, false, false, "rgb texture");
    gDriver.dBindPBufferAsRenderTarget(pbuffer);
    gDriver.dDeletePBuffer(pbuffer);
    EXPECT_EQ(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    gDriver.dBindPBufferAsRenderTarget(pbuffer);  // stale handle: ignored
    EXPECT_EQ(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    gDriver.dBindPBufferAsRenderTarget(nullptr);
    gDriver.dDeletePBuffer(pbuffer);
    gDriver.dDeletePBuffer(nullptr);
}

TEST_F(PBufferTest, BindingMisuseIsReported) {
    DPBuffer* noTexture = create(16, 16, "rgb depth24");
    DPBuffer* pbuffer = create(16, 16, "rgb texture");
    EXPECT_EQ(stderrOf([&] { gDriver.dBindPBufferAsTexture(noTexture, kFrontLeft); }),
              "PBuffer::Bind() failed - pbuffer format does not support render to texture!\n");
    EXPECT_EQ(stderrOf([&] { gDriver.dUnbindPBufferAsTexture(noTexture, kFrontLeft); }),
              "PBuffer::Release() failed - pbuffer format does not support render to texture!\n");
    EXPECT_EQ(stderrOf([&] { gDriver.dUnbindPBufferAsTexture(pbuffer, kFrontLeft); }),
              "PBuffer::Release() failed - pbuffer is not bound.\n");
    EXPECT_EQ(stderrOf([&] { gDriver.dBindPBufferAsTexture(pbuffer, kFrontLeft); }), "");
    EXPECT_EQ(stderrOf([&] { gDriver.dBindPBufferAsTexture(pbuffer, kFrontLeft); }),
              "PBuffer::Bind() failed - pbuffer is already bound.\n");
    EXPECT_EQ(stderrOf([&] { gDriver.dUnbindPBufferAsTexture(pbuffer, 12345); }),
              "PBuffer::Release() failed.\n");
    EXPECT_EQ(stderrOf([&] { gDriver.dUnbindPBufferAsTexture(pbuffer, kFrontLeft); }), "");
}

TEST_F(PBufferTest, UnknownKeywordsArePrintedAndSkipped) {
    DPBuffer* pbuffer = nullptr;
    const std::string err =
        stderrOf([&] { pbuffer = create(16, 16, "rgb  bogus texture rgba8x"); });
    EXPECT_EQ(err, "unknown pbuffer attribute: bogus\n");
    gDriver.dBindPBufferAsRenderTarget(pbuffer);
    EXPECT_NE(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);
}

TEST_F(PBufferTest, ImpossibleSizesFailCreationButLeaveAHandle) {
    DPBuffer* pbuffer = nullptr;
    const std::string err = stderrOf([&] { pbuffer = create(0, 16, "rgb texture"); });
    EXPECT_EQ(
        err, "pbuffer creation error:  wglCreatePbufferARB() failed\nerror:  ERROR_INVALID_DATA\n");
    ASSERT_NE(pbuffer, nullptr);
    EXPECT_EQ(stderrOf([&] { gDriver.dBindPBufferAsRenderTarget(pbuffer); }),
              "PBuffer::Activate() failed.\n");
    EXPECT_EQ(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(stderrOf([&] { gDriver.dBindPBufferAsTexture(pbuffer, kFrontLeft); }),
              "PBuffer::Bind() failed - pbuffer format does not support render to texture!\n");
    const std::string cube = stderrOf([&] { create(32, 16, "rgb textureCUBE"); });
    EXPECT_NE(cube.find("ERROR_INVALID_DATA"), std::string::npos) << cube;
}

TEST_F(PBufferTest, CubePBufferDrawsIntoItsFirstFace) {
    DPBuffer* pbuffer = create(16, 16, "rgb textureCUBE");
    drawInto(pbuffer);
    selectUnit(0);
    gDriver.dBindPBufferAsTexture(pbuffer, kFrontLeft);
    ASSERT_NE(integer(GL_TEXTURE_BINDING_CUBE_MAP), 0);
    uint8_t texels[16 * 16 * 3] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    EXPECT_EQ(texels[0], 255);                      // red left half
    EXPECT_EQ(texels[(8 * 16 + 15) * 3 + 1], 255);  // green right half
}

TEST_F(PBufferTest, RestoreReportsNothingLost) {
    DPBuffer* pbuffer = create(16, 16, "rgb texture");
    EXPECT_EQ(gDriver.dRestoreBuffer(pbuffer), 0);
    EXPECT_EQ(gDriver.dRestoreBuffer(nullptr), 0);
}

TEST_F(PBufferTest, NullAndUnknownHandlesAreIgnored) {
    alignas(16) unsigned char bogus[512] = {};
    DPBuffer* fake = reinterpret_cast<DPBuffer*>(bogus);
    const std::string err = stderrOf([&] {
        gDriver.dBindPBufferAsTexture(nullptr, kFrontLeft);
        gDriver.dUnbindPBufferAsTexture(nullptr, kFrontLeft);
        gDriver.dBindPBufferAsTexture(fake, kFrontLeft);
        gDriver.dUnbindPBufferAsTexture(fake, kFrontLeft);
        gDriver.dBindPBufferAsRenderTarget(fake);
        gDriver.dDeletePBuffer(fake);
        EXPECT_EQ(gDriver.dRestoreBuffer(fake), 0);
    });
    EXPECT_EQ(err, "");
    EXPECT_EQ(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);
}

}  // namespace
}  // namespace arvel::test
