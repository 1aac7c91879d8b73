// Multi-pass lighting draws a surface first with fixed function, then again with a
// program under an equal depth test; every pixel of the second pass must land.
#include "ProgramFixture.h"

namespace arvel::test {
namespace {

class DepthInvariance : public ProgramTest {
protected:
    // A slanted quad in perspective, so that depth varies across every pixel.
    static void drawSlantedQuad() {
        gDriver.dMatrixMode(dcode::kProjection);
        gDriver.dLoadIdentity();
        gDriver.dFrustum(-1.0f, 1.0f, -1.0f, 1.0f, 1.0f, 10.0f);
        gDriver.dMatrixMode(dcode::kModelView);
        gDriver.dLoadIdentity();
        gDriver.dTranslate(0.0f, 0.0f, -3.0f);
        gDriver.dRotate(55.0f, 1.0f, 0.4f, 0.1f);
        drawQuad(-1.3f, -1.3f, 1.3f, 1.3f);
    }

    // Draws the fixed-function red pass, then the given programs in green with an
    // equal depth test, and counts the pixels each pass left.
    void drawTwoPasses(DVertexProgram* program, int& green, int& red) {
        gDriver.dEnableDepth();
        gDriver.dDepthFunc(dcode::kLess);
        gDriver.dColor4(1.0f, 0.0f, 0.0f, 1.0f);
        drawSlantedQuad();

        gDriver.dDepthFunc(dcode::kEqual);
        gDriver.dDepthMask(0);
        gDriver.dColor4(0.0f, 1.0f, 0.0f, 1.0f);
        useVertexProgram(program);
        drawSlantedQuad();
        gDriver.dDisableVertexProgram();
        gDriver.dDepthMask(1);

        green = red = 0;
        const std::vector<uint8_t> pixels = readAll();
        for (size_t i = 0; i < pixels.size(); i += 4) {
            const Rgba pixel{pixels[i], pixels[i + 1], pixels[i + 2], pixels[i + 3]};
            green += pixel == kGreen;
            red += pixel == kRed;
        }
    }
};

TEST_F(DepthInvariance, ProgramPassCoversTheFixedFunctionPass) {
    struct Case {
        const char* name;
        const char* profile;
        const char* source;
    };
    const Case cases[] = {
        {"GLSL ftransform", "glsl", R"(#version 120
void main() { gl_Position = ftransform(); gl_FrontColor = gl_Color; }
)"},
        {"GLSL model-view-projection", "glsl", R"(#version 120
void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; gl_FrontColor = gl_Color; }
)"},
        {"ARB position invariant", "arb", R"(!!ARBvp1.0
OPTION ARB_position_invariant;
MOV result.color, vertex.color;
END
)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clear();
        gDriver.dSetVPProfile(c.profile);
        DVertexProgram* program = vertexProgram(c.source);
        ASSERT_NE(program, nullptr);
        int green = 0, red = 0;
        drawTwoPasses(program, green, red);
        EXPECT_GT(green, 5000);
        EXPECT_EQ(red, 0);
    }
}

}  // namespace
}  // namespace arvel::test
