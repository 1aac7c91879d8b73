// ARB assembly programs under the "arb" profile: each stage alone with fixed function,
// both, mixed with GLSL, and parameters named by their program.local declarations.
#include "ProgramFixture.h"

namespace arvel::test {
namespace {

constexpr const char* kGreenVertex = R"(!!ARBvp1.0
OPTION ARB_position_invariant;
MOV result.color, {0, 1, 0, 1};
END
)";

constexpr const char* kSwizzlePixel = R"(!!ARBfp1.0
MOV result.color, fragment.color.zyxw;
END
)";

constexpr const char* kTintVertex = R"(!!ARBvp1.0
OPTION ARB_position_invariant;
# the tint comes from the caller
PARAM unused = program.local[0];
PARAM tint = program.local[3];
MOV result.color, tint;
END
)";

constexpr const char* kTransformVertex = R"(!!ARBvp1.0
PARAM transform[4] = { program.local[4..7] };
DP4 result.position.x, transform[0], vertex.position;
DP4 result.position.y, transform[1], vertex.position;
DP4 result.position.z, transform[2], vertex.position;
DP4 result.position.w, transform[3], vertex.position;
MOV result.color, vertex.color;
END
)";

class ArbPrograms : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        gDriver.dSetVPProfile("arb");
        gDriver.dSetFPProfile("arb");
    }
};

TEST_F(ArbPrograms, VertexProgramAloneFeedsFixedFunctionFragments) {
    DVertexProgram* program = vertexProgram(kGreenVertex);
    ASSERT_NE(program, nullptr);
    gDriver.dColor4(1.0f, 0.0f, 0.0f, 1.0f);
    useVertexProgram(program);
    drawFullScreen();
    EXPECT_EQ(centre(), kGreen) << describe(centre());
}

TEST_F(ArbPrograms, PixelShaderAloneReadsFixedFunctionColour) {
    DPixelShader* shader = pixelShader(kSwizzlePixel);
    ASSERT_NE(shader, nullptr);
    gDriver.dColor4(1.0f, 0.0f, 0.0f, 1.0f);
    usePixelShader(shader);
    drawFullScreen();
    EXPECT_EQ(centre(), kBlue) << describe(centre());
}

TEST_F(ArbPrograms, BothStagesRunTogether) {
    DVertexProgram* program = vertexProgram(kGreenVertex);
    DPixelShader* shader = pixelShader(R"(!!ARBfp1.0
MUL result.color, fragment.color, {1, 0.5, 1, 1};
END
)");
    ASSERT_NE(program, nullptr);
    ASSERT_NE(shader, nullptr);
    useVertexProgram(program);
    usePixelShader(shader);
    drawFullScreen();
    EXPECT_TRUE(near(centre(), Rgba{0, 128, 0, 255})) << describe(centre());
}

TEST_F(ArbPrograms, DisablingReturnsToFixedFunction) {
    expectDisablingReturnsToFixedFunction(kGreenVertex, kSwizzlePixel);
}

TEST_F(ArbPrograms, LocalParameterIsFoundByItsDeclaredName) {
    DVertexProgram* program = vertexProgram(kTintVertex);
    ASSERT_NE(program, nullptr);
    DParameter* tint = gDriver.dGetVertexProgramParameter("tint", program);
    ASSERT_NE(tint, nullptr);
    EXPECT_NE(gDriver.dGetVertexProgramParameter("unused", program), tint);
    EXPECT_EQ(gDriver.dGetVertexProgramParameter("result", program), nullptr);
    useVertexProgram(program);
    expectTintReadPerDraw(tint);
}

TEST_F(ArbPrograms, SettingAnotherProgramsParameterLeavesTheBoundOneRunning) {
    DVertexProgram* tinted = vertexProgram(kTintVertex);
    DVertexProgram* green = vertexProgram(kGreenVertex);
    ASSERT_NE(tinted, nullptr);
    ASSERT_NE(green, nullptr);
    useVertexProgram(green);
    const float blue[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    gDriver.dSetVertexProgramParameter(gDriver.dGetVertexProgramParameter("tint", tinted), blue);
    drawQuad(-1.0f, -1.0f, 0.0f, 1.0f);
    useVertexProgram(tinted);
    drawQuad(0.0f, -1.0f, 1.0f, 1.0f);
    EXPECT_EQ(readPixel(64, 128), kGreen) << describe(readPixel(64, 128));
    EXPECT_EQ(readPixel(192, 128), kBlue) << describe(readPixel(192, 128));
}

TEST_F(ArbPrograms, MatrixParameterFillsFourLocalsWithItsRows) {
    expectQuarterScreenTransform(kTransformVertex);
}

TEST_F(ArbPrograms, ArbVertexProgramFeedsGlslPixelShader) {
    DVertexProgram* program = vertexProgram(kGreenVertex);
    gDriver.dSetFPProfile("glsl");
    DPixelShader* shader = pixelShader(R"(#version 120
void main() { gl_FragColor = gl_Color * 0.5; }
)");
    ASSERT_NE(program, nullptr);
    ASSERT_NE(shader, nullptr);
    useVertexProgram(program);
    usePixelShader(shader);
    drawFullScreen();
    EXPECT_TRUE(near(centre(), Rgba{0, 128, 0, 255})) << describe(centre());
}

TEST_F(ArbPrograms, GlslVertexProgramFeedsArbPixelShader) {
    gDriver.dSetVPProfile("glsl");
    DVertexProgram* program = vertexProgram(R"(#version 120
void main() { gl_Position = ftransform(); gl_FrontColor = vec4(1.0, 0.0, 0.0, 1.0); }
)");
    DPixelShader* shader = pixelShader(kSwizzlePixel);
    ASSERT_NE(program, nullptr);
    ASSERT_NE(shader, nullptr);
    useVertexProgram(program);
    usePixelShader(shader);
    drawFullScreen();
    EXPECT_EQ(centre(), kBlue) << describe(centre());
}

}  // namespace
}  // namespace arvel::test
