// Image files loaded by Texture and drawn through the real plug-in: the picture must
// come out the right way up and in the right colours, whatever row order and format
// the file uses, and the overlay font must draw its glyphs where it says.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "gl/varnet_state/StateTest.h"
#include "render/Font.h"
#include "render/Texture.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"

namespace arvel::test {
namespace {

struct Colour {
    uint8_t r, g, b, a;
};

// A picture in reading order (top row first).
struct Picture {
    int width, height;
    std::vector<Colour> pixels;
    const Colour& at(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

// 4 x 4: top half red (left) and green (right), bottom half blue and white.
Picture quadrants() {
    Picture p{4, 4, {}};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            const bool top = y < 2, left = x < 2;
            p.pixels.push_back(top ? (left ? Colour{255, 0, 0, 255} : Colour{0, 255, 0, 255})
                                   : (left ? Colour{0, 0, 255, 255} : Colour{255, 255, 255, 255}));
        }
    }
    return p;
}

void put16(std::string& out, int v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void put32(std::string& out, int v) {
    for (int s = 0; s < 32; s += 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
}

void putPixel(std::string& out, const Colour& c, int bytes) {
    if (bytes == 1) {
        out.push_back(static_cast<char>(c.r));
        return;
    }
    out.push_back(static_cast<char>(c.b));
    out.push_back(static_cast<char>(c.g));
    out.push_back(static_cast<char>(c.r));
    if (bytes == 4) out.push_back(static_cast<char>(c.a));
}

// A Targa of the picture: true colour of 3 or 4 bytes, or grey (the red channel).
std::string targa(const Picture& p, int bytes, bool topFirst) {
    std::string out;
    out.push_back(0);
    out.push_back(0);
    out.push_back(static_cast<char>(bytes == 1 ? 3 : 2));
    out.append(9, '\0');
    put16(out, p.width);
    put16(out, p.height);
    out.push_back(static_cast<char>(bytes * 8));
    out.push_back(static_cast<char>(bytes == 1 ? 8 : (topFirst ? 0x20 : 0)));
    for (int i = 0; i < p.height; ++i) {
        const int y = topFirst ? i : p.height - 1 - i;
        for (int x = 0; x < p.width; ++x) putPixel(out, p.at(x, y), bytes);
    }
    return out;
}

// An FPF file of one picture, rows top first.
std::string fpf(const Picture& p, int bytes) {
    std::string out;
    for (int v : {0, 1, p.width, p.height, bytes}) put32(out, v);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) putPixel(out, p.at(x, y), bytes);
    }
    return out;
}

class TextureDrawing : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(mountOnly(folder));
        gDriver.dDisableDepth();
        gDriver.dDisableCull();
        gDriver.dDisableBlend();
        gDriver.dColor4(1, 1, 1, 1);
    }

    void TearDown() override {
        textures.clear();
        fileSystem().clear();
        StateTest::TearDown();
    }

    Texture& load(const std::string& name, const std::string& bytes, bool exactSize = true) {
        folder.write(name, bytes);
        textures.push_back(std::make_unique<Texture>(name, false, exactSize, false));
        Texture& t = *textures.back();
        t.stream();
        EXPECT_TRUE(t.loaded()) << name;
        t.setParam(Texture::kParamFilter, 1);  // nearest: texels stay distinct
        return t;
    }

    // Fills the window with the texture, texture coordinates 0..s and 0..t.
    void drawWindow(Texture& t, float s = 1.0f, float tt = 1.0f) {
        t.activate(0);
        QuadVertices quad(-1, -1, 1, 1, 0);
        for (RenderTexCoord& c : quad.texCoord) c = {c.u * s, c.v * tt};
        quad.draw();
        gDriver.dDisableTextureing(0);
    }

    // The four quadrants of the window show red, green (top) and blue, white (bottom).
    void expectQuadrants() {
        const int low = kSize / 4, high = kSize * 3 / 4;
        EXPECT_TRUE(colourAt(low, high, 255, 0, 0));
        EXPECT_TRUE(colourAt(high, high, 0, 255, 0));
        EXPECT_TRUE(colourAt(low, low, 0, 0, 255));
        EXPECT_TRUE(colourAt(high, low, 255, 255, 255));
    }

    TempDir folder;
    std::vector<std::unique_ptr<Texture>> textures;
};

TEST_F(TextureDrawing, TopFirstTargaIsDrawnUpright) {
    drawWindow(load("top.tga", targa(quadrants(), 3, true)));
    expectQuadrants();
}

TEST_F(TextureDrawing, BottomFirstTargaIsDrawnUpright) {
    drawWindow(load("bottom.tga", targa(quadrants(), 3, false)));
    expectQuadrants();
}

