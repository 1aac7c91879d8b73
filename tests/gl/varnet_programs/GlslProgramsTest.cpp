// GLSL vertex programs and pixel shaders, each stage alone with fixed function in the
// other, both together and neither; parameters, matrices and sampler units.
#include "ProgramFixture.h"

namespace arvel::test {
namespace {

constexpr const char* kGreenVertex = R"(#version 120
void main() {
    gl_Position = ftransform();
    gl_FrontColor = vec4(0.0, 1.0, 0.0, 1.0);
    gl_TexCoord[0] = gl_MultiTexCoord0;
}
)";

// Swaps red and blue of the colour fixed function hands over.
constexpr const char* kSwizzlePixel = R"(#version 120
void main() { gl_FragColor = gl_Color.bgra; }
)";

constexpr const char* kVaryingVertex = R"(#version 120
varying vec4 shade;
void main() {
    gl_Position = ftransform();
    shade = vec4(1.0, 1.0, 0.0, 1.0);
}
)";

constexpr const char* kVaryingPixel = R"(#version 120
varying vec4 shade;
void main() { gl_FragColor = shade.bgra; }
)";

constexpr const char* kTintVertex = R"(#version 120
uniform vec4 tint;
void main() {
    gl_Position = ftransform();
    gl_FrontColor = tint;
}
)";

constexpr const char* kTransformVertex = R"(#version 120
uniform mat4 transform;
void main() {
    gl_Position = transform * gl_Vertex;
    gl_FrontColor = gl_Color;
}
)";

class GlslPrograms : public ProgramTest {};

TEST_F(GlslPrograms, VertexProgramAloneFeedsFixedFunctionFragments) {
    DVertexProgram* program = vertexProgram(kGreenVertex);
    ASSERT_NE(program, nullptr);
    gDriver.dColor4(1.0f, 0.0f, 0.0f, 1.0f);
    useVertexProgram(program);
    gDriver.dDisablePixelShader();
    drawFullScreen();
    EXPECT_EQ(centre(), kGreen) << describe(centre());
}

TEST_F(GlslPrograms, PixelShaderAloneReadsFixedFunctionColour) {
    DPixelShader* shader = pixelShader(kSwizzlePixel);
    ASSERT_NE(shader, nullptr);
    gDriver.dColor4(1.0f, 0.0f, 0.0f, 1.0f);
    gDriver.dDisableVertexProgram();
    usePixelShader(shader);
    drawFullScreen();
    EXPECT_EQ(centre(), kBlue) << describe(centre());
}

TEST_F(GlslPrograms, BothStagesPassTheirOwnVaryings) {
    DVertexProgram* program = vertexProgram(kVaryingVertex);
    DPixelShader* shader = pixelShader(kVaryingPixel);
    ASSERT_NE(program, nullptr);
    ASSERT_NE(shader, nullptr);
    useVertexProgram(program);
    usePixelShader(shader);
    drawFullScreen();
    EXPECT_EQ(centre(), (Rgba{0, 255, 255, 255})) << describe(centre());
}

TEST_F(GlslPrograms, BothStagesDisabledDrawFixedFunction) {
    expectDisablingReturnsToFixedFunction(kGreenVertex, kSwizzlePixel);
}

TEST_F(GlslPrograms, EnablingWithoutABoundProgramKeepsFixedFunction) {
    gDriver.dEnableVertexProgram();
    gDriver.dEnablePixelShader();
    gDriver.dColor4(1.0f, 0.0f, 0.0f, 1.0f);
    drawFullScreen();
    EXPECT_EQ(centre(), kRed) << describe(centre());
}

TEST_F(GlslPrograms, BoundProgramRunsOnlyOnceEnabled) {
    DPixelShader* shader = pixelShader(kSwizzlePixel);
    ASSERT_NE(shader, nullptr);
    gDriver.dBindPixelShader(shader);
    gDriver.dColor4(1.0f, 0.0f, 0.0f, 1.0f);
    drawQuad(-1.0f, -1.0f, 0.0f, 1.0f);
    gDriver.dEnablePixelShader();
    drawQuad(0.0f, -1.0f, 1.0f, 1.0f);
    EXPECT_EQ(readPixel(64, 128), kRed) << describe(readPixel(64, 128));
    EXPECT_EQ(readPixel(192, 128), kBlue) << describe(readPixel(192, 128));
}

