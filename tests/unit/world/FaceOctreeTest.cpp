#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <set>

#include "MeshTestSupport.h"
#include "fs/DataStream.h"
#include "support/RecordingDriver.h"
#include "world/FaceOctree.h"
#include "world/StaticMesh.h"

namespace arvel {
namespace {

using test::addFace;
using test::addPositions;
using test::ByteWriter;
using test::exceptionText;

using Node = FaceOctree::Node;

// count random triangles of about size across, inside [0, extent]^3.
void addRandomTriangles(Mesh& mesh, std::mt19937& random, int count, float extent, float size) {
    std::uniform_real_distribution<float> place(0.0f, extent), offset(-size, size);
    for (int i = 0; i < count; ++i) {
        const Vector4 c{place(random), place(random), place(random), 0.0f};
        const int first = mesh.vertexCount();
        for (int k = 0; k < 3; ++k) {
            Vector4 p{c.x + offset(random), c.y + offset(random), c.z + offset(random), 0.0f};
            addPositions(mesh, {p});
        }
        addFace(mesh, {first, first + 1, first + 2});
    }
}

Ray randomRay(std::mt19937& random, float extent) {
    std::uniform_real_distribution<float> place(-0.2f * extent, 1.2f * extent), unit(-1.0f, 1.0f);
    std::uniform_int_distribution<int> coin(0, 1);
    const Vector4 origin{place(random), place(random), place(random), 0.0f};
    Vector4 direction{unit(random), unit(random), unit(random), 0.0f};
    if (length3(direction) < 0.01f) direction = {1.0f, 0.0f, 0.0f, 0.0f};
    Ray ray;
    if (coin(random)) {
        ray = Ray::fromDirection(origin, direction);
    } else {
        ray = Ray::fromPoints(origin, origin + direction * (extent * 0.5f), 0, 0);
    }
    ray.twoSided = coin(random);
    ray.mask = 0;
    return ray;
}

void visit(const Node& node, int depth, int& maxDepth, size_t& maxFaces,
           std::set<const MeshFace*>& listed) {
    maxDepth = std::max(maxDepth, depth);
    if (node.leaf) {
        maxFaces = std::max(maxFaces, node.faces.size());
        listed.insert(node.faces.begin(), node.faces.end());
        return;
    }
    EXPECT_TRUE(node.faces.empty());
    for (const auto& child : node.children) visit(*child, depth + 1, maxDepth, maxFaces, listed);
}

struct Shape {
    int depth = 0;
    size_t largestLeaf = 0;
    std::set<const MeshFace*> listed;
};

Shape shapeOf(const FaceOctree& tree) {
    Shape shape;
    if (tree.root()) visit(*tree.root(), 0, shape.depth, shape.largestLeaf, shape.listed);
    return shape;
}

// The tree as the map file stores it.
void writeNode(ByteWriter& out, const Node& node) {
    if (!node.leaf) {
        out.i32(-1);
        for (const auto& child : node.children) writeNode(out, *child);
        return;
    }
    out.i32(static_cast<int32_t>(node.faces.size()));
    for (const MeshFace* face : node.faces) out.i32(face->index);
}

// Every ray finds the same nearest hit through the tree as by testing every face.
void expectSameHits(const Mesh& mesh, const FaceOctree& tree, const std::vector<Ray>& rays) {
    int hits = 0;
    for (size_t i = 0; i < rays.size(); ++i) {
        const Ray& ray = rays[i];
        MeshFace* expectedFace = nullptr;
        MeshFace* foundFace = nullptr;
        const float expected = mesh.rayHit(ray, false, &expectedFace);
        const float found = tree.rayQuery(ray, &foundFace);
        ASSERT_EQ(found, expected) << "ray " << i;
        // Two faces hit at one distance (a shared side) may come in either order.
        if (foundFace != expectedFace) {
            ASSERT_NE(foundFace, nullptr) << "ray " << i;
            EXPECT_EQ(foundFace->hit(ray), expected) << "ray " << i;
        }
        if (expectedFace) ++hits;
    }
    // Enough rays hit something for the comparison to mean anything.
    EXPECT_GT(hits, static_cast<int>(rays.size()) / 10);
}

std::vector<Ray> randomRays(int count, unsigned seed, float extent) {
    std::mt19937 random(seed);
    std::vector<Ray> rays;
    for (int i = 0; i < count; ++i) rays.push_back(randomRay(random, extent));
    return rays;
}

// Rays from all round towards points near target.
std::vector<Ray> raysTowards(const Vector4& target, float spread, int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::vector<Ray> rays;
    for (int i = 0; i < count; ++i) {
        const Vector4 from = target + Vector4{unit(random), unit(random), unit(random), 0} * 10.0f;
        const Vector4 to = target + Vector4{unit(random), unit(random), unit(random), 0} * spread;
        Ray ray = Ray::fromDirection(from, to - from);
        ray.twoSided = 1;
        rays.push_back(ray);
    }
    return rays;
}

// Each test fills the mesh and builds or reads the tree from it.
class FaceOctreeTest : public testing::Test {
protected:
    Mesh mesh;
    FaceOctree tree;
};
using FaceOctreeBuild = FaceOctreeTest;
using FaceOctreeQuery = FaceOctreeTest;
using FaceOctreeRead = FaceOctreeTest;
using FaceOctreeDrawing = FaceOctreeTest;

// --- building ---

TEST_F(FaceOctreeBuild, AtMostAHundredFacesMakeOneLeaf) {
    std::mt19937 random(7);
    addRandomTriangles(mesh, random, 100, 10.0f, 0.5f);
    tree.build(mesh);
    ASSERT_NE(tree.root(), nullptr);
    EXPECT_TRUE(tree.root()->leaf);
    EXPECT_EQ(tree.root()->faces.size(), 100u);
    EXPECT_EQ(tree.leafCount(), 1);
}

TEST_F(FaceOctreeBuild, RootBoxIsTheBoxOfTheCorners) {
    addPositions(mesh, {{1, 2, 3, 0}, {4, 2, 3, 0}, {1, 6, -3, 0}, {100, 100, 100, 0}});
    addFace(mesh, {0, 1, 2});
    tree.build(mesh);
    EXPECT_EQ(tree.root()->box.min, (Vector4{1, 2, -3, 0}));
    EXPECT_EQ(tree.root()->box.max, (Vector4{4, 6, 3, 0}));
}

TEST_F(FaceOctreeBuild, LargerSetsSplitIntoLeavesOfAtMostAHundredListingEveryFace) {
    std::mt19937 random(11);
    addRandomTriangles(mesh, random, 1500, 20.0f, 0.4f);
    tree.build(mesh);
    const Shape shape = shapeOf(tree);
    EXPECT_FALSE(tree.root()->leaf);
    EXPECT_GT(tree.leafCount(), 8);
    EXPECT_LE(shape.largestLeaf, 100u);
    EXPECT_EQ(shape.listed.size(), 1500u);
}

TEST_F(FaceOctreeBuild, LargeFaceCrossingABoxWithoutACornerInItIsListed) {
    // 101 small triangles in one corner force a split; the big one crosses child 7's
    // box with all its corners and plane sections far outside it.
    std::mt19937 random(3);
    addRandomTriangles(mesh, random, 101, 1.0f, 0.1f);
    addPositions(
        mesh, {{-100, -100, 7.5f, 0}, {300, -100, 7.5f, 0}, {-100, 300, 7.5f, 0}, {10, 10, 10, 0}});
    MeshFace& big =
        addFace(mesh, {mesh.vertexCount() - 4, mesh.vertexCount() - 3, mesh.vertexCount() - 2});
    tree.build(mesh);
    ASSERT_FALSE(tree.root()->leaf);
    const Node& upper = *tree.root()->children[7];
    // The far corner (10, 10, 10) only widens the root box; the big face passes
    // through the upper child at z = 7.5.
    std::set<const MeshFace*> listed;
    int depth = 0;
    size_t largest = 0;
    visit(upper, 0, depth, largest, listed);
    EXPECT_TRUE(listed.count(&big));
}

TEST_F(FaceOctreeBuild, FacesMeetingInOnePointStopSplitting) {
    // 150 thin triangles fanned round the origin, plus one far away so the root is
    // big: every box round the origin holds all of the fan.
    addPositions(mesh, {{0, 0, 0, 0}});
    for (int i = 0; i < 150; ++i) {
        const float a = 2.0f * std::numbers::pi_v<float> * static_cast<float>(i) / 150.0f;
        const float b = a + 0.01f;
        addPositions(mesh,
                     {{std::cos(a), std::sin(a), 0.3f, 0}, {std::cos(b), std::sin(b), 0.3f, 0}});
        addFace(mesh, {0, mesh.vertexCount() - 2, mesh.vertexCount() - 1});
    }
    addPositions(mesh, {{50, 50, 50, 0}, {51, 50, 50, 0}, {50, 51, 50, 0}});
    addFace(mesh, {mesh.vertexCount() - 3, mesh.vertexCount() - 2, mesh.vertexCount() - 1});
    tree.build(mesh);
    const Shape shape = shapeOf(tree);
    EXPECT_LE(shape.depth, FaceOctree::kMaxBuildDepth);
    EXPECT_GE(shape.largestLeaf, 150u);
    EXPECT_EQ(shape.listed.size(), 151u);
    expectSameHits(mesh, tree, raysTowards({0, 0, 0.3f, 0}, 1.0f, 500, 5));
}

TEST_F(FaceOctreeBuild, FacesThatEveryChildHoldsStayInOneLeaf) {
    // 120 copies of one large quad: no split can separate them.
    addPositions(mesh, {{0, 0, 0, 0}, {8, 0, 8, 0}, {8, 8, 8, 0}, {0, 8, 0, 0}});
    for (int i = 0; i < 120; ++i) addFace(mesh, {0, 1, 2, 3});
    tree.build(mesh);
    EXPECT_EQ(tree.leafCount(), 1);
}

// --- queries ---

TEST_F(FaceOctreeQuery, RandomRaysFindWhatTestingEveryFaceFinds) {
    std::mt19937 random(2024);
    addRandomTriangles(mesh, random, 2000, 20.0f, 1.5f);
    tree.build(mesh);
    ASSERT_GT(tree.leafCount(), 8);
    expectSameHits(mesh, tree, randomRays(3000, 99, 20.0f));
}

TEST_F(FaceOctreeQuery, RaysInsideAClosedBoxOfManyQuadsFindTheWall) {
    // A room: a grid of inward quads on every wall, so hits land near leaf seams.
    const int n = 12;
    const float size = 12.0f;
    auto at = [&](int axis, float a, float b, float c) {
        Vector4 p;
        p[axis] = c;
        p[(axis + 1) % 3] = a;
        p[(axis + 2) % 3] = b;
        return p;
    };
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = 0; side < 2; ++side) {
            for (int i = 0; i < n; ++i) {
                for (int j = 0; j < n; ++j) {
                    const float a0 = static_cast<float>(i), a1 = a0 + 1, b0 = static_cast<float>(j),
                                b1 = b0 + 1;
                    const float c = side ? size : 0.0f;
                    const int first = mesh.vertexCount();
                    addPositions(mesh, {at(axis, a0, b0, c), at(axis, a1, b0, c),
                                        at(axis, a1, b1, c), at(axis, a0, b1, c)});
                    // Wound to face into the room: (a, b) turns towards +axis.
                    if (side)
                        addFace(mesh, {first, first + 3, first + 2, first + 1});
                    else
                        addFace(mesh, {first, first + 1, first + 2, first + 3});
                }
            }
        }
    }
    tree.build(mesh);
    std::mt19937 random(17);
    std::uniform_real_distribution<float> inside(0.5f, size - 0.5f), unit(-1.0f, 1.0f);
    for (int i = 0; i < 2000; ++i) {
        const Vector4 origin{inside(random), inside(random), inside(random), 0};
        Ray ray = Ray::fromDirection(origin, {unit(random), unit(random), unit(random), 0});
        ray.twoSided = 0;
        const float expected = mesh.rayHit(ray, false);
        ASSERT_NE(expected, kNoHit) << "ray " << i << " escaped the room";
        ASSERT_EQ(tree.rayQuery(ray), expected) << "ray " << i;
    }
}

