#include <gtest/gtest.h>

#include "TechniqueTestSupport.h"
#include "render/PixelShader.h"
#include "render/Texture.h"
#include "render/VertexProgram.h"
#include "support/ExceptionText.h"

namespace arvel::test {
namespace {

class Compiler : public TechniqueTest {};

// --- stage blocks and alternatives ---------------------------------------------------

TEST_F(Compiler, EmptyScriptGivesThreeEmptyStages) {
    auto technique = compile("  # nothing but a comment\n");
    ASSERT_TRUE(technique) << error;
    EXPECT_TRUE(technique->ambientPasses().empty());
    EXPECT_TRUE(technique->lightPasses().empty());
    EXPECT_TRUE(technique->postShadePasses().empty());
}

TEST_F(Compiler, StageKeywordsSelectTheirListsAndRepeatedStagesAppend) {
    auto technique = compile(
        "AMBIENT { impl { pass { } } }\n"
        "light { IMPL { Pass { } PASS { } } }\n"
        "PostShade { impl { Pass { } } }\n"
        "Ambient { impl { Pass { } } }\n");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(technique->ambientPasses().size(), 2u);
    EXPECT_EQ(technique->lightPasses().size(), 2u);
    EXPECT_EQ(technique->postShadePasses().size(), 1u);
}

TEST_F(Compiler, FirstUsableImplementationWinsAndTheUnusableOneIsGone) {
    exportsWithout({"dDepthClamp"});
    auto technique = compile(
        "Light {\n"
        "  impl { Pass { Requires DepthClamp CullFace none } Pass { } }\n"
        "  impl { Pass { CullFace front } }\n"
        "}\n");
    ASSERT_TRUE(technique) << error;
    ASSERT_EQ(technique->lightPasses().size(), 1u);
    EXPECT_EQ(technique->lightPasses()[0]->cullMode, 1);
}

TEST_F(Compiler, ImplementationsAfterTheAcceptedOneAreSkippedByBraceCounting) {
    auto technique = compile(
        "Ambient {\n"
        "  impl { Pass { CullFace none } }\n"
        "  impl { Pass { NoSuchCommand { nested { } } CullFace sideways } }\n"
        "  impl { garbage }\n"
        "}\n"
        "Light { impl { Pass { } } }\n");
    ASSERT_TRUE(technique) << error;
    ASSERT_EQ(technique->ambientPasses().size(), 1u);
    EXPECT_EQ(technique->ambientPasses()[0]->cullMode, 2);
    EXPECT_EQ(technique->lightPasses().size(), 1u);
}

TEST_F(Compiler, SkippedBlockRunningToTheEndOfTheTextStopsThere) {
    // The skip ends with the text; the technique block then misses its closing brace.
    auto technique = compile("Ambient { impl { Pass { } } impl { Pass { ");
    EXPECT_FALSE(technique);
    EXPECT_TRUE(contains(error, "RTCompiler: Error at line 0 (43) token  unexpected")) << error;
}

TEST_F(Compiler, UnusableImplementationAlsoDropsEarlierPassesOfItsStage) {
    exportsWithout({"dDepthClamp"});
    auto technique = compile(
        "Ambient { impl { Pass { } Pass { } } }\n"
        "Ambient { impl { Pass { Requires DepthClamp } } impl { Pass { CullFace none } } }\n");
    ASSERT_TRUE(technique) << error;
    ASSERT_EQ(technique->ambientPasses().size(), 1u);
    EXPECT_EQ(technique->ambientPasses()[0]->cullMode, 2);
}

TEST_F(Compiler, NoUsableImplementationIsAnError) {
    exportsWithout({"dDepthClamp"});
    EXPECT_FALSE(compile("Ambient { impl { Pass { Requires DepthClamp } } }"));
    EXPECT_TRUE(contains(error, "RTCompiler: Could not find any useful technique for script\n"));
    EXPECT_FALSE(compile("Ambient { }"));
    EXPECT_TRUE(contains(error, "Could not find any useful technique"));
}

// --- syntax errors -----------------------------------------------------------------

TEST_F(Compiler, UnknownCommandReportsLineAndPositionAndTheDeletedPass) {
    EXPECT_FALSE(compile("Ambient\n{\nimpl\n{\nPass\n{\nBogus\n}}}"));
    EXPECT_TRUE(contains(error, "(Primitives\\RenderTechnique:"));
    EXPECT_TRUE(
        contains(error, "RTCompiler: Error at line 6 (29) token Bogus unexpected, not a command"));
    EXPECT_TRUE(contains(error, "Deleted pass information memory"));
}

TEST_F(Compiler, BlockStructureErrors) {
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"Shadow { }", "RTCompiler: Error at line 0 (6) token Shadow unexpected"},
        {"Ambient",
         "RTCompiler: Error at line 0 (8) token  unexpected, must begin technique with {"},
        {"Ambient impl", "token impl unexpected, must begin technique with {"},
        {"Ambient { Pass", "token Pass unexpected"},
        {"Ambient { impl Pass", "token Pass unexpected, requires {"},
        {"Ambient { impl { CullFace", "token CullFace unexpected, requires pass"},
        {"Ambient { impl { Pass CullFace", "token CullFace unexpected, requires {"},
        {"Ambient { impl { Pass { } CullFace", "token CullFace unexpected, requires }"},
        {"Ambient { impl { Pass { } } impl Pass",
         "token Pass unexpected, must begin technique with {"},
        {"Ambient { impl { Pass { CullFace", "token  unexpected, front, back or none expected"},
        {"Ambient { impl { Pass { CullFace both } } }", "line 0 (37) token both unexpected"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(compile(c.script)) << c.script;
        EXPECT_TRUE(contains(error, c.message)) << c.script;
    }
}

TEST_F(Compiler, CommandArgumentErrors) {
    struct Case {
        const char* body;
        const char* message;
    };
    const Case cases[] = {
        {"DepthFunc sometimes", "token sometimes unexpected"},
        {"DepthMask maybe", "token maybe unexpected"},
        {"ColorMask true true", "token true unexpected, \",\"expected"},
        {"BlendFunc src_color, one", "token src_color unexpected"},
        {"BlendFunc one, dst_color", "token dst_color unexpected"},
        {"StencilOp keep, keep, explode", "token explode unexpected"},
        {"Texture 32, Texture0", "RTCompiler: Error at line 0 (34) invalid textureunit"},
        {"Texture -1, Texture0", "invalid textureunit"},
        {"Texture 0 Texture0", "token Texture0 unexpected, \",\"expected"},
        {"Texture 0, wall.tga",
         "token wall.tga unexpected. Should be either a symbolic material texture number or a "
         "quoted searchpath"},
        {"Texture 0, \"w.tga\", FILTER_CUBIC", "token FILTER_CUBIC unexpected"},
        {"Texture x, Texture0", "PARSER: Integer parsing failed"},
        {"ScissorScale big", "PARSER: FP parsing failed"},
        {"VertexShader a.vp }",
         "RTCompiler:Error at line 0 (41) token a.vp unexpected, { expected"},
        {"VertexShader { a.vp Inputs }",
         "RTCompiler: Error at line 0 (50) token Inputs unexpected, shader command or } expected"},
        {"VertexShader { a.vp Constants x }",
         "RTCompiler:Error at line 0 (55) token x unexpected, { expected"},
        {"VertexShader { a.vp Constants { p [ 1 ) = LIGHT_DATA } }",
         "token ) unexpected, ] expected"},
        {"VertexShader { a.vp Constants { p LIGHT_DATA } }",
         "token LIGHT_DATA unexpected, = expected"},
        {"VertexShader { a.vp Constants { p = LIGHT_COLOUR } }",
         "token LIGHT_COLOUR unexpected, constant binding type expected"},
        {"VertexShader { a.vp Attributes { normal uv } }",
         "token uv unexpected, attribute definition expected"},
        {"VertexShader { a.vp Attributes normal }", "token normal unexpected, { expected"},
        {"EXTEnableDepthClamp",
         "ERROR: token ( expected after extension function EXTEnableDepthClamp\n"},
        {"EXTStencilSide ( 1 2 )", "ERROR: Token , or ) expected for extension calls, got 2\n"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(compilePass(c.body)) << c.body;
        EXPECT_TRUE(contains(error, c.message)) << c.body << "\n" << error;
        EXPECT_TRUE(contains(error, "Deleted pass information memory")) << c.body;
    }
}

TEST_F(Compiler, PassesBeforeAnErrorStayUntilTheTechniqueIsDestroyed) {
    RenderTechnique technique("t.rt", &programs, &textures);
    const char* script = "Ambient { impl { Pass { } Pass { } } } Light { impl { Pass { Bad } } }";
    EXPECT_NE(exceptionText([&] { technique.compile(script); }), "");
    EXPECT_EQ(technique.ambientPasses().size(), 2u);
    EXPECT_TRUE(technique.lightPasses().empty());
}

// --- render state commands -----------------------------------------------------------

TEST_F(Compiler, CullFaceAndMasks) {
    auto technique = compilePass("CullFace FRONT DepthMask false ColorMask false, true");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).cullMode, 1);
    EXPECT_FALSE(only(*technique).depthWrite);
    EXPECT_FALSE(only(*technique).colourWrite);
    EXPECT_TRUE(only(*technique).alphaWrite);
    technique = compilePass("CullFace none CullFace back");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).cullMode, 0);
}

