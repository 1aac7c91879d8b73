#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FontImage.h"
#include "FpfWriter.h"
#include "TgaWriter.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "render/Texture.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"

namespace arvel::content {
namespace {

// Files written by the tools are read back by the engine's own loader.
class ImageWriterTest : public ::testing::Test {
protected:
    ImageWriterTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        fileSystem().clear();
        EXPECT_TRUE(test::mountFolder(folder));
    }
    ~ImageWriterTest() override { fileSystem().clear(); }

    std::unique_ptr<Texture> loadBack(const std::string& name, const std::string& bytes) {
        folder.write(name, bytes);
        auto texture = std::make_unique<Texture>(name, false, false, false);
        texture->stream();
        return texture;
    }

    test::TempDir folder;
};

// A 3 x 2 picture whose pixels all differ: red = x, green = y, blue = 7, alpha = 9.
Image gradient(int channels) {
    Image image(3, 2, channels);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            image.set(x, y, {static_cast<uint8_t>(10 + x), static_cast<uint8_t>(20 + y), 7, 9});
    }
    return image;
}

// The engine keeps rows bottom first: block pixel (x, y) is picture pixel (x, h-1-y).
std::vector<uint8_t> bottomFirst(const Image& image) {
    std::vector<uint8_t> out;
    for (int y = image.height - 1; y >= 0; --y) {
        const uint8_t* row = image.at(0, y);
        out.insert(out.end(), row, row + image.width * image.channels);
    }
    return out;
}

TEST_F(ImageWriterTest, ColourTargaReadsBackInEitherRowOrder) {
    for (int channels : {3, 4}) {
        const Image image = gradient(channels);
        for (TgaRows rows : {TgaRows::kTopFirst, TgaRows::kBottomFirst}) {
            auto t = loadBack("a.tga", tgaBytes(image, rows));
            ASSERT_TRUE(t->loaded()) << channels;
            EXPECT_EQ(t->width(), 3);
            EXPECT_EQ(t->height(), 2);
            EXPECT_EQ(t->bytesPerPixel(), channels);
            EXPECT_EQ(t->image(0), bottomFirst(image)) << channels;
        }
    }
}

TEST_F(ImageWriterTest, GreyTargaUsesTheOnlyAcceptedDescriptor) {
    Image image(2, 2, 1);
    image.set(0, 0, {1});
    image.set(1, 1, {4});
    const std::string bytes = tgaBytes(image, TgaRows::kTopFirst);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(bytes[17], 8);
    auto t = loadBack("g.tga", bytes);
    ASSERT_TRUE(t->loaded());
    EXPECT_EQ(t->image(0), bottomFirst(image));
}

TEST_F(ImageWriterTest, TargaRejectsImagesItCannotDescribe) {
    Image wide;
    wide.width = 70000;
    wide.height = 1;
    wide.channels = 3;
    EXPECT_THROW(tgaBytes(wide), std::invalid_argument);
    EXPECT_THROW(Image(1, 1, 2), std::invalid_argument);
}

TEST_F(ImageWriterTest, FpfFramesReadBackInEitherRowOrder) {
    const Image first = gradient(3);
    Image second = gradient(3);
    second.set(0, 0, {99, 98, 97});
    for (bool bottom : {false, true}) {
        auto t = loadBack("a.fpf", fpfBytes({first, second}, {.bottomFirst = bottom}));
        ASSERT_TRUE(t->loaded());
        ASSERT_EQ(t->imageCount(), 2);
        EXPECT_EQ(t->image(0), bottomFirst(first));
        EXPECT_EQ(t->image(1), bottomFirst(second));
    }
}

TEST_F(ImageWriterTest, FpfCubeMapNeedsSixFacesPerImage) {
    std::vector<Image> faces;
    for (int f = 0; f < 6; ++f) {
        Image face(2, 2, 4);
        face.set(0, 0, {static_cast<uint8_t>(f), 0, 0, 255});
        faces.push_back(face);
    }
    auto t = loadBack("c.fpf", fpfBytes(faces, {.cubeMap = true}));
    ASSERT_TRUE(t->loaded());
    EXPECT_TRUE(t->cubeMap());
    ASSERT_EQ(t->image(0).size(), 2u * 2 * 4 * 6);
    // Face 3's top left pixel is the first pixel of its second (top) block row.
    EXPECT_EQ(t->image(0)[3 * 16 + 8], 3);

    faces.pop_back();
    EXPECT_THROW(fpfBytes(faces, {.cubeMap = true}), std::invalid_argument);
    EXPECT_THROW(fpfBytes({Image(1, 1, 3), Image(2, 1, 3)}), std::invalid_argument);
}

