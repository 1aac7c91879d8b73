#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "TechniqueTestSupport.h"
#include "render/Pass.h"
#include "render/RenderContext.h"
#include "render/Texture.h"

namespace arvel::test {
namespace {

using Calls = std::vector<std::string>;

// What the constant uploads sent: the handle and four or sixteen values.
struct Upload {
    DParameter* parameter;
    std::vector<float> values;
};
std::vector<Upload> gUploads;

void captureVector(DParameter* parameter, const float* value) {
    gUploads.push_back({parameter, std::vector<float>(value, value + 4)});
}
void captureMatrix(DParameter* parameter, const float* matrix) {
    gUploads.push_back({parameter, std::vector<float>(matrix, matrix + 16)});
}

class PassRuntime : public TechniqueTest {
protected:
    PassRuntime() {
        driver.setResult("dTextureUnits", 4);
        gUploads.clear();
    }

    // The pass of "body" after its compile calls are forgotten.
    std::unique_ptr<RenderTechnique> ready(const std::string& body) {
        auto technique = compilePass(body);
        driver.clearCalls();
        return technique;
    }

    // Programs that build and bind: a file for each name and driver handles.
    void programsBuild() {
        provide("p.vp", "vertex");
        provide("p.fp", "fragment");
        driver.setResult("dRegisterVertexProgram", fakeHandle<DVertexProgram>(1));
        driver.setResult("dRegisterPixelShader", fakeHandle<DPixelShader>(2));
        driver.setResult("dGetVertexProgramParameter", fakeHandle<DParameter>(3));
    }

