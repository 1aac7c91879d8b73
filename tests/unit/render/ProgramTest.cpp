#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "core/Exception.h"
#include "render/PixelShader.h"
#include "render/ResourceRegistry.h"
#include "render/VertexProgram.h"
#include "support/ExceptionText.h"

namespace arvel {
namespace {

using test::exceptionText;

template <typename T>
T* fake() {
    static int storage;
    return reinterpret_cast<T*>(&storage);
}

class ProgramTest : public test::RenderTest {
protected:
    ProgramTest() {
        driver.setResult("dRegisterVertexProgram", fake<DVertexProgram>());
        driver.setResult("dRegisterPixelShader", fake<DPixelShader>());
        provide("a.vp", "AAA\n");
        provide("b.vp", "bb");
        provide("c.fp", "ccc");
        provide("empty", "");
    }
};

TEST_F(ProgramTest, NamesRunTheFileNamesTogether) {
    VertexProgram program;
    EXPECT_EQ(program.name(), "");
    program.addSourceFile("a.vp");
    program.addSourceFile("b.vp");
    EXPECT_EQ(program.name(), "a.vpb.vp");
    EXPECT_EQ(program.sourceFiles(), (std::vector<std::string>{"a.vp", "b.vp"}));

    PixelShader shader;
    EXPECT_EQ(shader.name(), "$empty_pixel_shader$");
    shader.addSourceFile("c.fp");
    EXPECT_EQ(shader.name(), "$empty_pixel_shader$c.fp");
}

TEST_F(ProgramTest, BuildHandsTheDriverTheFilesJoinedWithNothingBetween) {
    VertexProgram program;
    program.addSourceFile("a.vp");
    program.addSourceFile("b.vp");
    program.addSourceFile("a.vp");
    program.build();
    EXPECT_EQ(driver.calls(), std::vector<std::string>{"dRegisterVertexProgram(\"AAA\nbbAAA\n\")"});
    EXPECT_EQ(program.handle(), fake<DVertexProgram>());
}

TEST_F(ProgramTest, EmptyFilesContributeNothing) {
    PixelShader shader;
    shader.addSourceFile("empty");
    shader.addSourceFile("c.fp");
    shader.addSourceFile("empty");
    shader.build();
    VertexProgram onlyEmpty;
    onlyEmpty.addSourceFile("empty");
    onlyEmpty.build();
    EXPECT_EQ(driver.calls(), (std::vector<std::string>{"dRegisterPixelShader(\"ccc\")",
                                                        "dRegisterVertexProgram(\"\")"}));
}

TEST_F(ProgramTest, MissingVertexProgramFileIsNamedAndWrapped) {
    VertexProgram program;
    program.addSourceFile("a.vp");
    program.addSourceFile("gone.vp");
    const std::string text = exceptionText([&] { program.build(); });
    EXPECT_NE(text.find("Failed to open vertex program: gone.vp\n"), std::string::npos) << text;
    // The build's own location follows the open failure's.
    EXPECT_NE(text.rfind("(Primitives\\VertexProgram:"), text.find("(Primitives\\VertexProgram:"))
        << text;
    EXPECT_EQ(driver.countOf("dRegisterVertexProgram"), 0);
    EXPECT_EQ(program.handle(), nullptr);
}

TEST_F(ProgramTest, MissingPixelShaderFileIsNamed) {
    PixelShader shader;
    shader.addSourceFile("gone.fp");
    const std::string text = exceptionText([&] { shader.build(); });
    EXPECT_NE(text.find("(Primitives\\PixelShader:"), std::string::npos) << text;
    EXPECT_NE(text.find("gone.fp"), std::string::npos) << text;
    EXPECT_EQ(driver.countOf("dRegisterPixelShader"), 0);
}

TEST_F(ProgramTest, SourceTheDriverRejectsRaisesTheCompileMessages) {
    driver.setResult("dRegisterVertexProgram", static_cast<DVertexProgram*>(nullptr));
    driver.setResult("dRegisterPixelShader", static_cast<DPixelShader*>(nullptr));
    VertexProgram program;
    program.addSourceFile("a.vp");
    const std::string text = exceptionText([&] { program.build(); });
    EXPECT_NE(text.find("Vertexprogram cached as a.vp couldn't compile"), std::string::npos);
    PixelShader shader;
    shader.addSourceFile("c.fp");
    EXPECT_NE(exceptionText([&] { shader.build(); })
                  .find("Failed loading/parsing pixel shader with identifier name "
                        "$empty_pixel_shader$c.fp\n"),
              std::string::npos);
}

TEST_F(ProgramTest, BindOrdersDifferByKind) {
    VertexProgram program;
    program.addSourceFile("a.vp");
    program.build();
    PixelShader shader;
    shader.addSourceFile("c.fp");
    shader.build();
    driver.clearCalls();
    program.bind();
    shader.bind();
    EXPECT_EQ(driver.calls(),
              (std::vector<std::string>{"dBindVertexProgram(ptr)", "dEnableVertexProgram()",
                                        "dEnablePixelShader()", "dBindPixelShader(ptr)"}));
}

TEST_F(ProgramTest, ParametersAreLookedUpInTheBuiltProgram) {
    VertexProgram program;
    program.addSourceFile("a.vp");
    program.build();
    driver.clearCalls();
    program.getParameter("lightPosition");
    EXPECT_EQ(driver.calls(),
              std::vector<std::string>{"dGetVertexProgramParameter(\"lightPosition\", ptr)"});
}

TEST_F(ProgramTest, DestroyingDeletesOnlyBuiltDriverPrograms) {
    {
        VertexProgram unbuilt;
        unbuilt.addSourceFile("a.vp");
        PixelShader shader;
        shader.addSourceFile("c.fp");
        shader.build();
        auto program = std::make_unique<VertexProgram>();
        program->addSourceFile("a.vp");
        program->build();
        driver.clearCalls();
    }
    EXPECT_EQ(driver.calls(),
              (std::vector<std::string>{"dDeleteVertexProgram(ptr)", "dDeletePixelShader(ptr)"}));
}

class ProgramSharingTest : public ProgramTest {
protected:
    ResourceRegistry registry;
};

TEST_F(ProgramSharingTest, SameFilesInTheSameOrderShareOneProgram) {
    VertexProgram* first = VertexProgram::obtain({"a.vp", "b.vp"}, &registry);
    VertexProgram* second = VertexProgram::obtain({"a.vp", "b.vp"}, &registry);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(registry.size(), 1u);
    EXPECT_EQ(driver.countOf("dRegisterVertexProgram"), 1);
    EXPECT_EQ(registry.find("A.VPB.VP"), first);
}

TEST_F(ProgramSharingTest, AnotherOrderBuildsAnotherProgram) {
    VertexProgram* ab = VertexProgram::obtain({"a.vp", "b.vp"}, &registry);
    VertexProgram* ba = VertexProgram::obtain({"b.vp", "a.vp"}, &registry);
    EXPECT_NE(ab, ba);
    EXPECT_EQ(registry.size(), 2u);
    EXPECT_EQ(driver.countOf("dRegisterVertexProgram"), 2);
}

TEST_F(ProgramSharingTest, PixelShaderAndVertexProgramOfOneFileAreTwoEntries) {
    VertexProgram* program = VertexProgram::obtain({"c.fp"}, &registry);
    PixelShader* shader = PixelShader::obtain({"c.fp"}, &registry);
    ASSERT_NE(program, nullptr);
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(registry.size(), 2u);
    EXPECT_EQ(PixelShader::obtain({"c.fp"}, &registry), shader);
    EXPECT_EQ(driver.countOf("dRegisterPixelShader"), 1);
}

TEST_F(ProgramSharingTest, FailedBuildGivesNullAndRegistersNothing) {
    std::string said = boxesOf([&] {
        EXPECT_EQ(VertexProgram::obtain({"gone.vp"}, &registry), nullptr);
        EXPECT_EQ(PixelShader::obtain({"gone.fp"}, &registry), nullptr);
    });
    EXPECT_EQ(registry.size(), 0u);
    EXPECT_EQ(said, "");
}

TEST_F(ProgramSharingTest, WithoutRegistryEveryCallerOwnsItsOwnProgram) {
    std::unique_ptr<VertexProgram> first(VertexProgram::obtain({"a.vp"}, nullptr));
    std::unique_ptr<VertexProgram> second(VertexProgram::obtain({"a.vp"}, nullptr));
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(driver.countOf("dRegisterVertexProgram"), 2);
}

}  // namespace
}  // namespace arvel
