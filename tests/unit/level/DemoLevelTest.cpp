// The demo level as the engine loads it: closed sectors open only at their portals,
// octrees over every face, point-in-sector for the places the program uses, and lights
// with lit pieces that face them.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "LevelTestSupport.h"
#include "world/FaceOctree.h"
#include "world/Light.h"
#include "world/Mesh.h"
#include "world/Portal.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"

namespace arvel::test {
namespace {

using level::CompiledLevel;

class DemoLevelTest : public LevelMapTest {
protected:
    void SetUp() override {
        const std::string messages = load(demoLevel().map);
        ASSERT_EQ(messages, "");
        ASSERT_EQ(map->sectorCount(), 6);
    }

    // Whether the segment a-b lies on the outline of the portal's polygon.
    static bool onOutline(const Portal& portal, const Vector4& a, const Vector4& b) {
        const MeshFace& polygon = *portal.polygon();
        const int n = polygon.cornerCount();
        for (int i = 0; i < n; ++i) {
            const Vector4 p = polygon.cornerPoint(i), q = polygon.cornerPoint((i + 1) % n);
            if (distanceToLine(a, p, q) < 0.01f && distanceToLine(b, p, q) < 0.01f) return true;
        }
        return false;
    }
    static float distanceToLine(const Vector4& x, const Vector4& p, const Vector4& q) {
        const Vector4 d = normalized3(q - p);
        const Vector4 v = x - p;
        return length3(v - d * dot3(v, d));
    }
    static float outlineLength(const MeshFace& polygon) {
        float sum = 0.0f;
        for (int i = 0; i < polygon.cornerCount(); ++i) {
            sum += length3(polygon.cornerPoint((i + 1) % polygon.cornerCount()) -
                           polygon.cornerPoint(i));
        }
        return sum;
    }
};

TEST_F(DemoLevelTest, everyEdgeJoinsTwoFacesExceptAtPortalOutlines) {
    for (int s = 0; s < map->sectorCount(); ++s) {
        const Sector& sector = map->sector(s);
        const StaticMesh& mesh = sector.staticMesh();
        int corners = 0, edgeSides = 0;
        for (int f = 0; f < mesh.faceCount(); ++f) corners += mesh.face(f).cornerCount();
        for (int e = 0; e < mesh.edgeCount(); ++e) {
            const MeshEdge& edge = mesh.edge(e);
            edgeSides += edge.faceCount;
            if (edge.faceCount == 2) continue;
            bool atPortal = false;
            for (const Portal* portal : sector.portals()) {
                atPortal |= onOutline(*portal, edge.first->point(), edge.second->point());
            }
            EXPECT_TRUE(atPortal) << "sector " << s << ": open edge (" << edge.first->x << ", "
                                  << edge.first->y << ", " << edge.first->z << ") - ("
                                  << edge.second->x << ", " << edge.second->y << ", "
                                  << edge.second->z << ")";
        }
        // A face refused by an edge that already had two would leave a corner uncounted.
        EXPECT_EQ(edgeSides, corners) << "sector " << s;
    }
}

TEST_F(DemoLevelTest, eachPortalOutlineIsOpenInBothItsSectorsAndNothingCoversIt) {
    for (int p = 0; p < map->portalCount(); ++p) {
        const Portal& portal = map->portal(p);
        const MeshFace& polygon = *portal.polygon();
        Vector4 centre;
        for (int i = 0; i < polygon.cornerCount(); ++i) centre = centre + polygon.cornerPoint(i);
        centre = centre * (1.0f / static_cast<float>(polygon.cornerCount()));
        for (const Sector* sector : {portal.firstSector(), portal.secondSector()}) {
            const StaticMesh& mesh = sector->staticMesh();
            float open = 0.0f;
            for (int e = 0; e < mesh.edgeCount(); ++e) {
                const MeshEdge& edge = mesh.edge(e);
                if (edge.faceCount == 1 &&
                    onOutline(portal, edge.first->point(), edge.second->point()))
                    open += length3(edge.second->point() - edge.first->point());
            }
            EXPECT_NEAR(open, outlineLength(polygon), 0.01f) << "portal " << p;
            // Straight through the middle of the opening, both ways: no wall there.
            const Vector4 n = polygon.plane.normal;
            for (float side : {-1.0f, 1.0f}) {
                Ray ray =
                    Ray::fromPoints(centre + n * (2.0f * side), centre - n * (2.0f * side), 1, 0);
                EXPECT_EQ(mesh.rayHit(ray, false), kNoHit) << "portal " << p << " is walled";
            }
        }
    }
}

TEST_F(DemoLevelTest, portalsFaceIntoTheirFirstSector) {
    for (int p = 0; p < map->portalCount(); ++p) {
        const Portal& portal = map->portal(p);
        const Vector4 into = portal.firstSector()->getBoundingBox().min * 0.5f +
                             portal.firstSector()->getBoundingBox().max * 0.5f;
        EXPECT_GT(portal.polygon()->plane.distance(into), 0.0f) << "portal " << p;
    }
}

TEST_F(DemoLevelTest, octreeLeavesHoldEveryFace) {
    for (int s = 0; s < map->sectorCount(); ++s) {
        const StaticMesh& mesh = map->sector(s).staticMesh();
        ASSERT_NE(mesh.octree(), nullptr);
        std::set<const MeshFace*> held;
        std::vector<const FaceOctree::Node*> nodes{mesh.octree()->root()};
        while (!nodes.empty()) {
            const FaceOctree::Node* node = nodes.back();
            nodes.pop_back();
            if (node->leaf) {
                held.insert(node->faces.begin(), node->faces.end());
            } else {
                for (const auto& child : node->children) nodes.push_back(child.get());
            }
        }
        EXPECT_EQ(static_cast<int>(held.size()), mesh.faceCount()) << "sector " << s;
    }
}

TEST_F(DemoLevelTest, octreeRaysFindWhatTestingEveryFaceFinds) {
    for (int s = 0; s < map->sectorCount(); ++s) {
        const StaticMesh& mesh = map->sector(s).staticMesh();
        const BoundingBox box = mesh.getBoundingBox();
        // A fixed spread of rays from points inside the sector's box.
        for (int i = 0; i < 64; ++i) {
            const float a = static_cast<float>(i) * 0.37f, b = static_cast<float>(i) * 0.11f;
            const Vector4 origin =
                box.min + Vector4{(box.max.x - box.min.x) * (0.1f + 0.8f * std::fmod(a, 1.0f)),
                                  (box.max.y - box.min.y) * (0.1f + 0.8f * std::fmod(b, 1.0f)),
                                  (box.max.z - box.min.z) * 0.5f, 0.0f};
            const Vector4 direction{std::cos(a * 7.0f), std::sin(b * 5.0f) - 0.3f,
                                    std::sin(a * 7.0f), 0.0f};
            Ray ray = Ray::fromDirection(origin, normalized3(direction));
            EXPECT_EQ(mesh.rayHit(ray, true), mesh.rayHit(ray, false))
                << "sector " << s << " ray " << i;
        }
    }
}

TEST_F(DemoLevelTest, pointsInEachRoomBelongToTheirSector) {
    const struct {
        Vector4 point;
        int sector;
    } places[] = {
        {{20.0f, 50.0f, -50.0f, 0.0f}, 0},        // entrance
        {{-50.44f, 40.717f, -36.719f, 0.0f}, 1},  // the camera's start
        {{-72.5f, 33.0f, -17.5f, 0.0f}, 1},       // the first mesh
        {{-120.0f, 70.0f, 50.0f, 0.0f}, 2},       // gallery
        {{-145.0f, 40.0f, -40.0f, 0.0f}, 3},      // stairwell landing
        {{-220.0f, 0.0f, -40.0f, 0.0f}, 3},       // above the stairs
        {{-290.0f, -100.0f, -40.0f, 0.0f}, 3},    // foot of the stairs
        {{-203.5f, -111.0f, -90.0f, 0.0f}, 4},    // the second mesh
        {{-100.0f, -90.0f, -90.0f, 0.0f}, 5},     // vault
    };
    for (const auto& place : places) {
        const Sector* sector = map->findSector(place.point);
        ASSERT_NE(sector, nullptr)
            << place.point.x << ", " << place.point.y << ", " << place.point.z;
        EXPECT_EQ(sector->index, place.sector)
            << place.point.x << ", " << place.point.y << ", " << place.point.z;
    }
}

// The game finds the sectors of the meshes and the camera from the points of test.cfg;
// the pictures of the demo expect the meshes in the hall and the crypt.
TEST_F(DemoLevelTest, theStartScriptsPointsLieInTheSectorsTheDemoExpects) {
    const level::LevelSource& source = demoSource();
    ASSERT_EQ(source.meshes.size(), 2u);
    ASSERT_TRUE(source.camera);
    const struct {
        level::Vec3 point;
        int sector;
    } places[] = {{source.meshes[0].position, 1},
                  {source.meshes[1].position, 4},
                  {source.camera->position, 1}};
    for (const auto& place : places) {
        const Vector4 p{static_cast<float>(place.point.x), static_cast<float>(place.point.y),
                        static_cast<float>(place.point.z), 0.0f};
        const Sector* sector = map->findSector(p);
        ASSERT_NE(sector, nullptr) << p.x << ", " << p.y << ", " << p.z;
        EXPECT_EQ(sector->index, place.sector) << p.x << ", " << p.y << ", " << p.z;
    }
}

// (Points inside solids standing on a floor are not asked about: the downward ray meets
// the solid's bottom and the floor at the same distance.)
TEST_F(DemoLevelTest, pointsOutsideEveryRoomBelongToNoSector) {
    const Vector4 nowhere[] = {
        {0.0f, 200.0f, 0.0f, 0.0f},         // above everything
        {-50.0f, 20.0f, -20.0f, 0.0f},      // under the hall floor
        {-200.0f, -130.0f, -100.0f, 0.0f},  // under the crypt
        {-135.0f, 50.0f, 40.0f, 0.0f},      // west of the gallery
    };
    for (const Vector4& p : nowhere) {
        EXPECT_EQ(map->findSector(p), nullptr) << p.x << ", " << p.y << ", " << p.z;
    }
}

TEST_F(DemoLevelTest, flickeringLightsFollowEightOthersOfBothKinds) {
    ASSERT_GT(map->lightCount(), 8);
    int precomputed = 0, dynamic = 0;
    for (int i = 0; i < map->lightCount(); ++i) {
        const Light& light = map->light(i);
        (light.precomputed ? precomputed : dynamic) += 1;
        EXPECT_EQ(map->findSector(light.position) != nullptr, true) << "light " << i;
    }
    EXPECT_GT(precomputed, 0);
    EXPECT_GT(dynamic, 0);
}

TEST_F(DemoLevelTest, staticLightsStartInTheirOwnSectorAndLightFacesTurnedToThem) {
    for (int i = 0; i < map->lightCount(); ++i) {
        const Light& light = map->light(i);
        if (!light.precomputed) continue;
        ASSERT_FALSE(light.pieces.empty()) << "light " << i;
        EXPECT_EQ(light.homeSector, map->findSector(light.position)) << "light " << i;
        EXPECT_GT(light.shadowMesh->faceCount(), 0) << "light " << i;
        for (const LightPiece& piece : light.pieces) {
            ASSERT_GT(piece.mesh->faceCount(), 0);
            for (int f = 0; f < piece.mesh->faceCount(); ++f) {
                EXPECT_GT(piece.mesh->face(f).plane.distance(light.position), 0.0f)
                    << "light " << i << " sector " << piece.sector->index << " face " << f;
            }
        }
    }
}

TEST_F(DemoLevelTest, sectorsListEveryLightWithAPieceInThem) {
    for (int i = 0; i < map->lightCount(); ++i) {
        for (const LightPiece& piece : map->light(i).pieces) {
            const auto& lights = piece.sector->lights();
            EXPECT_NE(std::find(lights.begin(), lights.end(), &map->light(i)), lights.end())
                << "light " << i << " sector " << piece.sector->index;
        }
    }
}

// Behind the hall pillar at (-100, -45), seen from the hall light, a camera stands in
// the pillar's shadow.
TEST_F(DemoLevelTest, aPlaceInTheHallLiesInAPillarsShadow) {
    const Light& light = map->light(0);
    const Vector4 spot{-97.0f, 40.0f, -55.0f, 0.0f};
    const Sector& hall = map->sector(1);
    ASSERT_EQ(map->findSector(spot), &hall);
    const Ray ray = Ray::fromPoints(light.position, spot, 0, 0);
    const float hit = hall.staticMesh().rayHit(ray, false);
    ASSERT_LT(hit, length3(spot - light.position));
    const Vector4 where = ray.pointAt(hit);
    EXPECT_LT(std::hypot(where.x + 100.0f, where.z + 45.0f), 6.01f);
}

}  // namespace
}  // namespace arvel::test
