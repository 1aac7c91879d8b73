// CPU shadow volumes (faces within reach, caps, silhouette sides, winding) and the
// light cache that keeps them per (mesh, light).
#include <climits>
#include <map>
#include <utility>

#include "ShadowTestSupport.h"

namespace arvel::test {
namespace {

class CpuVolumeTest : public ShadowTest {};

// The volume's triangles but those lying wholly among the far positions, in order.
std::vector<uint32_t> withoutFarCaps(const CpuVolumeGeometry& g) {
    const auto far = [&](uint32_t i) { return i >= static_cast<uint32_t>(g.nearCount); };
    std::vector<uint32_t> kept;
    for (size_t t = 0; t + 2 < g.indices.size(); t += 3)
        if (!(far(g.indices[t]) && far(g.indices[t + 1]) && far(g.indices[t + 2])))
            kept.insert(kept.end(), g.indices.begin() + t, g.indices.begin() + t + 3);
    return kept;
}

// Every directed edge of a closed surface wound one way appears once, and its
// reverse once: the volume is watertight and every triangle agrees on the outside.
::testing::AssertionResult closedAndConsistent(const CpuVolumeGeometry& g) {
    std::map<std::pair<uint32_t, uint32_t>, int> directed;
    for (size_t t = 0; t + 2 < g.indices.size(); t += 3)
        for (int k = 0; k < 3; ++k) ++directed[{g.indices[t + k], g.indices[t + (k + 1) % 3]}];
    for (const auto& [edge, count] : directed) {
        const auto reverse = directed.find({edge.second, edge.first});
        if (count != 1 || reverse == directed.end() || reverse->second != 1)
            return ::testing::AssertionFailure()
                   << "edge " << edge.first << "-" << edge.second << " used " << count << " times";
    }
    return ::testing::AssertionSuccess();
}

// Six times the enclosed volume: positive when the faces point outwards.
float signedVolume(const CpuVolumeGeometry& g) {
    float sum = 0.0f;
    for (size_t t = 0; t + 2 < g.indices.size(); t += 3) {
        const Vector4& a = g.positions[g.indices[t]];
        const Vector4& b = g.positions[g.indices[t + 1]];
        const Vector4& c = g.positions[g.indices[t + 2]];
        sum += dot3(a, cross3(b, c));
    }
    return sum;
}

TEST_F(CpuVolumeTest, BackTriangleGivesTwoCapsAndThreeSideQuads) {
    Mesh mesh;
    // Faces +z, light below it on -z: the light is behind the triangle.
    makeTriangle(mesh);
    const CpuVolumeGeometry g = buildCpuVolumeGeometry({&mesh, {0.25f, 0.25f, -2.0f, 0.0f}, 10.0f});
    EXPECT_EQ(g.nearCount, 3);
    EXPECT_EQ(g.positions.size(), 6u);
    EXPECT_EQ(g.indices.size(), (2u + 3u * 2u) * 3u);
    EXPECT_TRUE(g.litFaces.empty());
    EXPECT_TRUE(closedAndConsistent(g));
    EXPECT_GT(signedVolume(g), 0.0f);
}

TEST_F(CpuVolumeTest, FarPositionsArePushedOutToTheLightsReach) {
    Mesh mesh;
    makeTriangle(mesh);
    const Vector4 light{0, 0, -2, 0};
    const CpuVolumeGeometry g = buildCpuVolumeGeometry({&mesh, light, 10.0f});
    // The face lies 2 from the light: everything goes 10 / 2 = 5 times as far.
    ASSERT_EQ(g.positions.size(), 6u);
    for (int i = 0; i < 3; ++i) {
        const Vector4 expected = light + (g.positions[i] - light) * 5.0f;
        EXPECT_NEAR(g.positions[i + 3].x, expected.x, 1e-5f);
        EXPECT_NEAR(g.positions[i + 3].y, expected.y, 1e-5f);
        EXPECT_NEAR(g.positions[i + 3].z, expected.z, 1e-5f);
    }
}

TEST_F(CpuVolumeTest, FaceExactlyAtTheRadiusTakesNoPart) {
    Mesh mesh;
    addPositions(mesh, {{-1, -1, 0, 0}, {1, -1, 0, 0}, {0, 1, 0, 0}});
    addFace(mesh, {0, 1, 2});
    mesh.buildEdges();
    EXPECT_TRUE(buildCpuVolumeGeometry({&mesh, {0, 0, -4, 0}, 4.0f}).indices.empty());
    EXPECT_TRUE(buildCpuVolumeGeometry({&mesh, {0, 0, 4, 0}, 4.0f}).litFaces.empty());
    EXPECT_EQ(buildCpuVolumeGeometry({&mesh, {0, 0, 4, 0}, 4.01f}).litFaces.size(), 1u);
}

TEST_F(CpuVolumeTest, FaceTowardsTheLightIsLitAndCastsNothing) {
    Mesh mesh;
    makeTriangle(mesh);
    const CpuVolumeGeometry g = buildCpuVolumeGeometry({&mesh, {0.25f, 0.25f, 2.0f, 0.0f}, 10.0f});
    EXPECT_EQ(g.litFaces.size(), 1u);
    EXPECT_EQ(g.nearCount, 0);
    EXPECT_TRUE(g.indices.empty());
}

TEST_F(CpuVolumeTest, BoxLitFromOutsideHasSidesOnlyOnItsSilhouette) {
    Mesh cube;
    makeCube(cube);
    cube.buildEdges();
    // From far along +x only the +x face is lit; its four edges are the silhouette.
    const CpuVolumeGeometry g = buildCpuVolumeGeometry({&cube, {10, 0.5f, 0.5f, 0}, 100.0f});
    EXPECT_EQ(g.litFaces.size(), 1u);
    EXPECT_EQ(g.nearCount, 8);
    const size_t capTriangles = 5 * 2 * 2, sideTriangles = 4 * 2;
    EXPECT_EQ(g.indices.size(), (capTriangles + sideTriangles) * 3);
    EXPECT_TRUE(closedAndConsistent(g));
    EXPECT_GT(signedVolume(g), 0.0f);
    EXPECT_EQ(g.openIndices.size(), (capTriangles / 2 + sideTriangles) * 3);
    EXPECT_EQ(g.openIndices, withoutFarCaps(g));
}

TEST_F(CpuVolumeTest, RefusedScratchMemoryLeavesTheLitFacesAndNoVolume) {
    Mesh cube;
    makeCube(cube);
    cube.buildEdges();
    zone().used = zone().capacity;  // nothing left
    CpuVolumeGeometry g;
    ::testing::internal::CaptureStderr();
    g = buildCpuVolumeGeometry({&cube, {10, 0.5f, 0.5f, 0}, 100.0f});
    const std::string boxes = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(g.complete);
    EXPECT_TRUE(g.indices.empty());
    EXPECT_EQ(g.litFaces.size(), 1u);
    EXPECT_NE(boxes.find("Zone busted"), std::string::npos) << boxes;
}

TEST_F(CpuVolumeTest, EntryKeepsLitFacesByMaterialAndAPositionOnlyStaticArray) {
    StaticMesh mesh;
    Material* red = litMaterial(mesh);
    Material* blue = &mesh.addMaterial(std::make_unique<Material>(nullptr, nullptr));
    addPositions(mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 0, 0}, {2, 0, 0, 0}});
    addFace(mesh, {0, 1, 2}, red);
    addFace(mesh, {1, 4, 2}, blue);
    addFace(mesh, {0, 2, 3}, red);
    mesh.buildEdges();
    const auto entry = buildCpuShadowVolume(mesh, *pointLight({0.5f, 0.5f, 2, 0}, 10.0f));
    ASSERT_EQ(entry->litGroups.size(), 2u);
    EXPECT_NE(entry->litGroups[0]->material, entry->litGroups[1]->material);
    EXPECT_EQ(entry->litGroups[0]->faceCount + entry->litGroups[1]->faceCount, 3);
    EXPECT_TRUE(entry->volume.indices.empty());
    EXPECT_EQ(driver.countOf("dVAAlloc"), 0);

