#include "world/Light.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "core/Zone.h"
#include "core/math/BoundingBox.h"
#include "fs/DataStream.h"
#include "render/RenderBatch.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "support/RecordingDriver.h"
#include "unit/world/MeshTestSupport.h"
#include "world/Map.h"
#include "world/Mesh.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"
#include "world/ViewVolume.h"

namespace arvel {
namespace {

using test::ByteWriter;
using test::exceptionText;

// ---- light levels -----------------------------------------------------------------

std::unique_ptr<Light> lightAt(const Vector4& position, float inner, float outer) {
    auto light = std::make_unique<Light>();
    light->position = position;
    light->setRadii(inner, outer);
    return light;
}

TEST(LightLevelTest, FullUpToTheInnerRadiusHalfwayAcrossTheShellAndNoneFromTheOuter) {
    const auto light = lightAt({1, 2, 3, 0}, 2.0f, 6.0f);
    EXPECT_FLOAT_EQ(light->falloffFactor, 0.25f);
    EXPECT_FLOAT_EQ(light->lightLevel(Vector4{1, 2, 3, 0}), 1.0f);
    EXPECT_FLOAT_EQ(light->lightLevel(Vector4{1, 4, 3, 0}), 1.0f);
    EXPECT_FLOAT_EQ(light->lightLevel(Vector4{1, 2, 7, 0}), 0.5f);
    EXPECT_FLOAT_EQ(light->lightLevel(Vector4{1, 2, 8, 0}), 0.25f);
    EXPECT_FLOAT_EQ(light->lightLevel(Vector4{7, 2, 3, 0}), 0.0f);
    EXPECT_FLOAT_EQ(light->lightLevel(Vector4{1, 2, 30, 0}), 0.0f);
}

TEST(LightLevelTest, EqualRadiiLightEverythingCloserAndNothingAtOrBeyond) {
    const auto light = lightAt({0, 0, 0, 0}, 4.0f, 4.0f);
    EXPECT_TRUE(std::isinf(light->falloffFactor));
    EXPECT_EQ(light->lightLevel(Vector4{0, 3.999f, 0, 0}), 1.0f);
    EXPECT_EQ(light->lightLevel(Vector4{0, 4, 0, 0}), 0.0f);
    EXPECT_EQ(light->lightLevel(Vector4{0, 0, 9, 0}), 0.0f);
    EXPECT_EQ(light->lightLevel(Vector4{0, 0, 0, 0}), 1.0f);
}

TEST(LightLevelTest, VolumeIsLitAsItsPointClosestToTheLight) {
    const auto light = lightAt({0, 0, 0, 0}, 2.0f, 6.0f);
    EXPECT_FLOAT_EQ(light->lightLevel(BoundingBox{{4, -1, -1, 0}, {9, 1, 1, 0}}), 0.5f);
    EXPECT_FLOAT_EQ(light->lightLevel(BoundingBox{{-1, -1, -1, 0}, {9, 1, 1, 0}}), 1.0f);
    EXPECT_FLOAT_EQ(light->lightLevel(BoundingBox{{6, 6, 6, 0}, {9, 9, 9, 0}}), 0.0f);
}

// ---- reach ------------------------------------------------------------------------

TEST(LightReachTest, SphereReachesUnlessWhollyBehindOnePlane) {
    const ViewVolume volume = ViewVolume::fromScreenRect(-1, 1, -1, 1, 100.0f);
    EXPECT_TRUE(lightAt({0, 0, -10, 0}, 0.0f, 1.0f)->reaches(volume));
    // Behind the eye: about 7.07 behind each side plane.
    EXPECT_FALSE(lightAt({0, 0, 10, 0}, 0.0f, 5.0f)->reaches(volume));
    EXPECT_TRUE(lightAt({0, 0, 10, 0}, 0.0f, 8.0f)->reaches(volume));
    // Beyond the cap at depth 100; touching it still reaches.
    EXPECT_FALSE(lightAt({0, 0, -150, 0}, 0.0f, 10.0f)->reaches(volume));
    EXPECT_TRUE(lightAt({0, 0, -150, 0}, 0.0f, 60.0f)->reaches(volume));
    EXPECT_TRUE(lightAt({0, 0, -110, 0}, 0.0f, 10.0f)->reaches(volume));
    ViewVolume open;
    open.finish();
    EXPECT_TRUE(lightAt({1e6f, 0, 0, 0}, 0.0f, 1.0f)->reaches(open));
}

// ---- records ----------------------------------------------------------------------

DVertexArray* fakeArray() {
    static char storage;
    return reinterpret_cast<DVertexArray*>(&storage);
}

void writeBody(ByteWriter& out, const std::vector<Vector4>& positions,
               const std::vector<std::vector<int>>& faces) {
    out.i32(1).i32(static_cast<int>(positions.size())).i32(static_cast<int>(positions.size()));
    out.i32(static_cast<int>(faces.size()));
    out.u8(0).u8(255).str("none.rt").i32(0);
    for (const Vector4& p : positions) out.vec3(p.x, p.y, p.z);
    for (size_t i = 0; i < positions.size(); ++i)
        out.i32(static_cast<int>(i)).f32(0).f32(0).vec3(0, 0, 1).vec3(1, 0, 0).u8(255);
    for (const auto& face : faces) {
        out.i32(static_cast<int>(face.size()));
        for (int v : face) out.i32(v);
        out.i32(0);
    }
}

// A floor quad as the sector mesh; children: the unit cube and a lone triangle at z = 2.
void writeSector(ByteWriter& out) {
    out.i32(0).i32(0).i32(0);
    writeBody(out, {{0, 0, 0, 0}, {4, 0, 0, 0}, {4, 4, 0, 0}, {0, 4, 0, 0}}, {{0, 1, 2, 3}});
    out.vec3(0, 0, 0).vec3(4, 4, 0).i32(1).i32(0);
    out.i32(2);
    std::vector<Vector4> cube;
    for (int i = 0; i < 8; ++i)
        cube.push_back({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1), 0});
    writeBody(out, cube,
              {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}});
    writeBody(out, {{0, 0, 2, 0}, {1, 0, 2, 0}, {0, 1, 2, 0}}, {{0, 1, 2}});
}

