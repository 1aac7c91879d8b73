// What the driver keeps about programs: switch counters, sources that do not build and
// their log, profiles the hardware lacks, deletion and null handles.
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "ProgramFixture.h"
#include "render/VertexProgram.h"
#include "shared/TempDir.h"

namespace arvel::test {
namespace {

constexpr const char* kGlslVertex = R"(#version 120
void main() { gl_Position = ftransform(); gl_FrontColor = vec4(0.0, 1.0, 0.0, 1.0); }
)";
constexpr const char* kGlslVertexB = R"(#version 120
void main() { gl_Position = ftransform(); gl_FrontColor = vec4(0.0, 0.0, 1.0, 1.0); }
)";
constexpr const char* kGlslPixel = R"(#version 120
void main() { gl_FragColor = vec4(0.0, 0.0, 1.0, 1.0); }
)";
constexpr const char* kGlslPixelB = R"(#version 120
void main() { gl_FragColor = vec4(1.0, 1.0, 0.0, 1.0); }
)";
constexpr const char* kArbVertex = R"(!!ARBvp1.0
OPTION ARB_position_invariant;
MOV result.color, {0, 1, 0, 1};
END
)";
constexpr const char* kArbPixel = R"(!!ARBfp1.0
MOV result.color, {0, 0, 1, 1};
END
)";

// Each test in a working directory of its own, where a failing build must write nothing:
// the log is the caller's to report or not.
class ProgramBookkeeping : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        workingDirectory_.emplace(folder_.path());
    }
    void TearDown() override {
        ProgramTest::TearDown();
        workingDirectory_.reset();
    }
    static std::string log() { return driverProgramLog(); }
    bool logFileWritten() const { return std::filesystem::exists(folder_.path() / "dump.dmp"); }
    TempDir folder_;
    std::optional<ScopedWorkingDirectory> workingDirectory_;
};

TEST_F(ProgramBookkeeping, BindingTheSameProgramTwiceCountsOneSwitch) {
    DVertexProgram* program = vertexProgram(kGlslVertex);
    DPixelShader* shader = pixelShader(kGlslPixel);
    ASSERT_NE(program, nullptr);
    ASSERT_NE(shader, nullptr);
    const int vertexBefore = gDriver.dGetVPSwitches();
    const int pixelBefore = gDriver.dGetPSSwitches();
    gDriver.dBindVertexProgram(program);
    gDriver.dBindVertexProgram(program);
    gDriver.dBindPixelShader(shader);
    gDriver.dBindPixelShader(shader);
    EXPECT_EQ(gDriver.dGetVPSwitches(), vertexBefore + 1);
    EXPECT_EQ(gDriver.dGetPSSwitches(), pixelBefore + 1);
}

TEST_F(ProgramBookkeeping, EveryRealChangeCountsAndStagesCountApart) {
    DVertexProgram* a = vertexProgram(kGlslVertex);
    DVertexProgram* b = vertexProgram(kGlslVertexB);
    DPixelShader* shader = pixelShader(kGlslPixel);
    ASSERT_TRUE(a && b && shader);
    gDriver.dBindVertexProgram(a);
    const int vertexBefore = gDriver.dGetVPSwitches();
    const int pixelBefore = gDriver.dGetPSSwitches();
    gDriver.dBindVertexProgram(b);
    gDriver.dBindVertexProgram(a);
    gDriver.dBindVertexProgram(b);
    EXPECT_EQ(gDriver.dGetVPSwitches(), vertexBefore + 3);
    EXPECT_EQ(gDriver.dGetPSSwitches(), pixelBefore);
    gDriver.dBindPixelShader(shader);
    EXPECT_EQ(gDriver.dGetVPSwitches(), vertexBefore + 3);
    EXPECT_EQ(gDriver.dGetPSSwitches(), pixelBefore + 1);
}

