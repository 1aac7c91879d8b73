#include "render/Font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "console/Settings.h"
#include "core/Exception.h"
#include "render/RenderContext.h"
#include "support/ExceptionText.h"

namespace arvel {
namespace {

using test::bytes;
using test::targaFile;
using test::TargaHeader;

constexpr const char* kOnePass =
    "Ambient { impl { Pass { CullFace none DepthFunc always DepthMask false\n"
    "  BlendFunc src_alpha, inverted_src_alpha Texture 0, Texture0 } } }\n";

constexpr const char* kTwoPasses =
    "Ambient { impl { Pass { Texture 0, Texture0 } Pass { DepthMask false } } }\n";

struct Quad {
    float x[4], y[4], u[4], v[4];
};

std::vector<Quad> gQuads;

void captureQuad(const RenderVertex* a, const RenderVertex* b, const RenderVertex* c,
                 const RenderVertex* d) {
    Quad quad{};
    const RenderVertex* corners[4] = {a, b, c, d};
    for (int i = 0; i < 4; ++i) {
        quad.x[i] = corners[i]->position->x;
        quad.y[i] = corners[i]->position->y;
        quad.u[i] = corners[i]->texCoord->u;
        quad.v[i] = corners[i]->texCoord->v;
        EXPECT_EQ(corners[i]->position->z, 0.0f);
        EXPECT_EQ(corners[i]->position->w, 0.0f);
    }
    gQuads.push_back(quad);
    test::RecordingDriver::current()->record("dRenderQuad");
}

void halfFactors(DTexture*, float* s, float* t) {
    *s = 0.5f;
    *t = 0.25f;
}

DTexture* fakeHandle() {
    static int storage;
    return reinterpret_cast<DTexture*>(&storage);
}

class FontTest : public test::RenderTest {
protected:
    FontTest() {
        gQuads.clear();
        driver.setResult("dRegisterTexture", fakeHandle());
        driver.setResult("dTextureUnits", 1);
        gDriver.dRenderQuad = captureQuad;
        gDriver.dGetNormalizationFactors = halfFactors;
        // A 128 x 64 glyph image.
        provide("font.tga", targaFile({.width = 128, .height = 64, .depth = 32, .descriptor = 8},
                                      std::string(128 * 64 * 4, '\x7f')));
        provide("font.rt", kOnePass);
    }

    // The font for a 640 x 480 screen, with the calls of its construction forgotten.
    Font& font() {
        if (!font_) {
            font_ = std::make_unique<Font>("font.tga", 640, 480);
            driver.clearCalls();
        }
        return *font_;
    }

    // What the construction threw; empty when it did not throw.
    std::string creationError() {
        return test::exceptionText([] { Font font("font.tga", 640, 480); });
    }

    size_t indexOf(const std::string& call, size_t from = 0) const {
        const auto& calls = driver.calls();
        auto it = std::find(calls.begin() + static_cast<long>(from), calls.end(), call);
        return static_cast<size_t>(it - calls.begin());
    }

