// The shipped surface techniques (static_default.rt, dynamic_default.rt, static_bump.rt)
// lighting a window-filling square on the real plug-in, once with the GLSL programs and
// once with the ARB assembly ones ("arb" profiles): ambient stage, then the light stage
// added on top. Both pictures must be the same, and every pixel must show a quarter of
// the grey texture plus the texture times the light's colour times Lambert's cosine times
// the linear falloff max(0, 1 - d / outer radius), for light colours above 1 too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/math/Matrix4.h"
#include "fs/FileSystem.h"
#include "gl/varnet_state/StateTest.h"
#include "gl/varnet_vertexarrays/VertexArrayTest.h"
#include "render/Pass.h"
#include "render/PixelShader.h"
#include "render/RenderContext.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "render/Texture.h"
#include "render/VertexProgram.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"
#include "support/SolidTarga.h"
#include "support/TechniqueLoading.h"

namespace arvel::test {
namespace {

constexpr int kGrey = 200;  // the diffuse texture
constexpr float kLightHeight = 0.5f;
constexpr float kRadius = 2.0f;
const float kColour[3] = {1.0f, 0.5f, 0.25f};
// Brighter than 1 in red and green, which must not be clamped to white on the way.
const float kBright[3] = {1.5f, 0.75f, 0.25f};

using Picture = std::vector<Rgba>;

// The square lies in z = 0 with the normal +z and the tangent +x; the light hangs half
// a unit above its centre. Light reaching a point at (x, y) with the normal n:
float expectedShade(float x, float y, const float (&n)[3]) {
    const float to[3] = {-x, -y, kLightHeight};
    const float d = std::sqrt(to[0] * to[0] + to[1] * to[1] + to[2] * to[2]);
    const float lambert = std::max(0.0f, (n[0] * to[0] + n[1] * to[1] + n[2] * to[2]) / d);
    return lambert * std::max(0.0f, 1.0f - d / kRadius);
}

class DefaultLighting : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(mountOnly(folder));
        ASSERT_TRUE(mountShippedData());
        folder.write("grey.tga", solidTarga(2, 2, kGrey, kGrey, kGrey));
        folder.write("flat.tga", solidTarga(2, 2, 128, 128, 255));
        folder.write("tipped.tga", solidTarga(2, 2, 255, 128, 128));  // leaning onto the tangent

        square.addRect(0, 0, kSize, kSize, {255, 255, 255, 255});
        array = gDriver.dVAAlloc(square.count(), 0x10F, dcode::kMemorySystem);
        ASSERT_NE(array, nullptr);
        gDriver.dVAWriteVertsArray(array, square.vertices.data(), square.count());

        context.setObject(nullptr, &identity);
        useColour(kColour);
    }

    void TearDown() override {
        gDriver.dDisableVertexProgram();
        gDriver.dDisablePixelShader();
        if (array) gDriver.dVAFree(array);
        programs.clear();
        textures.clear();
        materialTextures.clear();
        fileSystem().clear();
        gDriver.dSetVPProfile("best");
        gDriver.dSetFPProfile("best");
        StateTest::TearDown();
    }

    void useColour(const float (&rgb)[3]) {
        std::copy(std::begin(rgb), std::end(rgb), colour);
        context.setLight(nullptr, &light, colour, &radius);
    }

    // The technique compiled with both stages' profiles set to `profile`, in registries
    // of its own so nothing compiled for another profile is shared.
    RenderTechnique* compile(const std::string& script, const char* profile) {
        gDriver.dSetVPProfile(profile);
        gDriver.dSetFPProfile(profile);
        programs.clear();
        return loadInto(programs, new RenderTechnique(script, &programs, &textures));
    }

