#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "DirectVertexCache.h"
#include "core/Zone.h"
#include "render/Material.h"
#include "render/RenderBatch.h"
#include "shared/TriangleGrid.h"
#include "support/RecordingDriver.h"

namespace arvel {
namespace {

// Faces whose corner and bone lists live alongside them.
class FaceList {
public:
    void add(const Material* material, std::vector<uint32_t> corners, std::vector<int> bones = {}) {
        cornerLists_.push_back(std::make_unique<std::vector<uint32_t>>(std::move(corners)));
        boneLists_.push_back(std::make_unique<std::vector<int>>(std::move(bones)));
        BatchFace face;
        face.material = material;
        face.corners = cornerLists_.back()->data();
        face.cornerCount = static_cast<int>(cornerLists_.back()->size());
        face.bones = boneLists_.back()->data();
        face.boneCount = static_cast<int>(boneLists_.back()->size());
        faces_.push_back(face);
    }
    const BatchFace& operator[](size_t i) const { return faces_[i]; }
    const BatchFace* data() const { return faces_.data(); }
    int size() const { return static_cast<int>(faces_.size()); }

private:
    std::vector<std::unique_ptr<std::vector<uint32_t>>> cornerLists_;
    std::vector<std::unique_ptr<std::vector<int>>> boneLists_;
    std::vector<BatchFace> faces_;
};

using Batches = std::vector<std::unique_ptr<RenderBatch>>;
using Triangle = std::array<uint32_t, 3>;

std::vector<Triangle> trianglesOf(const std::vector<uint32_t>& indices) {
    std::vector<Triangle> triangles(indices.size() / 3);
    for (size_t t = 0; t < triangles.size(); ++t) {
        triangles[t] = {indices[3 * t], indices[3 * t + 1], indices[3 * t + 2]};
    }
    return triangles;
}

class RenderBatchTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        zone().create();
    }
    void TearDown() override { zone().destroy(); }

    Material stone{nullptr, nullptr};
    Material wood{nullptr, nullptr};
};

// --- one batch ---

TEST_F(RenderBatchTest, FreshBatchAcceptsAnyFaceAndTakesItsMaterial) {
    FaceList faces;
    faces.add(&wood, {0, 1, 2}, {4, 5});
    RenderBatch batch;
    EXPECT_EQ(batch.keyCount, -1);
    EXPECT_TRUE(batch.accepts(faces[0]));
    batch.addFace(faces[0]);
    EXPECT_EQ(batch.material, &wood);
    EXPECT_EQ(batch.keyCount, 2);
    EXPECT_EQ(batch.keySet, (std::vector<int>{4, 5}));
    EXPECT_EQ(batch.faceCount, 1);
}

// --- triangulation and drawing ---

TEST_F(RenderBatchTest, QuadFansIntoTwoTriangles) {
    FaceList faces;
    faces.add(&wood, {10, 11, 12, 13});
    const BatchFace* list[] = {&faces[0]};
    RenderBatch batch;
    ASSERT_TRUE(batch.buildIndices(list, 1));
    // The two share an edge, so the ordering keeps them as they are.
    EXPECT_EQ(batch.indices, (std::vector<uint32_t>{10, 11, 12, 10, 12, 13}));
}

TEST_F(RenderBatchTest, FacesOfFewerThanThreeCornersAddNoTriangles) {
    FaceList faces;
    faces.add(&wood, {});
    faces.add(&wood, {1});
    faces.add(&wood, {1, 2});
    faces.add(&wood, {4, 5, 6});
    const BatchFace* list[] = {&faces[0], &faces[1], &faces[2], &faces[3]};
    RenderBatch batch;
    ASSERT_TRUE(batch.buildIndices(list, 4));
    EXPECT_EQ(batch.indices, (std::vector<uint32_t>{4, 5, 6}));
}

TEST_F(RenderBatchTest, DrawIsOneTriangleListOfUnsignedInts) {
    test::RecordingDriver driver;
    FaceList faces;
    faces.add(&wood, {0, 1, 2, 3});
    Batches batches;
    buildRenderBatches(faces.data(), faces.size(), batches);
    ASSERT_EQ(batches.size(), 1u);
    auto* array = reinterpret_cast<DVertexArray*>(0x1000);
    batches[0]->draw(array);
    EXPECT_EQ(driver.calls(), (std::vector<std::string>{"dVARender(ptr, ptr, 6, 4, 5125)"}));
}

// --- grouping a mesh ---

TEST_F(RenderBatchTest, StaticMeshWithTwoMaterialsMakesOneBatchPerMaterial) {
    FaceList faces;
    faces.add(&wood, {0, 1, 2});
    faces.add(&stone, {2, 1, 3});
    faces.add(&wood, {0, 2, 4, 5});
    faces.add(&stone, {3, 1, 6});
    Batches batches;
    ASSERT_TRUE(buildRenderBatches(faces.data(), faces.size(), batches));
    ASSERT_EQ(batches.size(), 2u);
    const RenderBatch& woodBatch = *(batches[0]->material == &wood ? batches[0] : batches[1]);
    const RenderBatch& stoneBatch = *(batches[0]->material == &wood ? batches[1] : batches[0]);
    EXPECT_EQ(woodBatch.faceCount, 2);
    EXPECT_EQ(woodBatch.indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 4, 0, 4, 5}));
    EXPECT_EQ(stoneBatch.faceCount, 2);
    EXPECT_EQ(stoneBatch.indices, (std::vector<uint32_t>{2, 1, 3, 3, 1, 6}));
}