TEST_F(Compiler, ComparisonKeywordsGiveTheirCodes) {
    const char* names[] = {"never",   "always", "less",  "lequal",
                           "greater", "gequal", "equal", "NotEqual"};
    for (int code = 1; code <= 8; ++code) {
        auto technique = compilePass(std::string("DepthFunc ") + names[code - 1]);
        ASSERT_TRUE(technique) << error;
        EXPECT_EQ(only(*technique).depthFunction, code) << names[code - 1];
    }
}

TEST_F(Compiler, BlendFuncOneZeroLeavesBlendingOff) {
    auto technique = compilePass("BlendFunc one, zero");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).blendMode, 1u);
    EXPECT_FALSE(only(*technique).blending);
}

TEST_F(Compiler, BlendFuncCombinesSourceAndDestinationCodes) {
    auto technique = compilePass("BlendFunc src_alpha, inverted_src_alpha");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).blendMode, 0x504u);
    EXPECT_TRUE(only(*technique).blending);
    technique = compilePass("BlendFunc inverted_dst_color, inverted_src_color");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).blendMode, 0x303u);
    technique = compilePass("BlendFunc dst_alpha, inverted_dst_alpha");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).blendMode, 0x706u);
}

TEST_F(Compiler, AlphaFuncAlwaysLeavesTheTestOff) {
    auto technique = compilePass("AlphaFunc always, 0.5");
    ASSERT_TRUE(technique) << error;
    EXPECT_FALSE(only(*technique).alphaTest);
    EXPECT_FLOAT_EQ(only(*technique).alphaReference, 0.5f);
    technique = compilePass("AlphaFunc greater, 0.25");
    ASSERT_TRUE(technique) << error;
    EXPECT_TRUE(only(*technique).alphaTest);
    EXPECT_EQ(only(*technique).alphaFunction, 5);
    EXPECT_FLOAT_EQ(only(*technique).alphaReference, 0.25f);
}