TEST_F(FaceOctreeQuery, HitFoundInTheFirstChildDoesNotHideANearerOneInTheNext) {
    // Two walls facing -x: the far one at x = 1.8, the near one at x = 1.5.
    addPositions(mesh, {{1.8f, 0, 0, 0},
                        {1.8f, 0, 1, 0},
                        {1.8f, 1, 1, 0},
                        {1.8f, 1, 0, 0},
                        {1.5f, 0, 0, 0},
                        {1.5f, 0, 1, 0},
                        {1.5f, 1, 1, 0},
                        {1.5f, 1, 0, 0}});
    MeshFace& far = addFace(mesh, {0, 1, 2, 3});
    MeshFace& near = addFace(mesh, {4, 5, 6, 7});
    // The far wall is also listed in child 0, which the ray enters first.
    ByteWriter out;
    out.vec3(0, 0, 0).vec3(2, 2, 2).i32(-1);
    out.i32(1).i32(far.index);
    out.i32(2).i32(near.index).i32(far.index);
    for (int i = 2; i < 8; ++i) out.i32(0);
    DataStream stream(out.bytes().data(), out.size());
    tree.read(stream, mesh);
    Ray ray = Ray::fromDirection({-1, 0.5f, 0.5f, 0}, {1, 0, 0, 0});
    ray.twoSided = 0;
    MeshFace* face = nullptr;
    EXPECT_FLOAT_EQ(tree.rayQuery(ray, &face), 2.5f);
    EXPECT_EQ(face, &near);
}