struct LightRecord {
    int flags = 0;
    Vector4 position{0.5f, 0.5f, 5.0f, 0.0f};
    float inner = 1.0f, outer = 20.0f, third = 0.75f;
    float colour[3] = {0.25f, 0.5f, 1.0f};
    const char* name = "lamp";
    std::vector<std::pair<int, int>> pieces;

    void write(ByteWriter& out) const {
        out.u8(flags);
        if (flags & Light::kRecordEmpty) return;
        out.vec3(position.x, position.y, position.z).f32(inner).f32(outer).f32(third);
        out.f32(colour[0]).f32(colour[1]).f32(colour[2]);
        if (flags & Light::kRecordNamed) out.str(name);
        if (flags & Light::kRecordNoPieces) return;
        out.i32(static_cast<int>(pieces.size()));
        for (const auto& [sector, child] : pieces) out.i32(sector).i32(child);
    }
};

class TestMap : public Map {
public:
    explicit TestMap(ResourceRegistry* techniques) : Map("lights.otm", nullptr, techniques) {}
    // parse owns and frees its block.
    void parseBytes(const std::string& bytes) {
        void* block = malloc(bytes.size());
        std::memcpy(block, bytes.data(), bytes.size());
        parse(block, static_cast<int>(bytes.size()));
    }
};

class LightLoadTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        zone().create();
        driver.setResult("dVAAlloc", fakeArray());
        auto technique = std::make_unique<RenderTechnique>("none.rt", nullptr, nullptr);
        technique->compile("Ambient { impl { Pass { } } }");
        techniques.add(technique.release());
    }
    void TearDown() override { zone().destroy(); }

    // Two sectors of the same shape and the lights given.
    void loadMap(const std::vector<LightRecord>& lights = {}) {
        ByteWriter out;
        out.u8('O').u8('T').u8('M').u8('i').u8('d').u8(120);
        out.i32(2).i32(0).i32(static_cast<int>(lights.size()));
        writeSector(out);
        writeSector(out);
        for (const LightRecord& light : lights) light.write(out);
        map.parseBytes(out.bytes());
        ASSERT_EQ(map.sectorCount(), 2);
        driver.clearCalls();
    }

    // Loads one record into light straight from its bytes; returns the bytes left.
    int load(Light& light, const LightRecord& record, const std::string& trailing = "") {
        ByteWriter out;
        record.write(out);
        const std::string bytes = out.bytes() + trailing;
        DataStream stream(bytes.data(), static_cast<int>(bytes.size()));
        light.load(stream, map);
        return stream.remaining();
    }

    test::RecordingDriver driver;
    ResourceRegistry techniques;
    TestMap map{&techniques};
};

TEST_F(LightLoadTest, RecordWithoutPiecesGivesPositionRadiiColourSwitchAndEndsAfterTheName) {
    loadMap();
    Light light;
    LightRecord record;
    record.flags = Light::kRecordSwitch | Light::kRecordNamed | Light::kRecordNoPieces;
    EXPECT_EQ(load(light, record, "next"), 4);
    EXPECT_EQ(light.position, (Vector4{0.5f, 0.5f, 5.0f, 0.0f}));
    EXPECT_EQ(light.innerRadius, 1.0f);
    EXPECT_EQ(light.outerRadius, 20.0f);
    EXPECT_FLOAT_EQ(light.falloffFactor, 1.0f / 19.0f);
    EXPECT_EQ(light.thirdParameter, 0.75f);
    EXPECT_EQ(light.colour[0], 0.25f);
    EXPECT_EQ(light.colour[1], 0.5f);
    EXPECT_EQ(light.colour[2], 1.0f);
    EXPECT_TRUE(light.named);
    EXPECT_TRUE(light.lightSwitch);
    EXPECT_FALSE(light.precomputed);
    EXPECT_EQ(light.shadowMesh, nullptr);
    EXPECT_EQ(light.homeSector, nullptr);

    Light plain;
    record.flags = Light::kRecordNoPieces;
    EXPECT_EQ(load(plain, record), 0);
    EXPECT_FALSE(plain.lightSwitch);
    EXPECT_FALSE(plain.named);
}

TEST_F(LightLoadTest, EmptyRecordIsOneByteLongWhateverTheOtherBitsSay) {
    loadMap();
    Light light;
    LightRecord record;
    record.flags = Light::kRecordEmpty | Light::kRecordNamed | Light::kRecordSwitch;
    EXPECT_EQ(load(light, record, "rest"), 4);
    EXPECT_TRUE(light.lightSwitch);
    EXPECT_FALSE(light.named);
    EXPECT_FALSE(light.precomputed);
    EXPECT_EQ(light.outerRadius, 0.0f);
}

TEST_F(LightLoadTest, ZeroPiecesGiveAnEmptyShadowMeshAndNoHomeSector) {
    loadMap();
    Light light;
    EXPECT_EQ(load(light, LightRecord{}), 0);
    EXPECT_TRUE(light.precomputed);
    ASSERT_NE(light.shadowMesh, nullptr);
    EXPECT_EQ(light.shadowMesh->faceCount(), 0);
    EXPECT_TRUE(light.pieces.empty());
    EXPECT_EQ(light.homeSector, nullptr);
    ASSERT_NE(light.shadowBatch, nullptr);
    EXPECT_EQ(light.shadowBatch->indexCount(), 0);
}