TEST_F(RenderBatchTest, TwentyBonesOfOneMaterialNeedTwoBatches) {
    FaceList faces;
    for (int bone = 0; bone < 20; ++bone) {
        uint32_t v = 3 * bone;
        faces.add(&wood, {v, v + 1, v + 2}, {bone});
    }
    Batches batches;
    ASSERT_TRUE(buildRenderBatches(faces.data(), faces.size(), batches));
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0]->keySet.size(), 16u);
    EXPECT_EQ(batches[1]->keySet, (std::vector<int>{16, 17, 18, 19}));
    EXPECT_EQ(batches[0]->faceCount + batches[1]->faceCount, 20);
}

TEST_F(RenderBatchTest, BoneListsOfDifferentLengthNeverShareABatch) {
    FaceList faces;
    faces.add(&wood, {0, 1, 2}, {1});
    faces.add(&wood, {1, 2, 3}, {1, 2});
    faces.add(&wood, {2, 3, 4}, {2});
    Batches batches;
    ASSERT_TRUE(buildRenderBatches(faces.data(), faces.size(), batches));
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0]->indices, (std::vector<uint32_t>{0, 1, 2, 2, 3, 4}));
    EXPECT_EQ(batches[1]->indices, (std::vector<uint32_t>{1, 2, 3}));
}

TEST_F(RenderBatchTest, FaceGoesToTheLastBatchThatAcceptsItAndOnlyThere) {
    FaceList faces;
    for (int bone = 0; bone < 17; ++bone) faces.add(&wood, {0, 1, 2}, {bone});
    faces.add(&wood, {3, 4, 5}, {0});  // fits both batches
    Batches batches;
    ASSERT_TRUE(buildRenderBatches(faces.data(), faces.size(), batches));
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0]->faceCount, 16);
    EXPECT_EQ(batches[1]->faceCount, 2);
    EXPECT_EQ(batches[1]->keySet, (std::vector<int>{16, 0}));
    EXPECT_EQ(batches[1]->indices, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
}

TEST_F(RenderBatchTest, SkinnedMeshKeepsEveryTriangleInExactlyOneBatch) {
    std::mt19937 random(21);
    Material materials[3] = {{nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}};
    const int vertexCount = 400;
    std::vector<int> start{0}, bones;
    for (int v = 0; v < vertexCount; ++v) {
        int influences = 1 + static_cast<int>(random() % 2);
        for (int i = 0; i < influences; ++i) bones.push_back(static_cast<int>(random() % 40));
        start.push_back(static_cast<int>(bones.size()));
    }
    VertexBoneSets sets{start.data(), bones.data(), vertexCount};

    FaceList faces;
    std::vector<Triangle> expected;
    for (int f = 0; f < 600; ++f) {
        int corners = 3 + static_cast<int>(random() % 3);
        std::vector<uint32_t> list;
        for (int c = 0; c < corners; ++c) list.push_back(random() % vertexCount);
        for (int k = 1; k + 1 < corners; ++k) expected.push_back({list[0], list[k], list[k + 1]});
        auto faceBones = collectFaceBones(list.data(), corners, sets);
        faces.add(&materials[random() % 3], std::move(list), std::move(faceBones));
    }

    Batches batches;
    ASSERT_TRUE(buildRenderBatches(faces.data(), faces.size(), batches));
    std::vector<Triangle> found;
    int faceTotal = 0;
    for (const auto& batch : batches) {
        EXPECT_LE(batch->keySet.size(), 16u);
        faceTotal += batch->faceCount;
        for (const Triangle& t : trianglesOf(batch->indices)) found.push_back(t);
    }
    EXPECT_EQ(faceTotal, 600);
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
}

TEST_F(RenderBatchTest, BatchIndicesAreTheCacheOrderOfTheFan) {
    FaceList faces;
    std::vector<uint32_t> fan;
    auto grid = test::gridTriangles(12, 9);
    for (size_t i = 0; i < grid.size(); i += 6) {
        // Each grid quad as one face: corners a, b, d, c.
        faces.add(&stone, {grid[i], grid[i + 1], grid[i + 2], grid[i + 5]});
        fan.insert(fan.end(),
                   {grid[i], grid[i + 1], grid[i + 2], grid[i], grid[i + 2], grid[i + 5]});
    }
    Batches batches;
    ASSERT_TRUE(buildRenderBatches(faces.data(), faces.size(), batches));
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0]->indices, test::directVertexCacheOrder(fan));
}

TEST_F(RenderBatchTest, RefusedZoneLeavesTrianglesInFaceOrder) {
    zone().destroy();
    FaceList faces;
    faces.add(&wood, {0, 1, 2, 3});
    faces.add(&wood, {7, 8, 9});
    Batches batches;
    testing::internal::CaptureStderr();
    bool ordered = buildRenderBatches(faces.data(), faces.size(), batches);
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(ordered);
    EXPECT_NE(report.find("Zone busted"), std::string::npos);
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0]->indices, (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 7, 8, 9}));
}

// --- bone lists ---

TEST_F(RenderBatchTest, FaceBonesAreDistinctInCornerOrder) {
    std::vector<int> start{0, 2, 3, 5};
    std::vector<int> bones{7, 3, 3, 9, 7};
    VertexBoneSets sets{start.data(), bones.data(), 3};
    uint32_t corners[] = {2, 0, 1, 99};  // 99 is outside the sets
    EXPECT_EQ(collectFaceBones(corners, 4, sets), (std::vector<int>{9, 7, 3}));
}

}  // namespace
}  // namespace arvel
