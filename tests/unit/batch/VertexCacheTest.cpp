#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <random>
#include <vector>

#include "DirectVertexCache.h"
#include "core/Zone.h"
#include "render/VertexCache.h"
#include "shared/TriangleGrid.h"

namespace arvel {
namespace {

using test::directVertexCacheOrder;
using test::gridTriangles;

class VertexCacheTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        zone().create();
    }
    void TearDown() override { zone().destroy(); }

    static std::vector<uint32_t> ordered(std::vector<uint32_t> indices) {
        EXPECT_TRUE(optimizeVertexCache(indices.data(), static_cast<int>(indices.size() / 3)));
        return indices;
    }

    static void expectMatchesDirect(const std::vector<uint32_t>& indices, const char* what) {
        ASSERT_EQ(ordered(indices), directVertexCacheOrder(indices)) << what;
    }
};

std::vector<uint32_t> randomTriangles(std::mt19937& random, int triangles, int vertices) {
    std::uniform_int_distribution<uint32_t> pick(0, vertices - 1);
    std::vector<uint32_t> indices(3 * static_cast<size_t>(triangles));
    for (auto& v : indices) v = pick(random);
    return indices;
}

std::vector<uint32_t> shuffledTriangles(std::vector<uint32_t> indices, std::mt19937& random) {
    std::vector<std::array<uint32_t, 3>> triangles(indices.size() / 3);
    std::copy(indices.begin(), indices.end(), &triangles[0][0]);
    std::shuffle(triangles.begin(), triangles.end(), random);
    std::copy(&triangles[0][0], &triangles[0][0] + indices.size(), indices.begin());
    return indices;
}

