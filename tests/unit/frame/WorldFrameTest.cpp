// One frame of the World through the recording driver: its steps in order, the walk
// from the camera's sector (or from everything), screen boxes as scissor rectangles,
// the ambient stage with its occlusion queries, the light count and the flags a frame
// leaves behind.
#include <algorithm>

#include "MshWriter.h"
#include "WorldTestSupport.h"
#include "world/Light.h"
#include "world/LightCache.h"
#include "world/MeshInstance.h"
#include "world/Portal.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"

namespace arvel::test {
namespace {

// Rooms along +x: room i spans x 4i .. 4i + 4, y 0 .. 3, z 0 .. 4; doors in the middle.
constexpr float kInRoom0[3] = {2.0f, 1.5f, 2.0f};
constexpr float kTowardsDoor = 90.0f;  // +x
constexpr float kAwayFromDoor = -90.0f;

class WorldFrame : public WorldTest {
protected:
    Map* loadRooms(int rooms) {
        RoomChainOptions options;
        options.rooms = rooms;
        return loadMap(roomChain(options));
    }
    void renderInRoom0(float yaw) { renderFrom(kInRoom0[0], kInRoom0[1], kInRoom0[2], yaw); }
};

TEST_F(WorldFrame, StepsRunInOrder) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    loadRooms(2);
    renderInRoom0(kTowardsDoor);

    const auto& calls = driver.calls();
    ASSERT_GE(calls.size(), 9u);
    // Projection, then the camera's view over an identity model-view, then wireframe.
    const std::vector<std::string> opening(calls.begin(), calls.begin() + 6);
    EXPECT_EQ(opening,
              (std::vector<std::string>{"dMatrixMode(1)", "dMatrix(ptr)", "dMatrixMode(2)",
                                        "dLoadIdentity()", "dMatrix(ptr)", "dWireframe(0)"}));
    // The ambient stage draws both rooms, each inside its own query, and only then
    // reads the queries back, in order.
    const int firstQuery = indexOf("dBeginOcclusionQuery(0, ptr)");
    const int secondQuery = indexOf("dBeginOcclusionQuery(1, ptr)");
    const int firstRead = indexOf("dGetVisiblePixels(0, ptr)");
    const int secondRead = indexOf("dGetVisiblePixels(1, ptr)");
    const int queriesOff = indexOf("dDisableOcclusion()", firstRead);
    ASSERT_GE(firstQuery, 6);
    EXPECT_LT(firstQuery, secondQuery);
    EXPECT_LT(secondQuery, firstRead);
    EXPECT_LT(firstRead, secondRead);
    EXPECT_LT(secondRead, queriesOff);
    // The frame ends with the stencil off and every buffer writable again.
    const std::vector<std::string> closing(calls.end() - 3, calls.end());
    EXPECT_EQ(closing, (std::vector<std::string>{"dDisableStencil()", "dColorMask(1, 1, 1, 1)",
                                                 "dDepthMask(1)"}));
}

TEST_F(WorldFrame, WireframeFollowsItsSetting) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    settings().gfxWireframe.flag = true;
    renderFrom(0, 0, 0);
    EXPECT_EQ(driver.callsTo({"dWireframe"}), std::vector<std::string>{"dWireframe(1)"});
}

TEST_F(WorldFrame, CameraInASectorSeesOnlyThroughPortals) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    Map* map = loadRooms(3);

    renderInRoom0(kAwayFromDoor);
    EXPECT_EQ(world->cameraSector(), &map->sector(0));
    EXPECT_EQ(world->cameraMap(), map);
    EXPECT_EQ(world->visibleSet().sectors, std::vector<Sector*>{&map->sector(0)});

    renderInRoom0(kTowardsDoor);
    ASSERT_GE(world->visibleSet().sectors.size(), 2u);
    EXPECT_EQ(world->visibleSet().sectors[0], &map->sector(0));
    EXPECT_EQ(world->visibleSet().sectors[1], &map->sector(1));
}

TEST_F(WorldFrame, CameraOutsideEverySectorWalksEverything) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    Map* map = loadRooms(3);
    renderFrom(6.0f, 50.0f, 2.0f, 0.0f, -89.0f);  // far above, looking down
    EXPECT_EQ(world->cameraSector(), nullptr);
    EXPECT_EQ(world->visibleSet().sectors,
              (std::vector<Sector*>{&map->sector(0), &map->sector(1), &map->sector(2)}));
    EXPECT_EQ(world->visibleSet().sectorBoxes.size(), 3u);
}

