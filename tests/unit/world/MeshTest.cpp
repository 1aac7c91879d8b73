#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "MeshTestSupport.h"
#include "render/Material.h"
#include "render/RenderBatch.h"
#include "shared/TempDir.h"
#include "support/RecordingDriver.h"
#include "world/StaticMesh.h"

namespace arvel {
namespace {

using test::addFace;
using test::addPositions;
using test::exceptionText;
using test::makeCube;

constexpr const char* kSubscript = "invalid vector<T> subscript";

DVertexArray* fakeArray() {
    static char storage;
    return reinterpret_cast<DVertexArray*>(&storage);
}

// --- elements and their lists ---

TEST(MeshElements, AddingSetsEachElementsIndexInItsList) {
    Mesh mesh;
    addPositions(mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}});
    addFace(mesh, {0, 1, 2});
    addFace(mesh, {2, 1, 0});
    EXPECT_EQ(mesh.position(2).index, 2);
    EXPECT_EQ(mesh.vertex(1).index, 1);
    EXPECT_EQ(mesh.face(1).index, 1);
    EXPECT_EQ(mesh.vertex(1).meshPosition(), &mesh.position(1));
}

TEST(MeshElements, IndexOutsideAnyListThrowsTheSubscriptError) {
    StaticMesh mesh;
    addPositions(mesh, {{0, 0, 0, 0}});
    EXPECT_NE(exceptionText([&] { mesh.position(1); }).find(kSubscript), std::string::npos);
    EXPECT_NE(exceptionText([&] { mesh.position(-1); }).find(kSubscript), std::string::npos);
    EXPECT_NE(exceptionText([&] { mesh.vertex(7); }).find(kSubscript), std::string::npos);
    EXPECT_NE(exceptionText([&] { mesh.face(0); }).find(kSubscript), std::string::npos);
    EXPECT_NE(exceptionText([&] { mesh.material(0); }).find(kSubscript), std::string::npos);
    EXPECT_NE(exceptionText([&] { mesh.edge(0); }).find(kSubscript), std::string::npos);
    EXPECT_NE(exceptionText([&] { mesh.child(0); }).find(kSubscript), std::string::npos);
    EXPECT_EQ(exceptionText([&] { mesh.position(0); }), "");
}

TEST(MeshElements, VertexCopiesPointAtTheirOwnTextureCoordinates) {
    MeshVertex original;
    EXPECT_EQ(original.texCoord, &original.texCoordSets[0]);
    EXPECT_FLOAT_EQ(original.texCoord->u, 0.5f);
    EXPECT_FLOAT_EQ(original.texCoord->v, 0.5f);
    original.texCoordSets[0] = {0.25f, 0.75f};

    MeshVertex copy(original);
    EXPECT_EQ(copy.texCoord, &copy.texCoordSets[0]);
    EXPECT_FLOAT_EQ(copy.texCoord->u, 0.25f);
    MeshVertex assigned;
    assigned = original;
    EXPECT_EQ(assigned.texCoord, &assigned.texCoordSets[0]);
    EXPECT_FLOAT_EQ(assigned.texCoord->v, 0.75f);
}

// --- bounding box and planes ---

TEST(MeshGeometry, BoxSpansThePositionsAndIsEmptyWithoutThem) {
    Mesh mesh;
    mesh.computeBoundingBox();
    EXPECT_GT(mesh.boundingBox.min.x, mesh.boundingBox.max.x);
    addPositions(mesh, {{1, -2, 3, 0}, {-4, 5, 0.5f, 0}});
    mesh.computeBoundingBox();
    EXPECT_EQ(mesh.boundingBox.min, (Vector4{-4, -2, 0.5f, 0}));
    EXPECT_EQ(mesh.boundingBox.max, (Vector4{1, 5, 3, 0}));
}

TEST(MeshGeometry, CounterClockwiseCornersFaceTheirViewer) {
    Mesh mesh;
    makeCube(mesh, 2.0f);
    // -z, +z, -y, +y, -x, +x
    const Vector4 normals[6] = {{0, 0, -1, 0}, {0, 0, 1, 0},  {0, -1, 0, 0},
                                {0, 1, 0, 0},  {-1, 0, 0, 0}, {1, 0, 0, 0}};
    const float d[6] = {0, -2, 0, -2, 0, -2};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(mesh.face(i).plane.normal, normals[i]) << "face " << i;
        EXPECT_EQ(mesh.face(i).plane.d, d[i]) << "face " << i;
    }
}

