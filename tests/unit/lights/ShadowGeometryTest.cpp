#include "world/ShadowGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "core/Zone.h"
#include "core/math/BoundingBox.h"
#include "render/Material.h"
#include "unit/world/MeshTestSupport.h"
#include "world/ViewVolume.h"

namespace arvel {
namespace {

using test::addFace;
using test::addPositions;
using test::makeCube;
using test::makeTriangle;

class ShadowGeometryTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        zone().create();
    }
    void TearDown() override { zone().destroy(); }
};

bool isLit(const MeshFace* face, const Vector4& light) {
    return face->plane.distance(light) >= 0.0f;
}

// Six times the signed volume enclosed by the faces' fans: positive when they face out.
double signedVolume(const Mesh& mesh) {
    double sum = 0.0;
    for (int f = 0; f < mesh.faceCount(); ++f) {
        const MeshFace& face = mesh.face(f);
        for (int k = 1; k + 1 < face.cornerCount(); ++k) {
            const Vector4 a = face.cornerPoint(0), b = face.cornerPoint(k),
                          c = face.cornerPoint(k + 1);
            sum += double(a.x) * (double(b.y) * c.z - double(b.z) * c.y) +
                   double(a.y) * (double(b.z) * c.x - double(b.x) * c.z) +
                   double(a.z) * (double(b.x) * c.y - double(b.y) * c.x);
        }
    }
    return sum;
}

// After rebuilding edges, a closed, consistently wound surface has only edges with two
// faces: a side wound the wrong way would start edges of its own.
void expectWatertight(Mesh& volume) {
    volume.buildEdges();
    ASSERT_GT(volume.edgeCount(), 0);
    for (int e = 0; e < volume.edgeCount(); ++e)
        EXPECT_EQ(volume.edge(e).faceCount, 2) << "edge " << e;
}

void makeQuad(Mesh& mesh) {
    addPositions(mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {0, 1, 0, 0}});
    addFace(mesh, {0, 1, 2, 3});
    mesh.buildEdges();
}

// ---- silhouettes ------------------------------------------------------------------

TEST_F(ShadowGeometryTest, ClosedCubeFromAboveHasTheTopOutlineAsSilhouette) {
    Mesh cube;
    makeCube(cube);
    cube.buildEdges();
    const Vector4 light{0.5f, 0.5f, 5.0f, 0.0f};
    const auto edges = silhouetteEdges(cube, light, true);
    ASSERT_EQ(edges.size(), 4u);
    for (const MeshEdge& edge : edges) {
        EXPECT_FLOAT_EQ(edge.first->z, 1.0f);
        EXPECT_FLOAT_EQ(edge.second->z, 1.0f);
    }
}

TEST_F(ShadowGeometryTest, ClosedCubeFromACornerHasSixEdgesBetweenLitAndUnlitFaces) {
    Mesh cube;
    makeCube(cube);
    cube.buildEdges();
    const Vector4 light{5.0f, 5.0f, 5.0f, 0.0f};
    const auto edges = silhouetteEdges(cube, light, true);
    ASSERT_EQ(edges.size(), 6u);
    for (const MeshEdge& edge : edges) {
        ASSERT_EQ(edge.faceCount, 2);
        EXPECT_NE(isLit(edge.faces[0], light), isLit(edge.faces[1], light));
    }
}

TEST_F(ShadowGeometryTest, OpenQuadHasSilhouetteOnlyWhenOpenEdgesAreIncluded) {
    Mesh quad;
    makeQuad(quad);
    const Vector4 light{0.5f, 0.5f, 3.0f, 0.0f};
    EXPECT_TRUE(silhouetteEdges(quad, light, false).empty());
    EXPECT_EQ(silhouetteEdges(quad, light, true).size(), 4u);
}

TEST_F(ShadowGeometryTest, FaceListBuildsEdgesBetweenThoseFacesOnly) {
    Mesh cube;
    makeCube(cube);
    cube.buildEdges();
    const Vector4 light{5.0f, 0.5f, 0.5f, 0.0f};  // lights only the x = 1 side
    const MeshFace* top = &cube.face(1);
    const MeshFace* side = &cube.face(5);
    ASSERT_GT(top->plane.normal.z, 0.5f);
    ASSERT_GT(side->plane.normal.x, 0.5f);

    const FaceList both{top, side};
    const auto shared = silhouetteEdges(cube, light, false, &both);
    ASSERT_EQ(shared.size(), 1u);
    EXPECT_FLOAT_EQ(shared[0].first->x, 1.0f);
    EXPECT_FLOAT_EQ(shared[0].first->z, 1.0f);
    EXPECT_EQ(silhouetteEdges(cube, light, true, &both).size(), 7u);

    const FaceList topOnly{top};
    EXPECT_EQ(silhouetteEdges(cube, light, true, &topOnly).size(), 4u);
    EXPECT_EQ(cube.edgeCount(), 12);  // the mesh's own edges stay as they were
}

