// The context-free rules of the extension loader and the context: the whole-word test
// of extension names, version flags from version strings, the GLX equivalents of the
// window-system extensions, the texture-unit count, where compressed storage pays and
// the program profile names.
#include <gtest/gtest.h>

#include "varnet/Context.h"
#include "varnet/Extensions.h"
#include "varnet/Profiles.h"

namespace arvel::varnet {
namespace {

// An extension name is found only as a whole blank-separated word.
TEST(ExtensionWord, IsFoundOnlyAsAWholeWord) {
    struct Case {
        const char* why;
        const char* names;
        const char* name;
        bool found;
    };
    const char* three = "GL_NV_vertex_program GL_ARB_multitexture GL_EXT_stencil_wrap";
    const char* two = "GL_ARB_multitexture GL_EXT_bgra";
    const Case cases[] = {
        {"inside a longer name", "GL_NV_vertex_program2", "GL_NV_vertex_program", false},
        {"inside a longer name among others",
         "GL_ARB_multitexture GL_NV_vertex_program2 GL_EXT_bgra", "GL_NV_vertex_program", false},
        {"tail of a longer name", "XGL_NV_fence GL_EXT_bgra", "GL_NV_fence", false},
        {"first", three, "GL_NV_vertex_program", true},
        {"in the middle", three, "GL_ARB_multitexture", true},
        {"last", three, "GL_EXT_stencil_wrap", true},
        {"alone", "GL_NV_fence", "GL_NV_fence", true},
        {"with a trailing blank", "GL_NV_fence ", "GL_NV_fence", true},
        {"after a partial occurrence", "GL_NV_vertex_program2 GL_NV_vertex_program",
         "GL_NV_vertex_program", true},
        {"name of two words", two, "GL_ARB_multitexture GL_EXT_bgra", false},
        {"name with a trailing blank", two, "GL_EXT_bgra ", false},
        {"name of a blank", two, " ", false},
        {"empty name", "GL_ARB_multitexture", "", false},
        {"empty string", "", "GL_ARB_multitexture", false},
        {"missing string", nullptr, "GL_ARB_multitexture", false},
        {"missing name", "GL_ARB_multitexture", nullptr, false},
    };
    for (const Case& c : cases) EXPECT_EQ(hasExtensionIn(c.names, c.name), c.found) << c.why;
}

struct VersionCase {
    const char* text;
    bool v12, v13, v14, v15, v20;
};

class VersionFlags : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionFlags, FollowMajorAndMinorAtTheStart) {
    const VersionCase& expected = GetParam();
    Extensions extensions;
    extensions.version12 = extensions.version13 = extensions.version14 = true;
    setVersionFlags(extensions, expected.text);
    EXPECT_EQ(extensions.version12, expected.v12);
    EXPECT_EQ(extensions.version13, expected.v13);
    EXPECT_EQ(extensions.version14, expected.v14);
    EXPECT_EQ(extensions.version15, expected.v15);
    EXPECT_EQ(extensions.version20, expected.v20);
}

INSTANTIATE_TEST_SUITE_P(
    VersionStrings, VersionFlags,
    ::testing::Values(VersionCase{"1.1", false, false, false, false, false},
                      VersionCase{"1.2.1 Vendor", true, false, false, false, false},
                      VersionCase{"1.3", true, true, false, false, false},
                      VersionCase{"1.4", true, true, true, false, false},
                      VersionCase{"1.5.0 NVIDIA 53.04", true, true, true, true, false},
                      VersionCase{"4.5 (Compatibility Profile) Mesa 22.3.6", true, true, true, true,
                                  true},
                      // "1." inside the vendor text is no version.
                      VersionCase{"0.9 build 1.4", false, false, false, false, false},
                      VersionCase{"", false, false, false, false, false},
                      VersionCase{"Mesa", false, false, false, false, false},
                      VersionCase{"2", false, false, false, false, false},
                      VersionCase{"2.", false, false, false, false, false},
                      VersionCase{"99999999999999999999.0", false, false, false, false, false}));

TEST(VersionFlags, MissingStringSetsNone) {
    Extensions extensions;
    extensions.version12 = true;
    setVersionFlags(extensions, nullptr);
    EXPECT_FALSE(extensions.version12);
}

TEST(GLVersionParse, ReadsMultiDigitNumbers) {
    const GLVersion version = parseGLVersion("10.12 future");
    EXPECT_EQ(version.major, 10);
    EXPECT_EQ(version.minor, 12);
}

TEST(GlxEquivalents, Glx13GivesPbuffersPixelFormatsAndReadDrawables) {
    Extensions::WindowSystem wgl;
    Extensions::Glx glx;
    glx.present = glx.version13 = true;
    deriveWindowSystemFlags(wgl, glx);
    EXPECT_TRUE(wgl.ARB_pbuffer);
    EXPECT_TRUE(wgl.ARB_pixel_format);
    EXPECT_TRUE(wgl.ARB_make_current_read);
    EXPECT_FALSE(wgl.ARB_multisample);
    EXPECT_FALSE(wgl.EXT_swap_control);
}

TEST(GlxEquivalents, SgixExtensionsStandInForGlx13) {
    Extensions::WindowSystem wgl;
    Extensions::Glx glx;
    glx.present = glx.SGIX_pbuffer = true;
    deriveWindowSystemFlags(wgl, glx);
    EXPECT_TRUE(wgl.ARB_pbuffer);
    EXPECT_FALSE(wgl.ARB_pixel_format);

    Extensions::WindowSystem configs;
    glx.SGIX_pbuffer = false;
    glx.SGIX_fbconfig = glx.SGI_make_current_read = true;
    deriveWindowSystemFlags(configs, glx);
    EXPECT_FALSE(configs.ARB_pbuffer);
    EXPECT_TRUE(configs.ARB_pixel_format);
    EXPECT_TRUE(configs.ARB_make_current_read);
}

TEST(GlxEquivalents, NamedGlxExtensionsMapOneToOne) {
    Extensions::WindowSystem wgl;
    Extensions::Glx glx;
    glx.present = glx.ARB_multisample = glx.ARB_fbconfig_float = glx.EXT_swap_control = true;
    deriveWindowSystemFlags(wgl, glx);
    EXPECT_TRUE(wgl.ARB_multisample);
    EXPECT_TRUE(wgl.ATI_pixel_format_float);
    EXPECT_TRUE(wgl.EXT_swap_control);
    EXPECT_FALSE(wgl.ARB_pbuffer);
}

TEST(GlxEquivalents, RenderTextureAndBufferRegionsHaveNoEquivalent) {
    Extensions::WindowSystem wgl;
    Extensions::Glx glx;
    glx.present = glx.version13 = glx.SGIX_pbuffer = glx.SGIX_fbconfig = true;
    glx.SGI_make_current_read = glx.ARB_multisample = glx.ARB_fbconfig_float = true;
    glx.EXT_swap_control = true;
    deriveWindowSystemFlags(wgl, glx);
    EXPECT_FALSE(wgl.ARB_render_texture);
    EXPECT_FALSE(wgl.ARB_buffer_region);
    EXPECT_FALSE(wgl.NV_render_depth_texture);
    EXPECT_FALSE(wgl.NV_render_texture_rectangle);
}

TEST(GlxEquivalents, WithoutGlxOnlyTheStringCounts) {
    Extensions::WindowSystem wgl;
    wgl.ARB_render_texture = true;  // named by a WGL string
    Extensions::Glx glx;
    glx.version13 = glx.EXT_swap_control = true;  // but no GLX display
    deriveWindowSystemFlags(wgl, glx);
    EXPECT_TRUE(wgl.ARB_render_texture);
    EXPECT_FALSE(wgl.ARB_pbuffer);
    EXPECT_FALSE(wgl.EXT_swap_control);
}

TEST(TextureUnits, FragmentProgramsUseImageUnits) {
    EXPECT_EQ(textureUnitCount(true, true, 16, 8), 16);
}

TEST(TextureUnits, MultitextureUsesFixedFunctionUnits) {
    EXPECT_EQ(textureUnitCount(false, true, 16, 4), 4);
}

TEST(TextureUnits, NeitherExtensionGivesOne) {
    EXPECT_EQ(textureUnitCount(false, false, 16, 8), 1);
}

TEST(TextureUnits, ClampedTo32) {
    EXPECT_EQ(textureUnitCount(true, true, 64, 8), 32);
    EXPECT_EQ(textureUnitCount(false, true, 0, 64), 32);
}

TEST(TextureUnits, AFailedQueryStillGivesOne) {
    EXPECT_EQ(textureUnitCount(true, true, 0, 8), 1);
    EXPECT_EQ(textureUnitCount(false, true, -3, -3), 1);
}

TEST(TextureCompression, StoredCompressedOnlyWhereTheRendererDecodesInHardware) {
    const struct {
        const char* renderer;
        bool software;
    } kRenderers[] = {
        {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
        {"softpipe", true},
        {"Software Rasterizer", true},
        {"Mesa DRI swrast", true},
        {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
        {"NVIDIA GeForce RTX 3060/PCIe/SSE2", false},
        {"AMD Radeon RX 6600 (navy_flounder, LLVM 15.0.6, DRM 3.49, 6.1.0)", false},
        {nullptr, false},
    };
    for (const auto& row : kRenderers) {
        const char* name = row.renderer ? row.renderer : "(null)";
        EXPECT_EQ(decodesCompressedTexturesInSoftware(row.renderer), row.software) << name;
        EXPECT_EQ(compressionPays(row.renderer, nullptr), !row.software) << name;
        EXPECT_EQ(compressionPays(row.renderer, ""), !row.software) << name;
        EXPECT_TRUE(compressionPays(row.renderer, "1")) << name;
        EXPECT_FALSE(compressionPays(row.renderer, "0")) << name;
    }
}

TEST(ProfileNames, VertexNamesIgnoreCase) {
    EXPECT_EQ(vertexProfileNamed("VP30"), Profile::kVp30);
    EXPECT_EQ(vertexProfileNamed("vp30"), Profile::kVp30);
    EXPECT_EQ(vertexProfileNamed("Vp20"), Profile::kVp20);
    EXPECT_EQ(vertexProfileNamed("ARB"), Profile::kArb);
    EXPECT_EQ(vertexProfileNamed("GlSl"), Profile::kGlsl);
}

TEST(ProfileNames, FragmentNamesIgnoreCase) {
    EXPECT_EQ(fragmentProfileNamed("FP30"), Profile::kFp30);
    EXPECT_EQ(fragmentProfileNamed("fp20"), Profile::kFp20);
    EXPECT_EQ(fragmentProfileNamed("arb"), Profile::kArb);
    EXPECT_EQ(fragmentProfileNamed("glsl"), Profile::kGlsl);
}

TEST(ProfileNames, BestUnknownAndOtherStagesNamesChooseTheBest) {
    EXPECT_EQ(vertexProfileNamed("best"), Profile::kBest);
    EXPECT_EQ(vertexProfileNamed("fp30"), Profile::kBest);
    EXPECT_EQ(vertexProfileNamed("vp40"), Profile::kBest);
    EXPECT_EQ(vertexProfileNamed(""), Profile::kBest);
    EXPECT_EQ(vertexProfileNamed(nullptr), Profile::kBest);
    EXPECT_EQ(fragmentProfileNamed("vp20"), Profile::kBest);
    EXPECT_EQ(fragmentProfileNamed("arbfp1"), Profile::kBest);
    EXPECT_EQ(fragmentProfileNamed(nullptr), Profile::kBest);
}

}  // namespace
}  // namespace arvel::varnet