TEST_F(TextureDrawing, ThirtyTwoBitTargaKeepsItsAlpha) {
    Picture p = quadrants();
    for (Colour& c : p.pixels) c.a = 0;
    p.pixels[0].a = 255;  // the top left texel only
    drawWindow(load("alpha.tga", targa(p, 4, true)));
    EXPECT_EQ(readPixel(kSize / 8, kSize - kSize / 8)[3], 255);
    EXPECT_EQ(readPixel(kSize / 4 + kSize / 8, kSize - kSize / 8)[3], 0);
    expectQuadrants();
}

TEST_F(TextureDrawing, GreyTargaDrawsItsLevelsOnEveryChannel) {
    Picture p{2, 1, {{40, 0, 0, 255}, {200, 0, 0, 255}}};
    drawWindow(load("grey.tga", targa(p, 1, false)));
    EXPECT_TRUE(colourAt(kSize / 4, kSize / 2, 40, 40, 40));
    EXPECT_TRUE(colourAt(kSize * 3 / 4, kSize / 2, 200, 200, 200));
}

TEST_F(TextureDrawing, FpfIsDrawnUpright) {
    drawWindow(load("q.fpf", fpf(quadrants(), 4)));
    expectQuadrants();
}

TEST_F(TextureDrawing, NormalizationFactorsCoverANonPowerOfTwoPicture) {
    // 3 x 5 columns: red, green, blue from the left.
    Picture p{3, 5, {}};
    for (int y = 0; y < 5; ++y) {
        p.pixels.push_back({255, 0, 0, 255});
        p.pixels.push_back({0, 255, 0, 255});
        p.pixels.push_back({0, 0, 255, 255});
    }
    Texture& t = load("odd.tga", targa(p, 3, true), false);
    float s = 0, tt = 0;
    t.getNormalizationFactors(&s, &tt);
    ASSERT_GT(s, 0.0f);
    ASSERT_GT(tt, 0.0f);
    drawWindow(t, s, tt);
    const int third = kSize / 3;
    EXPECT_TRUE(colourAt(third / 2, kSize / 2, 255, 0, 0));
    EXPECT_TRUE(colourAt(third + third / 2, kSize / 2, 0, 255, 0));
    EXPECT_TRUE(colourAt(kSize - third / 2, kSize / 2, 0, 0, 255));
    EXPECT_TRUE(colourAt(kSize - third / 2, kSize - 4, 0, 0, 255));
}

// The font draws 16-pixel glyphs on the 256-pixel window: a glyph image of 16 x 16
// cells of 16 pixels in which only 'A' and 'B' are inked, 'A' solid and 'B' its top
// half only.
std::string twoGlyphFont() {
    Picture p{256, 256, std::vector<Colour>(256 * 256, Colour{0, 0, 0, 0})};
    auto ink = [&](int code, int rows) {
        const int left = (code % 16) * 16, top = (code / 16) * 16;
        for (int y = top; y < top + rows; ++y) {
            for (int x = left; x < left + 16; ++x)
                p.pixels[static_cast<size_t>(y * 256 + x)] = {255, 255, 255, 255};
        }
    };
    ink('A', 16);
    ink('B', 8);
    return targa(p, 4, true);
}

constexpr const char* kFontTechnique =
    "Ambient { impl { Pass { CullFace none DepthFunc always DepthMask false\n"
    "  BlendFunc src_alpha, inverted_src_alpha Texture 0, Texture0 } } }\n";

TEST_F(TextureDrawing, FontDrawsEachGlyphInItsCellAtThePen) {
    folder.write("glyphs.tga", twoGlyphFont());
    folder.write("font.rt", kFontTechnique);
    std::unique_ptr<Font> font;
    try {
        font = std::make_unique<Font>("glyphs.tga", kSize, kSize);
    } catch (Exception* e) {
        FAIL() << e->what();
    }
    font->begin2D();
    font->print(-1.0f, 1.0f, "AB\n A");
    font->end2D();
    const int top = kSize - 1;
    // First line: 'A' fills pixels 0..15, 'B' its upper half of 16..31.
    EXPECT_TRUE(colourAt(8, top - 8, 255, 255, 255));
    EXPECT_TRUE(colourAt(24, top - 3, 255, 255, 255));
    EXPECT_TRUE(colourAt(24, top - 12, 0, 0, 0));
    EXPECT_TRUE(colourAt(40, top - 8, 0, 0, 0));
    // Second line starts again at the left: a space, then 'A'.
    EXPECT_TRUE(colourAt(8, top - 24, 0, 0, 0));
    EXPECT_TRUE(colourAt(24, top - 24, 255, 255, 255));
    // Below the text nothing is drawn.
    EXPECT_TRUE(colourAt(24, top - 40, 0, 0, 0));
}

}  // namespace
}  // namespace arvel::test