// ---- open extrusion ---------------------------------------------------------------

TEST_F(ShadowGeometryTest, OpenExtrusionGivesFourUnsharedPositionsAndOneQuadPerEdge) {
    Mesh quad;
    makeQuad(quad);
    const Vector4 light{0.5f, 0.5f, 2.0f, 0.0f};
    const auto edges = silhouetteEdges(quad, light, true);
    const auto volume = extrudeOpen(light, edges, 3.0f);
    ASSERT_EQ(volume->positionCount(), 16);
    ASSERT_EQ(volume->vertexCount(), 16);
    ASSERT_EQ(volume->faceCount(), 4);
    for (int i = 0; i < 4; ++i) {
        const Vector4 a = edges[i].first->point(), b = edges[i].second->point();
        EXPECT_EQ(volume->position(4 * i).point(), a);
        EXPECT_EQ(volume->position(4 * i + 1).point(), light + (a - light) * 3.0f);
        EXPECT_EQ(volume->position(4 * i + 2).point(), b);
        EXPECT_EQ(volume->position(4 * i + 3).point(), light + (b - light) * 3.0f);
        EXPECT_EQ(volume->face(i).cornerCount(), 4);
        EXPECT_EQ(volume->face(i).material, nullptr);
    }
    const auto byDefault = extrudeOpen(light, edges, 0.0f);
    const Vector4 a = edges[0].first->point();
    EXPECT_EQ(byDefault->position(1).point(), light + (a - light) * 1000.0f);
}

TEST_F(ShadowGeometryTest, ExtrudedSilhouetteSidesFaceOutOfTheShadowWhicheverFaceMadeTheEdge) {
    Mesh cube;
    makeCube(cube);
    cube.buildEdges();
    const Vector4 centre{0.5f, 0.5f, 0.5f, 0.0f};
    bool unlitFirst = false;  // both windings of the edges must be exercised
    for (const Vector4& light :
         {Vector4{5, 5, 5, 0}, Vector4{-4, 0.5f, 6, 0}, Vector4{0.5f, 0.5f, -3, 0}}) {
        const auto edges = silhouetteEdges(cube, light, true);
        for (const MeshEdge& edge : edges) unlitFirst = unlitFirst || !isLit(edge.faces[0], light);
        const auto volume = extrudeOpen(light, edges);
        ASSERT_EQ(volume->faceCount(), static_cast<int>(edges.size()));
        for (int f = 0; f < volume->faceCount(); ++f)
            EXPECT_LT(volume->face(f).plane.distance(centre), 0.0f) << "side " << f;
    }
    EXPECT_TRUE(unlitFirst);
}

// ---- closed shadow volumes --------------------------------------------------------

TEST_F(ShadowGeometryTest, TriangleFacingTheLightGivesSixPositionsTwoCapsAndThreeSides) {
    Mesh triangle;
    makeTriangle(triangle);
    const Vector4 light{0.25f, 0.25f, 2.0f, 0.0f};
    const auto volume = closedShadowVolume(triangle, {light, 10.0f, false, nullptr});
    ASSERT_EQ(volume->positionCount(), 6);
    ASSERT_EQ(volume->faceCount(), 5);
    const float k = 10.0f / 2.0f;  // radius over the distance to the triangle
    for (int i = 0; i < 3; ++i) {
        const Vector4 p = triangle.position(i).point();
        EXPECT_EQ(volume->position(2 * i).point(), p);
        const Vector4 far = volume->position(2 * i + 1).point();
        const Vector4 expected = light + (p - light) * k;
        EXPECT_NEAR(far.x, expected.x, 1e-4f);
        EXPECT_NEAR(far.y, expected.y, 1e-4f);
        EXPECT_NEAR(far.z, expected.z, 1e-4f);
    }
    EXPECT_EQ(volume->face(0).cornerCount(), 3);  // near cap
    EXPECT_EQ(volume->face(1).cornerCount(), 3);  // far cap
    EXPECT_GT(volume->face(0).plane.normal.z, 0.99f);
    EXPECT_LT(volume->face(1).plane.normal.z, -0.99f);
    for (int f = 2; f < 5; ++f) EXPECT_EQ(volume->face(f).cornerCount(), 4);
    expectWatertight(*volume);
    EXPECT_GT(signedVolume(*volume), 0.0);
}