TEST_F(Compiler, DepthOffsetIsOnUnlessBothValuesAreZero) {
    auto technique = compilePass("DepthOffset 0, 0");
    ASSERT_TRUE(technique) << error;
    EXPECT_FALSE(only(*technique).polygonOffset);
    technique = compilePass("DepthOffset 0, 1");
    ASSERT_TRUE(technique) << error;
    EXPECT_TRUE(only(*technique).polygonOffset);
    EXPECT_FLOAT_EQ(only(*technique).offsetUnits, 1.0f);
    technique = compilePass("DepthOffset -1.5, 0");
    ASSERT_TRUE(technique) << error;
    EXPECT_TRUE(only(*technique).polygonOffset);
    EXPECT_FLOAT_EQ(only(*technique).offsetFactor, -1.5f);
}

TEST_F(Compiler, StencilFuncReadsSymbolicReferencesAndMasks) {
    driver.setResult("dStencilMaxVal", 255);
    auto technique = compilePass("StencilFunc equal, STENCIL_MAX_VAL, ALL_BITS");
    ASSERT_TRUE(technique) << error;
    EXPECT_TRUE(only(*technique).stencil);
    EXPECT_EQ(only(*technique).stencilFunction, 7);
    EXPECT_EQ(only(*technique).stencilReference, 255);
    EXPECT_EQ(only(*technique).stencilMask, 0xFFFFFFFFu);
    technique = compilePass("StencilFunc less, STENCIL_HALF_VAL, 15");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).stencilReference, 127);
    EXPECT_EQ(only(*technique).stencilMask, 15u);
    technique = compilePass("StencilFunc always, 3, 7");
    ASSERT_TRUE(technique) << error;
    EXPECT_FALSE(only(*technique).stencil);
    EXPECT_EQ(only(*technique).stencilReference, 3);
}

