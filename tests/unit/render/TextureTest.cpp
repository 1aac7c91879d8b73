#include "render/Texture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "console/Settings.h"
#include "core/Exception.h"
#include "support/ExceptionText.h"

namespace arvel {
namespace {

using test::bytes;
using test::drainPostedCloses;
using test::fpfFile;
using test::targaFile;
using test::TargaHeader;

DTexture* fakeHandle() {
    static int storage;
    return reinterpret_cast<DTexture*>(&storage);
}

std::vector<uint8_t> block(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) out.push_back(static_cast<uint8_t>(v));
    return out;
}

class TextureTest : public test::RenderTest {
protected:
    // Streams a texture of the given name from the given file contents.
    Texture& load(const std::string& name, const std::string& contents, bool mipmaps = true,
                  bool exactSize = true, bool compress = true) {
        provide(name, contents);
        texture = std::make_unique<Texture>(name, mipmaps, exactSize, compress);
        texture->stream();
        return *texture;
    }
    // Loads and returns what the boxes said.
    std::string loadReporting(const std::string& name, const std::string& contents) {
        return boxesOf([&] { load(name, contents); });
    }

    std::unique_ptr<Texture> texture;
};

// Two rows of two pixels, as the file writes them: blue, green, red.
const std::string kTwoByTwoBgr = bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});