TEST(MeshGeometry, CollinearFirstCornersStillGiveThePlane) {
    Mesh mesh;
    addPositions(mesh, {{0, 0, 1, 0}, {1, 0, 1, 0}, {2, 0, 1, 0}, {2, 2, 1, 0}, {0, 2, 1, 0}});
    MeshFace& face = addFace(mesh, {0, 1, 2, 3, 4});
    EXPECT_EQ(face.plane.normal, (Vector4{0, 0, 1, 0}));
    EXPECT_FLOAT_EQ(face.plane.d, -1.0f);
}

TEST(MeshGeometry, DegenerateFacesGetNoPlaneAndAreNeverHit) {
    Mesh mesh;
    addPositions(mesh, {{0, 0, 0, 0}, {1, 1, 1, 0}, {2, 2, 2, 0}});
    MeshFace& line = addFace(mesh, {0, 1, 2});
    MeshFace& segment = addFace(mesh, {0, 1});
    for (const MeshFace* face : {&line, &segment}) {
        EXPECT_EQ(face->plane.normal, Vector4{});
        EXPECT_FALSE(std::isnan(face->plane.d));
    }
    Ray ray = Ray::fromPoints({1, 1, -5, 0}, {1, 1, 5, 0}, 1, 0);
    EXPECT_EQ(mesh.rayHit(ray, false), kNoHit);
    EXPECT_FALSE(line.contains({1, 1, 1, 0}));
}

// --- edges ---

TEST(MeshEdges, ClosedCubeOfQuadsHasTwelveConvexEdgesOfTwoFaces) {
    Mesh mesh;
    makeCube(mesh);
    mesh.buildEdges();
    ASSERT_EQ(mesh.edgeCount(), 12);
    for (int i = 0; i < 12; ++i) {
        const MeshEdge& edge = mesh.edge(i);
        EXPECT_EQ(edge.index, i);
        EXPECT_EQ(edge.faceCount, 2) << "edge " << i;
        EXPECT_TRUE(edge.convex) << "edge " << i;
    }
    for (int f = 0; f < 6; ++f) {
        const MeshFace& face = mesh.face(f);
        ASSERT_EQ(face.edges.size(), 4u);
        for (int c = 0; c < 4; ++c) {
            const MeshEdge* edge = face.edges[c];
            ASSERT_NE(edge, nullptr);
            EXPECT_TRUE(edge->faces[0] == &face || edge->faces[1] == &face);
            // The edge runs along this corner's side in one direction or the other.
            const MeshPosition* a = face.corners[c]->meshPosition();
            const MeshPosition* b = face.corners[(c + 1) % 4]->meshPosition();
            EXPECT_TRUE((edge->first == a && edge->second == b) ||
                        (edge->first == b && edge->second == a));
        }
    }
}

TEST(MeshEdges, EdgeRunsInTheWindingOfTheFaceThatMadeIt) {
    Mesh mesh;
    addPositions(mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 0, 0}});
    addFace(mesh, {0, 1, 2});
    addFace(mesh, {0, 2, 3});
    mesh.buildEdges();
    ASSERT_EQ(mesh.edgeCount(), 5);
    const MeshEdge& shared = *mesh.face(0).edges[2];  // corner 2 -> corner 0
    EXPECT_EQ(shared.first, &mesh.position(2));
    EXPECT_EQ(shared.second, &mesh.position(0));
    EXPECT_EQ(shared.faceCount, 2);
    EXPECT_EQ(shared.faces[0], &mesh.face(0));
    EXPECT_EQ(shared.faces[1], &mesh.face(1));
    EXPECT_EQ(mesh.face(1).edges[0], &shared);
    // Flat neighbours: neither lies behind the other.
    EXPECT_FALSE(shared.convex);
}

TEST(MeshEdges, SameWindingOnASharedSideGivesTwoOpenEdges) {
    Mesh mesh;
    addPositions(mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 1, 0}});
    addFace(mesh, {0, 1, 2});
    addFace(mesh, {3, 1, 2});  // also runs 1 -> 2
    mesh.buildEdges();
    ASSERT_EQ(mesh.edgeCount(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(mesh.edge(i).faceCount, 1);
        EXPECT_FALSE(mesh.edge(i).convex);
    }
    EXPECT_NE(mesh.face(0).edges[1], mesh.face(1).edges[1]);
}

TEST(MeshEdges, InsideCornerOfARoomIsNotConvex) {
    Mesh mesh;
    // Floor facing up and a wall at x = 0 facing +x, meeting along the y axis.
    addPositions(
        mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 1, 1, 0}});
    addFace(mesh, {0, 1, 2, 3});
    addFace(mesh, {0, 3, 5, 4});
    ASSERT_EQ(mesh.face(1).plane.normal, (Vector4{1, 0, 0, 0}));
    mesh.buildEdges();
    const MeshEdge& corner = *mesh.face(0).edges[3];
    EXPECT_EQ(corner.faceCount, 2);
    EXPECT_FALSE(corner.convex);
}