TEST_F(FaceOctreeQuery, RayMissingTheRootFindsNothing) {
    std::mt19937 random(1);
    addRandomTriangles(mesh, random, 300, 10.0f, 0.5f);
    tree.build(mesh);
    Ray ray = Ray::fromPoints({-5, -5, -5, 0}, {-5, 20, -5, 0}, 1, 0);
    MeshFace* face = &mesh.face(0);
    EXPECT_EQ(tree.rayQuery(ray, &face), kNoHit);
    EXPECT_EQ(face, nullptr);
    FaceOctree empty;
    EXPECT_EQ(empty.rayQuery(ray), kNoHit);
}

TEST_F(FaceOctreeQuery, FacesUnseenSinceTheCounterWrappedAreStillTested) {
    test::makeCube(mesh, 2.0f);
    tree.build(mesh);
    const Ray hit = Ray::fromPoints({1, 1, -3, 0}, {1, 1, 10, 0}, 0, 0);
    const Ray miss = Ray::fromPoints({10, 10, 10, 0}, {20, 10, 10, 0}, 0, 0);
    ASSERT_FLOAT_EQ(tree.rayQuery(hit), 3.0f);  // query 1 stamps the front face
    for (int i = 0; i < 65534; ++i) ASSERT_EQ(tree.rayQuery(miss), kNoHit);
    // The counter wraps back to 1 here: the old stamp must not hide the face.
    EXPECT_FLOAT_EQ(tree.rayQuery(hit), 3.0f);
    EXPECT_FLOAT_EQ(tree.rayQuery(hit), 3.0f);
}

