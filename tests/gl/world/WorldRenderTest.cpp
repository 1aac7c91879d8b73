// A whole frame of the World on the real plug-in: two rooms joined by a door, one
// point light in each, drawn with the game's own techniques and shaders. The picture
// is read back before any swap and written as "world_two_rooms.png" in the test
// folder of the build for looking at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "FpfWriter.h"
#include "NormalizationCubeMap.h"
#include "OtmWriter.h"
#include "TgaWriter.h"
#include "console/Settings.h"
#include "core/Exception.h"
#include "core/PngFile.h"
#include "core/Zone.h"
#include "driver/Driver.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "render/Pass.h"
#include "render/PixelShader.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "shared/TempDir.h"
#include "support/ExceptionText.h"
#include "support/GLFixture.h"
#include "world/Camera.h"
#include "world/Map.h"
#include "world/Sector.h"
#include "world/World.h"

namespace arvel::test {
namespace {

using namespace content;

constexpr uint8_t kGrey = 200;  // the walls' diffuse texture
constexpr int kAmbient = kGrey / 4;

// Two 4 x 3 x 4 rooms along +x, a 1 x 2 door between them, a white light in room 0
// and a warm one in room 1, both reaching 6 units and casting CPU-built shadows.
OtmMap twoLitRooms(const std::string& technique = "static_default.rt",
                   const std::vector<std::string>& textures = {"grey.tga"}) {
    RoomChainOptions options;
    options.technique = technique;
    OtmMap map = roomChain(options);
    for (OtmSector& sector : map.sectors)
        for (OtmMaterial& material : sector.mesh.body.materials) material.textures = textures;
    OtmLight white;
    white.position = {2.0f, 2.5f, 2.0f, 0.0f};
    white.outerRadius = 6.0f;
    OtmLight warm = white;
    warm.position = {6.0f, 2.5f, 2.0f, 0.0f};
    warm.colour[0] = 1.0f, warm.colour[1] = 0.6f, warm.colour[2] = 0.2f;
    map.lights = {white, warm};
    map.sectors[0].lights = {0};
    map.sectors[1].lights = {1};
    return map;
}

class WorldRendering : public VarnetTest {
protected:
    void SetUp() override {
        VarnetTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (!zone().base) zone().create();
        createRenderQueue();

        Image grey(4, 4, 3);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) grey.set(x, y, {kGrey, kGrey, kGrey});
        folder.write("grey.tga", tgaBytes(grey));
        FpfOptions cube;
        cube.cubeMap = true;
        folder.write("default.fpf", fpfBytes(normalizationCubeMap(8), cube));
        // Straight up in tangent space: the surface's own normal.
        Image flat(4, 4, 3);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) flat.set(x, y, {128, 128, 255});
        folder.write("flat.tga", tgaBytes(flat));
        folder.write("bump.otm", otmBytes(twoLitRooms("static_bump.rt", {"grey.tga", "flat.tga"})));
        // Tipped all the way over to the surface's tangent.
        Image tipped(4, 4, 3);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) tipped.set(x, y, {255, 128, 128});
        folder.write("tipped.tga", tgaBytes(tipped));
        folder.write("tipped.otm",
                     otmBytes(twoLitRooms("static_bump.rt", {"grey.tga", "tipped.tga"})));
        folder.write("test.otm", otmBytes(twoLitRooms()));
        // White survives texture compression exactly, so lit levels can be computed.
        Image white(4, 4, 3);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) white.set(x, y, {255, 255, 255});
        folder.write("white.tga", tgaBytes(white));
        folder.write("white.otm", otmBytes(twoLitRooms("static_default.rt", {"white.tga"})));

        // As the game mounts its data: the level's folder, then the shipped scripts
        // and their shaders.
        fileSystem().clear();
        const std::string data = std::string(ARVEL_SOURCE_DIR) + "/data/";
        for (const std::string& prefix : {folder.path().string() + "/", data, data + "shaders/"})
            ASSERT_TRUE(fileSystem().mount(new CommonFile(), prefix.c_str())) << prefix;

        gDriver.dEnableDepth();
        gDriver.dEnableCull();
        ASSERT_NO_FATAL_FAILURE(rebuild("best", level()));
    }

    virtual const char* level() const { return "test.otm"; }

    // A new World whose techniques are compiled for the program profile (both stages),
    // with the level loaded into it.
    void rebuild(const char* profile, const char* levelFile) {
        map = nullptr;
        world.reset();
        gDriver.dSetVPProfile(profile);
        gDriver.dSetFPProfile(profile);
        const std::string error =
            exceptionText([&] { world = std::make_unique<World>(nullptr, kSize, kSize); });
        ASSERT_NE(world, nullptr) << error;
        map = world->loadMap(levelFile);
        ASSERT_EQ(map->sectorCount(), 2);
    }

    void TearDown() override {
        world.reset();
        gDriver.dSetVPProfile("best");
        gDriver.dSetFPProfile("best");
        destroyRenderQueue();
        fileSystem().clear();
        VarnetTest::TearDown();
    }

    // The game's frame: clear everything, then the world from (x, y, z) along yaw.
    void renderFrame(float x, float y, float z, float yaw) {
        gDriver.dDepthMask(1);
        gDriver.dColorMask(1, 1, 1, 1);
        gDriver.dEnableDepth();
        gDriver.dClearColor(0, 0, 0, 1.0f);
        gDriver.dDisableScissor();
        gDriver.dSetClear(7);
        gDriver.dClearBuffer();
        camera.setPosition(x, y, z, 0);
        camera.setOrientation(0, yaw, 0, 0);
        world->render(camera.updateView());
    }

    // The back buffer as a PNG (rows top first) under the build's test folder.
    void savePng(const std::string& name) const {
        std::vector<uint8_t> rgb(static_cast<size_t>(kSize) * kSize * 3);
        for (int row = 0; row < kSize; ++row) {
            for (int x = 0; x < kSize; ++x) {
                const auto p = readPixel(x, kSize - 1 - row);
                std::copy(p.begin(), p.begin() + 3,
                          &rgb[(static_cast<size_t>(row) * kSize + x) * 3]);
            }
        }
        std::ofstream out(std::string(ARVEL_TEST_BIN_DIR) + "/" + name, std::ios::binary);
        out << encodePng(kSize, kSize, rgb.data());
    }

    std::vector<Rgba> frame() const {
        std::vector<Rgba> pixels;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) pixels.push_back(readPixel(x, y));
        return pixels;
    }

    int brightness(int x, int y) const {
        const auto p = readPixel(x, y);
        return std::max({p[0], p[1], p[2]});
    }

    TempDir folder;
    Camera camera;
    std::unique_ptr<World> world;
    Map* map = nullptr;
};

