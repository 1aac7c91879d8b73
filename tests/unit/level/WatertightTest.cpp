// Compiled sector meshes meet edge to edge as the engine draws them: no corner of any
// face, of any sector, lies inside another face's edge (a T-junction), and no fan
// triangle (0, k, k + 1) of a face is flat, which would leave its edge drawn only as
// part of a longer one. Either way the rasteriser can leave pixels of neither face.
// Checked on the stored single-precision positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "LevelTestSupport.h"
#include "level/GltfLevel.h"
#include "level/MeshBuilder.h"

namespace arvel::test {
namespace {

using level::Vec3;

constexpr double kNear = 1e-4;

double lineDistance(const Vec3& p, const Vec3& a, const Vec3& b) {
    return level::length(level::cross(b - a, p - a)) / level::length(b - a);
}

struct Polygon {
    std::vector<Vec3> corners;
    int sector;
};

// The body's faces; corners receives every corner, and flat every fan triangle of no
// area (whose far edge is then drawn only as part of a longer one).
std::vector<Polygon> faces(const content::OtmMeshBody& body, int sector, std::vector<Vec3>& corners,
                           std::vector<std::string>& flat) {
    std::vector<Polygon> out;
    for (const content::OtmFace& face : body.faces) {
        Polygon p{{}, sector};
        for (int32_t corner : face.corners) {
            const auto& vertex = body.vertices[static_cast<size_t>(corner)];
            p.corners.push_back(
                level::toVec3(body.positions[static_cast<size_t>(vertex.position)]));
        }
        corners.insert(corners.end(), p.corners.begin(), p.corners.end());
        for (size_t k = 1; k + 1 < p.corners.size(); ++k) {
            if (lineDistance(p.corners[0], p.corners[k], p.corners[k + 1]) < kNear)
                flat.push_back("sector " + std::to_string(sector) + ": a fan triangle of no area");
        }
        out.push_back(std::move(p));
    }
    return out;
}

// Corners strictly inside another face's edge, within tolerance of it, and fan triangles
// of no area, one line each.
std::vector<std::string> tJunctions(const content::OtmMap& map) {
    std::vector<Polygon> all;
    std::vector<Vec3> corners;
    std::vector<std::string> found;
    for (size_t s = 0; s < map.sectors.size(); ++s) {
        std::vector<Polygon> more =
            faces(map.sectors[s].mesh.body, static_cast<int>(s), corners, found);
        all.insert(all.end(), more.begin(), more.end());
    }
    std::sort(corners.begin(), corners.end(),
              [](const Vec3& a, const Vec3& b) { return a.x < b.x; });
    for (const Polygon& p : all) {
        for (size_t i = 0; i < p.corners.size(); ++i) {
            const Vec3& a = p.corners[i];
            const Vec3& b = p.corners[(i + 1) % p.corners.size()];
            const Vec3 ab = b - a;
            const double l2 = level::dot(ab, ab);
            auto it = std::lower_bound(corners.begin(), corners.end(), std::min(a.x, b.x) - kNear,
                                       [](const Vec3& c, double x) { return c.x < x; });
            for (; it != corners.end() && it->x <= std::max(a.x, b.x) + kNear; ++it) {
                const double t = level::dot(*it - a, ab) / l2;
                if (l2 == 0.0 || t <= 0.0 || t >= 1.0) continue;
                if (level::length(*it - a) <= kNear || level::length(*it - b) <= kNear) continue;
                if (level::length(*it - (a + ab * t)) > kNear) continue;
                found.push_back("sector " + std::to_string(p.sector) + ": corner (" +
                                std::to_string(it->x) + ", " + std::to_string(it->y) + ", " +
                                std::to_string(it->z) + ") inside an edge");
            }
        }
    }
    return found;
}

TEST(WatertightTest, noCornerLiesInsideAnotherFacesEdge) {
    const std::string dir = std::string(ARVEL_SOURCE_DIR);
    for (const std::string source : {"/data/levels/demo.json", "/data/levels/annex.glb",
                                     "/tests/e2e/golden/levels/camera_in_shadow.json",
                                     "/tests/e2e/golden/levels/light_in_box.json",
                                     "/tests/e2e/golden/levels/shadow_through_portal.json"}) {
        const std::string file = dir + source;
        const level::CompiledLevel compiled = level::compileLevel(
            level::isGltfFile(file) ? level::loadGltfLevel(file).source : level::loadLevel(file));
        const std::vector<std::string> found = tJunctions(compiled.map);
        EXPECT_TRUE(found.empty())
            << source << ": " << found.size() << " faults, the first: " << found[0];
    }
}

}  // namespace
}  // namespace arvel::test