TEST_F(GlslPrograms, UniformParameterSetsTheColour) {
    DVertexProgram* program = vertexProgram(kTintVertex);
    ASSERT_NE(program, nullptr);
    DParameter* tint = gDriver.dGetVertexProgramParameter("tint", program);
    ASSERT_NE(tint, nullptr);
    useVertexProgram(program);
    expectTintReadPerDraw(tint);
}

TEST_F(GlslPrograms, ParameterSetBeforeBindingIsKept) {
    DVertexProgram* program = vertexProgram(kTintVertex);
    ASSERT_NE(program, nullptr);
    const float green[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    gDriver.dSetVertexProgramParameter(gDriver.dGetVertexProgramParameter("tint", program), green);
    useVertexProgram(program);
    drawFullScreen();
    EXPECT_EQ(centre(), kGreen) << describe(centre());
}

TEST_F(GlslPrograms, ParameterLookupIsStableAndKnowsOnlyDeclaredUniforms) {
    DVertexProgram* program = vertexProgram(kTintVertex);
    ASSERT_NE(program, nullptr);
    DParameter* first = gDriver.dGetVertexProgramParameter("tint", program);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(gDriver.dGetVertexProgramParameter("tint", program), first);
    EXPECT_EQ(gDriver.dGetVertexProgramParameter("tin", program), nullptr);
    EXPECT_EQ(gDriver.dGetVertexProgramParameter("Tint", program), nullptr);
    EXPECT_EQ(gDriver.dGetVertexProgramParameter("", program), nullptr);
}

TEST_F(GlslPrograms, MatrixParameterIsReadColumnMajor) {
    expectQuarterScreenTransform(kTransformVertex);
}

// One texel of a colour on a texture unit, made with GL directly.
GLuint solidTexture(int unit, const Rgba& colour) {
    GLuint texture = 0;
    glActiveTexture(GL_TEXTURE0 + unit);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, colour.data());
    glActiveTexture(GL_TEXTURE0);
    return texture;
}

class GlslSamplers : public ProgramTest {
protected:
    void TearDown() override {
        if (textures_[0]) glDeleteTextures(2, textures_);
        ProgramTest::TearDown();
    }
    void redOnUnit0GreenOnUnit1() {
        textures_[0] = solidTexture(0, kRed);
        textures_[1] = solidTexture(1, kGreen);
    }
    GLuint textures_[2] = {0, 0};
};

TEST_F(GlslSamplers, Texture1SamplesUnit1) {
    redOnUnit0GreenOnUnit1();
    DPixelShader* shader = pixelShader(R"(#version 120
uniform sampler2D texture1;
void main() { gl_FragColor = texture2D(texture1, gl_TexCoord[0].xy); }
)");
    ASSERT_NE(shader, nullptr);
    usePixelShader(shader);
    drawFullScreen();
    EXPECT_EQ(centre(), kGreen) << describe(centre());
}

TEST_F(GlslSamplers, EachNumberedSamplerReadsItsOwnUnit) {
    redOnUnit0GreenOnUnit1();
    DPixelShader* shader = pixelShader(R"(#version 120
uniform sampler2D texture1;
uniform sampler2D texture0;
void main() {
    vec2 uv = gl_TexCoord[0].xy;
    gl_FragColor = texture2D(texture0, uv) * 0.5 + texture2D(texture1, uv) * 0.25;
}
)");
    ASSERT_NE(shader, nullptr);
    usePixelShader(shader);
    drawFullScreen();
    EXPECT_TRUE(near(centre(), Rgba{128, 64, 0, 255})) << describe(centre());
}

}  // namespace
}  // namespace arvel::test