TEST_F(Compiler, StencilFuncAlwaysKeepsAnEarlierStencilOpSwitchedOn) {
    auto technique = compilePass("StencilOp keep, keep, incr StencilFunc always, 0, ALL_BITS");
    ASSERT_TRUE(technique) << error;
    const Pass& pass = only(*technique);
    EXPECT_TRUE(pass.stencil);
    EXPECT_EQ(pass.stencilFail, 1);
    EXPECT_EQ(pass.depthFail, 1);
    EXPECT_EQ(pass.depthPass, 4);
}

TEST_F(Compiler, StencilOperationsGiveTheirCodes) {
    auto technique = compilePass("StencilOp zero, replace, decr");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).stencilFail, 2);
    EXPECT_EQ(only(*technique).depthFail, 3);
    EXPECT_EQ(only(*technique).depthPass, 5);
    technique = compilePass("StencilOp invert, incr_wrap, DECR_WRAP");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).stencilFail, 6);
    EXPECT_EQ(only(*technique).depthFail, 7);
    EXPECT_EQ(only(*technique).depthPass, 8);
}

TEST_F(Compiler, StencilMaskOnlySwitchesTheStencilOn) {
    auto technique = compilePass("StencilMask 3");
    ASSERT_TRUE(technique) << error;
    EXPECT_TRUE(only(*technique).stencil);
    EXPECT_EQ(only(*technique).stencilMask, 0xFFFFFFFFu);
}

TEST_F(Compiler, ScissorScaleAndOcclusionQuery) {
    auto technique = compilePass("ScissorScale 1.5 OcclusionQuery");
    ASSERT_TRUE(technique) << error;
    EXPECT_FLOAT_EQ(only(*technique).scissorScale, 1.5f);
    EXPECT_TRUE(only(*technique).occlusionQuery);
}

// --- textures ----------------------------------------------------------------------

TEST_F(Compiler, SymbolicTextureSetsTheMaterialSlot) {
    auto technique = compilePass("Texture 3, Texture1");
    ASSERT_TRUE(technique) << error;
    const Pass& pass = only(*technique);
    EXPECT_EQ(pass.materialSlots[3], 1);
    EXPECT_EQ(pass.textureUnitCount, 4);
    for (int unit = 0; unit < 3; ++unit) {
        EXPECT_EQ(pass.materialSlots[unit], -1);
        EXPECT_EQ(pass.textures[unit], nullptr);
    }
    technique = compilePass("Texture 1, TEXTURE Texture 0, texture12");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).materialSlots[1], 0);
    EXPECT_EQ(only(*technique).materialSlots[0], 12);
    EXPECT_EQ(only(*technique).textureUnitCount, 2);
}

TEST_F(Compiler, TextureOptionsApplyLeftToRight) {
    auto technique = compilePass(
        "Texture 0, \"wall.tga\", FILTER_LINEAR_MIPMAP_LINEAR & FILTER_ANISO4 & WRAP_CLAMP & "
        "DONT_COMPRESS");
    ASSERT_TRUE(technique) << error;
    Texture* texture = only(*technique).textures[0];
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->name(), "wall.tga");
    EXPECT_EQ(texture->filter(), 0x222);
    EXPECT_EQ(texture->wrapS(), 1);
    EXPECT_EQ(texture->wrapT(), 1);
    EXPECT_EQ(texture->wrapR(), 1);
    EXPECT_FALSE(texture->compress());
    EXPECT_TRUE(texture->mipmaps());
    EXPECT_TRUE(texture->exactSize());
    EXPECT_EQ(only(*technique).textureUnitCount, 1);

    technique = compilePass("Texture 2, \"floor.tga\", FILTER_ANISO4 & FILTER_LINEAR");
    ASSERT_TRUE(technique) << error;
    texture = only(*technique).textures[2];
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->filter(), 2);
    EXPECT_EQ(texture->wrapS(), 2);
    EXPECT_TRUE(texture->compress());
    EXPECT_EQ(only(*technique).textureUnitCount, 3);
}

TEST_F(Compiler, TextureWithoutOptionsGetsTheDefaults) {
    auto technique =
        compilePass("Texture 0, \"a.tga\" Texture 1, \"b.tga\", FILTER_NEAREST & FILTER_ANISO16");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).textures[0]->filter(), 18);
    EXPECT_EQ(only(*technique).textures[0]->wrapS(), 2);
    EXPECT_EQ(only(*technique).textures[1]->filter(), 0x401);
}