TEST_F(WorldFrame, WalkAllWalksEverythingFromInsideASector) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    Map* map = loadRooms(3);
    settings().dbgWalkAll.flag = true;
    renderInRoom0(kAwayFromDoor);
    EXPECT_EQ(world->cameraSector(), &map->sector(0));
    EXPECT_EQ(world->visibleSet().sectors,
              (std::vector<Sector*>{&map->sector(0), &map->sector(1), &map->sector(2)}));
}

TEST_F(WorldFrame, ScissorOfTheCameraSectorCoversTheWholeWindow) {
    ASSERT_NE(makeWorld(1024, 768), nullptr) << error;
    loadRooms(2);
    renderInRoom0(kAwayFromDoor);
    // The camera's own sector is seen through the whole window: (-1, -1)-(1, 1).
    const BoundingBox& box = world->visibleSet().sectorBoxes.at(0);
    EXPECT_FLOAT_EQ(box.min.x, -1.0f);
    EXPECT_FLOAT_EQ(box.min.y, -1.0f);
    EXPECT_FLOAT_EQ(box.max.x, 1.0f);
    EXPECT_FLOAT_EQ(box.max.y, 1.0f);
    EXPECT_NE(indexOf("dScissor(0, 0, 1024, 768)"), -1);
}

TEST_F(WorldFrame, SectorSeenThroughADoorIsScissoredToIt) {
    ASSERT_NE(makeWorld(1024, 768), nullptr) << error;
    loadRooms(2);
    renderInRoom0(kTowardsDoor);
    ASSERT_EQ(world->visibleSet().sectorBoxes.size(), 2u);
    const BoundingBox& door = world->visibleSet().sectorBoxes[1];
    // The door (z 1.5 .. 2.5 at 2 units ahead) spans a quarter of the window across.
    EXPECT_NEAR(door.min.x, -0.25f, 1e-4f);
    EXPECT_NEAR(door.max.x, 0.25f, 1e-4f);
    const ScissorRect rect = scissorFromBox(door, 512.0f, 384.0f);
    EXPECT_NEAR(rect.x, 384, 1);
    EXPECT_NEAR(rect.width, 256, 2);
    EXPECT_NE(indexOf("dScissor(" + std::to_string(rect.x) + ", " + std::to_string(rect.y) + ", " +
                      std::to_string(rect.width) + ", " + std::to_string(rect.height) + ")"),
              -1);
}

TEST(ScissorFromBox, FullBoxIsTheWholeWindow) {
    const BoundingBox box({-1, -1, -1, 0}, {1, 1, -1, 0});
    const ScissorRect rect = scissorFromBox(box, 512.0f, 384.0f);
    EXPECT_EQ(rect.x, 0);
    EXPECT_EQ(rect.y, 0);
    EXPECT_EQ(rect.width, 1024);
    EXPECT_EQ(rect.height, 768);
}

TEST_F(WorldFrame, SectorsThatDrawNoPixelsAreCulled) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    loadRooms(2);
    driver.setResult("dGetVisiblePixels", 0);
    renderInRoom0(kTowardsDoor);
    EXPECT_TRUE(world->visibleSet().sectors.empty());
    EXPECT_TRUE(world->visibleSet().sectorBoxes.empty());
}

TEST_F(WorldFrame, OcclusionCullingOffIssuesNoQueryAndCullsNothing) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    Map* map = loadRooms(2);
    settings().gfxHwOcclusionCulling.flag = false;
    driver.setResult("dGetVisiblePixels", 0);
    renderInRoom0(kTowardsDoor);
    EXPECT_EQ(driver.countOf("dBeginOcclusionQuery"), 0);
    EXPECT_EQ(driver.countOf("dGetVisiblePixels"), 0);
    EXPECT_EQ(world->visibleSet().sectors.size(), 2u);
    EXPECT_EQ(world->visibleSet().sectors[1], &map->sector(1));
}

TEST_F(WorldFrame, DriverWithoutQueriesCullsNothing) {
    driver.setResult("dOcclusionCulling", false);
    driver.setResult("dGenOcclusionQueries", static_cast<DOcclusionQueries*>(nullptr));
    ASSERT_NE(makeWorld(), nullptr) << error;
    loadRooms(2);
    driver.setResult("dGetVisiblePixels", 0);
    renderInRoom0(kTowardsDoor);
    EXPECT_EQ(driver.countOf("dBeginOcclusionQuery"), 0);
    EXPECT_EQ(world->visibleSet().sectors.size(), 2u);
}

