// Drawing tests of vertex programs and pixel shaders: a cleared 256 x 256 window with
// identity matrices and no depth, cull or blend state, helpers to draw flat quads
// through the driver, and bookkeeping that deletes every program a test registers.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "support/GLFixture.h"

namespace arvel::test {

inline constexpr Rgba kBlack{0, 0, 0, 255};
inline constexpr Rgba kRed{255, 0, 0, 255};
inline constexpr Rgba kGreen{0, 255, 0, 255};
inline constexpr Rgba kBlue{0, 0, 255, 255};
inline constexpr Rgba kYellow{255, 255, 0, 255};

class ProgramTest : public VarnetTest {
protected:
    void SetUp() override {
        VarnetTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ready_ = true;
        gDriver.dSetVPProfile("glsl");
        gDriver.dSetFPProfile("glsl");
        gDriver.dDisableDepth();
        gDriver.dDisableCull();
        gDriver.dDisableBlend();
        resetMatrices();
        clear();
    }

    void TearDown() override {
        if (ready_) {
            gDriver.dDisableVertexProgram();
            gDriver.dDisablePixelShader();
            for (DVertexProgram* program : vertexPrograms_) gDriver.dDeleteVertexProgram(program);
            for (DPixelShader* shader : pixelShaders_) gDriver.dDeletePixelShader(shader);
        }
        vertexPrograms_.clear();
        pixelShaders_.clear();
        VarnetTest::TearDown();
    }

    // Registered programs are deleted after the test; null results are passed through.
    DVertexProgram* vertexProgram(const char* source) {
        DVertexProgram* program = gDriver.dRegisterVertexProgram(source);
        if (program) vertexPrograms_.push_back(program);
        return program;
    }
    DPixelShader* pixelShader(const char* source) {
        DPixelShader* shader = gDriver.dRegisterPixelShader(source);
        if (shader) pixelShaders_.push_back(shader);
        return shader;
    }

    // As a pass binds its programs.
    void useVertexProgram(DVertexProgram* program) {
        gDriver.dBindVertexProgram(program);
        gDriver.dEnableVertexProgram();
    }
    void usePixelShader(DPixelShader* shader) {
        gDriver.dEnablePixelShader();
        gDriver.dBindPixelShader(shader);
    }

    static void clear() {
        gDriver.dClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        gDriver.dClearDepth(1.0f);
        gDriver.dSetClear(dcode::kClearColour | dcode::kClearDepth);
        gDriver.dClearBuffer();
    }

    // A quad from (x0, y0) to (x1, y1) at depth z, counter-clockwise, texture
    // coordinates 0 to 1 across it.
    static void drawQuad(float x0, float y0, float x1, float y1, float z = 0.0f) {
        const RenderPosition positions[4] = {
            {x0, y0, z, 1.0f}, {x1, y0, z, 1.0f}, {x1, y1, z, 1.0f}, {x0, y1, z, 1.0f}};
        const RenderTexCoord coords[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
        RenderVertex vertices[4]{};
        for (int i = 0; i < 4; ++i) {
            vertices[i].position = &positions[i];
            vertices[i].texCoord = &coords[i];
        }
        gDriver.dRenderQuad(&vertices[0], &vertices[1], &vertices[2], &vertices[3]);
    }

    // The whole window in the current colour.
    static void drawFullScreen() { drawQuad(-1.0f, -1.0f, 1.0f, 1.0f); }

    // Checks that a vertex program's colour parameter is read at each draw: the left
    // half drawn with it blue, the right half yellow.
    void expectTintReadPerDraw(DParameter* tint) {
        const float blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
        gDriver.dSetVertexProgramParameter(tint, blue);
        drawQuad(-1.0f, -1.0f, 0.0f, 1.0f);
        const float yellow[4] = {1.0f, 1.0f, 0.0f, 1.0f};
        gDriver.dSetVertexProgramParameter(tint, yellow);
        drawQuad(0.0f, -1.0f, 1.0f, 1.0f);

        EXPECT_EQ(readPixel(64, 128), kBlue) << describe(readPixel(64, 128));
        EXPECT_EQ(readPixel(192, 128), kYellow) << describe(readPixel(192, 128));
    }

    // Checks the matrix parameter "transform" of a vertex program: set to shrink the
    // screen-filling quad to a quarter and move it right by half a screen (x from 0.25
    // to 0.75, pixels 160 to 224), only there is drawn.
    void expectQuarterScreenTransform(const char* source) {
        DVertexProgram* program = vertexProgram(source);
        ASSERT_NE(program, nullptr);
        DParameter* transform = gDriver.dGetVertexProgramParameter("transform", program);
        ASSERT_NE(transform, nullptr);
        const float matrix[16] = {0.25f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1};
        gDriver.dSetVertexProgramMatrix(transform, matrix);
        useVertexProgram(program);
        gDriver.dColor4(0.0f, 1.0f, 0.0f, 1.0f);
        drawFullScreen();
        EXPECT_EQ(readPixel(192, 128), kGreen) << describe(readPixel(192, 128));
        EXPECT_EQ(readPixel(128, 128), kBlack) << describe(readPixel(128, 128));
        EXPECT_EQ(readPixel(192, 170), kBlack) << describe(readPixel(192, 170));
    }

    // Checks that once both stages, built from these sources, were in use, disabling
    // them draws fixed-function red.
    void expectDisablingReturnsToFixedFunction(const char* vertexSource, const char* pixelSource) {
        DVertexProgram* program = vertexProgram(vertexSource);
        DPixelShader* shader = pixelShader(pixelSource);
        ASSERT_NE(program, nullptr);
        ASSERT_NE(shader, nullptr);
        useVertexProgram(program);
        usePixelShader(shader);
        gDriver.dDisableVertexProgram();
        gDriver.dDisablePixelShader();
        gDriver.dColor4(1.0f, 0.0f, 0.0f, 1.0f);
        drawFullScreen();
        EXPECT_EQ(centre(), kRed) << describe(centre());
    }

    Rgba centre() const { return readPixel(kSize / 2, kSize / 2); }

    // The whole back buffer, RGBA rows from the bottom.
    static std::vector<uint8_t> readAll() {
        std::vector<uint8_t> pixels(static_cast<size_t>(kSize) * kSize * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    // Colours within one step of rounding count as the same.
    static bool near(const Rgba& actual, const Rgba& expected) {
        for (int i = 0; i < 3; ++i)
            if (actual[i] + 1 < expected[i] || actual[i] > expected[i] + 1) return false;
        return true;
    }

private:
    bool ready_ = false;
    std::vector<DVertexProgram*> vertexPrograms_;
    std::vector<DPixelShader*> pixelShaders_;
};

}  // namespace arvel::test