TEST_F(TextureTest, TargaBottomFirstKeepsRowOrderAndStoresRedFirst) {
    Texture& t = load("a.tga", targaFile({.width = 2, .height = 2, .depth = 24}, kTwoByTwoBgr));
    ASSERT_TRUE(t.loaded());
    EXPECT_EQ(t.width(), 2);
    EXPECT_EQ(t.height(), 2);
    EXPECT_EQ(t.pixelFormat(), Texture::kFormatRgb);
    EXPECT_EQ(t.bytesPerPixel(), 3);
    EXPECT_EQ(t.imageCount(), 1);
    EXPECT_EQ(t.image(0), block({3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
}

TEST_F(TextureTest, TargaTopFirstPutsTheFirstFileRowAtTheTopOfTheBlock) {
    Texture& t = load("a.tga", targaFile({.width = 2, .height = 2, .depth = 24, .descriptor = 0x20},
                                         kTwoByTwoBgr));
    ASSERT_TRUE(t.loaded());
    EXPECT_EQ(t.image(0), block({9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));
}

TEST_F(TextureTest, Targa32BitStoresRedGreenBlueAlpha) {
    Texture& t = load("a.tga", targaFile({.width = 1, .height = 1, .depth = 32, .descriptor = 8},
                                         bytes({10, 20, 30, 40})));
    ASSERT_TRUE(t.loaded());
    EXPECT_EQ(t.pixelFormat(), Texture::kFormatRgba);
    EXPECT_EQ(t.image(0), block({30, 20, 10, 40}));
}

TEST_F(TextureTest, TargaIdentificationFieldIsSkipped) {
    Texture& t = load("a.tga", targaFile({.idLength = 5, .width = 1, .height = 1, .depth = 24},
                                         bytes({1, 2, 3})));
    ASSERT_TRUE(t.loaded());
    EXPECT_EQ(t.image(0), block({3, 2, 1}));
}

TEST_F(TextureTest, GreyTargaLoadsOnlyWithDescriptorEight) {
    const std::string said = loadReporting(
        "g.tga", targaFile({.imageType = 3, .width = 1, .height = 1, .depth = 8}, bytes({7})));
    EXPECT_FALSE(texture->loaded());
    EXPECT_NE(said.find("Targa Image g.tga is of an unsupported format.\nSupported are 8,24,32 bpp "
                        "unmapped images, (0 3 0, 8)"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("Texture at row 183"), std::string::npos) << said;
    EXPECT_EQ(drainPostedCloses(), 1);

    Texture& t = load(
        "g.tga", targaFile({.imageType = 3, .width = 2, .height = 1, .depth = 8, .descriptor = 8},
                           bytes({7, 9})));
    ASSERT_TRUE(t.loaded());
    EXPECT_EQ(t.pixelFormat(), Texture::kFormatLuminance);
    EXPECT_EQ(t.image(0), block({7, 9}));
}

// Every bad file leaves the texture unloaded with one fatal box saying why.
struct BadFile {
    const char* name;
    std::string contents;
    const char* message;
    int row = 0;  // the fixed location line, where there is one
};

TEST_F(TextureTest, BadImageFilesAreReportedAndLeftUnloaded) {
    const BadFile cases[] = {
        {"rle.tga", targaFile({.imageType = 10, .width = 1, .height = 1}, bytes({0, 0, 0, 0})),
         "(0 10 0, 24)"},
        {"map.tga", targaFile({.mapType = 1, .width = 1, .height = 1}, bytes({0, 0, 0})),
         "(1 2 0, 24)"},
        {"bit4.tga", targaFile({.width = 1, .height = 1, .descriptor = 0x10}, bytes({1, 2, 3})),
         "(0 2 16, 24)"},
        {"16.tga", targaFile({.width = 1, .height = 1, .depth = 16}, bytes({1, 2})),
         "Supported are 8,24,32 bpp unmapped images\n", 204},
        {"short.tga", targaFile({.width = 2, .height = 2}, kTwoByTwoBgr.substr(0, 11)),
         "Targa Image short.tga is truncated: its pixels need 12 bytes, the file has 11 left"},
        {"header.tga", bytes({0, 0, 2, 0, 0}),
         "Targa Image header.tga is truncated: the file has 5 bytes"},
        {"huge.tga", targaFile({.width = 65535, .height = 65535, .depth = 32}, bytes({1, 2, 3, 4})),
         "need 17179344900 bytes, the file has 4 left"},
        {"empty.tga", targaFile({.width = 0, .height = 4}, ""), "has no pixels (0 x 4)"},
        {"image.bmp", "BM", "Unknown file format, file image.bmp", 412},
        {"two.fpf", fpfFile(0, 1, 1, 1, 2, bytes({1, 2})),
         "FPF image two.fpf has 2 bytes per pixel"},
        {"count.fpf", fpfFile(0, -1, 1, 1, 3, "abc"), "has no pixels (-1 images of 1 x 1)"},
        {"width.fpf", fpfFile(0, 1, 0, 1, 3, ""), "has no pixels"},
        {"overflow.fpf", fpfFile(1, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 4, "abcd"),
         "FPF image overflow.fpf is truncated"},
        {"frames.fpf", fpfFile(0, 2, 1, 1, 3, bytes({1, 2, 3, 4})),
         "need 6 bytes, the file has 4 left"},
        {"header.fpf", bytes({0, 0, 0}), "FPF image header.fpf is truncated: the file has 3 bytes"},
    };
    for (const BadFile& bad : cases) {
        const std::string said = loadReporting(bad.name, bad.contents);
        EXPECT_FALSE(texture->loaded()) << bad.name;
        EXPECT_EQ(texture->imageCount(), 0) << bad.name;
        EXPECT_EQ(texture->width(), 0) << bad.name;
        EXPECT_NE(said.find(bad.message), std::string::npos) << bad.name << ": " << said;
        EXPECT_EQ(drainPostedCloses(), 1) << bad.name;
        if (bad.row) {
            EXPECT_NE(said.find("Texture at row " + std::to_string(bad.row)), std::string::npos)
                << said;
        }
    }
}

TEST_F(TextureTest, ExtensionChoosesTheLoaderIgnoringCase) {
    EXPECT_TRUE(load("UPPER.TGA", targaFile({.width = 1, .height = 1}, bytes({1, 2, 3}))).loaded());
    // Without a dot fourth from the end there is no extension: nothing, silently.
    const std::string said =
        loadReporting("photo.jpeg", targaFile({.width = 1, .height = 1}, bytes({1, 2, 3})));
    EXPECT_FALSE(texture->loaded());
    EXPECT_EQ(said, "");
    EXPECT_EQ(drainPostedCloses(), 0);
}

TEST_F(TextureTest, MissingFileLeavesTheTextureUnloadedWithoutMessage) {
    Texture t("nowhere.tga", true, true, true);
    EXPECT_EQ(boxesOf([&] { t.stream(); }), "");
    EXPECT_FALSE(t.loaded());
}

// A source that claims files are one byte longer than they are, so reading fails.
class LyingSource : public CommonFile {
public:
    int tell(FileHandle* handle) override { return CommonFile::tell(handle) + 1; }
};

TEST_F(TextureTest, FileSourceFailureIsWrappedWithTheTextureName) {
    fileSystem().clear();
    const std::string prefix = folder.path().string() + "/";
    ASSERT_TRUE(fileSystem().mount(new LyingSource(), prefix.c_str()));
    provide("a.tga", targaFile({.width = 1, .height = 1}, bytes({1, 2, 3})));
    Texture t("a.tga", true, true, true);
    const std::string text = test::exceptionText([&] { t.stream(); });
    EXPECT_NE(text.find("(Material\\Texture:"), std::string::npos) << text;
    EXPECT_NE(text.find("Couldn't stream texture a.tga\n"), std::string::npos) << text;
    EXPECT_FALSE(t.loaded());
}

TEST_F(TextureTest, FpfRowsWithoutBlockOrderFlagAreFlipped) {
    Texture& t = load("a.fpf", fpfFile(0, 1, 2, 2, 3, kTwoByTwoBgr));
    ASSERT_TRUE(t.loaded());
    EXPECT_FALSE(t.cubeMap());
    EXPECT_EQ(t.image(0), block({9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(t.wrapS(), Texture::kWrapRepeat);
}

TEST_F(TextureTest, FpfRowsInBlockOrderAreKept) {
    Texture& t = load("a.fpf", fpfFile(2, 1, 2, 2, 3, kTwoByTwoBgr));
    ASSERT_TRUE(t.loaded());
    EXPECT_EQ(t.image(0), block({3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}));
}

TEST_F(TextureTest, FpfFramesAndOneBytePixels) {
    Texture& t = load("a.fpf", fpfFile(2, 3, 1, 1, 1, bytes({5, 6, 7})));
    ASSERT_TRUE(t.loaded());
    EXPECT_EQ(t.pixelFormat(), Texture::kFormatLuminance);
    ASSERT_EQ(t.imageCount(), 3);
    EXPECT_EQ(t.image(2), block({7}));
}

TEST_F(TextureTest, FpfCubeMapHoldsSixFacesAndClampsAllWraps) {
    std::string pixels;
    for (int face = 0; face < 6; ++face) pixels.append(16 * 16 * 4, static_cast<char>(face));
    Texture& t = load("cube.fpf", fpfFile(1, 1, 16, 16, 4, pixels));
    ASSERT_TRUE(t.loaded());
    EXPECT_TRUE(t.cubeMap());
    ASSERT_EQ(t.imageCount(), 1);
    ASSERT_EQ(t.image(0).size(), 16u * 16 * 4 * 6);
    // Face 5 starts after five faces; its bytes are all 5.
    EXPECT_EQ(t.image(0)[5 * 16 * 16 * 4], 5);
    EXPECT_EQ(t.wrapS(), Texture::kWrapClamp);
    EXPECT_EQ(t.wrapT(), Texture::kWrapClamp);
    EXPECT_EQ(t.wrapR(), Texture::kWrapClamp);
}

TEST_F(TextureTest, LoadingAgainReplacesThePreviousPixels) {
    Texture& t = load("a.fpf", fpfFile(1, 1, 1, 1, 1, bytes({1, 2, 3, 4, 5, 6})));
    ASSERT_TRUE(t.cubeMap());
    provide("a.fpf", fpfFile(0, 1, 1, 1, 3, bytes({1, 2, 3})));
    t.stream();
    EXPECT_TRUE(t.loaded());
    EXPECT_FALSE(t.cubeMap());
    EXPECT_EQ(t.image(0), block({3, 2, 1}));
}

class TextureUploadTest : public TextureTest {
protected:
    TextureUploadTest() {
        driver.setResult("dRegisterTexture", fakeHandle());
        compressSetting = settings().gfxTexcompress.flag;
    }
    ~TextureUploadTest() override { settings().gfxTexcompress.flag = compressSetting; }

    Texture& loadRgb(bool mipmaps, bool exactSize, bool compress) {
        Texture& t = load("a.tga", targaFile({.width = 2, .height = 1}, bytes({1, 2, 3, 4, 5, 6})),
                          mipmaps, exactSize, compress);
        driver.clearCalls();
        return t;
    }

    bool compressSetting;
};

TEST_F(TextureUploadTest, FirstActivationRegistersThenSendsFilterAndWrapThenBinds) {
    Texture& t = loadRgb(true, true, true);
    t.activate(3);
    const std::vector<std::string> expected = {"dRegisterTexture(ptr, 2, 1, 512, 1, 1, 1, 1, 1)",
                                               "dSetTextureParam(ptr, 304, 18)",
                                               "dSetTextureParam(ptr, 305, 2)",
                                               "dSetTextureParam(ptr, 306, 2)",
                                               "dSetTextureParam(ptr, 307, 2)",
                                               "dActivateTexture(ptr, 3, 0)"};
    EXPECT_EQ(driver.calls(), expected);
    EXPECT_EQ(t.handle(), fakeHandle());

    driver.clearCalls();
    t.activate(1);
    EXPECT_EQ(driver.calls(), std::vector<std::string>{"dActivateTexture(ptr, 1, 0)"});
}

TEST_F(TextureUploadTest, CompressionNeedsBothTheSettingAndTheTextureFlag) {
    settings().gfxTexcompress.flag = false;
    loadRgb(false, false, true).activate(0);
    EXPECT_EQ(driver.calls().front(), "dRegisterTexture(ptr, 2, 1, 512, 1, 1, 0, 0, 0)");

    settings().gfxTexcompress.flag = true;
    loadRgb(false, true, false).activate(0);
    EXPECT_EQ(driver.calls().front(), "dRegisterTexture(ptr, 2, 1, 512, 1, 1, 0, 1, 0)");

    loadRgb(false, false, true).activate(0);
    EXPECT_EQ(driver.calls().front(), "dRegisterTexture(ptr, 2, 1, 512, 1, 1, 0, 0, 1)");
}

TEST_F(TextureUploadTest, CubeMapIsRegisteredAsKind514WithClampedWraps) {
    Texture& t = load("c.fpf", fpfFile(1, 1, 1, 1, 4, std::string(24, 'x')));
    driver.clearCalls();
    t.activate(0);
    const std::vector<std::string> expected = {"dRegisterTexture(ptr, 1, 1, 514, 2, 1, 1, 1, 1)",
                                               "dSetTextureParam(ptr, 304, 18)",
                                               "dSetTextureParam(ptr, 305, 1)",
                                               "dSetTextureParam(ptr, 306, 1)",
                                               "dSetTextureParam(ptr, 307, 1)",
                                               "dActivateTexture(ptr, 0, 0)"};
    EXPECT_EQ(driver.calls(), expected);
}

// The pixel blocks the driver was handed, captured while it is registered.
std::vector<std::vector<uint8_t>> gRegistered;
DTexture* captureRegister(const void* const* images, int width, int height, int, int format,
                          int imageCount, dbool, dbool, dbool) {
    gRegistered.clear();
    const size_t size = static_cast<size_t>(width * height * (format == 2 ? 4 : 3));
    for (int i = 0; i < imageCount; ++i) {
        const auto* p = static_cast<const uint8_t*>(images[i]);
        gRegistered.emplace_back(p, p + size);
    }
    return fakeHandle();
}

TEST_F(TextureUploadTest, DriverReceivesTheConvertedPixelsOfEveryFrame) {
    Texture& t = load("f.fpf", fpfFile(2, 2, 1, 1, 3, bytes({1, 2, 3, 4, 5, 6})));
    gDriver.dRegisterTexture = captureRegister;
    t.activate(0);
    ASSERT_EQ(gRegistered.size(), 2u);
    EXPECT_EQ(gRegistered[0], block({3, 2, 1}));
    EXPECT_EQ(gRegistered[1], block({6, 5, 4}));
}

TEST_F(TextureUploadTest, UnloadedTextureBindsNullAndRegistersNothing) {
    Texture t("missing.tga", true, true, true);
    t.stream();
    t.activate(2);
    EXPECT_EQ(driver.calls(), std::vector<std::string>{"dActivateTexture(null, 2, 0)"});
}

TEST_F(TextureUploadTest, SetParamOnUnloadedTextureOnlyStoresTheValue) {
    Texture t("missing.tga", true, true, true);
    t.setParam(Texture::kParamFilter, 2);
    t.setParam(Texture::kParamWrapT, 1);
    t.setParam(999, 5);
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_EQ(t.filter(), 2);
    EXPECT_EQ(t.wrapT(), 1);
    EXPECT_EQ(t.wrapS(), Texture::kWrapRepeat);
}

TEST_F(TextureUploadTest, SetParamOnLoadedTextureRegistersFirstThenSendsTheValue) {
    Texture& t = loadRgb(true, true, true);
    t.setParam(Texture::kParamFilter, 2);
    const std::vector<std::string> expected = {"dRegisterTexture(ptr, 2, 1, 512, 1, 1, 1, 1, 1)",
                                               "dSetTextureParam(ptr, 304, 18)",
                                               "dSetTextureParam(ptr, 305, 2)",
                                               "dSetTextureParam(ptr, 306, 2)",
                                               "dSetTextureParam(ptr, 307, 2)",
                                               "dSetTextureParam(ptr, 304, 2)"};
    EXPECT_EQ(driver.calls(), expected);
    EXPECT_EQ(t.filter(), 2);
}

TEST_F(TextureUploadTest, FailedRegistrationSendsNoParameters) {
    driver.setResult("dRegisterTexture", static_cast<DTexture*>(nullptr));
    Texture& t = loadRgb(true, true, true);
    t.setParam(Texture::kParamWrapS, 1);
    EXPECT_EQ(driver.calls(),
              std::vector<std::string>{"dRegisterTexture(ptr, 2, 1, 512, 1, 1, 1, 1, 1)"});
}

void setFactors(DTexture*, float* s, float* t) {
    *s = 0.5f;
    *t = 0.25f;
}

TEST_F(TextureUploadTest, NormalizationFactorsComeFromTheRegisteredTexture) {
    Texture& t = loadRgb(false, false, true);
    gDriver.dGetNormalizationFactors = setFactors;
    float s = 0, tt = 0;
    t.getNormalizationFactors(&s, &tt);
    EXPECT_EQ(driver.countOf("dRegisterTexture"), 1);
    EXPECT_FLOAT_EQ(s, 0.5f);
    EXPECT_FLOAT_EQ(tt, 0.25f);
}

TEST_F(TextureUploadTest, DestroyingRemovesTheDriverTexture) {
    loadRgb(true, true, true).activate(0);
    driver.clearCalls();
    texture.reset();
    EXPECT_EQ(driver.calls(), std::vector<std::string>{"dRemoveTexture(ptr)"});
}

TEST_F(TextureUploadTest, BlankTextureHoldsOnesForTheFirstImageOnly) {
    Texture t("blank", false, false, false);
    t.createBlank(2, 3, 0x22, 3);
    EXPECT_TRUE(t.loaded());
    EXPECT_EQ(t.pixelFormat(), 0x22);
    EXPECT_EQ(t.bytesPerPixel(), 4);
    ASSERT_EQ(t.imageCount(), 3);
    ASSERT_EQ(t.image(0).size(), 2u * 3 * 16);
    float last;
    std::memcpy(&last, t.image(0).data() + t.image(0).size() - 4, 4);
    EXPECT_EQ(last, 1.0f);
    EXPECT_TRUE(t.image(1).empty());
    t.activate(0);
    EXPECT_EQ(driver.calls().front(), "dRegisterTexture(ptr, 2, 3, 512, 34, 3, 0, 0, 0)");

    t.createBlank(1, 1, 0x14, 1);
    EXPECT_EQ(t.bytesPerPixel(), 1);
    t.createBlank(1, 1, 0x11, 0);  // no image count still gives the filled first image
    EXPECT_EQ(t.bytesPerPixel(), 3);
    ASSERT_EQ(t.imageCount(), 1);
    EXPECT_EQ(t.image(0).size(), 16u);
}

}  // namespace
}  // namespace arvel
