// Shadows cut into faces, and lit pieces of small levels as the engine loads them.
#include <gtest/gtest.h>

#include <cmath>

#include "LevelTestSupport.h"
#include "level/LitPieces.h"
#include "world/Light.h"
#include "world/Mesh.h"
#include "world/Portal.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"

namespace arvel::test {
namespace {

using namespace level;

double areaOf(const std::vector<Points>& polygons) {
    double sum = 0.0;
    for (const Points& p : polygons) sum += area(p);
    return sum;
}

// A 20 x 20 floor at y = 0 and a 2 x 2 tile held up at y = 5 under a light at y = 10:
// the tile's shadow on the floor is 4 x 4, centred under it.
struct FloorAndTile {
    Face floor{axisRectangle(1, 0.0, {-10, 0, -10}, {10, 0, 10}, true), 0, 0};
    Face tile{axisRectangle(1, 5.0, {-1, 0, -1}, {1, 0, 1}, true), 0, 1};
    Vec3 light{0, 10, 0};
};

TEST(LitPiecesTest, aTileShadowsTheFloorByItsProjection) {
    FloorAndTile scene;
    ShadowingLight light(scene.light, 100.0, {&scene.floor, &scene.tile});
    std::vector<Points> lit, shadowed;
    light.cut(scene.floor, scene.floor.points, lit, shadowed);
    EXPECT_NEAR(areaOf(shadowed), 16.0, 1e-6);
    EXPECT_NEAR(areaOf(lit), 400.0 - 16.0, 1e-6);
    for (const Points& piece : shadowed) {
        for (const Vec3& p : piece) EXPECT_LE(std::max(std::abs(p.x), std::abs(p.z)), 2.0 + 1e-9);
    }
}

TEST(LitPiecesTest, aFaceIsNeverShadowedByItselfOrByANeighbourInFrontOfIt) {
    // Floor and wall of a room corner, both facing a light inside the room.
    Face floor{axisRectangle(1, 0.0, {0, 0, 0}, {10, 0, 10}, true), 0, 0};
    Face wall{axisRectangle(0, 0.0, {0, 0, 0}, {0, 10, 10}, true), 0, 0};
    ShadowingLight light({5, 5, 5}, 100.0, {&floor, &wall});
    for (const Face* face : {&floor, &wall}) {
        std::vector<Points> lit, shadowed;
        light.cut(*face, face->points, lit, shadowed);
        EXPECT_EQ(lit.size(), 1u);
        EXPECT_TRUE(shadowed.empty());
    }
}

TEST(LitPiecesTest, facesTurnedAwayOrOutOfReachAreShadowedWhole) {
    FloorAndTile scene;
    const Face under{axisRectangle(1, -1.0, {-1, 0, -1}, {1, 0, 1}, true), 0, 2};
    const Face below{axisRectangle(1, -1.0, {-1, 0, -1}, {1, 0, 1}, false), 0, 2};
    ShadowingLight light(scene.light, 10.5, {});
    for (const Face* face : {&under, &below}) {  // out of reach, turned away
        std::vector<Points> lit, shadowed;
        light.cut(*face, face->points, lit, shadowed);
        EXPECT_TRUE(lit.empty());
        EXPECT_EQ(shadowed.size(), 1u);
    }
}

TEST(LitPiecesTest, cuttingForSeveralLightsKeepsTheAreaAndMarksEachLight) {
    FloorAndTile scene;
    const std::vector<const Face*> all{&scene.floor, &scene.tile};
    std::vector<ShadowingLight> lights{ShadowingLight({0, 10, 0}, 100.0, all),
                                       ShadowingLight({3, 10, 0}, 100.0, all)};
    const std::vector<LitFragment> fragments = cutFaces({scene.floor}, lights);
    double total = 0.0, litByFirst = 0.0, litByBoth = 0.0;
    for (const LitFragment& f : fragments) {
        ASSERT_EQ(f.lit.size(), 2u);
        const double a = area(f.face.points);
        total += a;
        if (f.lit[0]) litByFirst += a;
        if (f.lit[0] && f.lit[1]) litByBoth += a;
    }
    EXPECT_NEAR(total, 400.0, 1e-6);
    EXPECT_NEAR(litByFirst, 384.0, 1e-6);
    // The second light's shadow spans x from -5 to -1: the two overlap by 1 x 4.
    EXPECT_NEAR(litByBoth, 400.0 - 16.0 - 16.0 + 4.0, 1e-6);
}

TEST(LitPiecesTest, aRegionThatOnlyTouchesAPolygonLeavesItWhole) {
    const Points square{{0, 0, 0}, {0, 0, 4}, {4, 0, 4}, {4, 0, 0}};
    const std::vector<level::Plane> region{{{1, 0, 0}, -4.0}};  // x > 4
    const RegionSplit parts = splitByRegion(square, region);
    ASSERT_EQ(parts.outside.size(), 1u);
    EXPECT_EQ(parts.outside[0], square);
    EXPECT_TRUE(parts.inside.empty());
}

TEST(LitPiecesTest, aPointInsideABlockIsInsideSolidAndAPointInTheRoomAroundItIsNot) {
    const std::vector<Face> block = blockFaces({8, 0, 8}, {12, 4, 12}, 0, 1);
    const std::vector<Face> room =
        roomFaces(SourceBrush{BrushKind::kRoom, {0, 0, 0}, {20, 10, 20}, 0}, {}, 0);
    std::vector<const Face*> all;
    for (const auto* faces : {&block, &room})
        for (const Face& face : *faces) all.push_back(&face);
    EXPECT_TRUE(insideSolid({10, 2, 10}, all));
    EXPECT_TRUE(insideSolid({8.5, 0.5, 11.5}, all));  // near a corner of the block
    EXPECT_FALSE(insideSolid({4, 5, 4}, all));
    EXPECT_FALSE(insideSolid({10, 6, 10}, all));  // just above the block

    ShadowingLight shut({10, 2, 10}, 100.0, all);
    EXPECT_TRUE(shut.enclosed());
    for (const Face& face : room) {
        std::vector<Points> lit, shadowed;
        shut.cut(face, face.points, lit, shadowed);
        EXPECT_TRUE(lit.empty());
        EXPECT_EQ(shadowed.size(), 1u);
    }
}

// Two rooms side by side, a door between them and a pillar in the first, off the
// line from the lights to the door.
std::string twoRooms(const std::string& lights) {
    return levelJson(
        R"([{"name": "west", "brushes": [{"type": "room", "min": [0, 0, 0], "max": [20, 10, 20], "material": "wall"}],
             "props": [{"model": "box", "position": [8, 0, 3], "size": [2, 10, 2], "material": "wall"}]},
            {"name": "east", "brushes": [{"type": "room", "min": [20, 0, 0], "max": [40, 10, 20], "material": "wall"}]}])",
        R"([{"sectors": ["west", "east"], "min": [20, 0, 8], "max": [20, 6, 12]}])", lights);
}

