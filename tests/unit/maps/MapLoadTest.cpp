#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>
#include <set>

#include "MapTestSupport.h"
#include "render/Material.h"
#include "render/RenderTechnique.h"
#include "world/FaceOctree.h"
#include "world/Light.h"
#include "world/Portal.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"

namespace arvel::test {
namespace {

const Vector4 kRoomMin{0, 0, 0, 0};
const Vector4 kRoomMax{4, 3, 4, 0};

// Two rooms side by side along x joined by a door, each with a child mesh; a light
// of every record kind; materials with textures. Exercises every record.
OtmMap fullMap() {
    RoomChainOptions chain;
    chain.rooms = 2;
    OtmMap map = roomChain(chain);
    for (OtmSector& sector : map.sectors) {
        sector.mesh.children.push_back(boxRoom({1, 1, 1, 0}, {2, 2, 2, 0}, {}));
        sector.mesh.body.materials[0].textures = {"wall.tga", "wall_bump.tga"};
        sector.lights = {0, 1};
    }
    OtmLight precomputed;
    precomputed.flags = OtmLight::kNamed;
    precomputed.name = "lamp";
    precomputed.position = {2, 2, 2, 0};
    precomputed.pieces = {{0, 0}, {1, 0}};
    OtmLight plain;
    plain.flags = 0;
    OtmLight empty;
    empty.flags = OtmLight::kEmpty;
    map.lights = {precomputed, plain, empty};
    return map;
}

// ---- file header ------------------------------------------------------------------

TEST_F(MapTest, EighteenByteFileWithZeroCountsIsAnEmptyMap) {
    OtmWriter file;
    file.header(0, 0, 0);
    ASSERT_EQ(file.bytes().size(), 18u);
    EXPECT_EQ(load(file.bytes()), "");
    EXPECT_TRUE(isEmpty());
    EXPECT_EQ(drainPostedCloses(), 0);
}

TEST_F(MapTest, MagicDifferingInAnyByteIsACorruptFile) {
    for (int i = 0; i < 5; ++i) {
        std::string bytes = OtmWriter().header(0, 0, 0).bytes();
        bytes[static_cast<size_t>(i)] ^= 0x20;
        const std::string boxes = load(bytes);
        EXPECT_TRUE(contains(boxes, kLevelMessage)) << "byte " << i;
        EXPECT_TRUE(contains(boxes, "Couln't load the map test.otm, the file seems corrupt"));
        EXPECT_TRUE(isEmpty());
        EXPECT_EQ(drainPostedCloses(), 1);
    }
}

TEST_F(MapTest, VersionOtherThan120IsIncompatible) {
    for (int version : {119, 121, 0}) {
        const std::string boxes = load(OtmWriter().header(0, 0, 0, version).bytes());
        EXPECT_TRUE(contains(boxes, "Couln't load the map test.otm, incompatible version"))
            << version;
        EXPECT_TRUE(isEmpty());
    }
}

TEST_F(MapTest, MapNoSourceHoldsStaysEmptyWithoutAMessage) {
    EXPECT_EQ(loadExisting("nowhere.otm"), "");
    EXPECT_TRUE(isEmpty());
    EXPECT_EQ(drainPostedCloses(), 0);
}

TEST_F(MapTest, BytesAfterTheLastLightAreIgnored) {
    EXPECT_EQ(load(otmBytes(fullMap()) + "trailing garbage"), "");
    EXPECT_EQ(map->sectorCount(), 2);
    EXPECT_EQ(map->lightCount(), 3);
}

// ---- what the records become ------------------------------------------------------

TEST_F(MapTest, RecordsBecomeSectorsPortalsAndLightsWithTheirIndices) {
    ASSERT_EQ(load(fullMap()), "");
    ASSERT_EQ(map->sectorCount(), 2);
    ASSERT_EQ(map->portalCount(), 1);
    ASSERT_EQ(map->lightCount(), 3);
    for (int i = 0; i < 2; ++i) {
        Sector& sector = map->sector(i);
        EXPECT_EQ(sector.index, i);
        EXPECT_EQ(sector.map(), map.get());
        EXPECT_EQ(sector.staticMesh().childCount(), 1);
        EXPECT_EQ(sector.staticMesh().faceCount(), 5 + 5);  // five sides, one split round the door
        ASSERT_EQ(sector.portals().size(), 1u);
        EXPECT_EQ(sector.portals()[0], &map->portal(0));
        ASSERT_EQ(sector.lights().size(), 2u);
        EXPECT_EQ(sector.lights()[1], &map->light(1));
    }
    const Portal& portal = map->portal(0);
    EXPECT_EQ(portal.firstSector(), &map->sector(0));
    EXPECT_EQ(portal.secondSector(), &map->sector(1));
    EXPECT_EQ(portal.otherSide(&map->sector(0)), &map->sector(1));
    EXPECT_EQ(portal.otherSide(&map->sector(1)), &map->sector(0));
    EXPECT_EQ(map->light(2).index, 2);
}

TEST_F(MapTest, BoxesComeFromSectorBodiesAndUniteIntoTheMapBox) {
    OtmMap plain;
    plain.sectors.push_back(boxSector({0, 0, 0, 0}, {4, 3, 4, 0}));
    plain.sectors.push_back(boxSector({4, -1, 0, 0}, {6, 3, 9, 0}));
    // A child far outside does not count for the sector's box.
    plain.sectors[0].mesh.children.push_back(boxRoom({50, 50, 50, 0}, {51, 51, 51, 0}, {}));
    ASSERT_EQ(load(plain), "");
    const BoundingBox& first = map->sector(0).getBoundingBox();
    EXPECT_EQ(first.min, (Vector4{0, 0, 0, 0}));
    EXPECT_EQ(first.max, (Vector4{4, 3, 4, 0}));
    EXPECT_EQ(map->getBoundingBox().min, (Vector4{0, -1, 0, 0}));
    EXPECT_EQ(map->getBoundingBox().max, (Vector4{6, 3, 9, 0}));
}

TEST_F(MapTest, PortalBoxAndPolygonComeFromItsRecord) {
    ASSERT_EQ(load(fullMap()), "");
    const Portal& portal = map->portal(0);
    const auto [z0, z1] = chainDoor(RoomChainOptions{}, 0);
    EXPECT_EQ(portal.getBoundingBox().min, (Vector4{4, 0, z0, 0}));
    EXPECT_EQ(portal.getBoundingBox().max, (Vector4{4, 2, z1, 0}));
    ASSERT_NE(portal.polygon(), nullptr);
    EXPECT_EQ(portal.clipPolygon().count, 4);
    EXPECT_FLOAT_EQ(std::fabs(portal.polygon()->plane.normal.x), 1.0f);
    EXPECT_FLOAT_EQ(portal.distanceTo({2, 1, 2, 0}), 2.0f);
}

TEST_F(MapTest, ReferencesMayPointForwardAndRepeat) {
    OtmMap plain;
    plain.sectors.push_back(boxSector(kRoomMin, kRoomMax));
    plain.sectors[0].lights = {1, 1, 0};
    plain.sectors[0].portals = {0, 0};
    OtmPortal portal = openingPortal(0, 0, kRoomMin, kRoomMax, {BoxSide::kMaxX, 0, 1, 1, 2});
    plain.portals.push_back(portal);
    plain.lights.resize(2);
    ASSERT_EQ(load(plain), "");
    const Sector& sector = map->sector(0);
    ASSERT_EQ(sector.lights().size(), 3u);
    EXPECT_EQ(sector.lights()[0], &map->light(1));
    EXPECT_EQ(sector.lights()[1], &map->light(1));
    EXPECT_EQ(sector.lights()[2], &map->light(0));
    ASSERT_EQ(sector.portals().size(), 2u);
    EXPECT_EQ(sector.portals()[0], sector.portals()[1]);
}

TEST_F(MapTest, MaterialsShareTechniquesAndTexturesThroughTheRegistries) {
    ASSERT_EQ(load(fullMap()), "");
    const Material& first = map->sector(0).staticMesh().material(0);
    const Material& second = map->sector(1).staticMesh().material(0);
    ASSERT_NE(first.technique(), nullptr);
    EXPECT_EQ(first.technique(), second.technique());
    EXPECT_EQ(first.technique()->name(), "static_default.rt");
    ASSERT_EQ(first.textures().size(), 2u);
    EXPECT_EQ(first.textures()[1], second.textures()[1]);
    EXPECT_EQ(techniques.size(), 1u);
    EXPECT_EQ(textures.size(), 2u);
}

TEST_F(MapTest, MissingTechniqueFailsTheLevelAndEmptiesTheMap) {
    OtmMap plain = fullMap();
    plain.sectors[1].mesh.body.materials[0].technique = "absent.rt";
    const std::string boxes = load(plain);
    EXPECT_TRUE(contains(boxes, kLevelMessage));
    EXPECT_TRUE(contains(boxes, "absent.rt"));
    EXPECT_TRUE(isEmpty());
    EXPECT_EQ(drainPostedCloses(), 1);
}

TEST_F(MapTest, RenderablePortalIsRefusedAndTheNextMapStillLoads) {
    OtmMap plain = fullMap();
    plain.portals[0].flags = 3;
    const std::string boxes = load(plain);
    EXPECT_TRUE(contains(boxes, kLevelMessage));
    EXPECT_TRUE(contains(boxes,
                         "Visible portals not currently supported, must set renderable "
                         "to false"));
    EXPECT_TRUE(isEmpty());
    EXPECT_EQ(drainPostedCloses(), 1);
    // The program goes on and loads the next map.
    EXPECT_EQ(load(fullMap()), "");
    EXPECT_EQ(map->sectorCount(), 2);
}

// ---- lights -----------------------------------------------------------------------

TEST_F(MapTest, EmptyLightRecordIsOneByteWhateverTheOtherBits) {
    OtmWriter file;
    file.header(0, 0, 2);
    file.u8(0xFF);  // bit 1 set: nothing follows, although bits 2 and 3 say otherwise
    OtmLight next;
    next.position = {7, 8, 9, 0};
    file.light(next);
    ASSERT_EQ(load(file.bytes()), "");
    ASSERT_EQ(map->lightCount(), 2);
    EXPECT_EQ(map->light(1).position, (Vector4{7, 8, 9, 0}));
}

TEST_F(MapTest, NamedLightWithoutPiecesEndsAfterItsName) {
    OtmLight named;
    named.flags = OtmLight::kNamed | OtmLight::kNoPieces;
    named.name = "a rather long name for a lamp";
    OtmLight next;
    next.outerRadius = 42;
    OtmWriter file;
    file.header(0, 0, 2).light(named).light(next);
    ASSERT_EQ(load(file.bytes()), "");
    EXPECT_TRUE(map->light(0).named);
    EXPECT_FALSE(map->light(0).precomputed);
    EXPECT_EQ(map->light(1).outerRadius, 42.0f);
}

TEST_F(MapTest, LightWithNoPiecesListedHasAnEmptyShadowMeshAndNoHomeSector) {
    OtmLight light;
    light.flags = 0;
    OtmWriter file;
    file.header(0, 0, 1).light(light);
    ASSERT_EQ(load(file.bytes()), "");
    const Light& loaded = map->light(0);
    EXPECT_TRUE(loaded.precomputed);
    ASSERT_NE(loaded.shadowMesh, nullptr);
    EXPECT_EQ(loaded.shadowMesh->faceCount(), 0);
    EXPECT_EQ(loaded.homeSector, nullptr);
    EXPECT_TRUE(loaded.pieces.empty());
}

TEST_F(MapTest, ShadowPiecesNameChildMeshesAndTheFirstSectorIsHome) {
    OtmMap plain = fullMap();
    plain.lights[0].pieces = {{1, 0}, {0, 0}, {1, 0}};
    ASSERT_EQ(load(plain), "");
    const Light& light = map->light(0);
    EXPECT_EQ(light.homeSector, &map->sector(1));
    ASSERT_EQ(light.pieces.size(), 2u);  // one per sector
    EXPECT_EQ(light.pieces[0].mesh, &map->sector(1).staticMesh().child(0));
    EXPECT_EQ(light.pieces[1].mesh, &map->sector(0).staticMesh().child(0));
    ASSERT_NE(light.shadowMesh, nullptr);
    EXPECT_GT(light.shadowMesh->faceCount(), 0);
}

// ---- octrees ----------------------------------------------------------------------

TEST_F(MapTest, OctreeLeavesMayBeEmptyAndShareFaces) {
    OtmMap plain;
    plain.sectors.push_back(boxSector(kRoomMin, kRoomMax));
    OtmOctreeNode& root = plain.sectors[0].mesh.octree;
    root.faces.clear();
    root.children.resize(8);
    root.children[0].faces = {0, 1, 2, 3, 4, 5};
    root.children[7].faces = {0, 1, 2, 3, 4, 5};  // the same faces again
    ASSERT_EQ(load(plain), "");
    const FaceOctree* octree = map->sector(0).staticMesh().octree();
    ASSERT_NE(octree, nullptr);
    EXPECT_EQ(octree->leafCount(), 8);
    ASSERT_FALSE(octree->root()->leaf);
    EXPECT_TRUE(octree->root()->children[3]->faces.empty());
    EXPECT_EQ(octree->root()->children[7]->faces.size(), 6u);
    EXPECT_EQ(octree->root()->children[0]->faces[2], &map->sector(0).staticMesh().face(2));
    EXPECT_TRUE(map->sector(0).containsPoint({1, 1, 1, 0}));
}

TEST_F(MapTest, OctreeNestedPastTheLimitIsALoadError) {
    // A chain of split nodes deeper than any octree a compiler writes; each split
    // node's other seven children are empty leaves.
    OtmWriter file;
    file.header(1, 0, 0).i32(0).i32(0).i32(0);
    file.body({}).vec3(kRoomMin).vec3(kRoomMax);
    const int depth = FaceOctree::kMaxReadDepth + 1;
    for (int level = 0; level < depth; ++level) file.i32(-1);
    file.i32(0);
    for (int level = 0; level < depth; ++level)
        for (int sibling = 0; sibling < 7; ++sibling) file.i32(0);
    file.i32(0);
    const std::string boxes = load(file.bytes());
    EXPECT_TRUE(contains(boxes, kLevelMessage));
    EXPECT_TRUE(contains(boxes, "Octree nodes nested deeper than 64 levels"));
    EXPECT_TRUE(isEmpty());
}

// ---- counts and truncation --------------------------------------------------------

TEST_F(MapTest, NegativeCountsReadNoEntries) {
    OtmWriter file;
    file.header(1, 0, 1);
    file.i32(-1).i32(-7).i32(0);                                    // sector: no references
    file.i32(-1).i32(-2).i32(INT32_MIN).i32(-1);                    // mesh body counts
    file.vec3(kRoomMin).vec3(kRoomMax).i32(-5);                     // octree: an empty leaf
    file.i32(-1);                                                   // children
    file.u8(0).vec3({}).f32(0).f32(1).f32(0).f32(1).f32(1).f32(1);  // light
    file.i32(-3);                                                   // shadow pieces
    ASSERT_EQ(load(file.bytes()), "");
    const Sector& sector = map->sector(0);
    EXPECT_TRUE(sector.lights().empty());
    EXPECT_TRUE(sector.portals().empty());
    EXPECT_EQ(sector.staticMesh().faceCount(), 0);
    EXPECT_EQ(sector.staticMesh().childCount(), 0);
    EXPECT_EQ(sector.staticMesh().octree()->leafCount(), 1);
    EXPECT_TRUE(map->light(0).pieces.empty());

    EXPECT_EQ(load(OtmWriter().header(-1, INT32_MIN, -1).bytes()), "");
    EXPECT_TRUE(isEmpty());
}

TEST_F(MapTest, TruncationInsideEveryRecordKindReadsPastTheEnd) {
    OtmWriter file;
    file.map(fullMap());
    ASSERT_EQ(load(file.bytes()), "");
    std::set<std::string> kinds;
    for (const OtmRecordSpan& span : file.spans()) {
        for (size_t cut : {span.begin + (span.end - span.begin) / 2, span.end - 1}) {
            if (cut < span.begin || cut >= span.end) continue;
            const std::string boxes = load(file.bytes().substr(0, cut));
            EXPECT_TRUE(contains(boxes, kLevelMessage)) << span.kind << " cut at " << cut;
            EXPECT_TRUE(contains(boxes, kReadPastEnd)) << span.kind << " cut at " << cut;
            EXPECT_TRUE(isEmpty());
            kinds.insert(span.kind);
        }
    }
    EXPECT_EQ(kinds,
              (std::set<std::string>{"header", "sector", "static mesh", "mesh body", "material",
                                     "vertex", "face", "octree node", "portal", "light"}));
    EXPECT_GT(drainPostedCloses(), 0);
}

TEST_F(MapTest, CountLargerThanTheRestOfTheFileFailsAtOnce) {
    struct Case {
        const char* what;
        std::function<void(OtmWriter&)> write;
    };
    const Case cases[] = {
        {"sectors", [](OtmWriter& w) { w.header(INT32_MAX, 0, 0); }},
        {"lights", [](OtmWriter& w) { w.header(0, 0, 1 << 20); }},
        {"positions",
         [](OtmWriter& w) { w.header(1, 0, 0).i32(0).i32(0).i32(0).i32(0).i32(1 << 28); }},
        {"faces",
         [](OtmWriter& w) {
             w.header(1, 0, 0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(INT32_MAX);
         }},
        {"light references",
         [](OtmWriter& w) { w.header(1, 0, 0).i32(INT32_MAX).i32(0).i32(0).body({}); }},
        {"octree leaf",
         [](OtmWriter& w) {
             w.header(1, 0, 0).i32(0).i32(0).i32(0).body({}).vec3({}).vec3({}).i32(1 << 30);
         }},
        {"children",
         [](OtmWriter& w) {
             w.header(1, 0, 0).i32(0).i32(0).i32(0).body({}).vec3({}).vec3({}).i32(0).i32(1 << 30);
         }},
        {"portal positions",
         [](OtmWriter& w) {
             w.header(1, 1, 0)
                 .sector(boxSector(kRoomMin, kRoomMax))
                 .u8(0)
                 .i32(0)
                 .i32(0)
                 .i32(1 << 29);
         }},
        {"shadow pieces",
         [](OtmWriter& w) {
             w.header(0, 0, 1).u8(0).vec3({}).f32(0).f32(1).f32(0).f32(1).f32(1).f32(1);
             w.i32(1 << 29);
         }},
    };
    for (const Case& c : cases) {
        OtmWriter file;
        c.write(file);
        // Some bytes follow, but nowhere near what the count needs.
        const std::string boxes = load(file.bytes() + std::string(64, '\0'));
        EXPECT_TRUE(contains(boxes, kReadPastEnd)) << c.what;
        EXPECT_TRUE(isEmpty()) << c.what;
    }
}

TEST_F(MapTest, CorruptedBytesEitherLoadOrFailTheLevelCleanly) {
    const std::string original = otmBytes(fullMap());
    std::mt19937 random(20261208);
    std::uniform_int_distribution<size_t> at(0, original.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    int failed = 0;
    for (int round = 0; round < 150; ++round) {
        std::string bytes = original;
        for (int n = 0; n < 1 + round % 4; ++n)
            bytes[at(random)] = static_cast<char>(value(random));
        const std::string boxes = load(bytes);
        if (boxes.empty()) continue;
        ++failed;
        EXPECT_TRUE(contains(boxes, kLevelMessage)) << "round " << round;
        EXPECT_TRUE(isEmpty()) << "round " << round;
    }
    EXPECT_GT(failed, 0);
    drainPostedCloses();
}

// ---- indices outside their lists --------------------------------------------------

struct BadIndex {
    const char* name;
    std::function<void(OtmMap&)> spoil;
    const char* message;  // names the list and the element that held the index
};

class MapIndexTest : public MapTest, public ::testing::WithParamInterface<BadIndex> {};

TEST_P(MapIndexTest, IndexOutsideItsListFailsTheLevelNamingIt) {
    OtmMap plain = fullMap();
    GetParam().spoil(plain);
    const std::string boxes = load(plain);
    EXPECT_TRUE(contains(boxes, kLevelMessage));
    EXPECT_TRUE(contains(boxes, kSubscript));
    EXPECT_TRUE(contains(boxes, GetParam().message));
    EXPECT_TRUE(isEmpty());
    // Found before any record was built: no technique or texture was loaded.
    EXPECT_EQ(techniques.size(), 0u);
    EXPECT_EQ(textures.size(), 0u);
    EXPECT_EQ(drainPostedCloses(), 1);
}

const BadIndex kBadIndices[] = {
    {"VertexPosition", [](OtmMap& m) { m.sectors[0].mesh.body.vertices[3].position = 999; },
     "position 999 outside a list of"},
    {"FaceVertex", [](OtmMap& m) { m.sectors[1].mesh.body.faces[2].corners[1] = -1; },
     "vertex -1 outside a list of 40, in face 2"},
    {"FaceMaterial", [](OtmMap& m) { m.sectors[0].mesh.body.faces[0].material = 1; },
     "material 1 outside a list of 1, in face 0"},
    {"ChildFaceVertex", [](OtmMap& m) { m.sectors[0].mesh.children[0].faces[5].corners[0] = 24; },
     "vertex 24 outside a list of 24, in face 5"},
    {"OctreeFace", [](OtmMap& m) { m.sectors[0].mesh.octree.faces.push_back(10); },
     "face 10 outside a list of 10, in octree leaf entry 10"},
    {"SectorLight", [](OtmMap& m) { m.sectors[1].lights.push_back(3); },
     "light 3 outside a list of 3, in light reference 2"},
    {"SectorPortal", [](OtmMap& m) { m.sectors[0].portals.push_back(1); },
     "portal 1 outside a list of 1, in portal reference 1"},
    {"PortalSector", [](OtmMap& m) { m.portals[0].second = 2; },
     "sector 2 outside a list of 2, in portal side 2"},
    {"PortalVertexPosition", [](OtmMap& m) { m.portals[0].vertices[0].position = 4; },
     "position 4 outside a list of 4, in vertex 0"},
    {"PortalFaceVertex", [](OtmMap& m) { m.portals[0].faces[0].corners[3] = 7; },
     "vertex 7 outside a list of 4, in face 0"},
    {"LightPieceSector", [](OtmMap& m) { m.lights[0].pieces[1].first = 5; },
     "sector 5 outside a list of 2, in shadow piece 1"},
    {"LightPieceChild", [](OtmMap& m) { m.lights[0].pieces[0].second = 1; },
     "child mesh 1 outside a list of 1, in shadow piece 0"},
};

INSTANTIATE_TEST_SUITE_P(EveryList, MapIndexTest, ::testing::ValuesIn(kBadIndices),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace arvel::test