TEST_F(Compiler, TechniquesNamingOneTextureShareItAndKeepTheFirstOptions) {
    auto first = compilePass("Texture 0, \"shared.tga\", FILTER_NEAREST & WRAP_CLAMP");
    auto second = compilePass("Texture 1, \"SHARED.tga\", FILTER_LINEAR & WRAP_REPEAT");
    ASSERT_TRUE(first && second) << error;
    Texture* texture = only(*first).textures[0];
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(only(*second).textures[1], texture);
    EXPECT_EQ(texture->refCount(), 2);
    EXPECT_EQ(texture->filter(), 1);
    EXPECT_EQ(texture->wrapS(), 1);
    EXPECT_EQ(textures.size(), 1u);
    first.reset();
    second.reset();
    EXPECT_EQ(texture->refCount(), 0);
    EXPECT_EQ(textures.find("shared.tga"), texture);
}

TEST_F(Compiler, TextureWithoutRegistryKeepsTheTextureDefaults) {
    auto technique =
        compilePass("Texture 0, \"wall.tga\", FILTER_NEAREST & WRAP_CLAMP & DONT_COMPRESS", false);
    ASSERT_TRUE(technique) << error;
    Texture* texture = only(*technique).textures[0];
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->filter(), 18);
    EXPECT_EQ(texture->wrapS(), 2);
    EXPECT_FALSE(texture->compress());
    EXPECT_EQ(textures.size(), 0u);
}

TEST_F(Compiler, TextureThatCannotBeStreamedIsReportedAndTheUnitLeftEmpty) {
    // A folder of that name: the file source opens nothing, so make the read itself fail
    // with a source that throws.
    struct ThrowingSource : CommonFile {
        FileHandle* open(const char* name, int mode) override {
            if (std::string(name) == "broken.tga")
                throw new Exception(__LINE__, "test", "disk on fire");
            return CommonFile::open(name, mode);
        }
    };
    fileSystem().clear();
    auto* throwing = new ThrowingSource();
    ASSERT_TRUE(fileSystem().mount(throwing, (folder.path().string() + "/").c_str()));
    std::unique_ptr<RenderTechnique> technique;
    std::string boxes =
        boxesOf([&] { technique = compilePass("Texture 1, \"broken.tga\" CullFace none"); });
    ASSERT_TRUE(technique) << error;
    EXPECT_TRUE(contains(boxes, "Error: could not load none material bound texture broken.tga\n"));
    EXPECT_TRUE(contains(boxes, "404"));
    EXPECT_EQ(only(*technique).textures[1], nullptr);
    EXPECT_EQ(only(*technique).textureUnitCount, 2);
    EXPECT_EQ(only(*technique).cullMode, 2);
    EXPECT_EQ(textures.size(), 0u);
    EXPECT_EQ(drainPostedCloses(), 1);
}

// --- programs ------------------------------------------------------------------------

TEST_F(Compiler, VertexShaderWithConstantsAndAttributes) {
    provide("light.vp", "void main() {}");
    driver.setResult("dRegisterVertexProgram", fakeHandle<DVertexProgram>(1));
    driver.setResult("dGetVertexProgramParameter", fakeHandle<DParameter>(2));
    auto technique = compilePass(
        "VertexShader { light.vp\n"
        "  Constants { lightPos = LIGHT_OBJECTSPACE mvp = MODELVIEW_PROJECTION bones[4] = "
        "CONST_BONE3_MATRIX inv = modelview_inverse }\n"
        "  Attributes { normal tangent color tex0 }\n"
        "}");
    ASSERT_TRUE(technique) << error;
    const Pass& pass = only(*technique);
    ASSERT_NE(pass.vertexProgram, nullptr);
    EXPECT_EQ(pass.vertexProgram->name(), "light.vp");
    ASSERT_EQ(pass.constants.size(), 4u);
    EXPECT_EQ(pass.constants[0].code, 2);
    EXPECT_EQ(pass.constants[1].code, 0x22);
    EXPECT_EQ(pass.constants[2].code, 0x103);
    EXPECT_EQ(pass.constants[3].code, 0x23);
    EXPECT_EQ(pass.constants[0].parameter, fakeHandle<DParameter>(2));
    EXPECT_EQ(pass.attributeMask, 0x10E);
    EXPECT_EQ(driver.callsTo({"dGetVertexProgramParameter"}),
              (std::vector<std::string>{"dGetVertexProgramParameter(\"lightPos\", ptr)",
                                        "dGetVertexProgramParameter(\"mvp\", ptr)",
                                        "dGetVertexProgramParameter(\"bones\", ptr)",
                                        "dGetVertexProgramParameter(\"inv\", ptr)"}));
}