    StaticMesh cube;
    makeCube(cube);
    cube.buildEdges();
    const auto shadowed = buildCpuShadowVolume(cube, *pointLight({10, 0.5f, 0.5f, 0}, 100.0f));
    EXPECT_EQ(only(driver, "dVAAlloc"), std::vector<std::string>{"dVAAlloc(16, 1, 288)"});
    EXPECT_EQ(shadowed->nearCount, 8);
    EXPECT_EQ(shadowed->volume.indexCount(), 84);
}

class LightCacheTest : public ShadowTest {
protected:
    std::unique_ptr<LightCacheEntry> entry(const Mesh* mesh, const Light* light) {
        auto e = std::make_unique<LightCacheEntry>();
        e->mesh = mesh;
        e->light = light;
        e->vertexArray.create(nullptr, 4, 1, dcode::kMemoryStatic);
        return e;
    }
    Mesh a, b, c;
    Light light;
};

TEST_F(LightCacheTest, LookupMissesUntilInsertedAndThenHits) {
    LightCache cache;
    EXPECT_EQ(cache.find(&a, &light), nullptr);
    LightCacheEntry& inserted = cache.insert(entry(&a, &light), 4);
    EXPECT_EQ(cache.find(&a, &light), &inserted);
    EXPECT_EQ(cache.find(&a, nullptr), nullptr);
    EXPECT_EQ(cache.find(&b, &light), nullptr);
}