TEST_F(WorldFrame, VisibleSetAsLargeAsTheCapacityReallocatesTheQueries) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    loadRooms(512);
    renderFrom(1000.0f, 500.0f, 2.0f, 0.0f, -89.0f);  // outside: every room is listed
    ASSERT_EQ(world->visibleSet().sectors.size(), 512u);
    EXPECT_EQ(driver.callsTo({"dDeleteOcclusionQueries", "dGenOcclusionQueries"}),
              (std::vector<std::string>{"dDeleteOcclusionQueries(512, ptr)",
                                        "dGenOcclusionQueries(512)"}));
    EXPECT_EQ(world->queryCapacity(), 512);
    EXPECT_NE(indexOf("dGetVisiblePixels(511, ptr)"), -1);
}

TEST_F(WorldFrame, VisibleSetBelowTheCapacityKeepsTheQueries) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    loadRooms(511);
    renderFrom(1000.0f, 500.0f, 2.0f, 0.0f, -89.0f);
    ASSERT_EQ(world->visibleSet().sectors.size(), 511u);
    EXPECT_EQ(driver.countOf("dDeleteOcclusionQueries"), 0);
    EXPECT_EQ(driver.countOf("dGenOcclusionQueries"), 0);
}

TEST_F(WorldFrame, FrameLeavesNoFlagsBehind) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    Map* map = loadRooms(3);
    renderInRoom0(kTowardsDoor);
    for (int i = 0; i < map->sectorCount(); ++i) {
        EXPECT_EQ(map->sector(i).getFlags(), 0) << "sector " << i;
        EXPECT_EQ(map->sector(i).staticMesh().getFlags(), 0) << "sector mesh " << i;
    }
    for (int i = 0; i < map->portalCount(); ++i) EXPECT_EQ(map->portal(i).getFlags(), 0);
    EXPECT_TRUE(world->touched().empty());
    EXPECT_EQ(world->cameraVolume(), nullptr);
    EXPECT_TRUE(world->visibleSet().volumes.empty());
}

TEST_F(WorldFrame, SectorsCulledByTheirQueriesLeaveNoFlagsBehind) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    Map* map = loadRooms(3);
    driver.setResult("dGetVisiblePixels", 0);
    renderInRoom0(kTowardsDoor);
    ASSERT_TRUE(world->visibleSet().sectors.empty());
    for (int i = 0; i < map->sectorCount(); ++i)
        EXPECT_EQ(map->sector(i).getFlags(), 0) << "sector " << i;
    for (int i = 0; i < map->portalCount(); ++i)
        EXPECT_EQ(map->portal(i).getFlags(), 0) << "portal " << i;
}

TEST_F(WorldFrame, FlagsSetBeforeTheFirstFrameAreReset) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    Map* map = loadRooms(3);
    map->setContentFlags(frameflag::kVisited);  // as if a walk had just reached everything
    renderInRoom0(kTowardsDoor);
    ASSERT_GE(world->visibleSet().sectors.size(), 2u);
    EXPECT_EQ(world->visibleSet().sectors[1], &map->sector(1));
}

OtmMap roomsWithLights() {
    RoomChainOptions options;
    options.rooms = 3;
    OtmMap map = roomChain(options);
    for (float x : {2.0f, 6.0f, 10.0f}) {
        OtmLight light;
        light.position = {x, 2.0f, 2.0f, 0.0f};
        light.outerRadius = 3.0f;
        map.lights.push_back(light);
    }
    // Light 0 reaches into room 1 as well; it is one visible light, not two.
    map.sectors[0].lights = {0};
    map.sectors[1].lights = {1, 0};
    map.sectors[2].lights = {2};
    return map;
}