TEST_F(WorldRendering, LitRoomsCoverTheWindowWithNothingBlack) {
    renderFrame(1.0f, 1.5f, 2.0f, 90.0f);  // in room 0, facing the door
    savePng("world_two_rooms.png");

    ASSERT_EQ(world->visibleSet().sectors.size(), 2u) << "room 1 culled or not seen";
    EXPECT_EQ(visibleLightCount(), 2);

    // Every pixel shows a wall with at least its ambient light: no hole, and no
    // pixel a NaN in a shader turned black.
    int darkest = 255, brightest = 0;
    for (int y = 0; y < kSize; y += 2) {
        for (int x = 0; x < kSize; x += 2) {
            const int value = brightness(x, y);
            darkest = std::min(darkest, value);
            brightest = std::max(brightest, value);
        }
    }
    EXPECT_GE(darkest, kAmbient - 4);
    // The walls near the light are lit well beyond the ambient level.
    EXPECT_GT(brightest, 2 * kAmbient);
}

TEST_F(WorldRendering, FarWallIsLitAndTheNextRoomShowsItsOwnLight) {
    renderFrame(1.0f, 1.5f, 2.0f, 90.0f);
    // Left of the door: room 0's far wall under the white light.
    const auto wall = readPixel(kSize / 4, kSize / 2);
    EXPECT_GT(wall[0], kAmbient + 40) << describe(wall);
    EXPECT_NEAR(wall[0], wall[2], 8) << "white light on grey is grey " << describe(wall);
    // Through the door: room 1's far wall under the warm light, red over blue.
    const auto beyond = readPixel(kSize / 2, kSize / 2);
    EXPECT_GT(beyond[0], kAmbient + 20) << describe(beyond);
    EXPECT_GT(beyond[0], beyond[2] + 20) << describe(beyond);
}

TEST_F(WorldRendering, FacingAwayFromTheDoorOnlyTheRoomAndItsLightRemain) {
    renderFrame(3.0f, 1.5f, 2.0f, -90.0f);
    EXPECT_EQ(world->visibleSet().sectors.size(), 1u);
    EXPECT_EQ(visibleLightCount(), 1);
    const auto wall = readPixel(kSize / 2, kSize / 2);
    EXPECT_GT(wall[0], kAmbient + 20) << describe(wall);
}