TEST_F(ShadowGeometryTest, BackFaceSwitchChoosesFacesTurnedAwayFromTheLight) {
    Mesh triangle;
    makeTriangle(triangle);
    const Vector4 below{0.25f, 0.25f, -2.0f, 0.0f};
    EXPECT_EQ(closedShadowVolume(triangle, {below, 10.0f, false, nullptr})->faceCount(), 0);
    const auto volume = closedShadowVolume(triangle, {below, 10.0f, true, nullptr});
    ASSERT_EQ(volume->faceCount(), 5);
    EXPECT_LT(volume->face(0).plane.normal.z, -0.99f);  // near cap turned to the light
    expectWatertight(*volume);
    EXPECT_GT(signedVolume(*volume), 0.0);
}

TEST_F(ShadowGeometryTest, FacesAtOrBeyondTheRadiusCastNothing) {
    Mesh triangle;
    makeTriangle(triangle);
    const Vector4 light{0.25f, 0.25f, 2.0f, 0.0f};
    EXPECT_EQ(closedShadowVolume(triangle, {light, 2.0f, false, nullptr})->faceCount(), 0);
    EXPECT_EQ(closedShadowVolume(triangle, {light, 1.5f, false, nullptr})->faceCount(), 0);
    EXPECT_EQ(closedShadowVolume(triangle, {light, 2.5f, false, nullptr})->faceCount(), 5);
}

TEST_F(ShadowGeometryTest, ClosedVolumesOfCubesAreWatertightAndFaceOutwards) {
    Mesh cube;
    makeCube(cube);
    cube.buildEdges();
    Mesh box;  // vertices of its own per side, positions shared
    appendBox(box, BoundingBox{{0, 0, 0, 0}, {2, 1, 1, 0}});
    box.buildEdges();
    ASSERT_EQ(box.edgeCount(), 12);
    for (const Mesh* mesh : {&cube, &box}) {
        for (const Vector4& light :
             {Vector4{5, 5, 5, 0}, Vector4{0.5f, 0.5f, 4, 0}, Vector4{-3, 2, 0.5f, 0}}) {
            for (bool backFaces : {false, true}) {
                SCOPED_TRACE(backFaces ? "back faces" : "front faces");
                auto volume = closedShadowVolume(*mesh, {light, 50.0f, backFaces, nullptr});
                ASSERT_GT(volume->faceCount(), 0);
                expectWatertight(*volume);
                EXPECT_GT(signedVolume(*volume), 0.0);
            }
        }
    }
}

TEST_F(ShadowGeometryTest, ClosedVolumeOfAFaceListUsesThoseFacesOnly) {
    Mesh cube;
    makeCube(cube);
    cube.buildEdges();
    const FaceList top{&cube.face(1)};
    auto volume = closedShadowVolume(cube, {{0.5f, 0.5f, 4.0f, 0.0f}, 50.0f, false, &top});
    EXPECT_EQ(volume->positionCount(), 8);
    EXPECT_EQ(volume->faceCount(), 2 + 4);
    expectWatertight(*volume);
}

TEST_F(ShadowGeometryTest, LightOnAFaceGivesFiniteFarPositions) {
    Mesh triangle;
    makeTriangle(triangle);
    const auto volume =
        closedShadowVolume(triangle, {{0.25f, 0.25f, 0.0f, 0.0f}, 10.0f, false, nullptr});
    ASSERT_EQ(volume->positionCount(), 6);
    for (int i = 0; i < volume->positionCount(); ++i) {
        const Vector4 p = volume->position(i).point();
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << i;
    }
}

TEST_F(ShadowGeometryTest, RefusedScratchMemoryGivesAnEmptyVolume) {
    Mesh cube;
    makeCube(cube);
    cube.buildEdges();
    zone().destroy();  // no block: every allocation is refused
    const auto volume = closedShadowVolume(cube, {{5, 5, 5, 0}, 50.0f, false, nullptr});
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->positionCount(), 0);
    EXPECT_EQ(volume->faceCount(), 0);
    EXPECT_EQ(zone().holders, 0);
}

TEST_F(ShadowGeometryTest, ScratchMemoryIsGivenBackAfterABuild) {
    Mesh cube;
    makeCube(cube);
    cube.buildEdges();
    zone().hold();  // an outer user keeps the zone from being emptied
    const int32_t before = zone().used;
    closedShadowVolume(cube, {{5, 5, 5, 0}, 50.0f, false, nullptr});
    EXPECT_EQ(zone().used, before);
    EXPECT_EQ(zone().holders, 1);
    zone().release();
}

// ---- boxes, merging, selection ----------------------------------------------------