// Whether any pixel of the font cell for code is opaque white.
bool cellHasInk(const Image& font, int code, int cell) {
    for (int y = 0; y < cell; ++y) {
        for (int x = 0; x < cell; ++x) {
            const uint8_t* p = font.at((code % 16) * cell + x, (code / 16) * cell + y);
            if (p[0] == 255 && p[3] == 255) return true;
        }
    }
    return false;
}

TEST_F(ImageWriterTest, FontImageHasGlyphsOnlyForPrintableCharacters) {
    const Image font = makeFontImage(8);
    ASSERT_EQ(font.width, 128);
    ASSERT_EQ(font.height, 128);
    for (int code = 0; code < 256; ++code) {
        const bool printable = code > 32 && code < 127;
        EXPECT_EQ(fontHasGlyph(code), printable) << code;
        EXPECT_EQ(cellHasInk(font, code, 8), printable) << code;
    }
}

TEST_F(ImageWriterTest, FontGlyphsSitInTheTopRowsOfTheirCellsWithAShadow) {
    const Image font = makeFontImage(8);
    // '|' is a vertical bar in glyph column 2, that is cell column 3, rows 0 to 6.
    const int left = ('|' % 16) * 8, top = ('|' / 16) * 8;
    for (int y = 0; y < 7; ++y) EXPECT_EQ(font.at(left + 3, top + y)[0], 255) << y;
    EXPECT_EQ(font.at(left + 3, top + 7)[3], 0);
    // The shadow lies one pixel down and right, black and opaque.
    const uint8_t* shadow = font.at(left + 4, top + 7);
    EXPECT_EQ(shadow[0], 0);
    EXPECT_EQ(shadow[3], 255);
}

TEST_F(ImageWriterTest, LargerFontCellsScaleEachGlyphPixel) {
    const Image small = makeFontImage(8);
    const Image large = makeFontImage(16);
    ASSERT_EQ(large.width, 256);
    for (int y = 0; y < 256; y += 5) {
        for (int x = 0; x < 256; x += 3)
            ASSERT_EQ(large.at(x, y)[3], small.at(x / 2, y / 2)[3]) << x << "," << y;
    }
    EXPECT_THROW(makeFontImage(12), std::invalid_argument);
    EXPECT_THROW(makeFontImage(0), std::invalid_argument);
}

TEST_F(ImageWriterTest, FontImageLoadsAsAnRgbaTexture) {
    auto t = loadBack("font.tga", tgaBytes(makeFontImage(8)));
    ASSERT_TRUE(t->loaded());
    EXPECT_EQ(t->pixelFormat(), Texture::kFormatRgba);
    EXPECT_EQ(t->width(), 128);
}

// The console's SysFont.fpf: the extension chooses the format, and the engine reads the
// same glyphs the right way up from either file.
TEST_F(ImageWriterTest, FontSavedByExtensionLoadsTheSameAsFpfOrTarga) {
    ASSERT_TRUE(saveFontImage(folder.path() / "SysFont.FPF", 16));
    ASSERT_TRUE(saveFontImage(folder.path() / "font16.tga", 16));
    Texture fpf("SysFont.FPF", false, false, false), tga("font16.tga", false, false, false);
    fpf.stream();
    tga.stream();
    ASSERT_TRUE(fpf.loaded());
    ASSERT_TRUE(tga.loaded());
    EXPECT_EQ(fpf.width(), 256);
    EXPECT_EQ(fpf.height(), 256);
    EXPECT_EQ(fpf.pixelFormat(), Texture::kFormatRgba);
    EXPECT_FALSE(fpf.cubeMap());
    EXPECT_EQ(fpf.image(0), bottomFirst(makeFontImage(16)));
    EXPECT_EQ(tga.image(0), fpf.image(0));
}

}  // namespace
}  // namespace arvel::content