TEST(MeshEdges, ThirdFaceOnASideIsLoggedAndNotTaken) {
    test::TempDir folder;
    test::ScopedWorkingDirectory inFolder(folder.path());
    Mesh mesh;
    addPositions(mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, -1, 0, 0}, {0, 0, 1, 0}});
    addFace(mesh, {0, 1, 2});  // 0 -> 1
    addFace(mesh, {1, 0, 3});  // 1 -> 0: joins
    addFace(mesh, {1, 0, 4});  // 1 -> 0 again: the edge is full
    mesh.buildEdges();
    const MeshEdge& shared = *mesh.face(0).edges[0];
    EXPECT_EQ(shared.faceCount, 2);
    EXPECT_EQ(shared.faces[1], &mesh.face(1));
    EXPECT_EQ(mesh.face(2).edges[0], &shared);
    EXPECT_EQ(folder.read("dump.dmp"),
              "WARNING: Tried to add a face on an edge shared by 2 faces\n");
}

TEST(MeshEdges, RebuildingDiscardsTheOldEdges) {
    Mesh mesh;
    makeCube(mesh);
    mesh.buildEdges();
    mesh.buildEdges();
    EXPECT_EQ(mesh.edgeCount(), 12);
    EXPECT_EQ(mesh.edge(0).faceCount, 2);
}

TEST(MeshEdges, FacesOfFewerThanThreeCornersMakeNoEdges) {
    Mesh mesh;
    addPositions(mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}});
    addFace(mesh, {0, 1});
    addFace(mesh, {0});
    mesh.buildEdges();
    EXPECT_EQ(mesh.edgeCount(), 0);
}

// --- triangles, vertex array and batches ---

TEST(MeshTriangles, FacesAreFannedFromTheirFirstCorner) {
    Mesh mesh;
    addPositions(mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 0, 0}, {-1, 1, 0, 0}});
    addFace(mesh, {0, 1, 2, 3});
    addFace(mesh, {3, 2, 4});
    addFace(mesh, {0, 1});
    addFace(mesh, {0, 1, 2, 3, 4});
    mesh.buildTriangleList();
    EXPECT_EQ(mesh.triangleCount(), 6);
    EXPECT_EQ(mesh.triangles(),
              (std::vector<uint32_t>{0, 1, 2, 0, 2, 3, 3, 2, 4, 0, 1, 2, 0, 2, 3, 0, 3, 4}));
}

TEST(MeshVertexArray, PostProcessingWritesAllVerticesAsStaticGeometry) {
    test::ScopedZone zone;
    test::RecordingDriver driver;
    driver.setResult("dVAAlloc", fakeArray());
    Mesh mesh;
    makeCube(mesh);
    mesh.postProcess();
    EXPECT_EQ(driver.callsTo({"dVAMemNeeded", "dVAAlloc", "dVAWriteVerts", "dVAWriteVertsArray"}),
              (std::vector<std::string>{"dVAMemNeeded(8, 271)", "dVAAlloc(8, 271, 288)",
                                        "dVAWriteVerts(ptr, ptr)"}));
    EXPECT_EQ(mesh.vertexArray().handle, fakeArray());
    EXPECT_EQ(mesh.vertexArray().count, 8);
    mesh.clear();
    EXPECT_EQ(driver.countOf("dVAFree"), 1);
}

TEST(MeshVertexArray, MeshWithoutVerticesAllocatesNothing) {
    test::ScopedZone zone;
    test::RecordingDriver driver;
    Mesh mesh;
    mesh.postProcess();
    EXPECT_EQ(driver.countOf("dVAAlloc"), 0);
    EXPECT_TRUE(mesh.batches().empty());
}

TEST(MeshBatches, TwoMaterialsGiveTwoBatches) {
    test::ScopedZone zone;
    test::RecordingDriver driver;
    Material stone(nullptr, nullptr), wood(nullptr, nullptr);
    Mesh mesh;
    makeCube(mesh);
    for (int i = 0; i < 6; ++i) mesh.face(i).material = (i % 2) ? &wood : &stone;
    mesh.postProcess();
    ASSERT_EQ(mesh.batches().size(), 2u);
    std::vector<const Material*> materials;
    for (const auto& batch : mesh.batches()) {
        materials.push_back(batch->material);
        EXPECT_EQ(batch->faceCount, 3);
        EXPECT_EQ(batch->indexCount(), 18);
    }
    EXPECT_NE(materials[0], materials[1]);
    EXPECT_TRUE(materials[0] == &stone || materials[0] == &wood);
    EXPECT_TRUE(materials[1] == &stone || materials[1] == &wood);
}