    void drawPasses(const PassList& passes, const std::vector<Texture*>& materialTextures) {
        const std::vector<uint32_t> indices = rectIndices(1);
        for (const Pass* pass : passes) {
            pass->apply();
            pass->applyObject(context);
            pass->bindMaterialTextures(materialTextures);
            gDriver.dVARender(array, indices.data(), static_cast<unsigned>(indices.size()),
                              dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
            pass->endObject(context);
            pass->end();
        }
    }

    // The frame as the world draws a lit surface: ambient, then the light added.
    Picture render(const RenderTechnique& technique, const std::vector<std::string>& maps) {
        std::vector<Texture*> material;
        for (const std::string& name : maps) material.push_back(materialTexture(name));
        clear(0, 0, 0, 0);
        drawPasses(technique.ambientPasses(), material);
        drawPasses(technique.lightPasses(), material);
        Picture picture;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) picture.push_back(readPixel(x, y));
        return picture;
    }

    // Material textures live as long as the test, so a unit may go on holding one.
    Texture* materialTexture(const std::string& name) {
        if (auto* texture = dynamic_cast<Texture*>(materialTextures.find(name.c_str())))
            return texture;
        auto* texture = new Texture(name.c_str(), true, true, false);
        texture->stream();
        materialTextures.add(texture);
        return texture;
    }

    // Every 8th pixel against ambient + lit grey; the number that differ by more than
    // two levels in a channel.
    int pixelsOffTheModel(const Picture& picture, const float (&normal)[3]) const {
        int off = 0;
        for (int y = 4; y < kSize; y += 8) {
            for (int x = 4; x < kSize; x += 8) {
                const float shade =
                    expectedShade(ndc(x) + 1.0f / kSize, ndc(y) + 1.0f / kSize, normal);
                const Rgba& p = picture[static_cast<size_t>(y) * kSize + x];
                bool near = true;
                for (int c = 0; c < 3; ++c) {
                    const float want = std::min(255.0f, kGrey / 4.0f + kGrey * colour[c] * shade);
                    near = near && std::fabs(p[c] - want) <= 2.0f;
                }
                if (!near && off++ < 3)
                    ADD_FAILURE() << "pixel " << x << ", " << y << ": " << describe(p) << ", shade "
                                  << shade;
            }
        }
        return off;
    }

    // The largest difference of any channel of any pixel.
    static int largestDifference(const Picture& a, const Picture& b) {
        int largest = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); ++i)
            for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(a[i][c] - b[i][c]));
        return largest;
    }

    // The GLSL and the ARB picture of a technique and material, checked against each
    // other and against the lighting model; the ARB one is returned.
    Picture bothPaths(const std::string& script, const std::vector<std::string>& maps,
                      const float (&normal)[3]) {
        RenderTechnique* glsl = compile(script, "glsl");
        if (!glsl) return {};
        EXPECT_TRUE(runs(*glsl, ".frag"));
        const Picture glslPicture = render(*glsl, maps);
        EXPECT_EQ(pixelsOffTheModel(glslPicture, normal), 0) << script << " through GLSL";

        RenderTechnique* arb = compile(script, "arb");
        if (!arb) return {};
        EXPECT_TRUE(runs(*arb, ".fp"));
        const Picture arbPicture = render(*arb, maps);
        EXPECT_EQ(pixelsOffTheModel(arbPicture, normal), 0) << script << " through ARB";
        EXPECT_LE(largestDifference(glslPicture, arbPicture), 2) << script;
        return arbPicture;
    }

    // Both stages of every pass have programs whose last file ends in `suffix`.
    static ::testing::AssertionResult runs(const RenderTechnique& technique,
                                           const std::string& suffix) {
        for (const PassList* passes : {&technique.ambientPasses(), &technique.lightPasses()}) {
            for (const Pass* pass : *passes) {
                if (!pass->vertexProgram || !pass->pixelShader)
                    return ::testing::AssertionFailure() << "a pass without programs";
                const std::string& name = pass->pixelShader->name();
                if (name.size() < suffix.size() ||
                    name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                    return ::testing::AssertionFailure() << "the pass runs " << name;
            }
        }
        return ::testing::AssertionSuccess();
    }

    TempDir folder;
    ResourceRegistry programs;
    ResourceRegistry textures;
    ResourceRegistry materialTextures;
    RenderContext context;
    MeshData square;
    DVertexArray* array = nullptr;
    Matrix4 identity;
    Vector4 light{0.0f, 0.0f, kLightHeight, 1.0f};
    float radius = kRadius;
    float colour[3] = {};
};