TEST_F(WorldRendering, OcclusionCullingDropsTheRoomThatDrawsNoPixels) {
    ASSERT_TRUE(gDriver.dOcclusionCulling());
    renderFrame(1.0f, 1.5f, 2.0f, 90.0f);
    EXPECT_EQ(world->visibleSet().sectors.size(), 2u);
    // A tenth of a unit before the door: everything of room 0 in front of the camera
    // is nearer than the near plane, so only room 1 draws pixels.
    renderFrame(3.9f, 1.5f, 2.0f, 90.0f);
    EXPECT_EQ(world->cameraSector(), &map->sector(0));
    EXPECT_EQ(world->visibleSet().sectors, std::vector<Sector*>{&map->sector(1)});
    // Without queries both stay.
    settings().gfxHwOcclusionCulling.flag = false;
    renderFrame(3.9f, 1.5f, 2.0f, 90.0f);
    settings().gfxHwOcclusionCulling.flag = true;
    EXPECT_EQ(world->visibleSet().sectors.size(), 2u);
}

// The same rooms drawn with static_bump.rt and a flat normal map.
class NormalMappedRendering : public WorldRendering {
protected:
    const char* level() const override { return "bump.otm"; }
};

TEST_F(NormalMappedRendering, FlatNormalMapLightsLikeTheSurfaceNormals) {
    ASSERT_NE(world->programRegistry().find("static_bump.rt"), nullptr);
    renderFrame(1.0f, 1.5f, 2.0f, 90.0f);
    const auto bumped = readPixel(kSize / 4, kSize / 2);
    const auto ceiling = readPixel(kSize / 2, kSize - 8);
    savePng("world_two_rooms_normal_mapped.png");

    ASSERT_NO_FATAL_FAILURE(rebuild("best", "test.otm"));
    renderFrame(1.0f, 1.5f, 2.0f, 90.0f);
    const auto plain = readPixel(kSize / 4, kSize / 2);
    const auto plainCeiling = readPixel(kSize / 2, kSize - 8);

    EXPECT_GT(bumped[0], kAmbient + 40) << describe(bumped);
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(bumped[c], plain[c], 6) << describe(bumped) << " vs " << describe(plain);
        EXPECT_NEAR(ceiling[c], plainCeiling[c], 6)
            << describe(ceiling) << " vs " << describe(plainCeiling);
    }
}

class TippedNormalMapRendering : public WorldRendering {
protected:
    const char* level() const override { return "tipped.otm"; }
};

// On the far wall the tangent runs up (+y): a normal tipped onto it faces the light,
// which hangs a unit above the eye, at a steeper angle than the wall does.
TEST_F(TippedNormalMapRendering, NormalMapTurnsTheLightAway) {
    renderFrame(1.0f, 1.5f, 2.0f, 90.0f);
    const auto tipped = readPixel(kSize / 4, kSize / 2);
    savePng("world_two_rooms_tipped_normals.png");
    // About half the light the wall's own normal gets (about 135 in all).
    EXPECT_GT(tipped[0], kAmbient + 20) << describe(tipped);
    EXPECT_LT(tipped[0], 115) << describe(tipped);
}