    // Uploads go to the capture functions instead of the log.
    void captureUploads() {
        gDriver.dSetVertexProgramParameter = captureVector;
        gDriver.dSetVertexProgramMatrix = captureMatrix;
    }
};

TEST_F(PassRuntime, ApplyOfTheDefaultPassSetsEveryStateInOrder) {
    auto technique = ready("");
    ASSERT_TRUE(technique) << error;
    only(*technique).apply();
    EXPECT_EQ(driver.calls(),
              (Calls{"dDepthMask(1)",          "dColorMask(1, 1, 1, 1)", "dDepthFunc(4)",
                     "dEnableDepth()",         "dDisableAlphaTest()",    "dDisableBlend()",
                     "dDisableOffset()",       "dDisableStencil()",      "dTextureUnits()",
                     "dDisableTextureing(0)",  "dTextureUnits()",        "dDisableTextureing(1)",
                     "dTextureUnits()",        "dDisableTextureing(2)",  "dTextureUnits()",
                     "dDisableTextureing(3)",  "dTextureUnits()",        "dDisableVertexProgram()",
                     "dDisablePixelShader()",  "dEnableCull()",          "dCullFace(4097)",
                     "dVASetActiveAttribs(-1)"}));
}

TEST_F(PassRuntime, ApplyOfAFullPassSendsItsState) {
    auto technique = ready(
        "DepthMask false ColorMask true, false DepthFunc greater AlphaFunc gequal, 0.5 "
        "BlendFunc src_alpha, one DepthOffset 1.5, 2 StencilFunc notequal, 3, 255 "
        "StencilOp zero, incr_wrap, decr CullFace front VertexShader { p.vp Attributes { normal "
        "tex0 } }");
    // The vertex program is missing here, so the pass is unusable; compile it with one.
    EXPECT_FALSE(technique);
    programsBuild();
    technique = ready(
        "DepthMask false ColorMask true, false DepthFunc greater AlphaFunc gequal, 0.5 "
        "BlendFunc src_alpha, one DepthOffset 1.5, 2 StencilFunc notequal, 3, 255 "
        "StencilOp zero, incr_wrap, decr CullFace front VertexShader { p.vp Attributes { normal "
        "tex0 } } "
        "TexShader p.fp");
    ASSERT_TRUE(technique) << error;
    only(*technique).apply();
    EXPECT_EQ(driver.calls(),
              (Calls{"dDepthMask(0)",         "dColorMask(1, 1, 1, 0)",  "dDepthFunc(5)",
                     "dEnableDepth()",        "dAlphaFunc(6, 0.5)",      "dEnableAlphaTest()",
                     "dBlendFunc(260)",       "dEnableBlend()",          "dPolygonOffset(1.5, 2)",
                     "dEnableOffset()",       "dEnableStencil()",        "dStencilFunc(8, 3, 255)",
                     "dStencilOp(2, 7, 5)",   "dTextureUnits()",         "dDisableTextureing(0)",
                     "dTextureUnits()",       "dDisableTextureing(1)",   "dTextureUnits()",
                     "dDisableTextureing(2)", "dTextureUnits()",         "dDisableTextureing(3)",
                     "dTextureUnits()",       "dBindVertexProgram(ptr)", "dEnableVertexProgram()",
                     "dEnablePixelShader()",  "dBindPixelShader(ptr)",   "dEnableCull()",
                     "dCullFace(4096)",       "dVASetActiveAttribs(258)"}));
}

TEST_F(PassRuntime, DepthFunctionAlwaysSwitchesTheDepthTestOff) {
    auto technique = ready("DepthFunc always CullFace none");
    ASSERT_TRUE(technique) << error;
    only(*technique).apply();
    EXPECT_EQ(driver.countOf("dDepthFunc"), 0);
    EXPECT_EQ(driver.callsTo(
                  {"dDisableDepth", "dEnableDepth", "dDisableCull", "dEnableCull", "dCullFace"}),
              (Calls{"dDisableDepth()", "dDisableCull()"}));
}

TEST_F(PassRuntime, UnitsBeyondThePassAreDisabledUpToTheDeviceCount) {
    auto technique = ready("Texture 0, Texture0 Texture 1, \"wall.tga\"");
    ASSERT_TRUE(technique) << error;
    only(*technique).apply();
    EXPECT_EQ(driver.callsTo({"dDisableTextureing", "dActivateTexture"}),
              (Calls{"dDisableTextureing(0)", "dActivateTexture(null, 1, 0)",
                     "dDisableTextureing(2)", "dDisableTextureing(3)"}));
}

TEST_F(PassRuntime, LoadedFileTextureIsActivatedWithItsDriverHandle) {
    // A 1 x 1 Targa: the texture loads and is registered when its parameters are set.
    provide("red.tga", targaFile({.width = 1, .height = 1, .depth = 24}, bytes({0, 0, 255})));
    driver.setResult("dRegisterTexture", fakeHandle<DTexture>(5));
    auto technique = ready("Texture 0, \"red.tga\"");
    ASSERT_TRUE(technique) << error;
    only(*technique).apply();
    only(*technique).apply();
    EXPECT_EQ(driver.countOf("dRegisterTexture"), 0);  // registered while compiling (parameters)
    EXPECT_EQ(driver.callsTo({"dActivateTexture"}),
              (Calls{"dActivateTexture(ptr, 0, 0)", "dActivateTexture(ptr, 0, 0)"}));
}

TEST_F(PassRuntime, RequiredFeaturesAndExtensionCallsRunOnApplyAndFeaturesStopOnEnd) {
    driver.setResult("dTwoSidedStencil", true);
    driver.setResult("dOcclusionCulling", true);
    auto technique = ready(
        "Requires TwoSidedStencil & OcclusionCulling EXTEnableDepthClamp() EXTStencilSide(4096) "
        "EXTViewport(1, 2, 3, 4)");
    ASSERT_TRUE(technique) << error;
    only(*technique).apply();
    Calls calls = driver.calls();
    ASSERT_GE(calls.size(), 5u);
    EXPECT_EQ(Calls(calls.end() - 5, calls.end()),
              (Calls{"dEnableTwoSidedStencil()", "dEnableDepthClamp()", "dStencilSide(4096)",
                     "dViewport(1, 2, 3, 4)", "dVASetActiveAttribs(-1)"}));
    driver.clearCalls();
    only(*technique).end();
    EXPECT_EQ(driver.calls(), (Calls{"dDisableTwoSidedStencil()"}));
}

TEST_F(PassRuntime, EndOfAPassWithoutFeaturesCallsNothing) {
    auto technique = ready("EXTEnableDepthClamp()");
    ASSERT_TRUE(technique) << error;
    only(*technique).end();
    EXPECT_TRUE(driver.calls().empty());
}

// --- per object -----------------------------------------------------------------------

TEST_F(PassRuntime, ApplyObjectLoadsTheMatricesAndSwitchesScissorAndOcclusionOff) {
    auto technique = ready("");
    ASSERT_TRUE(technique) << error;
    RenderContext context;
    only(*technique).applyObject(context);
    EXPECT_EQ(driver.calls(), (Calls{"dMatrixMode(1)", "dMatrix(ptr)", "dMatrixMode(2)",
                                     "dMatrix(ptr)", "dDisableScissor()", "dDisableOcclusion()"}));
}

TEST_F(PassRuntime, ScissorScaleGrowsTheRectangleAboutItsCentre) {
    auto technique = ready("ScissorScale 1.5");
    ASSERT_TRUE(technique) << error;
    RenderContext context;
    context.setScissor(100, 100, 40, 20);
    only(*technique).applyObject(context);
    EXPECT_EQ(driver.callsTo({"dEnableScissor", "dScissor"}),
              (Calls{"dEnableScissor()", "dScissor(90, 95, 60, 30)"}));
}

TEST_F(PassRuntime, ScissorScaleOneKeepsAndTwoDoublesTheRectangle) {
    auto one = ready("");
    auto two = ready("ScissorScale 2");
    ASSERT_TRUE(one && two) << error;
    RenderContext context;
    context.setScissor(10, 20, 30, 41);
    one->ambientPasses()[0]->applyObject(context);
    two->ambientPasses()[0]->applyObject(context);
    EXPECT_EQ(driver.callsTo({"dScissor"}),
              (Calls{"dScissor(10, 20, 30, 41)", "dScissor(-5, -1, 60, 82)"}));
}

TEST_F(PassRuntime, ScissorIsOffWhenTheSettingIsOffOrTheRectangleCleared) {
    auto technique = ready("");
    ASSERT_TRUE(technique) << error;
    RenderContext context;
    context.setScissor(1, 2, 3, 4);
    settings().gfxScissor.flag = false;
    only(*technique).applyObject(context);
    settings().gfxScissor.flag = true;
    context.clearScissor();
    only(*technique).applyObject(context);
    EXPECT_EQ(driver.callsTo({"dEnableScissor", "dDisableScissor", "dScissor"}),
              (Calls{"dDisableScissor()", "dDisableScissor()"}));
}

TEST_F(PassRuntime, OcclusionQueryRunsOnlyWithFlagSettingAndQueryArray) {
    auto technique = ready("OcclusionQuery");
    auto plain = ready("");
    ASSERT_TRUE(technique && plain) << error;
    RenderContext context;
    context.setOcclusionQuery(7, fakeHandle<DOcclusionQueries>(4));
    const Pass& pass = only(*technique);
    pass.applyObject(context);
    pass.endObject(context);
    EXPECT_EQ(
        driver.callsTo({"dEnableOcclusion", "dDisableOcclusion", "dBeginOcclusionQuery",
                        "dEndOcclusionQuery"}),
        (Calls{"dEnableOcclusion()", "dBeginOcclusionQuery(7, ptr)", "dEndOcclusionQuery()"}));

    driver.clearCalls();
    plain->ambientPasses()[0]->applyObject(context);
    plain->ambientPasses()[0]->endObject(context);
    settings().gfxHwOcclusionCulling.flag = false;
    pass.applyObject(context);
    pass.endObject(context);
    settings().gfxHwOcclusionCulling.flag = true;
    context.clearOcclusionQuery();
    pass.applyObject(context);
    pass.endObject(context);
    EXPECT_EQ(driver.callsTo({"dEnableOcclusion", "dDisableOcclusion", "dBeginOcclusionQuery",
                              "dEndOcclusionQuery"}),
              (Calls{"dDisableOcclusion()", "dDisableOcclusion()", "dDisableOcclusion()"}));
}

// --- constants ------------------------------------------------------------------------

class PassConstants : public PassRuntime {
protected:
    PassConstants() {
        programsBuild();
        captureUploads();
        context.setLight(nullptr, &lightPosition, lightColour, &outerRadius);
        context.setCameraView(nullptr, &cameraPosition, &view);
        context.setObject(nullptr, &objectMatrix);
    }

