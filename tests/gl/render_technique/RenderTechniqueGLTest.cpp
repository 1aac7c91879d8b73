// Techniques compiled and applied on the real plug-in: textures from files and from
// materials, alternatives chosen by what the driver supports, programs with constant
// bindings. Every test draws a window-filling quad and reads the centre back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/Exception.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "gl/varnet_state/StateTest.h"
#include "render/Material.h"
#include "render/RenderContext.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "render/Texture.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"
#include "support/SolidTarga.h"
#include "support/TechniqueLoading.h"

namespace arvel::test {
namespace {

class TechniqueDrawing : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(mountOnly(folder));
        gDriver.dSetVPProfile("glsl");
        gDriver.dSetFPProfile("glsl");
        folder.write("red.tga", solidTarga(2, 2, 255, 0, 0));
        folder.write("green.tga", solidTarga(2, 2, 0, 255, 0));
        folder.write("blue.tga", solidTarga(2, 2, 0, 0, 255));
    }

    void TearDown() override {
        techniques.clear();
        textures.clear();
        programs.clear();
        fileSystem().clear();
        StateTest::TearDown();
    }

    RenderTechnique* load(const std::string& name, const std::string& script) {
        folder.write(name, script);
        return loadInto(techniques, new RenderTechnique(name, &programs, &textures));
    }

    // Draws the window with every ambient pass, as the render queue does.
    void drawWithAmbientPasses(const RenderTechnique& technique,
                               const std::vector<Texture*>& materialTextures = {}) {
        for (const Pass* pass : technique.ambientPasses()) {
            pass->apply();
            pass->applyObject(context);
            pass->bindMaterialTextures(materialTextures);
            gDriver.dColor4(1, 1, 1, 1);
            fillWindow();
            pass->endObject(context);
            pass->end();
        }
    }

    TempDir folder;
    ResourceRegistry techniques;
    ResourceRegistry programs;
    ResourceRegistry textures;
    RenderContext context;
};

constexpr int kCentre = VarnetTest::kSize / 2;

TEST_F(TechniqueDrawing, PassDrawsItsFileTexture) {
    RenderTechnique* technique =
        load("green.rt",
             "Ambient { impl { Pass { DepthFunc always CullFace none\n"
             "  Texture 0, \"green.tga\", FILTER_NEAREST & WRAP_CLAMP } } }\n");
    ASSERT_NE(technique, nullptr);
    drawWithAmbientPasses(*technique);
    EXPECT_TRUE(colourAt(kCentre, kCentre, 0, 255, 0));
}

TEST_F(TechniqueDrawing, SymbolicSlotDrawsTheMaterialsTexture) {
    RenderTechnique* technique =
        load("slot.rt",
             "Ambient { impl { Pass { DepthFunc always CullFace none Texture 0, Texture1 } } }");
    ASSERT_NE(technique, nullptr);
    Material material(nullptr, nullptr);
    for (const char* name : {"red.tga", "blue.tga"}) {
        auto* texture = new Texture(name, true, true, false);
        texture->stream();
        material.addTexture(texture);
    }
    drawWithAmbientPasses(*technique, material.textures());
    EXPECT_TRUE(colourAt(kCentre, kCentre, 0, 0, 255));
}

TEST_F(TechniqueDrawing, SupportedRequirementsKeepTheFirstAlternative) {
    ASSERT_TRUE(gDriver.dDepthClamp()) << "the test display lacks depth clamping";
    RenderTechnique* technique =
        load("clamp.rt",
             "Ambient {\n"
             "  impl { Pass { Requires DepthClamp CullFace none DepthFunc always\n"
             "                Texture 0, \"green.tga\" } }\n"
             "  impl { Pass { CullFace none DepthFunc always Texture 0, \"red.tga\" } }\n"
             "}\n");
    ASSERT_NE(technique, nullptr);
    drawWithAmbientPasses(*technique);
    EXPECT_TRUE(colourAt(kCentre, kCentre, 0, 255, 0));
}

TEST_F(TechniqueDrawing, UnsupportedRequirementFallsBackToTheNextAlternative) {
    RenderTechnique* technique =
        load("fallback.rt",
             "Ambient {\n"
             "  impl { Pass { Requires TimeTravel CullFace none DepthFunc always\n"
             "                Texture 0, \"green.tga\" } }\n"
             "  impl { Pass { CullFace none DepthFunc always Texture 0, \"red.tga\" } }\n"
             "}\n");
    ASSERT_NE(technique, nullptr);
    drawWithAmbientPasses(*technique);
    EXPECT_TRUE(colourAt(kCentre, kCentre, 255, 0, 0));
}

TEST_F(TechniqueDrawing, VertexProgramReceivesTheLightDataBinding) {
    folder.write("lightcolour.vp",
                 "#version 120\n"
                 "uniform vec4 lightData;\n"
                 "void main() {\n"
                 "  gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;\n"
                 "  gl_FrontColor = vec4(lightData.yzw, 1.0);\n"
                 "}\n");
    RenderTechnique* technique =
        load("lit.rt",
             "Ambient { impl { Pass { CullFace none DepthFunc always\n"
             "  VertexShader { lightcolour.vp Constants { lightData = LIGHT_DATA } } } } }\n");
    ASSERT_NE(technique, nullptr);
    ASSERT_NE(technique->ambientPasses()[0]->constants.at(0).parameter, nullptr);
    const Vector4 position{0, 0, 0, 0};
    const float colour[3] = {1.0f, 0.5f, 0.25f};
    const float radius = 100.0f;
    context.setLight(nullptr, &position, colour, &radius);
    drawWithAmbientPasses(*technique);
    gDriver.dDisableVertexProgram();
    EXPECT_TRUE(colourAt(kCentre, kCentre, 255, 128, 64));
}

TEST_F(TechniqueDrawing, PixelShaderThatDoesNotCompileFallsBack) {
    folder.write("broken.fp", "this is not a shader");
    folder.write("blue.fp",
                 "#version 120\nvoid main() { gl_FragColor = vec4(0.0, 0.0, 1.0, 1.0); }\n");
    RenderTechnique* technique =
        load("shaded.rt",
             "Ambient {\n"
             "  impl { Pass { CullFace none DepthFunc always TexShader broken.fp } }\n"
             "  impl { Pass { CullFace none DepthFunc always TexShader blue.fp } }\n"
             "}\n");
    ASSERT_NE(technique, nullptr);
    drawWithAmbientPasses(*technique);
    gDriver.dDisablePixelShader();
    EXPECT_TRUE(colourAt(kCentre, kCentre, 0, 0, 255));
}

TEST_F(TechniqueDrawing, ScissorLimitsThePassToTheScaledRectangle) {
    RenderTechnique* technique =
        load("scissor.rt",
             "Ambient { impl { Pass { CullFace none DepthFunc always ScissorScale 2\n"
             "  Texture 0, \"green.tga\" } } }\n");
    ASSERT_NE(technique, nullptr);
    context.setScissor(112, 112, 32, 32);  // doubled about its centre: 96 to 160
    drawWithAmbientPasses(*technique);
    gDriver.dDisableScissor();
    EXPECT_TRUE(colourAt(100, 100, 0, 255, 0));
    EXPECT_TRUE(colourAt(158, 158, 0, 255, 0));
    EXPECT_TRUE(isBlack(92, 128));
    EXPECT_TRUE(isBlack(128, 162));
}

}  // namespace
}  // namespace arvel::test