TEST_F(Compiler, LaterConstantsAndAttributesBlocksReplaceEarlierOnes) {
    provide("a.vp", "x");
    driver.setResult("dRegisterVertexProgram", fakeHandle<DVertexProgram>(1));
    auto technique = compilePass(
        "VertexShader { a.vp Attributes { normal } Constants { a = LIGHT_DATA b = LIGHT_AMBIENT }"
        " Attributes { } Constants { c = CAMERA_WORLDSPACE } }");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(only(*technique).attributeMask, 0);
    ASSERT_EQ(only(*technique).constants.size(), 1u);
    EXPECT_EQ(only(*technique).constants[0].code, 0x10);
}

TEST_F(Compiler, ProgramThatDoesNotBuildMakesThePassUnusable) {
    // No file: the program cannot be opened; the second implementation is taken silently.
    std::string boxes;
    std::unique_ptr<RenderTechnique> technique;
    boxes = boxesOf([&] {
        technique = compile(
            "Ambient { impl { Pass { VertexShader { missing.vp Constants { p = LIGHT_DATA } } } }"
            " impl { Pass { CullFace none } } }");
    });
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(technique->ambientPasses()[0]->cullMode, 2);
    EXPECT_EQ(boxes, "");

    // The file exists but the driver does not compile it (null handle).
    provide("bad.fp", "nonsense");
    technique =
        compile("Ambient { impl { Pass { TexShader bad.fp } } impl { Pass { CullFace front } } }");
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(technique->ambientPasses()[0]->cullMode, 1);
}

TEST_F(Compiler, NoWorkingImplementationNamesEachOnesLineProgramAndDriverMessage) {
    provide("bad.fp", "nonsense");
    driver.setResult("dProgramLog", static_cast<const char*>("line 1: driver says no"));
    EXPECT_FALSE(
        compile("Ambient {\n impl { Pass { TexShader bad.fp } }\n"
                " impl { Pass { VertexShader { missing.vp } } }\n}\n"));
    EXPECT_TRUE(contains(error, "Could not find any useful technique")) << error;
    EXPECT_TRUE(contains(error, "impl at line 2: ")) << error;
    EXPECT_TRUE(contains(error, "bad.fp\nline 1: driver says no")) << error;
    EXPECT_TRUE(contains(error, "impl at line 3: ")) << error;
    EXPECT_TRUE(contains(error, "Failed to open vertex program: missing.vp")) << error;
}

TEST_F(Compiler, ConstantsOfAPassWithoutProgramGetNullHandles) {
    auto technique = compile(
        "Ambient { impl { Pass { VertexShader { none.vp Constants { p = LIGHT_DATA } } } } }");
    EXPECT_FALSE(technique);
    EXPECT_EQ(driver.countOf("dGetVertexProgramParameter"), 0);
}

TEST_F(Compiler, PassesNamingTheSameProgramFilesShareOneProgram) {
    provide("a.vp", "a");
    provide("b.vp", "b");
    driver.setResult("dRegisterVertexProgram", fakeHandle<DVertexProgram>(1));
    driver.setResult("dRegisterPixelShader", fakeHandle<DPixelShader>(3));
    auto technique = compile(
        "Ambient { impl {"
        " Pass { VertexShader { a.vp & b.vp } TexShader a.vp }"
        " Pass { VertexShader { a.vp & b.vp } TexShader a.vp }"
        " Pass { VertexShader { b.vp & a.vp } } } }");
    ASSERT_TRUE(technique) << error;
    const PassList& passes = technique->ambientPasses();
    ASSERT_EQ(passes.size(), 3u);
    EXPECT_EQ(passes[0]->vertexProgram, passes[1]->vertexProgram);
    EXPECT_NE(passes[0]->vertexProgram, passes[2]->vertexProgram);
    EXPECT_EQ(passes[0]->pixelShader, passes[1]->pixelShader);
    EXPECT_EQ(passes[0]->vertexProgram->name(), "a.vpb.vp");
    EXPECT_EQ(passes[0]->pixelShader->name(), "$empty_pixel_shader$a.vp");
    EXPECT_EQ(driver.countOf("dRegisterVertexProgram"), 2);
    EXPECT_EQ(driver.countOf("dRegisterPixelShader"), 1);
    EXPECT_EQ(programs.size(), 3u);
}