// --- reading ---

TEST_F(FaceOctreeRead, SplitNodesTakeTheirChildrenInOrder) {
    test::makeCube(mesh, 2.0f);
    ByteWriter out;
    out.vec3(0, 0, 0).vec3(2, 2, 2).i32(-1);
    out.i32(1).i32(0);
    for (int i = 1; i < 7; ++i) out.i32(0);
    out.i32(2).i32(5).i32(1);
    DataStream stream(out.bytes().data(), out.size());
    tree.read(stream, mesh);
    EXPECT_EQ(stream.remaining(), 0);
    EXPECT_EQ(tree.leafCount(), 8);
    const Node& root = *tree.root();
    ASSERT_FALSE(root.leaf);
    EXPECT_EQ(root.children[0]->faces, (std::vector<MeshFace*>{&mesh.face(0)}));
    EXPECT_EQ(root.children[7]->faces, (std::vector<MeshFace*>{&mesh.face(5), &mesh.face(1)}));
    EXPECT_EQ(root.children[7]->box.min, (Vector4{1, 1, 1, 0}));
    EXPECT_EQ(root.children[1]->box.min, (Vector4{1, 0, 0, 0}));
    EXPECT_EQ(root.children[1]->box.max, (Vector4{2, 1, 1, 0}));
}