constexpr float kUp[3] = {0, 0, 1};

TEST_F(DefaultLighting, StaticSurfacesLightAlikeThroughGlslAndArb) {
    const Picture picture = bothPaths("static_default.rt", {"grey.tga"}, kUp);
    ASSERT_FALSE(picture.empty());
    // Under the light: a quarter of the grey plus three quarters of the light.
    const Rgba centre = picture[static_cast<size_t>(kSize / 2) * kSize + kSize / 2];
    EXPECT_NEAR(centre[0], 50 + 150, 2) << describe(centre);
    EXPECT_NEAR(centre[2], 50 + 150 / 4, 2) << describe(centre);
}

TEST_F(DefaultLighting, DynamicMeshesLightAlikeThroughGlslAndArb) {
    bothPaths("dynamic_default.rt", {"grey.tga"}, kUp);
}

TEST_F(DefaultLighting, FlatNormalMapLightsLikeTheSurfaceNormal) {
    bothPaths("static_bump.rt", {"grey.tga", "flat.tga"}, kUp);
}

TEST_F(DefaultLighting, TippedNormalMapLightsOnlyTheSideTheTangentFaces) {
    const Picture picture = bothPaths("static_bump.rt", {"grey.tga", "tipped.tga"}, {1, 0, 0});
    ASSERT_FALSE(picture.empty());
    // The normal leans along +x towards a light that lies towards -x on the right half.
    const Rgba right = picture[static_cast<size_t>(kSize / 2) * kSize + kSize * 3 / 4];
    const Rgba left = picture[static_cast<size_t>(kSize / 2) * kSize + kSize / 4];
    EXPECT_NEAR(right[0], kGrey / 4, 2) << describe(right);
    EXPECT_GT(left[0], kGrey / 4 + 40) << describe(left);
}

// Drawn after a tipped map, so the unit still held it if a missing map left it bound.
TEST_F(DefaultLighting, MaterialWithoutNormalMapIsLitAsIfFlat) {
    bothPaths("static_bump.rt", {"grey.tga", "tipped.tga"}, {1, 0, 0});
    bothPaths("static_bump.rt", {"grey.tga"}, kUp);
}

TEST_F(DefaultLighting, LightsBrighterThanOneKeepTheirHueOnEveryProgramPath) {
    useColour(kBright);
    for (const char* script : {"static_default.rt", "dynamic_default.rt", "static_bump.rt"}) {
        const Picture picture = bothPaths(script, {"grey.tga"}, kUp);
        ASSERT_FALSE(picture.empty()) << script;
        // Off the centre, where red does not saturate: the light's part of red is twice
        // that of green, as 1.5 is to 0.75.
        const Rgba side = picture[static_cast<size_t>(kSize / 2) * kSize + kSize / 8];
        ASSERT_LT(side[0], 250) << script << " " << describe(side);
        const float red = side[0] - kGrey / 4.0f, green = side[1] - kGrey / 4.0f;
        ASSERT_GT(green, 10.0f) << script << " " << describe(side);
        EXPECT_NEAR(red / green, 2.0f, 0.1f) << script << " " << describe(side);
    }
}

TEST_F(DefaultLighting, BestProfileTakesGlslWhereTheDriverHasIt) {
    RenderTechnique* technique = compile("static_default.rt", "best");
    ASSERT_NE(technique, nullptr);
    EXPECT_TRUE(runs(*technique, ".frag"));
}

}  // namespace
}  // namespace arvel::test