TEST_F(WorldFrame, VisibleLightsAreCountedOnceEach) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    Map* map = loadMap(roomsWithLights());
    ASSERT_EQ(map->lightCount(), 3);

    renderInRoom0(kAwayFromDoor);
    EXPECT_EQ(visibleLightCount(), 1);
    EXPECT_EQ(world->visibleSet().lights, std::vector<Light*>{&map->light(0)});

    renderFrom(6.0f, 50.0f, 2.0f, 0.0f, -89.0f);
    EXPECT_EQ(visibleLightCount(), 3);
    EXPECT_EQ(world->visibleSet().lights,
              (std::vector<Light*>{&map->light(0), &map->light(1), &map->light(2)}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(map->light(i).flags & frameflag::kCollected, 0);

    // The lights' volumes are cached by address, so they go with the world.
    EXPECT_GT(lightCache().size(), 0);
    world.reset();
    EXPECT_EQ(lightCache().size(), 0);
}

// A one-bone mesh: a unit triangle in the y-z plane, facing -x (the camera in room 0).
MshFile triangleMesh() {
    MshFile mesh;
    mesh.bones.push_back(MshBone::at(0, 0, 0));
    mesh.materials.push_back({});
    for (auto p : {std::array<float, 3>{0, 0, 0.5f}, {0, 0, -0.5f}, {0, 1, 0}})
        mesh.positions.push_back({p, {{0, 1.0f}}});
    for (int i = 0; i < 3; ++i) mesh.vertices.push_back({i, 0, 0, {-1, 0, 0}, {0, 0, 1}});
    mesh.triangles.push_back({{0, 1, 2}, 0});
    return mesh;
}

class WorldInstances : public WorldFrame {
protected:
    MeshInstance* place(float x, float y, float z, Sector& sector) {
        MeshInstance* instance = world->loadDynamicMesh("thing.msh");
        instance->setPosition(x, y, z, 0);
        sector.addInstance(*instance);
        return instance;
    }
    void SetUp() override {
        ASSERT_NE(makeWorld(), nullptr) << error;
        folder.write("thing.msh", mshBytes(triangleMesh()));
        map = loadRooms(2);
    }
    Map* map = nullptr;
};

TEST_F(WorldInstances, InstanceInAVisibleSectorIsDrawnInItsOwnQuery) {
    MeshInstance* instance = place(6.0f, 1.0f, 2.0f, map->sector(1));
    renderInRoom0(kTowardsDoor);
    ASSERT_EQ(world->visibleSet().instances, std::vector<MeshInstance*>{instance});
    const BoundingBox& box = world->visibleSet().instanceBoxes.at(0);
    EXPECT_FALSE(isEmptyScreenBox(box));
    // Its box lies within the door it is seen through.
    const BoundingBox& door = world->visibleSet().sectorBoxes.at(1);
    EXPECT_GE(box.min.x, door.min.x);
    EXPECT_LE(box.max.x, door.max.x);
    // Sectors take queries 0 and 1, then the instance list starts again at 0.
    const int instanceQuery =
        indexOf("dBeginOcclusionQuery(0, ptr)", indexOf("dGetVisiblePixels(1"));
    EXPECT_NE(instanceQuery, -1);
    EXPECT_EQ(instance->getFlags(), 0);  // the frame's bits are gone again
}

TEST_F(WorldInstances, InstanceIsDrawnInTheAmbientColourFrameAfterFrame) {
    place(6.0f, 1.0f, 2.0f, map->sector(1));
    // The second frame follows a light stage that left its own colour current.
    for (int frame = 0; frame < 2; ++frame) {
        driver.clearCalls();
        renderInRoom0(kTowardsDoor);
        const int instanceQuery =
            indexOf("dBeginOcclusionQuery(0, ptr)", indexOf("dGetVisiblePixels(1"));
        ASSERT_NE(instanceQuery, -1);
        std::string colour = "none";
        for (int i = 0; i < instanceQuery; ++i) {
            const std::string& call = driver.calls()[static_cast<size_t>(i)];
            if (call.rfind("dColor3(", 0) == 0 || call.rfind("dColor4(", 0) == 0) colour = call;
        }
        EXPECT_EQ(colour, "dColor4(0.25, 0.25, 0.25, 1)") << "frame " << frame;
    }
}

TEST_F(WorldInstances, InstanceOutsideItsSectorsBoxesIsNeitherDrawnNorLit) {
    // In room 1 as far as the sector list goes, but standing behind the camera.
    MeshInstance* hidden = place(-20.0f, 1.0f, 2.0f, map->sector(1));
    MeshInstance* seen = place(6.0f, 1.0f, 2.0f, map->sector(1));
    renderInRoom0(kTowardsDoor);
    EXPECT_EQ(world->visibleSet().instances, std::vector<MeshInstance*>{seen});
    EXPECT_EQ(world->visibleSet().instanceBoxes.size(), 1u);
    EXPECT_NE(hidden, seen);
}

TEST_F(WorldInstances, InstanceInTwoSectorsIsListedOnceWithBothBoxes) {
    MeshInstance* instance = place(4.0f, 1.0f, 2.0f, map->sector(0));
    map->sector(1).addInstance(*instance);
    renderInRoom0(kTowardsDoor);
    EXPECT_EQ(world->visibleSet().instances, std::vector<MeshInstance*>{instance});
}

}  // namespace
}  // namespace arvel::test