class SmallLevelTest : public LevelMapTest {
protected:
    void compileAndLoad(const std::string& json) {
        compiled = level::compileLevel(level::parseLevel(json, "small.json"));
        ASSERT_EQ(load(compiled.map), "");
    }
    level::CompiledLevel compiled;
};

TEST_F(SmallLevelTest, aStaticLightLightsTheNextRoomOnlyThroughTheDoor) {
    compileAndLoad(twoRooms(
        R"([{"position": [4, 5, 10], "inner": 1, "outer": 100, "colour": [1, 1, 1], "static": true}])"));
    const Light& light = map->light(0);
    ASSERT_EQ(light.pieces.size(), 2u);
    EXPECT_EQ(light.pieces[0].sector->index, 0);
    EXPECT_EQ(light.pieces[1].sector->index, 1);
    const StaticMesh& east = *light.pieces[1].mesh;
    // The east floor is lit only inside the wedge from the light through the door: at
    // x = 40 it spans z from 10 - 2 * 36 / 16 to 10 + 2 * 36 / 16.
    for (int f = 0; f < east.faceCount(); ++f) {
        const MeshFace& face = east.face(f);
        if (face.plane.normal.y < 0.5f) continue;
        for (int c = 0; c < face.cornerCount(); ++c) {
            const Vector4 p = face.cornerPoint(c);
            const float halfWidth = 2.0f * (p.x - 4.0f) / 16.0f;
            EXPECT_LE(std::abs(p.z - 10.0f), halfWidth + 0.01f) << p.x << ", " << p.z;
        }
    }
    // The east sector lists the light; its own shadow mesh is built from both pieces.
    EXPECT_EQ(map->sector(1).lights().size(), 1u);
    EXPECT_GT(light.shadowMesh->faceCount(), 0);
}

