// Levels modelled in an editor: sectors of triangles, portal polygons, and the checks
// that refuse what would let the view out of the world, naming the editor's object.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "LevelTestSupport.h"
#include "level/MeshBuilder.h"
#include "world/Light.h"
#include "world/Portal.h"
#include "world/Sector.h"

namespace arvel::test {
namespace {

using namespace level;

std::vector<SourceFace> triangles(const std::vector<Face>& faces, const std::string& object) {
    std::vector<SourceFace> out;
    for (const Face& f : faces) {
        for (size_t k = 1; k + 1 < f.points.size(); ++k)
            out.push_back({{f.points[0], f.points[k], f.points[k + 1]}, 0, std::nullopt, object});
    }
    return out;
}

SourceSector modelledRoom(const std::string& name, const Vec3& min, const Vec3& max,
                          const std::vector<Opening>& openings, const std::string& object) {
    SourceSector sector;
    sector.name = name;
    sector.path = "object \"sector:" + name + "\"";
    SourceBrush room;
    room.min = min;
    room.max = max;
    sector.faces = triangles(roomFaces(room, openings, 0), object);
    return sector;
}

SourceLight light(const std::string& object, const Vec3& position, double outer, bool isStatic) {
    SourceLight l;
    l.position = position;
    l.outer = outer;
    l.isStatic = isStatic;
    l.path = "object \"" + object + "\"";
    return l;
}

// The floor's texture as the editor mapped it: u east, v north, shifted.
const TextureMapping kFloorMapping{{1.0 / 48, 0, 0}, 0.25, {0, 0, -1.0 / 48}, 1.0};

// A hall and a closet east of it, as an editor exports them: inward triangles, a
// crate in the hall facing out, a doorway in the shared wall closed by a portal.
LevelSource twoRooms() {
    LevelSource level;
    level.file = "rooms.glb";
    SourceMaterial wall;
    wall.name = "wall";
    wall.textures = {"white.tga"};
    level.materials.push_back(wall);
    const Opening door{0, {48, 0, 18}, {48, 24, 30}};
    level.sectors.push_back(modelledRoom("hall", {0, 0, 0}, {48, 36, 48}, {door}, "Hall"));
    level.sectors.push_back(modelledRoom("closet", {48, 0, 0}, {96, 36, 48}, {door}, "Closet"));
    for (SourceFace& f : level.sectors[0].faces) {
        if (newellNormal(f.points).y > 0.0) f.mapping = kFloorMapping;  // floor only
    }
    const auto crate = triangles(blockFaces({16, 0, 30}, {28, 10, 40}, 0, 0), "Crate");
    level.sectors[0].faces.insert(level.sectors[0].faces.end(), crate.begin(), crate.end());
    level.portals.push_back({0,
                             1,
                             {},
                             {},
                             axisRectangle(0, 48, door.min, door.max, false),
                             "object \"portal:hall:closet\""});
    level.lights = {light("Lamp", {12, 18, 12}, 100, true),
                    light("Torch", {72, 18, 24}, 40, false)};
    level.meshes.push_back(
        {"guard.msh", {48, 0, 24}, 0.0, 0, "object \"Guard\""});  // in the doorway
    level.camera = SourceCamera{{80, 20, 40}, 0.0, 0.0, 0.0, "object \"Camera\""};
    return level;
}

class ModelledLevelTest : public LevelMapTest {};

TEST_F(ModelledLevelTest, twoModelledRoomsCompileWithTheirMappingAndAPortalIntoTheFirst) {
    for (bool reversed : {false, true}) {
        for (int first : {0, 1}) {
            SCOPED_TRACE(std::string(reversed ? "reversed" : "as given") + ", first " +
                         std::to_string(first));
            LevelSource source = twoRooms();
            SourcePortal& portal = source.portals[0];
            if (reversed) std::reverse(portal.polygon.begin(), portal.polygon.end());
            portal.first = first;
            portal.second = 1 - first;
            const CompiledLevel compiled = compileLevel(source);
            ASSERT_EQ(load(compiled.map), "");
            EXPECT_EQ(map->portal(0).firstSector(), &map->sector(first));
            const float westward = map->portal(0).polygon()->plane.normal.x;
            EXPECT_NEAR(westward, first == 0 ? -1.0f : 1.0f, 1e-5f);

            // The hall's floor, two triangles, is one face; each vertex on it keeps the
            // editor's u, v and turns its tangent along u, even where shadows cut it.
            const std::vector<Face>& hall = compiled.sectorFaces[0];
            EXPECT_EQ(std::count_if(hall.begin(), hall.end(),
                                    [](const Face& f) {
                                        return newellNormal(f.points).y > 0.0 &&
                                               f.points[0].y == 0.0 && f.points.size() == 4;
                                    }),
                      1);
            EXPECT_LT(hall.size(), source.sectors[0].faces.size());
            for (const Face& f : hall) {  // merging never bends a face inwards
                const Vec3 n = newellNormal(f.points);
                for (size_t k = 0; k < f.points.size(); ++k) {
                    const Vec3& a = f.points[k];
                    const Vec3& b = f.points[(k + 1) % f.points.size()];
                    const Vec3& c = f.points[(k + 2) % f.points.size()];
                    EXPECT_GE(dot(cross(b - a, c - b), n), -1e-9);
                }
            }
            const content::OtmMeshBody& body = compiled.map.sectors[0].mesh.body;
            int floorVertices = 0;
            for (const content::OtmVertex& v : body.vertices) {
                const Vec3 p = toVec3(body.positions[static_cast<size_t>(v.position)]);
                if (p.y != 0.0 || v.normal.y < 0.99f) continue;
                ++floorVertices;
                EXPECT_NEAR(v.u, p.x / 48 + 0.25, 1e-5);
                EXPECT_NEAR(v.v, 1.0 - p.z / 48, 1e-5);
                EXPECT_NEAR(v.tangent.x, 1.0f, 1e-6f);
            }
            EXPECT_GT(floorVertices, 4);  // the crate's shadow cuts the floor

            // The static lamp lights both rooms (through the door); the dynamic torch
            // reaches the hall through the door nearer than its radius.
            ASSERT_EQ(map->light(0).pieces.size(), 2u);
            EXPECT_EQ(map->light(0).pieces[0].sector, &map->sector(0));
            EXPECT_EQ(map->sector(0).lights().size(), 2u);
            EXPECT_EQ(map->sector(1).lights().size(), 2u);
            EXPECT_EQ(map->findSector({70, 10, 10, 0}), &map->sector(1));
        }
    }
}

TEST(ModelledMappingTest, aSeamInTheMappingKeepsTrianglesAndVerticesApart) {
    LevelSource source = twoRooms();
    int floorTriangle = 0;
    for (SourceFace& f : source.sectors[0].faces) {
        if (f.mapping && floorTriangle++ == 1) f.mapping->uOffset += 0.5;
    }
    const CompiledLevel compiled = compileLevel(source);
    const std::vector<Face>& hall = compiled.sectorFaces[0];
    EXPECT_EQ(std::count_if(hall.begin(), hall.end(), [](const Face& f) { return f.mapping; }), 2);
    // Corners on the diagonal (x = z) carry both u values, one vertex each; no other
    // floor corner does.
    const content::OtmMeshBody& body = compiled.map.sectors[0].mesh.body;
    std::map<int32_t, std::set<float>> floorUs;
    for (const content::OtmVertex& v : body.vertices) {
        if (v.normal.y > 0.99f && body.positions[static_cast<size_t>(v.position)].y == 0.0f)
            floorUs[v.position].insert(v.u);
    }
    int onSeam = 0;
    for (const auto& [position, us] : floorUs) {
        const Vector4& p = body.positions[static_cast<size_t>(position)];
        const bool diagonal = std::abs(p.x - p.z) < 1e-3f;
        EXPECT_EQ(us.size(), diagonal ? 2u : 1u) << p.x << ", " << p.z;
        onSeam += diagonal;
    }
    EXPECT_GE(onSeam, 2);
}

TEST(ModelledLevelErrorTest, brokenModelsAreRefusedNamingTheObject) {
    const struct {
        const char* what;
        std::function<void(LevelSource&)> breakIt;
        std::vector<std::string> expected;
    } cases[] = {
        {"portal on a solid wall",
         [](LevelSource& l) {
             l.portals[0].polygon = axisRectangle(0, 48, {48, 0, 2}, {48, 24, 10}, false);
         },
         {"rooms.glb: object \"portal:hall:closet\": covers no opening of sector \"hall\""}},
        {"portal not planar",
         [](LevelSource& l) { l.portals[0].polygon[2].x = 49; },
         {"object \"portal:hall:closet\"", "is not planar"}},
        {"both sectors on one side",
         [](LevelSource& l) { l.sectors[1].faces = l.sectors[0].faces; },
         {"object \"portal:hall:closet\"", "same side"}},
        {"a wall triangle missing",
         [](LevelSource& l) {
             auto& faces = l.sectors[0].faces;
             faces.erase(std::find_if(faces.begin(), faces.end(), [](const SourceFace& f) {
                 return newellNormal(f.points).z > 0.0;  // of the wall at z = 0
             }));
         },
         {"object \"sector:hall\"", "not closed", "of object \"Hall\""}},
        {"room facing out",
         [](LevelSource& l) {
             for (SourceFace& f : l.sectors[1].faces)
                 std::reverse(f.points.begin(), f.points.end());
         },
         {"object \"sector:closet\"", "flip the normals"}},
        {"face of no material",
         [](LevelSource& l) { l.sectors[1].faces[3].material = 5; },
         {"object \"Closet\"", "no such material"}},
        {"light in no sector",
         [](LevelSource& l) {
             l.lights[0].position = {200, 18, 12};
         },
         {"object \"Lamp\": lies in no sector"}},
        {"mesh under the floor",
         [](LevelSource& l) { l.meshes[0].position.y = -1; },
         {"object \"Guard\": the mesh lies in no sector"}},
        {"light in the crate",
         [](LevelSource& l) {
             l.lights[0].position = {20, 5, 35};
         },
         {"object \"Lamp\": lies in no sector"}},
        {"light in overlapping rooms",
         [](LevelSource& l) {
             l.sectors.push_back(modelledRoom("annex", {0, 0, 0}, {30, 30, 30}, {}, "Annex"));
         },
         {"object \"Lamp\"", "\"hall\" and \"annex\"", "overlap"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LevelSource source = twoRooms();
        c.breakIt(source);
        try {
            compileLevel(source);
            ADD_FAILURE() << "compiled";
        } catch (const LevelError& error) {
            for (const std::string& part : c.expected)
                EXPECT_NE(std::string(error.what()).find(part), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace arvel::test
