// Polygon cuts, brush faces and the mesh builder: solids are closed and face out,
// rooms face in, openings take exactly their rectangle, corners on edges are shared.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <tuple>

#include "LevelTestSupport.h"
#include "level/Brushes.h"
#include "level/Geometry.h"
#include "level/MeshBuilder.h"

namespace arvel::test {
namespace {

using namespace level;

// Enclosed volume by the divergence theorem: positive when the faces point outwards.
double signedVolume(const std::vector<Face>& faces) {
    double sum = 0.0;
    for (const Face& face : faces) sum += dot(face.points[0], newellNormal(face.points));
    return sum / 6.0;
}

double totalArea(const std::vector<Face>& faces) {
    double sum = 0.0;
    for (const Face& face : faces) sum += area(face.points);
    return sum;
}

using Key = std::tuple<double, double, double>;
Key keyOf(const Vec3& p) { return {p.x, p.y, p.z}; }

// Directed edges of the faces that no face runs the other way.
std::vector<std::pair<Vec3, Vec3>> unmatchedEdges(const std::vector<Face>& faces) {
    std::map<std::pair<Key, Key>, int> count;
    std::vector<std::pair<Vec3, Vec3>> edges;
    for (const Face& face : faces) {
        for (size_t i = 0; i < face.points.size(); ++i) {
            const Vec3& a = face.points[i];
            const Vec3& b = face.points[(i + 1) % face.points.size()];
            ++count[{keyOf(a), keyOf(b)}];
            edges.push_back({a, b});
        }
    }
    std::vector<std::pair<Vec3, Vec3>> open;
    for (const auto& [a, b] : edges) {
        if (count[{keyOf(b), keyOf(a)}] != 1 || count[{keyOf(a), keyOf(b)}] != 1) {
            open.push_back({a, b});
        }
    }
    return open;
}

SourceBrush box(BrushKind kind, const Vec3& min, const Vec3& max) {
    SourceBrush brush;
    brush.kind = kind;
    brush.min = min;
    brush.max = max;
    return brush;
}

TEST(GeometryTest, splittingKeepsTheWholeAreaOnTheTwoSides) {
    const Points square{{0, 0, 0}, {4, 0, 0}, {4, 0, 4}, {0, 0, 4}};
    const Split parts = split(square, level::Plane{{1, 0, 0}, -1.0});
    EXPECT_NEAR(area(parts.front), 12.0, 1e-9);
    EXPECT_NEAR(area(parts.back), 4.0, 1e-9);
}

TEST(GeometryTest, aPolygonLyingInThePlaneGoesInFrontAndIsNeverLost) {
    const Points square{{0, 0, 0}, {4, 0, 0}, {4, 0, 4}, {0, 0, 4}};
    const Split parts = split(square, level::Plane{{0, 1, 0}, 0.0});
    EXPECT_EQ(parts.front.size(), 4u);
    EXPECT_TRUE(parts.back.empty());
}

TEST(GeometryTest, distanceToAPolygonIsToItsPlaneAboveItAndToItsOutlineBeside) {
    const Points square{{0, 0, 0}, {0, 0, 4}, {4, 0, 4}, {4, 0, 0}};
    EXPECT_NEAR(distanceToPolygon({2, 3, 2}, square), 3.0, 1e-12);
    EXPECT_NEAR(distanceToPolygon({7, 4, 2}, square), 5.0, 1e-12);
}

TEST(GeometryTest, aPolygonTouchingABoxOverlapsItAndOneApartDoesNot) {
    const Box unit{{0, 0, 0}, {1, 1, 1}};
    EXPECT_TRUE(overlapsBox({{1, 0, 0}, {1, 1, 0}, {1, 1, 1}}, unit));
    EXPECT_FALSE(overlapsBox({{1.1, 0, 0}, {1.1, 1, 0}, {1.1, 1, 1}}, unit));
    // Crossing the box without a corner inside it.
    EXPECT_TRUE(overlapsBox({{-5, 0.5, -5}, {5, 0.5, -5}, {0, 0.5, 10}}, unit));
}

TEST(BrushTest, roomSidesFaceIntoTheRoom) {
    const std::vector<Face> faces = roomFaces(box(BrushKind::kRoom, {0, 0, 0}, {4, 3, 2}), {}, 0);
    ASSERT_EQ(faces.size(), 6u);
    EXPECT_NEAR(signedVolume(faces), -24.0, 1e-9);
    for (const Face& face : faces) {
        EXPECT_GT(dot(newellNormal(face.points), Vec3{2, 1.5, 1} - centroid(face.points)), 0.0);
    }
}

TEST(BrushTest, anOpeningRemovesExactlyItsRectangleFromItsSide) {
    const SourceBrush room = box(BrushKind::kRoom, {0, 0, 0}, {10, 6, 8});
    const Opening door{0, {10, 0, 3}, {10, 4, 5}};
    ASSERT_TRUE(openingFitsRoom(room, door));
    const std::vector<Face> faces = roomFaces(room, {door}, 0);
    const double whole = 2 * (10 * 6 + 10 * 8 + 6 * 8);
    EXPECT_NEAR(totalArea(faces), whole - 4 * 2, 1e-9);
    // Only the door's outline stays open once corners on edges are shared.
    const auto open = unmatchedEdges(joinEdges(faces));
    EXPECT_EQ(open.size(), 4u);
    for (const auto& [a, b] : open) {
        EXPECT_EQ(a.x, 10.0);
        EXPECT_EQ(b.x, 10.0);
    }
}

TEST(BrushTest, anOpeningOffTheRoomsSidesDoesNotFit) {
    const SourceBrush room = box(BrushKind::kRoom, {0, 0, 0}, {10, 6, 8});
    EXPECT_FALSE(openingFitsRoom(room, {0, {5, 0, 3}, {5, 4, 5}}));    // inside the room
    EXPECT_FALSE(openingFitsRoom(room, {0, {10, 4, 3}, {10, 8, 5}}));  // above its wall
}

TEST(BrushTest, stairsAreClosedAndHoldTheVolumeOfTheirSteps) {
    SourceBrush stairs = box(BrushKind::kStairs, {0, 0, 0}, {8, 4, 2});
    stairs.steps = 4;
    stairs.riseAxis = 0;
    stairs.riseTowardsMax = false;
    const std::vector<Face> faces = stairsFaces(stairs, 0);
    // Steps of 2 x 1 x 2, piled 1 to 4 high.
    EXPECT_NEAR(signedVolume(faces), 2.0 * 2.0 * (1 + 2 + 3 + 4), 1e-9);
    EXPECT_TRUE(unmatchedEdges(joinEdges(faces)).empty());
    // The lowest step is at the max-x end when the stairs climb towards min x.
    int treads = 0;
    for (const Face& face : faces) {
        const Vec3 n = normalized(newellNormal(face.points));
        if (n.y > 0.5) {
            ++treads;
            if (centroid(face.points).x > 6.0) {
                EXPECT_EQ(face.points[0].y, 1.0);
            }
        }
    }
    EXPECT_EQ(treads, 4);
}

TEST(BrushTest, pillarsAndTurnedBoxesAreClosedAndFaceOut) {
    LevelSource level;
    SourceProp pillar;
    pillar.model = PropModel::kPillar;
    pillar.position = {3, 1, 3};
    pillar.radius = 2;
    pillar.height = 5;
    pillar.sides = 6;
    const double hexagon = 1.5 * std::sqrt(3.0) * 4.0;
    EXPECT_NEAR(signedVolume(propFaces(pillar, level, 0)), hexagon * 5.0, 1e-9);
    EXPECT_TRUE(unmatchedEdges(joinEdges(propFaces(pillar, level, 0))).empty());

    SourceProp crate;
    crate.position = {0, 2, 0};
    crate.size = {2, 3, 4};
    crate.yaw = 30;
    const std::vector<Face> faces = propFaces(crate, level, 0);
    EXPECT_NEAR(signedVolume(faces), 24.0, 1e-9);
    double lowest = 1e9;
    for (const Face& face : faces) {
        for (const Vec3& p : face.points) lowest = std::min(lowest, p.y);
    }
    EXPECT_EQ(lowest, 2.0);  // standing on its position
}

TEST(MeshBuilderTest, aCornerOnAnotherFacesEdgeIsInsertedIntoThatEdge) {
    // One long quad under two short ones.
    std::vector<Face> faces{{{{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}}, 0, 0},
                            {{{0, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}}, 0, 0},
                            {{{1, 1, 0}, {2, 1, 0}, {2, 2, 0}, {1, 2, 0}}, 0, 0, {}}};
    const std::vector<Face> joined = joinEdges(faces);
    EXPECT_EQ(joined[0].points.size(), 5u);
    EXPECT_EQ(joined[0].points[3], (Vec3{1, 1, 0}));
    EXPECT_EQ(joined[1].points.size(), 4u);
}

TEST(MeshBuilderTest, cornersOfOtherShellsSplitEdgesButKeepPositionsOfTheirOwn) {
    LevelSource level;
    level.materials.push_back({});
    // A block's face standing on a floor's edge.
    std::vector<Face> faces{{{{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}}, 0, 0},
                            {{{0, 1, 0}, {1, 1, 0}, {1, 2, 0}, {0, 2, 0}}, 0, 1}};
    EXPECT_EQ(joinEdges(faces)[0].points.size(), 5u);
    EXPECT_EQ(buildBody(faces, level).positions.size(), 9u);
}

// The engine draws the fan (0, k, k + 1) of each face: a triangle of no area would draw
// its edge only as part of a longer one, leaving pixels of neither neighbour.
TEST(MeshBuilderTest, facesAreDrawnByFansWithoutFlatTriangles) {
    LevelSource level;
    level.materials.push_back({});
    const Points square{{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}};
    // Neighbours whose corners split the square's first side, its first two sides, all four.
    const std::vector<std::vector<Points>> cases{
        {{{1, 0, 0}, {2, -1, 0}, {0, -1, 0}}},
        {{{1, 0, 0}, {2, -1, 0}, {0, -1, 0}}, {{4, 2, 0}, {5, 3, 0}, {5, 1, 0}}},
        {{{1, 0, 0}, {2, -1, 0}, {0, -1, 0}},
         {{4, 2, 0}, {5, 3, 0}, {5, 1, 0}},
         {{2, 4, 0}, {1, 5, 0}, {3, 5, 0}},
         {{0, 3, 0}, {-1, 2, 0}, {-1, 4, 0}}},
    };
    for (size_t c = 0; c < cases.size(); ++c) {
        std::vector<Face> faces{{square, 0, 0}};
        for (const Points& neighbour : cases[c]) faces.push_back({neighbour, 0, 0});
        std::vector<int> sources;
        const content::OtmMeshBody body = buildBody(faces, level, &sources);
        double covered = 0.0;
        for (size_t f = 0; f < body.faces.size(); ++f) {
            if (sources[f] != 0) continue;
            Points p;
            for (int32_t corner : body.faces[f].corners)
                p.push_back(toVec3(body.positions[static_cast<size_t>(
                    body.vertices[static_cast<size_t>(corner)].position)]));
            for (size_t k = 1; k + 1 < p.size(); ++k) {
                EXPECT_GT(area({p[0], p[k], p[k + 1]}), 0.1) << "case " << c;
                covered += area({p[0], p[k], p[k + 1]});
            }
        }
        EXPECT_NEAR(covered, 16.0, 1e-9) << "case " << c;
    }
}

TEST(MeshBuilderTest, nearlyEqualCornersBecomeOnePosition) {
    LevelSource level;
    level.materials.push_back({});
    std::vector<Face> faces{{{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}}, 0, 0},
                            {{{1.0004, 1, 0}, {1, 0, 0.0002}, {2, 0, 0}}, 0, 0}};
    const content::OtmMeshBody body = buildBody(faces, level);
    EXPECT_EQ(body.positions.size(), 4u);
}

TEST(MeshBuilderTest, textureFramesFollowTheLightingProgramsAndKeepWallsUpright) {
    for (const Vec3& n : {Vec3{1, 0, 0}, Vec3{0, 0, -1}, Vec3{0, 1, 0}, Vec3{0, -1, 0},
                          normalized(Vec3{1, 0, 1})}) {
        const TextureFrame frame = textureFrame(n);
        EXPECT_NEAR(dot(frame.tangent, n), 0.0, 1e-12);
        EXPECT_NEAR(length(frame.tangent), 1.0, 1e-12);
        EXPECT_NEAR(length(frame.bitangent - cross(n, frame.tangent)), 0.0, 1e-12);
        if (std::abs(n.y) < 0.5) {
            EXPECT_NEAR(frame.bitangent.y, 1.0, 1e-12);
        }
    }
}

TEST(MeshBuilderTest, verticesTakePlanarCoordinatesAtTheMaterialsScale) {
    LevelSource level;
    SourceMaterial material;
    material.scale = 8.0;
    level.materials.push_back(material);
    const Points wall = axisRectangle(2, 0.0, {0, 0, 0}, {16, 8, 0}, true);
    const content::OtmMeshBody body = buildBody({{wall, 0, 0}}, level);
    const TextureFrame frame = textureFrame({0, 0, 1});
    for (const content::OtmVertex& v : body.vertices) {
        const Vec3 p = toVec3(body.positions[static_cast<size_t>(v.position)]);
        EXPECT_FLOAT_EQ(v.u, static_cast<float>(dot(p, frame.tangent) / 8.0));
        EXPECT_FLOAT_EQ(v.v, static_cast<float>(p.y / 8.0));
        EXPECT_EQ(v.normal.z, 1.0f);
    }
}

TEST(MeshBuilderTest, aSubsetKeepsCornersAndVertexValuesExactly) {
    LevelSource level;
    level.materials.push_back({});
    std::vector<Face> faces;
    for (int i = 0; i < 3; ++i) {
        const double x = i;
        faces.push_back({{{x, 0, 0}, {x + 1, 0, 0}, {x + 1, 1, 0}, {x, 1, 0}}, 0, 0});
    }
    const content::OtmMeshBody body = buildBody(faces, level);
    const content::OtmMeshBody part = subsetBody(body, {2, 0});
    ASSERT_EQ(part.faces.size(), 2u);
    EXPECT_EQ(part.positions.size(), 8u);
    for (size_t c = 0; c < 4; ++c) {
        const auto& original = body.vertices[static_cast<size_t>(body.faces[2].corners[c])];
        const auto& copy = part.vertices[static_cast<size_t>(part.faces[0].corners[c])];
        EXPECT_EQ(copy.u, original.u);
        EXPECT_EQ(copy.v, original.v);
        EXPECT_EQ(part.positions[static_cast<size_t>(copy.position)],
                  body.positions[static_cast<size_t>(original.position)]);
    }
}

TEST(MeshBuilderTest, anOctreeSplitsPastItsLeafSizeAndEveryLeafFaceOverlapsItsLeaf) {
    LevelSource level;
    level.materials.push_back({});
    std::vector<Face> faces;
    for (int i = 0; i < 12; ++i) {
        for (int j = 0; j < 12; ++j) {
            faces.push_back(
                {axisRectangle(1, 0.0, {double(i), 0, double(j)}, {i + 1.0, 0, j + 1.0}, true), 0,
                 0});
        }
    }
    content::OtmStaticMesh mesh;
    mesh.body = buildBody(faces, level);
    buildOctree(mesh, 100);
    ASSERT_EQ(mesh.octree.children.size(), 8u);
    std::vector<bool> held(mesh.body.faces.size(), false);
    // Walk the tree with each node's box.
    std::vector<std::pair<const content::OtmOctreeNode*, Box>> nodes{
        {&mesh.octree, Box{toVec3(mesh.octreeMin), toVec3(mesh.octreeMax)}}};
    while (!nodes.empty()) {
        auto [node, bounds] = nodes.back();
        nodes.pop_back();
        for (size_t c = 0; c < node->children.size(); ++c) {
            Box part;
            for (int axis = 0; axis < 3; ++axis) {
                const bool upper = (c >> axis) & 1;
                part.min[axis] = upper ? bounds.centre()[axis] : bounds.min[axis];
                part.max[axis] = upper ? bounds.max[axis] : bounds.centre()[axis];
            }
            nodes.push_back({&node->children[c], part});
        }
        EXPECT_LE(node->faces.size(), 100u);
        for (int32_t f : node->faces) {
            held[static_cast<size_t>(f)] = true;
            Points polygon;
            for (int32_t corner : mesh.body.faces[static_cast<size_t>(f)].corners) {
                polygon.push_back(toVec3(mesh.body.positions[static_cast<size_t>(
                    mesh.body.vertices[static_cast<size_t>(corner)].position)]));
            }
            EXPECT_TRUE(overlapsBox(polygon, bounds));
        }
    }
    EXPECT_EQ(std::count(held.begin(), held.end(), true), 144);
}

}  // namespace
}  // namespace arvel::test
