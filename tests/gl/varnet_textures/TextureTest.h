// Helpers for the texture and pbuffer tests: a fixture with identity matrices (so
// normalised coordinates are window coordinates) and a white current colour, quads
// with chosen texture coordinates, images built in memory, and queries of what the
// graphics API holds for a unit.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "platform/platform.h"
#include "support/GLFixture.h"

namespace arvel::test {

// WGL_FRONT_LEFT_ARB, the buffer a pbuffer binds.
inline constexpr int kFrontLeft = 0x2083;

// A quad over normalised coordinates (x0, y0)-(x1, y1) with texture coordinates
// (u0, v0) at its lower left and (u1, v1) at its upper right.
struct TexturedQuad {
    RenderPosition position[4];
    RenderTexCoord texCoord[4];
    RenderVertex vertex[4];

    TexturedQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1) {
        const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
        const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
        for (int i = 0; i < 4; ++i) {
            position[i] = {xs[i], ys[i], 0.0f, 1.0f};
            texCoord[i] = {us[i], vs[i]};
            vertex[i] = {
                &position[i], &texCoord[i], {0, 0, 1, 0}, {1, 0, 0, 0}, {255, 255, 255, 255}};
        }
    }
    void draw() const { gDriver.dRenderQuad(&vertex[0], &vertex[1], &vertex[2], &vertex[3]); }
};

// A tightly packed image, bottom row first.
struct Image {
    int width = 0, height = 0, channels = 0;
    std::vector<uint8_t> pixels;

    Image(int w, int h, int c) : width(w), height(h), channels(c), pixels(size_t(w) * h * c, 0) {}
    uint8_t* at(int x, int y) { return &pixels[(size_t(y) * width + x) * channels]; }
    void fill(std::initializer_list<uint8_t> value) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) set(x, y, value);
    }
    void set(int x, int y, std::initializer_list<uint8_t> value) {
        int k = 0;
        for (uint8_t v : value) at(x, y)[k++] = v;
    }
};

template <typename Fn>
Fn glFunction(const char* name) {
    return reinterpret_cast<Fn>(platform::glProcAddress(name));
}

class TextureTest : public VarnetTest {
protected:
    void SetUp() override {
        VarnetTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        activeTexture_ = glFunction<PFNGLACTIVETEXTUREPROC>("glActiveTexture");
        ASSERT_NE(activeTexture_, nullptr);
        resetMatrices();
        gDriver.dDisableDepth();
        gDriver.dDisableCull();
        gDriver.dColor4(1, 1, 1, 1);
        clear(0, 0, 0);
    }

    void TearDown() override {
        for (DTexture* texture : textures_) gDriver.dRemoveTexture(texture);
        textures_.clear();
        VarnetTest::TearDown();
    }

    void clear(float r, float g, float b) {
        gDriver.dClearColor(r, g, b, 1.0f);
        gDriver.dSetClear(dcode::kClearColour | dcode::kClearDepth | dcode::kClearStencil);
        gDriver.dClearBuffer();
    }

    // Registers and remembers the texture for removal at the end of the test.
    DTexture* registerImages(const std::vector<const void*>& images, int width, int height,
                             int format, bool mipmap = false, bool exactSize = false,
                             int kind = dcode::kTextureMap, bool compress = false) {
        DTexture* texture =
            gDriver.dRegisterTexture(images.data(), width, height, kind, format,
                                     static_cast<int>(images.size()), mipmap, exactSize, compress);
        if (texture) textures_.push_back(texture);
        return texture;
    }
    DTexture* registerImage(const Image& image, bool mipmap = false, bool exactSize = false) {
        const int format = image.channels == 4 ? 2 : image.channels == 3 ? 1 : 4;
        return registerImages({image.pixels.data()}, image.width, image.height, format, mipmap,
                              exactSize);
    }
    void forget(DTexture* texture) { std::erase(textures_, texture); }

    // The whole window, texture coordinates (0, 0)-(s, t).
    void drawWindow(float s = 1.0f, float t = 1.0f) {
        TexturedQuad(-1, -1, 1, 1, 0, 0, s, t).draw();
    }

    void selectUnit(int unit) { activeTexture_(GL_TEXTURE0 + unit); }

    GLint integer(GLenum name) const {
        GLint value = 0;
        glGetIntegerv(name, &value);
        return value;
    }
    GLint boundOn(int unit, GLenum bindingQuery) {
        selectUnit(unit);
        return integer(bindingQuery);
    }
    bool enabledOn(int unit, GLenum target) {
        selectUnit(unit);
        return glIsEnabled(target) == GL_TRUE;
    }
    GLint level(GLenum target, int level, GLenum parameter) const {
        GLint value = 0;
        glGetTexLevelParameteriv(target, level, parameter, &value);
        return value;
    }
    GLint parameter(GLenum target, GLenum name) const {
        GLint value = 0;
        glGetTexParameteriv(target, name, &value);
        return value;
    }

    // Sampled texels are allowed one level more than the other drawing tests allow.
    ::testing::AssertionResult colourAt(int x, int y, int r, int g, int b,
                                        int tolerance = 3) const {
        return VarnetTest::colourAt(x, y, r, g, b, tolerance);
    }

    // Runs the function and returns what it wrote to the standard error stream.
    template <typename Fn>
    static std::string stderrOf(Fn&& fn) {
        ::testing::internal::CaptureStderr();
        fn();
        return ::testing::internal::GetCapturedStderr();
    }

private:
    PFNGLACTIVETEXTUREPROC activeTexture_ = nullptr;
    std::vector<DTexture*> textures_;
};

}  // namespace arvel::test
