// A whole frame of the World on the real plug-in: two rooms joined by a door, one
// point light in each, drawn with the game's own techniques and shaders. The picture
// is read back before any swap and written as "world_two_rooms.png" in the test
// folder of the build for looking at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "FpfWriter.h"
#include "NormalizationCubeMap.h"
#include "OtmWriter.h"
#include "TgaWriter.h"
#include "app/PngWriter.h"
#include "console/Settings.h"
#include "core/Exception.h"
#include "core/Zone.h"
#include "driver/Driver.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "render/RenderQueue.h"
#include "render/ResourceRegistry.h"
#include "support/GLFixture.h"
#include "support/TempDir.h"
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

        // As the game mounts its data: the level's folder, then the shipped scripts
        // and their shaders.
        fileSystem().clear();
        const std::string data = std::string(ARVEL_SOURCE_DIR) + "/data/";
        for (const std::string& prefix : {folder.path().string() + "/", data, data + "shaders/"})
            ASSERT_TRUE(fileSystem().mount(new CommonFile(), prefix.c_str())) << prefix;

        gDriver.dSetVPProfile("best");
        gDriver.dSetFPProfile("best");
        gDriver.dEnableDepth();
        gDriver.dEnableCull();
        std::string error;
        try {
            world = std::make_unique<World>(nullptr, kSize, kSize);
        } catch (Exception* e) {
            error = e->what();
            delete e;
        }
        ASSERT_NE(world, nullptr) << error;
        map = world->loadMap(level());
        ASSERT_EQ(map->sectorCount(), 2);
    }

    virtual const char* level() const { return "test.otm"; }

    void TearDown() override {
        world.reset();
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

    world.reset();
    std::string error;
    try {
        world = std::make_unique<World>(nullptr, kSize, kSize);
    } catch (Exception* e) {
        error = e->what();
        delete e;
    }
    ASSERT_NE(world, nullptr) << error;
    world->loadMap("test.otm");
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

}  // namespace
}  // namespace arvel::test