TEST_F(LightCacheTest, FullCacheDropsTheOldestAndPutsTheNewFirst) {
    LightCache cache;
    cache.insert(entry(&a, &light), 2);
    cache.insert(entry(&b, &light), 2);
    cache.insert(entry(&c, &light), 2);
    ASSERT_EQ(cache.size(), 2);
    EXPECT_EQ(cache.at(0)->mesh, &c);
    EXPECT_EQ(cache.at(1)->mesh, &b);
    EXPECT_EQ(cache.find(&a, &light), nullptr);
}

TEST_F(LightCacheTest, LookupDoesNotReorder) {
    LightCache cache;
    cache.insert(entry(&a, &light), 2);
    cache.insert(entry(&b, &light), 2);
    cache.find(&a, &light);
    cache.insert(entry(&c, &light), 2);
    EXPECT_EQ(cache.find(&a, &light), nullptr);  // still the oldest
}

TEST_F(LightCacheTest, SameKeyIsReplacedWhereItStands) {
    LightCache cache;
    cache.insert(entry(&a, &light), 3);
    cache.insert(entry(&b, &light), 3);
    LightCacheEntry& replaced = cache.insert(entry(&a, &light), 3);
    ASSERT_EQ(cache.size(), 2);
    EXPECT_EQ(cache.at(1), &replaced);
    EXPECT_EQ(cache.retiredCount(), 1);
}

TEST_F(LightCacheTest, EntriesThatLeaveKeepTheirArraysUntilReleased) {
    LightCache cache;
    cache.insert(entry(&a, &light), 1);
    cache.insert(entry(&b, &light), 1);  // a leaves while it might still be queued
    EXPECT_EQ(driver.countOf("dVAFree"), 0);
    cache.releaseRetired();
    EXPECT_EQ(driver.countOf("dVAFree"), 1);
    cache.clear();
    EXPECT_EQ(driver.countOf("dVAFree"), 2);
}

TEST_F(LightCacheTest, FetchBuildsOncePerMeshAndLight) {
    StaticMesh mesh;
    makeCube(mesh);
    mesh.buildEdges();
    const auto outside = pointLight({10, 0.5f, 0.5f, 0}, 100.0f);
    LightCache cache;
    LightCacheEntry& first = cache.fetch(mesh, *outside, 8);
    LightCacheEntry& again = cache.fetch(mesh, *outside, 8);
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(driver.countOf("dVAAlloc"), 1);
}

TEST_F(LightCacheTest, CapacityIsTheSettingTruncatedAndKeptWithinRange) {
    settings().gfxLightCache.number = 2.9;
    EXPECT_EQ(lightCacheCapacity(), 2);
    settings().gfxLightCache.number = -3.0;
    EXPECT_EQ(lightCacheCapacity(), 0);
    settings().gfxLightCache.number = 1e12;
    EXPECT_EQ(lightCacheCapacity(), INT_MAX);
}

TEST_F(LightCacheTest, CapacityOfNothingStillKeepsTheNewestEntry) {
    LightCache cache;
    cache.insert(entry(&a, &light), 0);
    cache.insert(entry(&b, &light), 0);
    ASSERT_EQ(cache.size(), 1);
    EXPECT_EQ(cache.at(0)->mesh, &b);
}

}  // namespace
}  // namespace arvel::test