TEST_F(FaceOctreeRead, EmptyLeafAndCountsBelowMinusOneHoldNothing) {
    for (int n : {0, -2, -100}) {
        ByteWriter out;
        out.vec3(0, 0, 0).vec3(1, 1, 1).i32(n);
        DataStream stream(out.bytes().data(), out.size());
        FaceOctree fresh;
        fresh.read(stream, mesh);
        EXPECT_TRUE(fresh.root()->leaf) << n;
        EXPECT_TRUE(fresh.root()->faces.empty()) << n;
        EXPECT_EQ(fresh.leafCount(), 1) << n;
    }
}

TEST_F(FaceOctreeRead, FaceIndexOutsideTheMeshThrowsTheSubscriptError) {
    test::makeCube(mesh);
    ByteWriter out;
    out.vec3(0, 0, 0).vec3(1, 1, 1).i32(1).i32(6);
    DataStream stream(out.bytes().data(), out.size());
    EXPECT_NE(exceptionText([&] { tree.read(stream, mesh); }).find("invalid vector<T> subscript"),
              std::string::npos);
}

TEST_F(FaceOctreeRead, NestingBeyondTheLimitIsRefusedNotFollowed) {
    ByteWriter out;
    out.vec3(0, 0, 0).vec3(1, 1, 1);
    for (int i = 0; i <= FaceOctree::kMaxReadDepth; ++i) out.i32(-1);
    DataStream stream(out.bytes().data(), out.size());
    EXPECT_NE(exceptionText([&] { tree.read(stream, mesh); }).find("nested deeper than 64 levels"),
              std::string::npos);
}

TEST_F(FaceOctreeRead, ReadTreeAnswersAsTheBuiltOne) {
    std::mt19937 random(31);
    addRandomTriangles(mesh, random, 1200, 15.0f, 1.0f);
    FaceOctree built;
    built.build(mesh);
    ByteWriter out;
    out.vec3(built.root()->box.min.x, built.root()->box.min.y, built.root()->box.min.z);
    out.vec3(built.root()->box.max.x, built.root()->box.max.y, built.root()->box.max.z);
    writeNode(out, *built.root());
    DataStream stream(out.bytes().data(), out.size());
    tree.read(stream, mesh);
    EXPECT_EQ(tree.leafCount(), built.leafCount());
    expectSameHits(mesh, tree, randomRays(1500, 8, 15.0f));
}

// --- debug drawing ---

TEST_F(FaceOctreeDrawing, EveryLeafBoxIsDrawnAsTwelveWhiteLines) {
    ByteWriter out;
    out.vec3(0, 0, 0).vec3(2, 2, 2).i32(-1);
    for (int i = 0; i < 8; ++i) out.i32(0);
    DataStream stream(out.bytes().data(), out.size());
    tree.read(stream, mesh);
    test::RecordingDriver driver;
    tree.drawBoxes();
    EXPECT_EQ(driver.countOf("dRenderLine"), 8 * 12);
    EXPECT_EQ(driver.callsTo({"dColor4"}).front(), "dColor4(1, 1, 1, 1)");
}

}  // namespace
}  // namespace arvel