TEST_F(ProgramBookkeeping, EnablingAndDisablingCountNoSwitch) {
    DVertexProgram* program = vertexProgram(kGlslVertex);
    ASSERT_NE(program, nullptr);
    gDriver.dBindVertexProgram(program);
    const int before = gDriver.dGetVPSwitches();
    gDriver.dDisableVertexProgram();
    gDriver.dEnableVertexProgram();
    gDriver.dBindVertexProgram(program);
    EXPECT_EQ(gDriver.dGetVPSwitches(), before);
}

TEST_F(ProgramBookkeeping, SwitchesBetweenGlslAndArbProgramsCount) {
    DPixelShader* glsl = pixelShader(kGlslPixel);
    gDriver.dSetFPProfile("arb");
    DPixelShader* arb = pixelShader(kArbPixel);
    ASSERT_TRUE(glsl && arb);
    gDriver.dBindPixelShader(glsl);
    const int before = gDriver.dGetPSSwitches();
    gDriver.dBindPixelShader(arb);
    gDriver.dBindPixelShader(glsl);
    EXPECT_EQ(gDriver.dGetPSSwitches(), before + 2);
}

TEST_F(ProgramBookkeeping, GlslSourceThatDoesNotCompileReturnsNullAndLogs) {
    const int vertexBefore = gDriver.dGetVPSwitches();
    const int pixelBefore = gDriver.dGetPSSwitches();
    EXPECT_EQ(gDriver.dRegisterVertexProgram("void main() { gl_Position = undeclaredThing; }"),
              nullptr);
    const std::string vertex = log();
    EXPECT_EQ(gDriver.dRegisterPixelShader("void main() { this is not a shader }"), nullptr);
    EXPECT_EQ(gDriver.dGetVPSwitches(), vertexBefore);
    EXPECT_EQ(gDriver.dGetPSSwitches(), pixelBefore);
    EXPECT_NE(vertex.find("Vertex program did not compile (GLSL)"), std::string::npos) << vertex;
    EXPECT_NE(vertex.find("undeclaredThing"), std::string::npos) << vertex;
    EXPECT_NE(log().find("Pixel shader did not compile (GLSL)"), std::string::npos) << log();
}

TEST_F(ProgramBookkeeping, ArbSourceThatDoesNotAssembleReturnsNullAndLogsThePosition) {
    gDriver.dSetVPProfile("arb");
    const int before = gDriver.dGetVPSwitches();
    EXPECT_EQ(gDriver.dRegisterVertexProgram("!!ARBvp1.0\nFROB result.color, 1;\nEND\n"), nullptr);
    EXPECT_EQ(gDriver.dGetVPSwitches(), before);
    const std::string text = log();
    EXPECT_NE(text.find("Vertex program did not compile (ARB)"), std::string::npos) << text;
    EXPECT_NE(text.find("at character"), std::string::npos) << text;
}

TEST_F(ProgramBookkeeping, FailedArbBuildLeavesNoGlErrorBehind) {
    gDriver.dSetVPProfile("arb");
    gDriver.dClearErrors();
    EXPECT_EQ(gDriver.dRegisterVertexProgram("!!ARBvp1.0\nFROB;\nEND\n"), nullptr);
    EXPECT_EQ(gDriver.dError(), 0);
}

TEST_F(ProgramBookkeeping, FailuresWriteNoFileAndABuildThatWorksClearsTheLog) {
    EXPECT_EQ(gDriver.dRegisterPixelShader("broken"), nullptr);
    EXPECT_NE(log().find("Pixel shader did not compile"), std::string::npos) << log();
    EXPECT_FALSE(logFileWritten());
    EXPECT_NE(pixelShader(kGlslPixel), nullptr);
    EXPECT_EQ(log(), "");
}

TEST_F(ProgramBookkeeping, ProgramOfTheWrongStageDoesNotBuild) {
    gDriver.dSetVPProfile("arb");
    gDriver.dSetFPProfile("arb");
    EXPECT_EQ(gDriver.dRegisterVertexProgram(kArbPixel), nullptr);
    EXPECT_EQ(gDriver.dRegisterPixelShader(kArbVertex), nullptr);
}