// The ARB assembly programs (the "arb" profiles) in place of the GLSL ones: the same
// frames, and the light on room 0's far wall as the lighting model has it.
class ArbPathRendering : public WorldRendering {
protected:
    // The programs that every pass of the level's surface technique runs end in suffix.
    ::testing::AssertionResult surfacesRun(const char* technique, const std::string& suffix) {
        auto* found = dynamic_cast<RenderTechnique*>(world->programRegistry().find(technique));
        if (!found) return ::testing::AssertionFailure() << technique << " not loaded";
        for (const PassList* passes : {&found->ambientPasses(), &found->lightPasses()}) {
            for (const Pass* pass : *passes) {
                const std::string name = pass->pixelShader ? pass->pixelShader->name() : "";
                if (name.size() < suffix.size() ||
                    name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                    return ::testing::AssertionFailure() << technique << " runs '" << name << "'";
            }
        }
        return ::testing::AssertionSuccess();
    }

    // The window pixel (x, y) that shows the world point p, and the point of the plane
    // x = wallX that the centre of that pixel shows.
    bool pixelOf(const Vector4& p, float wallX, int& x, int& y, Vector4& seen) const {
        const float* m = world->viewProjection().m;
        auto clip = [m](const Vector4& v, int row) {
            return m[row] * v.x + m[4 + row] * v.y + m[8 + row] * v.z + m[12 + row];
        };
        const float w = clip(p, 3);
        x = static_cast<int>((clip(p, 0) / w + 1.0f) * 0.5f * kSize);
        y = static_cast<int>((clip(p, 1) / w + 1.0f) * 0.5f * kSize);
        Matrix4 inverse;
        if (!world->viewProjection().invert(inverse)) return false;
        auto unproject = [&inverse](float nx, float ny, float nz) {
            const float* i = inverse.m;
            float out[4];
            for (int row = 0; row < 4; ++row)
                out[row] = i[row] * nx + i[4 + row] * ny + i[8 + row] * nz + i[12 + row];
            return Vector4{out[0] / out[3], out[1] / out[3], out[2] / out[3], 1.0f};
        };
        const float nx = (x + 0.5f) * 2.0f / kSize - 1.0f, ny = (y + 0.5f) * 2.0f / kSize - 1.0f;
        const Vector4 a = unproject(nx, ny, 0.0f), b = unproject(nx, ny, 0.5f);
        const float t = (wallX - a.x) / (b.x - a.x);
        seen = a + (b - a) * t;
        return x >= 0 && x < kSize && y >= 0 && y < kSize;
    }
};

TEST_F(ArbPathRendering, ArbProgramsDrawTheSameFramesAsGlsl) {
    struct Level {
        const char* file;
        const char* technique;
    };
    for (const Level& level :
         {Level{"test.otm", "static_default.rt"}, Level{"bump.otm", "static_bump.rt"},
          Level{"tipped.otm", "static_bump.rt"}}) {
        SCOPED_TRACE(level.file);
        ASSERT_NO_FATAL_FAILURE(rebuild("glsl", level.file));
        EXPECT_TRUE(surfacesRun(level.technique, ".frag"));
        renderFrame(1.0f, 1.5f, 2.0f, 90.0f);
        const std::vector<Rgba> glsl = frame();

        ASSERT_NO_FATAL_FAILURE(rebuild("arb", level.file));
        EXPECT_TRUE(surfacesRun(level.technique, ".fp"));
        renderFrame(1.0f, 1.5f, 2.0f, 90.0f);
        const std::vector<Rgba> arb = frame();
        savePng(std::string("world_arb_") + level.file + ".png");

        int largest = 0, lit = 0;
        for (size_t i = 0; i < glsl.size(); ++i) {
            for (int c = 0; c < 3; ++c)
                largest = std::max(largest, std::abs(glsl[i][c] - arb[i][c]));
            lit += arb[i][0] > kAmbient + 20;
        }
        EXPECT_LE(largest, 2);
        EXPECT_GT(lit, kSize * kSize / 8) << "hardly any light in the ARB frame";
    }
}

// From the light's height and depth, looking at the white far wall (x = 4, normal -x)
// of room 0 beside and above the door: a quarter of white, plus white times the cosine
// 2 / d times the falloff 1 - d / 6, d the distance to the light at (2, 2.5, 2).
TEST_F(ArbPathRendering, FarWallFollowsTheLinearFalloffOnBothPaths) {
    const Vector4 points[] = {{4.0f, 2.5f, 2.0f, 1.0f}, {4.0f, 2.5f, 0.6f, 1.0f},
                              {4.0f, 1.0f, 0.5f, 1.0f}, {4.0f, 2.8f, 3.3f, 1.0f},
                              {4.0f, 0.6f, 3.6f, 1.0f}, {4.0f, 1.2f, 1.0f, 1.0f}};
    for (const char* profile : {"glsl", "arb"}) {
        SCOPED_TRACE(profile);
        ASSERT_NO_FATAL_FAILURE(rebuild(profile, "white.otm"));
        renderFrame(1.0f, 2.5f, 2.0f, 90.0f);
        savePng(std::string("world_falloff_") + profile + ".png");
        for (const Vector4& point : points) {
            int x = 0, y = 0;
            Vector4 seen;
            ASSERT_TRUE(pixelOf(point, 4.0f, x, y, seen));
            const float dx = 2.0f - seen.x, dy = 2.5f - seen.y, dz = 2.0f - seen.z;
            const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
            const float lit = 255.0f * (-dx / d) * std::max(0.0f, 1.0f - d / 6.0f);
            const auto p = readPixel(x, y);
            EXPECT_NEAR(p[0], 255.0f / 4 + lit, 2.0f)
                << "at (" << seen.x << ", " << seen.y << ", " << seen.z << "), d " << d;
            EXPECT_NEAR(p[0], p[2], 1) << describe(p);
        }
    }
}

}  // namespace
}  // namespace arvel::test
