// The plug-in's context on a real window: identification, the context's limits and
// extension flags as the driver functions show them, clearing, display modes and the
// error box.
#include <GL/gl.h>
#include <GL/glext.h>

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/Driver.h"
#include "platform/platform.h"
#include "support/GLFixture.h"
#include "varnet/Extensions.h"

namespace arvel {
namespace {

using test::describe;
using test::Rgba;

class VarnetContext : public test::VarnetTest {
protected:
    static const char* extensions() {
        return reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    }
    static GLint integer(GLenum name) {
        GLint value = 0;
        glGetIntegerv(name, &value);
        return value;
    }
    // Clears everything to known values.
    void clearAll(float r, float g, float b, float depth, int stencil) {
        gDriver.dClearColor(r, g, b, 1.0f);
        gDriver.dClearDepth(depth);
        gDriver.dClearStencil(stencil);
        gDriver.dSetClear(dcode::kClearColour | dcode::kClearDepth | dcode::kClearStencil);
        gDriver.dClearBuffer();
    }
};

// Identification

TEST_F(VarnetContext, IdentifiesItselfAsADriverOfVersionOne) {
    EXPECT_EQ(static_cast<unsigned>(gDriver.dIdentifyDriver()), 0xBADC0FFEu);
    EXPECT_EQ(gDriver.dVersionNumber(), 1.0f);
}

// Version and extensions of the real context

TEST_F(VarnetContext, MesaVersionStringSetsEveryVersionFlag) {
    varnet::Extensions flags;
    varnet::setVersionFlags(flags, reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    EXPECT_TRUE(flags.version12);
    EXPECT_TRUE(flags.version13);
    EXPECT_TRUE(flags.version14);
    EXPECT_TRUE(flags.version20);
}

TEST_F(VarnetContext, MesaOffersTheExtensionsThePluginRelies) {
    const char* names = extensions();
    ASSERT_NE(names, nullptr);
    EXPECT_TRUE(varnet::hasExtensionIn(names, "GL_ARB_multitexture"));
    EXPECT_TRUE(varnet::hasExtensionIn(names, "GL_EXT_stencil_two_side"));
    EXPECT_TRUE(varnet::hasExtensionIn(names, "GL_EXT_stencil_wrap"));
    EXPECT_TRUE(varnet::hasExtensionIn(names, "GL_NV_depth_clamp"));
    EXPECT_FALSE(varnet::hasExtensionIn(names, "GL_NV_vertex_program"));
}

TEST_F(VarnetContext, OptionalFeaturesFollowTheExtensionFlags) {
    if (!gDriver.dTwoSidedStencil || !gDriver.dDepthClamp || !gDriver.dOcclusionCulling)
        GTEST_SKIP() << "the render-state functions are not exported yet";
    EXPECT_TRUE(gDriver.dTwoSidedStencil());  // EXT_stencil_two_side
    EXPECT_TRUE(gDriver.dDepthClamp());       // NV_depth_clamp
    EXPECT_TRUE(gDriver.dOcclusionCulling());
}

TEST_F(VarnetContext, TextureUnitsComeFromTheFragmentProgramImageUnits) {
    if (!gDriver.dTextureUnits) GTEST_SKIP() << "dTextureUnits is not exported yet";
    const int units = gDriver.dTextureUnits();
    EXPECT_GE(units, 1);
    EXPECT_LE(units, 32);
    // ARB_fragment_program is present, so the image units count, not the 8 fixed ones.
    const GLint imageUnits = integer(GL_MAX_TEXTURE_IMAGE_UNITS_ARB);
    EXPECT_EQ(units, imageUnits > 32 ? 32 : imageUnits);
}

TEST_F(VarnetContext, StencilMaxValueIs256WithEightStencilBits) {
    ASSERT_EQ(integer(GL_STENCIL_BITS), 8);
    EXPECT_EQ(gDriver.dStencilMaxVal(), 256);
}

TEST_F(VarnetContext, PixelStorageIsTightlyPacked) {
    EXPECT_EQ(integer(GL_UNPACK_ALIGNMENT), 1);
    EXPECT_EQ(integer(GL_UNPACK_ROW_LENGTH), 0);
}

// Errors

TEST_F(VarnetContext, ErrorReportsAPendingGLError) {
    gDriver.dClearErrors();
    EXPECT_EQ(gDriver.dError(), 0);
    glEnable(0xFFFF);  // not a capability: GL_INVALID_ENUM
    EXPECT_NE(gDriver.dError(), 0);
    EXPECT_EQ(gDriver.dError(), 0);  // one error taken per call
}

TEST_F(VarnetContext, ClearErrorsEmptiesTheQueue) {
    glEnable(0xFFFF);
    glMatrixMode(0xFFFF);
    gDriver.dClearErrors();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Clearing

TEST_F(VarnetContext, ClearBufferFillsTheClearColour) {
    gDriver.dClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    gDriver.dSetClear(dcode::kClearColour);
    gDriver.dClearBuffer();
    EXPECT_EQ(readPixel(10, 10), (Rgba{255, 0, 0, 255})) << describe(readPixel(10, 10));
    EXPECT_EQ(readPixel(kSize - 1, kSize - 1), (Rgba{255, 0, 0, 255}));
}

// Each mask clears its buffers to green, depth 0.75 and stencil 9, and leaves the
// others at blue, 0.25 and 3.
TEST_F(VarnetContext, ClearMaskClearsOnlyItsBuffers) {
    const Rgba blue{0, 0, 255, 255}, green{0, 255, 0, 255};
    struct Case {
        const char* name;
        int mask;
        Rgba colour;
        float depth;
        int stencil;
    };
    const Case cases[] = {
        {"colour", dcode::kClearColour, green, 0.25f, 3},
        {"depth", dcode::kClearDepth, blue, 0.75f, 3},
        {"stencil", dcode::kClearStencil, blue, 0.25f, 9},
        {"empty", 0, blue, 0.25f, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearAll(0.0f, 0.0f, 1.0f, 0.25f, 3);
        gDriver.dClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        gDriver.dClearDepth(0.75f);
        gDriver.dClearStencil(9);
        gDriver.dSetClear(c.mask);
        gDriver.dClearBuffer();
        EXPECT_EQ(readPixel(5, 5), c.colour) << describe(readPixel(5, 5));
        EXPECT_NEAR(readDepth(5, 5), c.depth, 1e-3f);
        EXPECT_EQ(readStencil(5, 5), c.stencil);
        EXPECT_EQ(gDriver.dError(), 0);
    }
}

TEST_F(VarnetContext, ClearBufferKeepsUsingTheStoredMask) {
    gDriver.dSetClear(dcode::kClearStencil);
    gDriver.dClearStencil(4);
    gDriver.dClearBuffer();
    gDriver.dClearStencil(6);
    gDriver.dClearBuffer();
    EXPECT_EQ(readStencil(100, 100), 6);
}

TEST_F(VarnetContext, UnboundClearClearsAtOnceWithoutChangingTheStoredMask) {
    using ClearFn = void (*)(int);
    platform::Library* library = platform::loadLibrary(ARVEL_BIN_DIR "/Varnet.drv");
    ASSERT_NE(library, nullptr);
    auto clear = reinterpret_cast<ClearFn>(platform::getProcAddress(library, "dClear"));
    ASSERT_NE(clear, nullptr);

    clearAll(0.0f, 0.0f, 0.0f, 1.0f, 0);
    gDriver.dSetClear(dcode::kClearStencil);
    gDriver.dClearColor(1.0f, 1.0f, 0.0f, 1.0f);
    gDriver.dClearStencil(2);
    clear(dcode::kClearColour);
    EXPECT_EQ(readPixel(7, 7), (Rgba{255, 255, 0, 255})) << describe(readPixel(7, 7));
    EXPECT_EQ(readStencil(7, 7), 0);
    gDriver.dClearBuffer();
    EXPECT_EQ(readStencil(7, 7), 2);
}

TEST_F(VarnetContext, SwapPresentsWithoutError) {
    gDriver.dClearErrors();
    gDriver.dSwapBuffer();
    EXPECT_EQ(gDriver.dError(), 0);
}

// Window and context

TEST_F(VarnetContext, ChangeWindowSizeSetsTheViewport) {
    gDriver.dChangeWindowSize(100, 60);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 100);
    EXPECT_EQ(viewport[3], 60);
}

TEST_F(VarnetContext, NegativeWindowSizeGivesAnEmptyViewportAndNoError) {
    gDriver.dClearErrors();
    gDriver.dChangeWindowSize(-20, -1);
    GLint viewport[4] = {1, 1, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 0);
    EXPECT_EQ(viewport[3], 0);
    EXPECT_EQ(gDriver.dError(), 0);
}

TEST_F(VarnetContext, SecondRenderWindowKeepsTheFirstBufferDepths) {
    ASSERT_TRUE(gDriver.dSetRenderWindow(window(), 16, 16, 0));
    EXPECT_EQ(integer(GL_STENCIL_BITS), 8);
    EXPECT_EQ(integer(GL_DEPTH_BITS), 24);
    EXPECT_EQ(gDriver.dStencilMaxVal(), 256);
    gDriver.dChangeWindowSize(kSize, kSize);
    gDriver.dClearStencil(7);
    gDriver.dSetClear(dcode::kClearStencil);
    gDriver.dClearBuffer();
    EXPECT_EQ(readStencil(3, 3), 7);
}

TEST_F(VarnetContext, CloseDriverLeavesNoContextCurrent) {
    gDriver.dCloseDriver();
    EXPECT_EQ(glGetString(GL_VERSION), nullptr);
    // Closing twice is harmless.
    gDriver.dCloseDriver();
}

TEST_F(VarnetContext, RenderWindowWithoutAWindowFailsWithABox) {
    testing::internal::CaptureStderr();
    const bool opened = gDriver.dSetRenderWindow(nullptr, 32, 24, 8);
    const std::string text = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(opened);
    EXPECT_NE(text.find("Error: Error in file newmain at row "), std::string::npos) << text;
    EXPECT_NE(text.find("Couldnt create the rendering context"), std::string::npos) << text;
}

// Profiles, as the programs compiled afterwards show them

TEST_F(VarnetContext, Vp30ProfileNamedInUpperCaseNeedsNVVertexProgram2) {
    if (!gDriver.dRegisterVertexProgram || !gDriver.dDeleteVertexProgram)
        GTEST_SKIP() << "the program functions are not exported yet";
    const char* source =
        "#version 120\n"
        "void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; }\n";
    testing::internal::CaptureStderr();
    gDriver.dSetVPProfile("VP30");
    DVertexProgram* vp30 = gDriver.dRegisterVertexProgram(source);
    gDriver.dSetVPProfile("best");
    DVertexProgram* best = gDriver.dRegisterVertexProgram(source);
    testing::internal::GetCapturedStderr();
    // NV_vertex_program2 is absent on this platform: nothing builds under vp30.
    EXPECT_EQ(vp30, nullptr);
    EXPECT_NE(best, nullptr);
    if (vp30) gDriver.dDeleteVertexProgram(vp30);
    if (best) gDriver.dDeleteVertexProgram(best);
}

// Display modes

TEST_F(VarnetContext, ResolutionsListOnlyModesOfSixteenBitsOrMore) {
    const DResolutionList* modes = gDriver.dGetResolutions();
    ASSERT_NE(modes, nullptr);
    ASSERT_GE(modes->count, 0);
    ASSERT_LE(modes->count, 1024);
    for (int i = 0; i < modes->count; ++i) {
        EXPECT_GE(modes->bits[i], 16) << "entry " << i;
        EXPECT_GT(modes->width[i], 0) << "entry " << i;
        EXPECT_GT(modes->height[i], 0) << "entry " << i;
    }
}

TEST_F(VarnetContext, ResolutionsEndWithEveryEnumeratedModeInOrder) {
    std::vector<platform::DisplayMode> enumerated;
    platform::DisplayMode mode;
    for (int index = 0; platform::enumDisplayMode(index, &mode); ++index)
        if (mode.bits >= 16) enumerated.push_back(mode);
    ASSERT_FALSE(enumerated.empty()) << "the display reports no mode";

    const DResolutionList* modes = gDriver.dGetResolutions();
    ASSERT_GE(modes->count, static_cast<int>(enumerated.size()));
    const int first = modes->count - static_cast<int>(enumerated.size());
    for (size_t i = 0; i < enumerated.size(); ++i) {
        EXPECT_EQ(modes->width[first + i], enumerated[i].width);
        EXPECT_EQ(modes->height[first + i], enumerated[i].height);
        EXPECT_EQ(modes->bits[first + i], enumerated[i].bits);
    }
}

TEST_F(VarnetContext, ResolutionsAreRebuiltNotAppendedOnEachCall) {
    const int count = gDriver.dGetResolutions()->count;
    EXPECT_EQ(gDriver.dGetResolutions()->count, count);
}

TEST_F(VarnetContext, ListedResolutionSwitchesToFullScreenAndRestores) {
    const DResolutionList* modes = gDriver.dGetResolutions();
    ASSERT_GT(modes->count, 0);
    const int last = modes->count - 1;
    ASSERT_TRUE(
        gDriver.dSetResolution(modes->width[last], modes->height[last], modes->bits[last], 0));
    SDL_Window* shown = SDL_GL_GetCurrentWindow();
    ASSERT_NE(shown, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(shown) & SDL_WINDOW_FULLSCREEN, 0u);
    gDriver.dRestoreResolution();
    EXPECT_EQ(SDL_GetWindowFlags(shown) & SDL_WINDOW_FULLSCREEN, 0u);
}

TEST_F(VarnetContext, RefusedResolutionShowsTheBoxAndFails) {
    testing::internal::CaptureStderr();
    const bool set = gDriver.dSetResolution(-640, -480, 32, 75);
    const std::string text = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(set);
    EXPECT_NE(text.find("Error: Error in file newmain at row "), std::string::npos) << text;
    EXPECT_NE(text.find("\n\nCouldnt Set Resolution: -640x-480x32@75Hz\n"), std::string::npos)
        << text;
}

}  // namespace
}  // namespace arvel