TEST_F(ProgramBookkeeping, EmptySourceDoesNotBuild) {
    EXPECT_EQ(gDriver.dRegisterVertexProgram(""), nullptr);
    gDriver.dSetFPProfile("arb");
    EXPECT_EQ(gDriver.dRegisterPixelShader(""), nullptr);
}

bool hasGlExtension(const char* name) {
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!all) return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(all, name); at; at = std::strstr(at + 1, name))
        if ((at == all || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0')) return true;
    return false;
}

TEST_F(ProgramBookkeeping, NvProfilesBuildNothingWithoutTheirExtensions) {
    if (hasGlExtension("GL_NV_vertex_program") || hasGlExtension("GL_NV_fragment_program") ||
        hasGlExtension("GL_NV_register_combiners"))
        GTEST_SKIP() << "this GL offers NV programs";
    for (const char* profile : {"vp20", "vp30", "VP30"}) {
        gDriver.dSetVPProfile(profile);
        EXPECT_EQ(gDriver.dRegisterVertexProgram(kArbVertex), nullptr) << profile;
        EXPECT_EQ(gDriver.dRegisterVertexProgram(kGlslVertex), nullptr) << profile;
    }
    for (const char* profile : {"fp20", "fp30"}) {
        gDriver.dSetFPProfile(profile);
        EXPECT_EQ(gDriver.dRegisterPixelShader(kArbPixel), nullptr) << profile;
        EXPECT_EQ(gDriver.dRegisterPixelShader(kGlslPixel), nullptr) << profile;
    }
    EXPECT_NE(log().find("the profile needs GL_NV_"), std::string::npos) << log();
}

TEST_F(ProgramBookkeeping, BestProfileBuildsGlsl) {
    gDriver.dSetVPProfile("best");
    gDriver.dSetFPProfile("best");
    EXPECT_NE(vertexProgram(kGlslVertex), nullptr);
    EXPECT_NE(pixelShader(kGlslPixel), nullptr);
}

TEST_F(ProgramBookkeeping, DeletingTheBoundProgramReturnsToFixedFunction) {
    DVertexProgram* program = gDriver.dRegisterVertexProgram(kGlslVertexB);
    DPixelShader* shader = gDriver.dRegisterPixelShader(kGlslPixelB);
    ASSERT_TRUE(program && shader);
    useVertexProgram(program);
    usePixelShader(shader);
    gDriver.dDeleteVertexProgram(program);
    gDriver.dDeletePixelShader(shader);
    gDriver.dColor4(1.0f, 0.0f, 0.0f, 1.0f);
    drawFullScreen();
    EXPECT_EQ(centre(), kRed) << describe(centre());
}

TEST_F(ProgramBookkeeping, BindingAfterDeletingTheBoundProgramCounts) {
    DVertexProgram* doomed = gDriver.dRegisterVertexProgram(kGlslVertex);
    ASSERT_NE(doomed, nullptr);
    gDriver.dBindVertexProgram(doomed);
    gDriver.dDeleteVertexProgram(doomed);
    DVertexProgram* next = vertexProgram(kGlslVertexB);  // may reuse the freed address
    ASSERT_NE(next, nullptr);
    const int before = gDriver.dGetVPSwitches();
    useVertexProgram(next);
    EXPECT_EQ(gDriver.dGetVPSwitches(), before + 1);
    drawFullScreen();
    EXPECT_EQ(centre(), kBlue) << describe(centre());
}

TEST_F(ProgramBookkeeping, ProgramsOfAClosedContextAreForgotten) {
    DVertexProgram* stale = gDriver.dRegisterVertexProgram(kGlslVertex);
    ASSERT_NE(stale, nullptr);
    useVertexProgram(stale);
    gDriver.dCloseDriver();
    ASSERT_TRUE(gDriver.dSetRenderWindow(window(), 32, 24, 8));
    gDriver.dChangeWindowSize(kSize, kSize);
    gDriver.dSetVPProfile("glsl");
    clear();

    // The new context's first program may well get the same GL name as the stale one.
    DVertexProgram* fresh = vertexProgram(kGlslVertexB);
    ASSERT_NE(fresh, nullptr);
    const int before = gDriver.dGetVPSwitches();
    gDriver.dBindVertexProgram(stale);
    EXPECT_EQ(gDriver.dGetVPSwitches(), before);
    gDriver.dEnableVertexProgram();
    gDriver.dColor4(1.0f, 0.0f, 0.0f, 1.0f);
    drawQuad(-1.0f, -1.0f, 0.0f, 1.0f);
    gDriver.dDeleteVertexProgram(stale);
    useVertexProgram(fresh);
    drawQuad(0.0f, -1.0f, 1.0f, 1.0f);
    EXPECT_EQ(readPixel(64, 128), kRed) << describe(readPixel(64, 128));
    EXPECT_EQ(readPixel(192, 128), kBlue) << describe(readPixel(192, 128));
}

TEST_F(ProgramBookkeeping, NullHandlesAndSourcesDoNothing) {
    EXPECT_EQ(gDriver.dRegisterVertexProgram(nullptr), nullptr);
    EXPECT_EQ(gDriver.dRegisterPixelShader(nullptr), nullptr);
    const int vertexBefore = gDriver.dGetVPSwitches();
    const int pixelBefore = gDriver.dGetPSSwitches();
    gDriver.dBindVertexProgram(nullptr);
    gDriver.dBindPixelShader(nullptr);
    gDriver.dDeleteVertexProgram(nullptr);
    gDriver.dDeletePixelShader(nullptr);
    EXPECT_EQ(gDriver.dGetVPSwitches(), vertexBefore);
    EXPECT_EQ(gDriver.dGetPSSwitches(), pixelBefore);

    const float value[16] = {};
    gDriver.dSetVertexProgramParameter(nullptr, value);
    gDriver.dSetVertexProgramMatrix(nullptr, value);
    gDriver.dDeleteVertexProgramParameter(nullptr);
    EXPECT_EQ(gDriver.dGetVertexProgramParameter("tint", nullptr), nullptr);
    DVertexProgram* program = vertexProgram(kGlslVertex);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(gDriver.dGetVertexProgramParameter(nullptr, program), nullptr);
    EXPECT_EQ(log(), "");
}

TEST_F(ProgramBookkeeping, BindingWithNullKeepsTheBoundProgram) {
    DPixelShader* shader = pixelShader(kGlslPixel);
    ASSERT_NE(shader, nullptr);
    usePixelShader(shader);
    gDriver.dBindPixelShader(nullptr);
    drawFullScreen();
    EXPECT_EQ(centre(), kBlue) << describe(centre());
}

TEST_F(ProgramBookkeeping, SettingAParameterOfTheWrongShapeIsHarmless) {
    DVertexProgram* program = vertexProgram(R"(#version 120
uniform mat4 transform;
uniform float scale;
void main() { gl_Position = transform * gl_Vertex * scale; gl_FrontColor = gl_Color; }
)");
    ASSERT_NE(program, nullptr);
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    DParameter* transform = gDriver.dGetVertexProgramParameter("transform", program);
    DParameter* scale = gDriver.dGetVertexProgramParameter("scale", program);
    ASSERT_TRUE(transform && scale);
    gDriver.dClearErrors();
    gDriver.dSetVertexProgramParameter(transform, identity);  // a vector into a matrix
    gDriver.dSetVertexProgramMatrix(transform, identity);
    gDriver.dSetVertexProgramParameter(scale, identity);  // the first component fits
    gDriver.dSetVertexProgramMatrix(scale, identity);
    EXPECT_EQ(gDriver.dError(), 0);
    useVertexProgram(program);
    gDriver.dColor4(0.0f, 1.0f, 0.0f, 1.0f);
    drawFullScreen();
    EXPECT_EQ(centre(), kGreen) << describe(centre());
}

}  // namespace
}  // namespace arvel::test