// --- rays ---

TEST(MeshRays, NearestFrontFaceWithinTheLengthIsHit) {
    Mesh mesh;
    makeCube(mesh, 2.0f);
    MeshFace* face = nullptr;
    Ray ray = Ray::fromPoints({1, 1, -3, 0}, {1, 1, 10, 0}, 0, 0);
    EXPECT_FLOAT_EQ(mesh.rayHit(ray, false, &face), 3.0f);
    EXPECT_EQ(face, &mesh.face(0));
    // The far side faces away from a one-sided ray.
    ray = Ray::fromPoints({1, 1, 1, 0}, {1, 1, 10, 0}, 0, 0);
    EXPECT_EQ(mesh.rayHit(ray, false, &face), kNoHit);
    EXPECT_EQ(face, nullptr);
    ray.twoSided = 1;
    EXPECT_FLOAT_EQ(mesh.rayHit(ray, false, &face), 1.0f);
    EXPECT_EQ(face, &mesh.face(1));
    // Too short to reach.
    ray = Ray::fromPoints({1, 1, -3, 0}, {1, 1, -1.5f, 0}, 0, 0);
    EXPECT_EQ(mesh.rayHit(ray, false), kNoHit);
}

TEST(MeshRays, RayPastTheCornersMisses) {
    Mesh mesh;
    makeCube(mesh, 2.0f);
    Ray ray = Ray::fromPoints({2.01f, 1, -3, 0}, {2.01f, 1, 10, 0}, 1, 0);
    EXPECT_EQ(mesh.rayHit(ray, false), kNoHit);
    // Within the tolerance of a side still counts.
    ray = Ray::fromPoints({2.001f, 1, -3, 0}, {2.001f, 1, 10, 0}, 1, 0);
    EXPECT_FLOAT_EQ(mesh.rayHit(ray, false), 3.0f);
}

TEST(MeshRays, SharpCornerReachesNoFurtherThanTheTolerance) {
    Mesh mesh;
    // A sliver pointing at the origin, one hundredth wide at x = -1.
    addPositions(mesh, {{0, 0, 0, 0}, {-1, -0.005f, 0, 0}, {-1, 0.005f, 0, 0}});
    addFace(mesh, {0, 1, 2});
    Ray ray = Ray::fromPoints({0.1f, 0, 1, 0}, {0.1f, 0, -1, 0}, 1, 0);
    EXPECT_EQ(mesh.rayHit(ray, false), kNoHit);
    ray = Ray::fromPoints({0.001f, 0, 1, 0}, {0.001f, 0, -1, 0}, 1, 0);
    EXPECT_FLOAT_EQ(mesh.rayHit(ray, false), 1.0f);
}

// --- debug drawing ---

TEST(MeshDebugDrawing, OpenEdgesAreRedAndSharedOnesYellow) {
    test::RecordingDriver driver;
    Mesh mesh;
    addPositions(mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {1, 1, 0, 0}});
    addFace(mesh, {0, 1, 2});
    addFace(mesh, {2, 1, 3});
    mesh.buildEdges();
    driver.clearCalls();
    mesh.drawEdges();
    EXPECT_EQ(driver.calls(),
              (std::vector<std::string>{
                  "dColor4(1, 0, 0, 0)", "dRenderLine((0, 0, 0, 0), (1, 0, 0, 0))",
                  "dColor4(1, 1, 0, 0)", "dRenderLine((1, 0, 0, 0), (0, 1, 0, 0))",
                  "dColor4(1, 0, 0, 0)", "dRenderLine((0, 1, 0, 0), (0, 0, 0, 0))",
                  "dColor4(1, 0, 0, 0)", "dRenderLine((1, 0, 0, 0), (1, 1, 0, 0))",
                  "dColor4(1, 0, 0, 0)", "dRenderLine((1, 1, 0, 0), (0, 1, 0, 0))"}));
}

TEST(MeshDebugDrawing, TangentFramesUseNormalTangentAndTheirCross) {
    test::RecordingDriver driver;
    Mesh mesh;
    addPositions(mesh, {{1, 2, 3, 0}});
    MeshVertex& v = mesh.vertex(0);
    v.normal[2] = 1.0f;
    v.tangent[0] = 1.0f;
    mesh.drawTangentSpace();
    EXPECT_EQ(driver.calls(),
              (std::vector<std::string>{"dRenderCoordSystem((1, 2, 3, 0), (0, 0, 1, 0), "
                                        "(1, 0, 0, 0), (0, 1, 0, 0))"}));
}

}  // namespace
}  // namespace arvel