TEST_F(Compiler, ProgramsWithoutRegistryBelongToTheirPass) {
    provide("a.vp", "a");
    driver.setResult("dRegisterVertexProgram", fakeHandle<DVertexProgram>(1));
    auto technique = compile(
        "Ambient { impl { Pass { VertexShader { a.vp } } Pass { VertexShader { a.vp } } } }",
        false);
    ASSERT_TRUE(technique) << error;
    EXPECT_NE(technique->ambientPasses()[0]->vertexProgram,
              technique->ambientPasses()[1]->vertexProgram);
    technique.reset();
    EXPECT_EQ(driver.countOf("dDeleteVertexProgram"), 2);
}

TEST(BindingNames, EveryNameHasItsCode) {
    EXPECT_EQ(RenderTechnique::bindingCode("LIGHT_WORLDSPACE"), 0);
    EXPECT_EQ(RenderTechnique::bindingCode("light_eyespace"), 1);
    EXPECT_EQ(RenderTechnique::bindingCode("LIGHT_DATA"), 3);
    EXPECT_EQ(RenderTechnique::bindingCode("LIGHT_AMBIENT"), 4);
    EXPECT_EQ(RenderTechnique::bindingCode("CAMERA_OBJECTSPACE"), 0x11);
    EXPECT_EQ(RenderTechnique::bindingCode("PROJECTION_MATRIX"), 0x21);
    EXPECT_EQ(RenderTechnique::bindingCode("MODELWORLD_MATRIX"), 0x24);
    EXPECT_EQ(RenderTechnique::bindingCode("SHADOW_PUSH_BACK"), 0x40);
    EXPECT_EQ(RenderTechnique::bindingCode("SHADOW_EXTRUSION"), 0x41);
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(RenderTechnique::bindingCode(("TEXTURE_" + std::to_string(n) + "_SCALE").c_str()),
                  0x30 + n);
    for (int n = 0; n < 16; ++n) {
        const std::string digits = std::to_string(n);
        EXPECT_EQ(RenderTechnique::bindingCode(("CONST_BONE" + digits + "_MATRIX").c_str()),
                  0x100 + n);
        EXPECT_EQ(RenderTechnique::bindingCode(("CONST_LIGHT_BONE" + digits + "_SPACE").c_str()),
                  0x200 + n);
        EXPECT_EQ(RenderTechnique::bindingCode(("CONST_CAMERA_BONE" + digits + "_SPACE").c_str()),
                  0x300 + n);
    }
    EXPECT_EQ(RenderTechnique::bindingCode("CONST_BONE16_MATRIX"), -1);
    EXPECT_EQ(RenderTechnique::bindingCode("TEXTURE_8_SCALE"), -1);
    EXPECT_EQ(RenderTechnique::bindingCode(""), -1);
}

// --- required features and extension calls ---------------------------------------------

TEST_F(Compiler, RequiresStoresTheSwitchFunctionsOfSupportedFeatures) {
    driver.setResult("dTwoSidedStencil", true);
    driver.setResult("dOcclusionCulling", true);
    auto technique = compilePass("Requires TwoSidedStencil & OcclusionCulling");
    ASSERT_TRUE(technique) << error;
    const Pass& pass = only(*technique);
    ASSERT_EQ(pass.requiredFeatures.size(), 2u);
    EXPECT_NE(pass.requiredFeatures[0].enable, nullptr);
    EXPECT_NE(pass.requiredFeatures[0].disable, nullptr);
    EXPECT_EQ(pass.requiredFeatures[1].enable, nullptr);
    EXPECT_EQ(pass.requiredFeatures[1].disable, nullptr);
    EXPECT_EQ(driver.callsTo({"dTwoSidedStencil", "dOcclusionCulling"}),
              (std::vector<std::string>{"dTwoSidedStencil()", "dOcclusionCulling()"}));
}