TEST_F(SmallLevelTest, theSectorMeshHoldsEveryLitFaceExactly) {
    compileAndLoad(twoRooms(
        R"([{"position": [4, 5, 10], "inner": 1, "outer": 100, "colour": [1, 1, 1], "static": true},
            {"position": [16, 8, 4], "inner": 1, "outer": 100, "colour": [1, 1, 1], "static": true}])"));
    for (int s = 0; s < map->sectorCount(); ++s) {
        const content::OtmMeshBody& body = compiled.map.sectors[static_cast<size_t>(s)].mesh.body;
        for (const content::OtmMeshBody& piece :
             compiled.map.sectors[static_cast<size_t>(s)].mesh.children) {
            for (const content::OtmFace& face : piece.faces) {
                // Some face of the sector has the same corners, value for value.
                const auto same = [&](const content::OtmFace& other) {
                    if (other.corners.size() != face.corners.size()) return false;
                    for (size_t c = 0; c < face.corners.size(); ++c) {
                        const auto& a = piece.vertices[static_cast<size_t>(face.corners[c])];
                        const auto& b = body.vertices[static_cast<size_t>(other.corners[c])];
                        if (!(piece.positions[static_cast<size_t>(a.position)] ==
                              body.positions[static_cast<size_t>(b.position)]) ||
                            a.u != b.u || a.v != b.v)
                            return false;
                    }
                    return true;
                };
                EXPECT_TRUE(std::any_of(body.faces.begin(), body.faces.end(), same));
            }
        }
    }
}

TEST_F(SmallLevelTest, aDynamicLightReachesNeighboursThroughPortalsWithinItsRadius) {
    compileAndLoad(twoRooms(
        R"([{"position": [4, 5, 10], "inner": 1, "outer": 10, "colour": [1, 1, 1], "static": false},
            {"position": [14, 5, 10], "inner": 1, "outer": 10, "colour": [1, 1, 1], "static": false}])"));
    EXPECT_FALSE(map->light(0).precomputed);
    EXPECT_TRUE(map->light(0).pieces.empty());
    ASSERT_EQ(map->sector(0).lights().size(), 2u);
    ASSERT_EQ(map->sector(1).lights().size(), 1u);  // the far one stops short of the door
    EXPECT_EQ(map->sector(1).lights()[0], &map->light(1));
}

TEST_F(SmallLevelTest, aStaticLightShutInABoxLightsNothingAndOneOutsideStillLights) {
    compileAndLoad(levelJson(
        R"([{"name": "room", "brushes": [{"type": "room", "min": [0, 0, 0], "max": [20, 10, 20], "material": "wall"}],
             "props": [{"model": "box", "position": [10, 0, 10], "size": [4, 4, 4], "material": "wall"}]}])",
        "[]",
        R"([{"position": [10, 2, 10], "inner": 1, "outer": 100, "colour": [1, 1, 1], "static": true},
            {"position": [4, 5, 4], "inner": 1, "outer": 100, "colour": [1, 1, 1], "static": true}])"));
    EXPECT_TRUE(map->light(0).precomputed);
    EXPECT_TRUE(map->light(0).pieces.empty());
    EXPECT_EQ(map->light(0).homeSector, nullptr);
    ASSERT_EQ(compiled.warnings.size(), 1u);
    EXPECT_NE(compiled.warnings[0].find("lights/0"), std::string::npos) << compiled.warnings[0];
    EXPECT_NE(compiled.warnings[0].find("inside solid geometry"), std::string::npos);

    ASSERT_EQ(map->light(1).pieces.size(), 1u);
    EXPECT_GT(map->light(1).pieces[0].mesh->faceCount(), 0);
    ASSERT_EQ(map->sector(0).lights().size(), 1u);
    EXPECT_EQ(map->sector(0).lights()[0], &map->light(1));
}

TEST_F(SmallLevelTest, sectorsKeepTheirOrderAndThePortalFacesTheFirst) {
    compileAndLoad(twoRooms("[]"));
    EXPECT_EQ(map->findSector({30, 5, 10, 0}), &map->sector(1));
    EXPECT_EQ(map->findSector({2, 5, 2, 0}), &map->sector(0));
    const Portal& door = map->portal(0);
    EXPECT_EQ(door.firstSector(), &map->sector(0));
    EXPECT_LT(door.polygon()->plane.normal.x, -0.99f);  // towards the west room
}

}  // namespace
}  // namespace arvel::test