std::vector<std::array<uint32_t, 3>> sortedTriangles(const std::vector<uint32_t>& indices) {
    std::vector<std::array<uint32_t, 3>> triangles(indices.size() / 3);
    std::copy(indices.begin(), indices.end(), &triangles[0][0]);
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

// --- the greedy rule itself ---

TEST_F(VertexCacheTest, OneTriangleKeepsItsOrder) {
    EXPECT_EQ(ordered({7, 3, 5}), (std::vector<uint32_t>{7, 3, 5}));
}

TEST_F(VertexCacheTest, TwoTrianglesSharingAnEdgeKeepTheirInputOrder) {
    EXPECT_EQ(ordered({0, 1, 2, 2, 1, 3}), (std::vector<uint32_t>{0, 1, 2, 2, 1, 3}));
}

TEST_F(VertexCacheTest, TriangleZeroComesFirstAndCachedNeighboursFollow) {
    // Triangle 2 shares two corners with triangle 0 and beats the unrelated triangle 1.
    EXPECT_EQ(ordered({0, 1, 2, 10, 11, 12, 2, 1, 3}),
              (std::vector<uint32_t>{0, 1, 2, 2, 1, 3, 10, 11, 12}));
}

TEST_F(VertexCacheTest, OlderCachedCornersWinOverNewerOnes) {
    // After triangle 0, vertex 0 is oldest (age 3), 2 is newest (age 1): the triangle
    // using 0 scores 15, the one using 2 scores 13, although it has the lower number.
    EXPECT_EQ(ordered({0, 1, 2, 2, 20, 21, 0, 30, 31}),
              (std::vector<uint32_t>{0, 1, 2, 0, 30, 31, 2, 20, 21}));
}

TEST_F(VertexCacheTest, NoTrianglesIsANoOp) {
    EXPECT_TRUE(optimizeVertexCache(nullptr, 0));
    EXPECT_EQ(zone().used, 0);
}

// --- the fast ordering equals the direct one ---

TEST_F(VertexCacheTest, MatchesDirectOrderOnRandomMeshes) {
    std::mt19937 random(1234);
    for (int round = 0; round < 200; ++round) {
        int triangles = 1 + static_cast<int>(random() % 400);
        int vertices = 3 + static_cast<int>(random() % (2 * triangles + 3));
        // Few vertices mean degenerate triangles and vertices of high valence too.
        expectMatchesDirect(randomTriangles(random, triangles, vertices), "random mesh");
    }
}

TEST_F(VertexCacheTest, MatchesDirectOrderOnGridsInAnyTriangleOrder) {
    std::mt19937 random(99);
    for (int columns = 1; columns <= 24; columns += 5) {
        for (int rows = 1; rows <= 20; rows += 4) {
            auto grid = gridTriangles(columns, rows);
            expectMatchesDirect(grid, "grid in row order");
            expectMatchesDirect(shuffledTriangles(grid, random), "shuffled grid");
        }
    }
}

TEST_F(VertexCacheTest, VertexUsedByHundredsOfTrianglesIsOrderedLikeAnyOther) {
    // A fan of 350 triangles around vertex 0, plus a ring strip around it.
    std::vector<uint32_t> indices;
    for (uint32_t k = 0; k < 350; ++k) indices.insert(indices.end(), {0, 1 + k, 1 + (k + 1) % 350});
    for (uint32_t k = 0; k < 350; ++k) {
        indices.insert(indices.end(), {1 + k, 400 + k, 1 + (k + 1) % 350});
    }
    std::mt19937 random(3);
    expectMatchesDirect(indices, "fan");
    expectMatchesDirect(shuffledTriangles(indices, random), "shuffled fan");
}

TEST_F(VertexCacheTest, SparseLargeIndicesAreOrderedLikeDenseOnes) {
    std::mt19937 random(77);
    auto indices = randomTriangles(random, 300, 200);
    for (auto& v : indices) v = v * 997 + 13;  // spread up to about 200,000
    expectMatchesDirect(indices, "sparse indices");

    // The scratch does not grow with index values: indices near the top of the range
    // order exactly like their small counterparts.
    auto small = randomTriangles(random, 300, 200);
    auto huge = small;
    for (auto& v : huge) v += 0xFFFF0000u;
    auto smallOrder = ordered(small);
    auto hugeOrder = ordered(huge);
    for (auto& v : hugeOrder) v -= 0xFFFF0000u;
    EXPECT_EQ(hugeOrder, smallOrder);
}

// --- size and speed ---

TEST_F(VertexCacheTest, HundredThousandTriangleGridIsOrderedWellUnderASecond) {
    auto grid = gridTriangles(250, 200);
    ASSERT_EQ(grid.size(), 300000u);
    auto indices = grid;

    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(optimizeVertexCache(indices.data(), 100000));
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    // The bound is for an optimised build; sanitizers and debug builds run many times
    // slower, and there only a quadratic blow-up (minutes) would still fail.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(elapsed.count(), 0.5);
#else
    EXPECT_LT(elapsed.count(), 20.0);
#endif

    // Every triangle is still there, each with its corners in winding order.
    EXPECT_EQ(sortedTriangles(indices), sortedTriangles(grid));
    EXPECT_LT(countVertexCacheMisses(indices.data(), 100000),
              countVertexCacheMisses(grid.data(), 100000));
}

TEST_F(VertexCacheTest, MissCountReplaysATwelveEntryFifo) {
    // Thirteen distinct vertices evict vertex 0; bringing it back evicts 1, and so on.
    std::vector<uint32_t> indices;
    for (uint32_t v = 0; v < 13; ++v) indices.push_back(v);
    indices.insert(indices.end(), {0, 12, 5, 1, 2});  // miss, hit, hit, miss, miss
    EXPECT_EQ(countVertexCacheMisses(indices.data(), 6), 16);
}

// --- zone scratch ---

TEST_F(VertexCacheTest, ZoneIsEmptyAfterwardsWhenNobodyHoldsIt) {
    auto indices = gridTriangles(10, 10);
    ordered(indices);
    EXPECT_EQ(zone().used, 0);
    EXPECT_EQ(zone().holders, 0);
}

TEST_F(VertexCacheTest, ScratchIsGivenBackUnderAnOuterHold) {
    void* outer = zone().allocate(64);
    ASSERT_NE(outer, nullptr);
    zone().hold();
    auto indices = gridTriangles(10, 10);
    ordered(indices);
    EXPECT_EQ(zone().used, 64);
    EXPECT_EQ(zone().holders, 1);
    zone().release();
}

TEST_F(VertexCacheTest, RefusedScratchLeavesTheListAsItWas) {
    zone().destroy();  // no block: every allocation is refused
    auto grid = gridTriangles(8, 8);
    auto indices = grid;
    testing::internal::CaptureStderr();
    bool done = optimizeVertexCache(indices.data(), static_cast<int>(indices.size() / 3));
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(done);
    EXPECT_EQ(indices, grid);
    EXPECT_NE(report.find("Zone busted"), std::string::npos);
    EXPECT_EQ(zone().holders, 0);
}

TEST_F(VertexCacheTest, ScratchRefusedPartWayIsAllGivenBack) {
    // Room for the first arrays but not for all of them.
    auto grid = gridTriangles(100, 100);
    auto indices = grid;
    void* filler = zone().allocate(Zone::kBlockSize - 300000);
    ASSERT_NE(filler, nullptr);
    zone().hold();
    int usedBefore = zone().used;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(optimizeVertexCache(indices.data(), static_cast<int>(indices.size() / 3)));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(indices, grid);
    EXPECT_EQ(zone().used, usedBefore);
    zone().release();
}

}  // namespace
}  // namespace arvel