    std::unique_ptr<Font> font_;
};

TEST_F(FontTest, GlyphCoversItsCellInScreenPixels) {
    Font& f = font();
    EXPECT_FLOAT_EQ(f.glyphWidth(), 128.0f * 2 / (640 * 16));
    EXPECT_FLOAT_EQ(f.glyphHeight(), 64.0f * 2 / (480 * 16));
    EXPECT_FLOAT_EQ(f.cellU(), 0.5f / 16);
    EXPECT_FLOAT_EQ(f.cellV(), 0.25f / 16);
    // A resized window: the glyphs keep their pixels, not their share of the screen.
    f.setScreenSize(1024, 576);
    EXPECT_FLOAT_EQ(f.glyphWidth(), 128.0f * 2 / (1024 * 16));
    EXPECT_FLOAT_EQ(f.glyphHeight(), 64.0f * 2 / (576 * 16));
}

TEST_F(FontTest, GlyphImageIsRegisteredWithoutMipmapsOrExactSize) {
    settings().gfxTexcompress.flag = true;
    Font f("font.tga", 640, 480);
    EXPECT_EQ(driver.callsTo({"dRegisterTexture"}),
              std::vector<std::string>{"dRegisterTexture(ptr, 128, 64, 512, 2, 1, 0, 0, 1)"});
}

TEST_F(FontTest, CharacterAUsesColumnOneRowFour) {
    Font& f = font();
    f.print(-1.0f, 1.0f, "A");
    ASSERT_EQ(gQuads.size(), 1u);
    const Quad& q = gQuads[0];
    const float w = f.glyphWidth(), h = f.glyphHeight(), cu = f.cellU(), cv = f.cellV();
    const float u = 1 * cu, top = 16 * cv - 4 * cv;
    const float x[4] = {-1, -1, -1 + w, -1 + w};
    const float y[4] = {1, 1 - h, 1 - h, 1};
    const float us[4] = {u, u, u + cu, u + cu};
    const float vs[4] = {top, top - cv, top - cv, top};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(q.x[i], x[i]) << "corner " << i;
        EXPECT_FLOAT_EQ(q.y[i], y[i]) << "corner " << i;
        EXPECT_FLOAT_EQ(q.u[i], us[i]) << "corner " << i;
        EXPECT_FLOAT_EQ(q.v[i], vs[i]) << "corner " << i;
    }
}

TEST_F(FontTest, PenMovesRightPerCharacterAndDownOneGlyphPerLine) {
    Font& f = font();
    f.print(-0.5f, 0.75f, "%s\nc\n\nd", "ab");
    ASSERT_EQ(gQuads.size(), 4u);
    EXPECT_FLOAT_EQ(gQuads[1].x[0], -0.5f + f.glyphWidth());
    EXPECT_FLOAT_EQ(gQuads[1].y[0], 0.75f);
    EXPECT_FLOAT_EQ(gQuads[2].x[0], -0.5f);
    EXPECT_FLOAT_EQ(gQuads[2].y[0], 0.75f - f.glyphHeight());
    EXPECT_FLOAT_EQ(gQuads[3].x[0], -0.5f);
    EXPECT_FLOAT_EQ(gQuads[3].y[0], 0.75f - 3 * f.glyphHeight());
}

TEST_F(FontTest, CharactersAbove127CountAsNegative) {
    Font& f = font();
    f.print(0, 0, "\xC1");  // -63: column -15, row -3
    ASSERT_EQ(gQuads.size(), 1u);
    EXPECT_FLOAT_EQ(gQuads[0].u[0], -15 * f.cellU());
    EXPECT_FLOAT_EQ(gQuads[0].v[0], 16 * f.cellV() + 3 * f.cellV());
}

TEST_F(FontTest, EveryPassRunsAndDrawsTheWholeTextEvenAnEmptyOne) {
    provide("font.rt", kTwoPasses);
    font().print(0, 0, "xy");
    EXPECT_EQ(gQuads.size(), 4u);
    gQuads.clear();
    driver.clearCalls();
    font().print(0, 0, "%s", "");
    EXPECT_TRUE(gQuads.empty());
    // Per pass: apply (it begins with dDepthMask), begin2D (dOrtho), end2D (two pops).
    EXPECT_EQ(driver.countOf("dDepthMask"), 2);
    EXPECT_EQ(driver.countOf("dOrtho"), 2);
    EXPECT_EQ(driver.countOf("dPopMatrix"), 4);
}

TEST_F(FontTest, PrintRunsPassSetupThenTwoDThenQuadsThenRestores) {
    Font& f = font();
    f.print(0, 0, "x");
    const size_t colour = indexOf("dColor4(1, 1, 1, 1)");
    const size_t apply = indexOf("dDepthMask(0)");
    const size_t objectMatrices = indexOf("dMatrixMode(1)", apply);
    const size_t glyphs = indexOf("dActivateTexture(ptr, 0, 0)", apply);
    const size_t ortho = indexOf("dOrtho(-1, 1, -1, 1, -1, 1)");
    const size_t quad = indexOf("dRenderQuad");
    const size_t restore = indexOf("dPopMatrix()", quad);
    const size_t size = driver.calls().size();
    EXPECT_LT(colour, apply);
    EXPECT_LT(apply, objectMatrices);
    EXPECT_LT(objectMatrices, glyphs);
    EXPECT_LT(glyphs, ortho);
    EXPECT_LT(ortho, quad);
    EXPECT_LT(quad, restore);
    EXPECT_LT(restore, size);
}

TEST_F(FontTest, PassesDrawWithTheProcessWideContext) {
    Font& f = font();
    renderContext().setScissor(1, 2, 3, 4);
    f.print(0, 0, "x");
    renderContext().clearScissor();
    // applyObject applies the context's scissor; begin2D then switches it off.
    const size_t scissor = indexOf("dScissor(1, 2, 3, 4)");
    EXPECT_LT(scissor, indexOf("dDisableScissor()", scissor));
}

TEST_F(FontTest, Begin2DSetsAnOrthographicViewAndEnd2DRestores) {
    Font& f = font();
    f.begin2D();
    f.end2D();
    const std::vector<std::string> expected = {
        "dMatrixMode(1)",  "dPushMatrix()",     "dLoadIdentity()", "dOrtho(-1, 1, -1, 1, -1, 1)",
        "dMatrixMode(2)",  "dPushMatrix()",     "dLoadIdentity()", "dMatrixMode(16)",
        "dLoadIdentity()", "dDisableScissor()", "dMatrixMode(1)",  "dPopMatrix()",
        "dMatrixMode(2)",  "dPopMatrix()"};
    EXPECT_EQ(driver.calls(), expected);
}

TEST_F(FontTest, OverlongTextIsCutToTheBuffer) {
    const std::string longText(5000, 'w');
    font().print(0, 0, "%s", longText.c_str());
    EXPECT_EQ(gQuads.size(), static_cast<size_t>(Font::kTextCapacity - 1));
}

TEST_F(FontTest, MissingGlyphImageFailsCreationWithTheFontMessage) {
    std::filesystem::remove(folder.path() / "font.tga");
    const std::string error = creationError();
    EXPECT_NE(error.find("font.tga is missing"), std::string::npos) << error;
    EXPECT_NE(error.find("(2dGraphics\\Font:40): Could not create font: font.tga\n"),
              std::string::npos)
        << error;
}

TEST_F(FontTest, MissingTechniqueFailsCreationWithBothMessages) {
    std::filesystem::remove(folder.path() / "font.rt");
    const std::string error = creationError();
    EXPECT_NE(error.find("Failed to open render technique: font.rt"), std::string::npos) << error;
    EXPECT_NE(error.find("Could not create font: font.tga\n"), std::string::npos) << error;
}

TEST_F(FontTest, UnsupportedGlyphImageFailsCreation) {
    provide("font.tga", targaFile({.imageType = 10, .width = 1, .height = 1}, bytes({0, 0, 0})));
    std::string error;
    boxesOf([&] { error = creationError(); });
    EXPECT_NE(error.find("Could not create font"), std::string::npos) << error;
}

TEST_F(FontTest, DestroyingTheFontRemovesTheGlyphTexture) {
    font().print(0, 0, "x");
    driver.clearCalls();
    font_.reset();
    EXPECT_EQ(driver.countOf("dRemoveTexture"), 1);
}

}  // namespace
}  // namespace arvel