TEST_F(ShadowGeometryTest, AppendBoxGivesEightCornersAndSixOutwardQuadsOfTheirOwnVertices) {
    Mesh mesh;
    addPositions(mesh, {{9, 9, 9, 0}});
    const BoundingBox box{{-1, 0, 2, 0}, {3, 2, 5, 0}};
    appendBox(mesh, box);
    ASSERT_EQ(mesh.positionCount(), 1 + 8);
    ASSERT_EQ(mesh.vertexCount(), 1 + 24);
    ASSERT_EQ(mesh.faceCount(), 6);
    const auto corners = box.corners();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(mesh.position(1 + i).point(), corners[i]);
    const Vector4 centre{1, 1, 3.5f, 0};
    for (int f = 0; f < 6; ++f) {
        const MeshFace& face = mesh.face(f);
        ASSERT_EQ(face.cornerCount(), 4);
        EXPECT_EQ(face.material, nullptr);
        EXPECT_NEAR(length3(face.plane.normal), 1.0f, 1e-6f);
        EXPECT_LT(face.plane.distance(centre), 0.0f);
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(face.plane.distance(face.cornerPoint(c)), 0.0f, 1e-5f);
    }
    EXPECT_EQ(mesh.face(0).corners[0]->meshPosition(), &mesh.position(1 + 2));
    EXPECT_EQ(mesh.face(5).corners[3]->meshPosition(), &mesh.position(1 + 2));
}

TEST_F(ShadowGeometryTest, AppendMeshTakesOverElementsInOrderAndEmptiesTheOther) {
    Mesh into;
    addPositions(into, {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}});
    addFace(into, {0, 1, 2});
    Mesh from;
    addPositions(from, {{5, 0, 0, 0}, {6, 0, 0, 0}, {5, 1, 0, 0}, {6, 1, 0, 0}});
    auto material = std::make_unique<Material>(nullptr, nullptr);
    Material& owned = from.addMaterial(std::move(material));
    addFace(from, {0, 1, 3, 2}, &owned);

    appendMesh(into, std::move(from));
    ASSERT_EQ(into.positionCount(), 7);
    ASSERT_EQ(into.vertexCount(), 7);
    ASSERT_EQ(into.faceCount(), 2);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(into.position(i).index, i);
        EXPECT_EQ(into.vertex(i).index, i);
        EXPECT_EQ(into.vertex(i).meshPosition(), &into.position(i));
    }
    const MeshFace& face = into.face(1);
    EXPECT_EQ(face.index, 1);
    ASSERT_EQ(face.cornerCount(), 4);
    EXPECT_EQ(face.corners[2], &into.vertex(3 + 3));
    EXPECT_EQ(face.cornerPoint(2), (Vector4{6, 1, 0, 0}));
    EXPECT_EQ(face.material, nullptr);  // its material went with the other mesh
    EXPECT_EQ(from.positionCount(), 0);
    EXPECT_EQ(from.faceCount(), 0);
}

TEST_F(ShadowGeometryTest, SelectFacesKeepsThoseReachingIntoTheVolume) {
    Mesh mesh;
    // Three quads at depth 5: one in front of the eye, one far to the side, one behind.
    addPositions(mesh, {{-1, -1, -5, 0},
                        {1, -1, -5, 0},
                        {1, 1, -5, 0},
                        {-1, 1, -5, 0},
                        {40, -1, -5, 0},
                        {42, -1, -5, 0},
                        {42, 1, -5, 0},
                        {40, 1, -5, 0},
                        {-1, -1, 5, 0},
                        {1, -1, 5, 0},
                        {1, 1, 5, 0},
                        {-1, 1, 5, 0}});
    addFace(mesh, {0, 1, 2, 3});
    addFace(mesh, {4, 5, 6, 7});
    addFace(mesh, {8, 9, 10, 11});
    const ViewVolume volume = ViewVolume::fromScreenRect(-1, 1, -1, 1, 100.0f);
    const FaceList selected = selectFaces(mesh, volume);
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0], &mesh.face(0));
}

TEST_F(ShadowGeometryTest, DistanceToFaceMeasuresToThePlaneInsideAndToTheOutlineOutside) {
    Mesh quad;
    makeQuad(quad);
    const MeshFace& face = quad.face(0);
    EXPECT_FLOAT_EQ(distanceToFace({0.5f, 0.5f, 3.0f, 0.0f}, face), 3.0f);
    EXPECT_FLOAT_EQ(distanceToFace({0.5f, 0.5f, -2.0f, 0.0f}, face), 2.0f);
    EXPECT_FLOAT_EQ(distanceToFace({4.0f, 0.5f, 4.0f, 0.0f}, face), 5.0f);
    EXPECT_FLOAT_EQ(distanceToFace({0.5f, 0.5f, 0.0f, 0.0f}, face), 0.0f);
}

}  // namespace
}  // namespace arvel