TEST_F(LightLoadTest, PieceExtrudesTheChildSilhouetteIntoAPositionOnlyStaticShadowMesh) {
    loadMap();
    Light light;
    LightRecord record;
    record.pieces = {{1, 0}};
    EXPECT_EQ(load(light, record), 0);

    StaticMesh& cube = map.sector(1).staticMesh().child(0);
    ASSERT_EQ(light.pieces.size(), 1u);
    EXPECT_EQ(light.pieces[0].sector, &map.sector(1));
    EXPECT_EQ(light.pieces[0].mesh, &cube);
    EXPECT_EQ(light.homeSector, &map.sector(1));
    EXPECT_GT(cube.leafCount(), 0);
    EXPECT_EQ(cube.boundingBox.max, (Vector4{1, 1, 1, 0}));

    // From above, the cube's outline is its top square: four side quads.
    const Mesh& shadow = *light.shadowMesh;
    ASSERT_EQ(shadow.faceCount(), 4);
    EXPECT_EQ(shadow.positionCount(), 16);
    EXPECT_EQ(shadow.triangleCount(), 8);
    const Vector4 far = shadow.position(1).point();
    EXPECT_FLOAT_EQ(far.z, 5.0f + (1.0f - 5.0f) * 1000.0f);
    EXPECT_EQ(driver.callsTo({"dVAAlloc"}), std::vector<std::string>{"dVAAlloc(16, 1, 288)"});
    ASSERT_NE(light.shadowBatch, nullptr);
    EXPECT_EQ(light.shadowBatch->faceCount, 4);
    EXPECT_EQ(light.shadowBatch->indexCount(), 24);
    EXPECT_EQ(light.shadowBatch->material, nullptr);
}

TEST_F(LightLoadTest, SecondPieceOfASectorReplacesItsMeshButBothCastShadows) {
    loadMap();
    Light light;
    LightRecord record;
    record.position = {0.25f, 0.25f, 8.0f, 0.0f};
    record.pieces = {{0, 0}, {1, 1}, {0, 1}};
    load(light, record);
    ASSERT_EQ(light.pieces.size(), 2u);
    EXPECT_EQ(light.pieces[0].sector, &map.sector(0));
    EXPECT_EQ(light.pieces[0].mesh, &map.sector(0).staticMesh().child(1));
    EXPECT_EQ(light.pieces[1].sector, &map.sector(1));
    EXPECT_EQ(light.homeSector, &map.sector(0));
    // Cube outline 4 sides, and 3 open edges of each lone triangle.
    EXPECT_EQ(light.shadowMesh->faceCount(), 4 + 3 + 3);
    for (int i = 0; i < light.shadowMesh->positionCount(); ++i)
        EXPECT_EQ(light.shadowMesh->position(i).index, i);
}

TEST_F(LightLoadTest, IndicesOutsideTheirListsStopTheLoad) {
    loadMap();
    for (const std::pair<int, int>& piece : {std::pair{2, 0}, std::pair{-1, 0}, std::pair{0, 2}}) {
        Light light;
        LightRecord record;
        record.pieces = {piece};
        EXPECT_NE(exceptionText([&] { load(light, record); }).find("invalid vector<T> subscript"),
                  std::string::npos);
    }
}

TEST_F(LightLoadTest, TruncatedRecordReadsPastTheEnd) {
    loadMap();
    ByteWriter out;
    LightRecord record;
    record.pieces = {{0, 0}};
    record.write(out);
    const std::string bytes = out.bytes().substr(0, out.bytes().size() - 2);
    DataStream stream(bytes.data(), static_cast<int>(bytes.size()));
    Light light;
    EXPECT_NE(
        exceptionText([&] { light.load(stream, map); }).find("Read past the end of a data stream"),
        std::string::npos);
}

TEST_F(LightLoadTest, MapLoadsEveryLightRecordInOrder) {
    LightRecord empty;
    empty.flags = Light::kRecordEmpty;
    LightRecord lit;
    lit.flags = Light::kRecordNamed;
    lit.pieces = {{1, 0}};
    LightRecord plain;
    plain.flags = Light::kRecordNoPieces;
    plain.outer = 7.0f;
    loadMap({empty, lit, plain});
    ASSERT_EQ(map.lightCount(), 3);
    EXPECT_EQ(map.light(0).index, 0);
    EXPECT_FALSE(map.light(0).precomputed);
    EXPECT_TRUE(map.light(1).precomputed);
    EXPECT_EQ(map.light(1).homeSector, &map.sector(1));
    EXPECT_EQ(map.light(1).shadowMesh->faceCount(), 4);
    EXPECT_EQ(map.light(2).index, 2);
    EXPECT_EQ(map.light(2).outerRadius, 7.0f);
}

}  // namespace
}  // namespace arvel