TEST_F(Compiler, FeatureTheDriverDeniesMakesThePassUnusableAndStopsLookingUp) {
    driver.setResult("dDepthClamp", false);
    driver.setResult("dTwoSidedStencil", true);
    auto technique = compile(
        "Ambient { impl { Pass { Requires DepthClamp & TwoSidedStencil } } impl { Pass { } } }");
    ASSERT_TRUE(technique) << error;
    EXPECT_TRUE(technique->ambientPasses()[0]->requiredFeatures.empty());
    EXPECT_EQ(driver.countOf("dDepthClamp"), 1);
    EXPECT_EQ(driver.countOf("dTwoSidedStencil"), 0);
}

TEST_F(Compiler, FeatureWithoutQueryIsUnsupported) {
    EXPECT_FALSE(compilePass("Requires HolographicDisplay"));
    EXPECT_TRUE(contains(error, "Could not find any useful technique"));
}

TEST_F(Compiler, ExtensionCallStoresTheDriverFunctionAndArguments) {
    auto technique =
        compilePass("EXTEnableDepthClamp() extStencilSide(4096) EXTScissor(1, 2, 3, 4)");
    ASSERT_TRUE(technique) << error;
    const Pass& pass = only(*technique);
    ASSERT_EQ(pass.extensionCalls.size(), 3u);
    EXPECT_EQ(pass.extensionCalls[0].argumentCount, 0);
    EXPECT_EQ(pass.extensionCalls[1].argumentCount, 1);
    EXPECT_EQ(pass.extensionCalls[1].arguments[0], 4096);
    EXPECT_EQ(pass.extensionCalls[2].argumentCount, 4);
    EXPECT_EQ(pass.extensionCalls[2].arguments[3], 4);
    EXPECT_EQ(pass.extensionCalls[0].function, driverSymbol("dEnableDepthClamp"));
}

TEST_F(Compiler, ExtensionCallKeepsSixArgumentsAndDropsTheRest) {
    auto technique = compilePass("EXTOrtho(1, 2, 3, 4, 5, 6, 7, 8)");
    ASSERT_TRUE(technique) << error;
    const ExtensionCall& call = only(*technique).extensionCalls.at(0);
    EXPECT_EQ(call.argumentCount, 6);
    EXPECT_EQ(call.arguments[5], 6);
}

TEST_F(Compiler, MissingExtensionFunctionWarnsAndMakesThePassUnusable) {
    std::unique_ptr<RenderTechnique> technique;
    std::string boxes = boxesOf([&] {
        technique = compile(
            "Ambient { impl { Pass { EXTWarpDrive(9) } } impl { Pass { CullFace none } } }");
    });
    ASSERT_TRUE(technique) << error;
    EXPECT_EQ(technique->ambientPasses()[0]->cullMode, 2);
    EXPECT_TRUE(contains(boxes, "WARNING: Failed to load ext func EXTWarpDrive\n"));
}

// --- loading from files ----------------------------------------------------------------

TEST_F(Compiler, LoadReadsTheFileNamedLikeTheTechnique) {
    provide("simple.rt",
            "Ambient { impl { Pass { CullFace none } } }\nLight { impl { Pass { } } }\n");
    RenderTechnique technique("simple.rt", &programs, &textures);
    technique.load();
    ASSERT_EQ(technique.ambientPasses().size(), 1u);
    EXPECT_EQ(technique.ambientPasses()[0]->cullMode, 2);
    EXPECT_EQ(technique.lightPasses().size(), 1u);
}

TEST_F(Compiler, LoadOfAMissingFileNamesTheScript) {
    RenderTechnique technique("absent.rt", &programs, &textures);
    const std::string message = exceptionText([&] { technique.load(); });
    EXPECT_TRUE(contains(message, "Failed to open render technique: absent.rt\n"));
    EXPECT_TRUE(contains(message, "Script is: absent.rt\n"));
}

TEST_F(Compiler, LoadWrapsCompileErrorsWithTheScriptName) {
    provide("broken.rt", "Ambient { impl { Pass { Wobble } } }");
    RenderTechnique technique("broken.rt", nullptr, nullptr);
    const std::string message = exceptionText([&] { technique.load(); });
    EXPECT_TRUE(contains(message, "token Wobble unexpected, not a command"));
    EXPECT_TRUE(contains(message, "Deleted pass information memory"));
    EXPECT_TRUE(contains(message, "Script is: broken.rt\n"));
}

}  // namespace
}  // namespace arvel::test