    // The values uploaded for one binding name.
    std::vector<float> uploadOf(const char* binding) {
        gUploads.clear();
        auto technique =
            ready(std::string("VertexShader { p.vp Constants { c = ") + binding + " } }");
        if (!technique) {
            ADD_FAILURE() << error;
            return {};
        }
        only(*technique).applyObject(context);
        if (gUploads.size() > 1) ADD_FAILURE() << "more than one upload";
        if (gUploads.empty()) return {};
        EXPECT_EQ(gUploads[0].parameter, fakeHandle<DParameter>(3));
        return gUploads[0].values;
    }

    Vector4 lightPosition{10, 20, 30, 0};
    float lightColour[3] = {1.0f, 0.5f, 0.25f};
    float outerRadius = 250.0f;
    Vector4 cameraPosition{1, 2, 3, 0};
    Matrix4 view = Matrix4::translation(-1, -2, -3);
    Matrix4 objectMatrix = Matrix4::translation(5, 5, 5);
    RenderContext context;
};

TEST_F(PassConstants, LightValues) {
    EXPECT_EQ(uploadOf("LIGHT_WORLDSPACE"), (std::vector<float>{10, 20, 30, 1}));
    EXPECT_EQ(uploadOf("LIGHT_EYESPACE"), (std::vector<float>{9, 18, 27, 1}));
    EXPECT_EQ(uploadOf("LIGHT_OBJECTSPACE"), (std::vector<float>{5, 15, 25, 1}));
    std::vector<float> data = uploadOf("LIGHT_DATA");
    ASSERT_EQ(data.size(), 4u);
    EXPECT_FLOAT_EQ(data[0], 0.002f);
    EXPECT_EQ(std::vector<float>(data.begin() + 1, data.end()),
              (std::vector<float>{1, 0.5f, 0.25f}));
    EXPECT_EQ(uploadOf("LIGHT_AMBIENT"), (std::vector<float>{0.25f, 0.25f, 0.25f, 0.25f}));
    context.shadowExtrusion = 42.5f;
    EXPECT_EQ(uploadOf("SHADOW_EXTRUSION"), (std::vector<float>{42.5f, 0, 0, 0}));
}

TEST_F(PassConstants, CameraValues) {
    EXPECT_EQ(uploadOf("CAMERA_WORLDSPACE"), (std::vector<float>{1, 2, 3, 1}));
    EXPECT_EQ(uploadOf("CAMERA_OBJECTSPACE"), (std::vector<float>{-4, -3, -2, 1}));
}

TEST_F(PassConstants, Matrices) {
    context.projection = Matrix4::scaling(2, 3, 4);
    context.modelView = Matrix4::translation(1, 1, 1);
    const Matrix4 product = multiply(context.projection, context.modelView);
    EXPECT_EQ(uploadOf("MODELVIEW_MATRIX"),
              std::vector<float>(context.modelView.m, context.modelView.m + 16));
    EXPECT_EQ(uploadOf("PROJECTION_MATRIX"),
              std::vector<float>(context.projection.m, context.projection.m + 16));
    std::vector<float> mvp = uploadOf("MODELVIEW_PROJECTION");
    EXPECT_EQ(mvp, std::vector<float>(product.m, product.m + 16));
    // The model-view matrix goes first: the origin lands at (2, 3, 4).
    ASSERT_EQ(mvp.size(), 16u);
    EXPECT_EQ((std::vector<float>{mvp[12], mvp[13], mvp[14]}), (std::vector<float>{2, 3, 4}));
    EXPECT_EQ(uploadOf("MODELWORLD_MATRIX"),
              std::vector<float>(objectMatrix.m, objectMatrix.m + 16));
}

TEST_F(PassConstants, BindingsWithoutUploadSendNothing) {
    for (const char* name : {"MODELVIEW_INVERSE", "TEXTURE_3_SCALE", "SHADOW_PUSH_BACK"})
        EXPECT_TRUE(uploadOf(name).empty()) << name;
}

TEST_F(PassConstants, BoneValuesUseTheContextsBoneList) {
    EXPECT_TRUE(uploadOf("CONST_BONE0_MATRIX").empty());  // no bones
    Matrix4 bone0 = Matrix4::translation(10, 0, 0);
    Matrix4 bone1 = Matrix4::translation(0, 10, 0);
    context.bones = {&bone0, &bone1};
    EXPECT_EQ(uploadOf("CONST_BONE1_MATRIX"), std::vector<float>(bone1.m, bone1.m + 16));
    EXPECT_EQ(uploadOf("CONST_LIGHT_BONE0_SPACE"), (std::vector<float>{0, 20, 30, 1}));
    EXPECT_EQ(uploadOf("CONST_CAMERA_BONE1_SPACE"), (std::vector<float>{1, -8, 3, 1}));
    EXPECT_TRUE(uploadOf("CONST_BONE2_MATRIX").empty());
    EXPECT_TRUE(uploadOf("CONST_CAMERA_BONE15_SPACE").empty());
}

TEST_F(PassConstants, ValuesNeedingWhatTheContextLacksAreNotUploaded) {
    RenderContext empty;
    context = empty;
    for (const char* name :
         {"LIGHT_WORLDSPACE", "LIGHT_EYESPACE", "LIGHT_OBJECTSPACE", "LIGHT_DATA",
          "CAMERA_WORLDSPACE", "CAMERA_OBJECTSPACE", "MODELWORLD_MATRIX"})
        EXPECT_TRUE(uploadOf(name).empty()) << name;
    Matrix4 singular = Matrix4::scaling(0, 0, 0);
    context.setObject(nullptr, &singular);
    context.setLight(nullptr, &lightPosition, lightColour, &outerRadius);
    EXPECT_TRUE(uploadOf("LIGHT_OBJECTSPACE").empty());
}

// --- material textures ------------------------------------------------------------------

TEST_F(PassRuntime, MaterialTexturesFillTheUnitsWithoutTexturesOfTheirOwn) {
    provide("own.tga", targaFile({.width = 1, .height = 1, .depth = 24}, bytes({0, 0, 0})));
    driver.setResult("dRegisterTexture", fakeHandle<DTexture>(5));
    auto technique =
        ready("Texture 0, Texture1 Texture 1, \"own.tga\" Texture 1, Texture0 Texture 3, Texture7");
    ASSERT_TRUE(technique) << error;
    Texture first("first.tga", true, true, true);
    Texture second("second.tga", true, true, true);
    first.createBlank(1, 1, Texture::kFormatRgba, 1);
    second.createBlank(1, 1, Texture::kFormatRgba, 1);
    std::vector<Texture*> list = {&first, &second};
    only(*technique).bindMaterialTextures(list);
    // Unit 0 gets slot 1; unit 1 keeps its file; unit 2 has no slot; unit 3's slot 7 is
    // beyond the list and is skipped.
    EXPECT_EQ(driver.callsTo({"dActivateTexture", "dDisableTextureing"}),
              (Calls{"dActivateTexture(ptr, 0, 0)"}));
    EXPECT_NE(second.handle(), nullptr);
    EXPECT_EQ(first.handle(), nullptr);
}

TEST_F(PassRuntime, MaterialSlotsBeyondTheLimitAreNeverBound) {
    auto technique = ready("Texture 0, Texture131072 Texture 1, Texture131071");
    ASSERT_TRUE(technique) << error;
    std::vector<Texture*> list;
    only(*technique).bindMaterialTextures(list);
    EXPECT_TRUE(driver.calls().empty());
}

TEST_F(PassRuntime, PassesReleaseSharedTexturesWhenDestroyed) {
    auto a = ready("Texture 0, \"t.tga\" Texture 1, \"t.tga\"");
    ASSERT_TRUE(a) << error;
    Texture* texture = dynamic_cast<Texture*>(textures.find("t.tga"));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->refCount(), 2);
    a.reset();
    EXPECT_EQ(texture->refCount(), 0);
    EXPECT_EQ(textures.size(), 1u);
}

}  // namespace
}  // namespace arvel::test
