// A static light's lit piece is drawn over the ambient pass of its sector mesh with an
// equal-or-nearer depth test. Only the same triangles (same corners, same order, same
// matrix) are sure to rasterise to the same depths; a piece triangulated any other way
// fights with the ambient pass and the light shows as streaks.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "LevelTestSupport.h"
#include "world/Light.h"
#include "world/Mesh.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"

namespace arvel::test {
namespace {

using CornerKey = std::vector<float>;

// The corners' coordinates exactly as stored, in drawing order.
CornerKey cornerKey(const MeshFace& face) {
    CornerKey key;
    for (int i = 0; i < face.cornerCount(); ++i) {
        const Vector4 p = face.cornerPoint(i);
        key.insert(key.end(), {p.x, p.y, p.z});
    }
    return key;
}

bool sameMatrix(const Matrix4& a, const Matrix4& b) {
    return std::memcmp(a.m, b.m, sizeof a.m) == 0;
}

// Every problem found, one line each.
std::vector<std::string> pieceFacesNotInSectorMesh(const Map& map) {
    std::vector<std::string> problems;
    for (int l = 0; l < map.lightCount(); ++l) {
        for (const LightPiece& piece : map.light(l).pieces) {
            const StaticMesh& sectorMesh = piece.sector->staticMesh();
            const std::string where =
                "light " + std::to_string(l) + " sector " + std::to_string(piece.sector->index);
            if (!sameMatrix(piece.mesh->worldMatrix, sectorMesh.worldMatrix))
                problems.push_back(where + ": another matrix than the sector mesh");
            std::set<CornerKey> sectorFaces;
            for (int f = 0; f < sectorMesh.faceCount(); ++f)
                sectorFaces.insert(cornerKey(sectorMesh.face(f)));
            for (int f = 0; f < piece.mesh->faceCount(); ++f) {
                if (!sectorFaces.count(cornerKey(piece.mesh->face(f))))
                    problems.push_back(where + " face " + std::to_string(f));
            }
        }
    }
    return problems;
}

class LitPieceDepthTest : public LevelMapTest {};

TEST_F(LitPieceDepthTest, demoLightsLightOnlyWholeFacesOfTheSectorMesh) {
    ASSERT_EQ(load(demoLevel().map), "");
    int pieceFaces = 0;
    for (int l = 0; l < map->lightCount(); ++l)
        for (const LightPiece& piece : map->light(l).pieces) pieceFaces += piece.mesh->faceCount();
    ASSERT_GT(pieceFaces, 0);
    const std::vector<std::string> problems = pieceFacesNotInSectorMesh(*map);
    EXPECT_TRUE(problems.empty()) << problems.size() << " of " << pieceFaces
                                  << " piece faces are no sector face, first: " << problems[0];
}

// Two lights whose shadows of one box cross on the floor and walls.
TEST_F(LitPieceDepthTest, twoLightsAroundABoxLightOnlyWholeFacesOfTheRoom) {
    const std::string text = levelJson(
        R"([{"name": "room", "brushes": [{"type": "room", "min": [0, 0, 0], "max": [40, 20, 40],
             "material": "wall"}], "props": [{"model": "box", "position": [20, 0, 20],
             "size": [6, 6, 6], "yaw": 30, "material": "wall"}]}])",
        "[]",
        R"([{"position": [12, 15, 9], "inner": 5, "outer": 60, "colour": [1, 1, 1], "static": true},
            {"position": [30, 12, 31], "inner": 5, "outer": 60, "colour": [1, 1, 1], "static": true}])");
    ASSERT_EQ(load(level::compileLevel(level::parseLevel(text, "room.json")).map), "");
    ASSERT_EQ(map->lightCount(), 2);
    ASSERT_FALSE(map->light(0).pieces.empty());
    ASSERT_FALSE(map->light(1).pieces.empty());
    const std::vector<std::string> problems = pieceFacesNotInSectorMesh(*map);
    EXPECT_TRUE(problems.empty()) << problems.size()
                                  << " piece faces are no sector face, first: " << problems[0];
}

}  // namespace
}  // namespace arvel::test
