// Static models written by the importer (".msh" without bones) placed as props.
#include <gtest/gtest.h>

#include <cmath>

#include "LevelTestSupport.h"
#include "MshWriter.h"
#include "world/Mesh.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"

namespace arvel::test {
namespace {

// A closed tetrahedron on the ground, corners wound counter-clockwise from outside.
content::MshFile tetrahedron() {
    content::MshFile mesh;
    mesh.materials.push_back({});
    for (const auto& p : {std::array<float, 3>{0, 0, 0}, {2, 0, 0}, {0, 0, 2}, {0, 2, 0}}) {
        mesh.positions.push_back({p, {}});
        mesh.vertices.push_back({static_cast<int32_t>(mesh.vertices.size())});
    }
    for (const auto& t : {std::array<int32_t, 3>{0, 1, 2}, {0, 3, 1}, {0, 2, 3}, {1, 3, 2}}) {
        mesh.triangles.push_back({t, 0});
    }
    return mesh;
}

std::string roomWithModel(const std::string& file, const std::string& extra = "") {
    return levelJson(
        R"([{"name": "a", "brushes": [{"type": "room", "min": [0, 0, 0], "max": [20, 10, 20], "material": "wall"}],
"props": [{"model": "file", "file": ")" +
        file + R"(", "position": [10, 0, 10], "yaw": 90)" + extra + R"(, "material": "wall"}]}])");
}

class PropModelTest : public LevelMapTest {
protected:
    // Compiles the source from a file in the test folder, so that models sit beside it.
    level::CompiledLevel compileFile(const std::string& json) {
        const auto path = folder.write("level.json", json);
        return level::compileLevel(level::loadLevel(path.string()));
    }
};

TEST_F(PropModelTest, aStaticModelIsScaledTurnedAndPlacedAsAClosedShell) {
    content::saveMsh(folder.path() / "tetra.msh", tetrahedron());
    const level::CompiledLevel compiled =
        compileFile(roomWithModel("tetra.msh", R"(, "scale": 2)"));
    ASSERT_EQ(load(compiled.map), "");
    const StaticMesh& mesh = map->sector(0).staticMesh();
    // The room's six sides and the four triangles.
    ASSERT_EQ(mesh.faceCount(), 10);
    int closed = 0;
    bool foundTurnedCorner = false;
    for (int f = 6; f < 10; ++f) {
        const MeshFace& face = mesh.face(f);
        EXPECT_EQ(face.cornerCount(), 3);
        for (int e = 0; e < 3; ++e) closed += face.edges[static_cast<size_t>(e)]->faceCount == 2;
        for (int c = 0; c < 3; ++c) {
            const Vector4 p = face.cornerPoint(c);
            // (4, 0, 0) of the model, turned a quarter about +y and moved to (10, 0, 10).
            foundTurnedCorner |= std::abs(p.x - 10.0f) < 1e-4f && std::abs(p.z - 6.0f) < 1e-4f;
        }
        // Faces point away from the model's centre.
        const Vector4 centre{10.5f, 1.0f, 9.5f, 0.0f};
        EXPECT_LT(face.plane.distance(centre), 0.0f);
    }
    EXPECT_EQ(closed, 12);
    EXPECT_TRUE(foundTurnedCorner);
}

TEST_F(PropModelTest, anAnimatedMeshIsNoProp) {
    content::MshFile mesh = tetrahedron();
    mesh.bones.push_back(content::MshBone::at(0, 0, 0));
    content::saveMsh(folder.path() / "creature.msh", mesh);
    try {
        compileFile(roomWithModel("creature.msh"));
        FAIL() << "no error";
    } catch (const level::LevelError& error) {
        EXPECT_EQ(error.path(), "/sectors/0/props/0/file");
        EXPECT_NE(std::string(error.what()).find("animated"), std::string::npos);
    }
}

TEST_F(PropModelTest, aBrokenModelFileIsReportedWithTheReadersMessage) {
    folder.write("broken.msh", std::string("\x05\x00\x00", 3));
    try {
        compileFile(roomWithModel("broken.msh"));
        FAIL() << "no error";
    } catch (const level::LevelError& error) {
        EXPECT_EQ(error.path(), "/sectors/0/props/0/file");
        EXPECT_NE(std::string(error.what()).find("broken.msh"), std::string::npos);
    }
}

}  // namespace
}  // namespace arvel::test
