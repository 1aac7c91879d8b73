#include "level/LevelCompiler.h"

#include <algorithm>

#include "level/LitPieces.h"
#include "level/MeshBuilder.h"

namespace arvel::level {

using content::OtmLight;
using content::OtmMap;
using content::OtmPortal;

namespace {

int flatAxis(const SourcePortal& portal) {
    for (int axis = 0; axis < 3; ++axis) {
        if (portal.min[axis] == portal.max[axis]) return axis;
    }
    return 0;
}

// The room of the sector whose side holds the opening, or null.
const SourceBrush* roomWithOpening(const SourceSector& sector, const Opening& opening) {
    for (const SourceBrush& brush : sector.brushes) {
        if (brush.kind == BrushKind::kRoom && openingFitsRoom(brush, opening)) return &brush;
    }
    return nullptr;
}

// The rectangle as a portal polygon facing into the first sector.
OtmPortal portalRecord(const SourcePortal& portal, const Opening& opening,
                       const SourceBrush& firstRoom) {
    const int axis = opening.axis;
    const double c = opening.min[axis];
    const bool roomAbove = std::abs(c - firstRoom.min[axis]) <= kEpsilon;
    const Points corners = axisRectangle(axis, c, opening.min, opening.max, roomAbove);
    const Vec3 normal = normalized(newellNormal(corners));
    const TextureFrame frame = textureFrame(normal);
    OtmPortal record;
    record.first = portal.first;
    record.second = portal.second;
    content::OtmFace face;
    for (const Vec3& p : corners) {
        const auto index = static_cast<int32_t>(record.positions.size());
        record.positions.push_back(toVector4(p));
        record.vertices.push_back(
            {index, 0.5f, 0.5f, toVector4(normal), toVector4(frame.tangent), 255});
        face.corners.push_back(index);
    }
    record.faces.push_back(face);
    return record;
}

std::vector<Face> sectorFaces(const LevelSource& level, const SourceSector& sector,
                              const std::vector<Opening>& openings) {
    std::vector<Face> faces;
    int shell = 0;
    for (const SourceBrush& brush : sector.brushes) {
        std::vector<Face> more;
        switch (brush.kind) {
            case BrushKind::kRoom:
                more = roomFaces(brush, openings, shell);
                break;
            case BrushKind::kBlock:
                more = blockFaces(brush.min, brush.max, brush.material, shell);
                break;
            case BrushKind::kStairs:
                more = stairsFaces(brush, shell);
                break;
        }
        faces.insert(faces.end(), more.begin(), more.end());
        ++shell;
    }
    for (const SourceProp& prop : sector.props) {
        std::vector<Face> more = propFaces(prop, level, shell++);
        faces.insert(faces.end(), more.begin(), more.end());
    }
    return faces;
}

void addPortals(const LevelSource& level, CompiledLevel& out) {
    for (size_t i = 0; i < level.portals.size(); ++i) {
        const SourcePortal& portal = level.portals[i];
        Opening opening{flatAxis(portal), portal.min, portal.max};
        const SourceBrush* rooms[2] = {nullptr, nullptr};
        const int sectors[2] = {portal.first, portal.second};
        for (int side = 0; side < 2; ++side) {
            const SourceSector& sector = level.sectors[static_cast<size_t>(sectors[side])];
            rooms[side] = roomWithOpening(sector, opening);
            if (!rooms[side]) {
                throw level.error(portal.path + "/min",
                                  "the rectangle lies on no wall of a room of "
                                  "sector \"" +
                                      sector.name + "\"");
            }
        }
        out.openings.push_back(opening);
        out.map.portals.push_back(portalRecord(portal, opening, *rooms[0]));
        for (int side = 0; side < 2; ++side) {
            out.map.sectors[static_cast<size_t>(sectors[side])].portals.push_back(
                static_cast<int32_t>(i));
        }
    }
}

void addLight(const LevelSource& level, const SourceLight& light, CompiledLevel& out) {
    const auto index = static_cast<int32_t>(out.map.lights.size());
    const int home = sectorOfPoint(level, light.position);
    if (home < 0) throw level.error(light.path + "/position", "lies in no room of any sector");
    OtmLight record;
    record.flags = 0;
    if (light.lightSwitch) record.flags |= OtmLight::kSwitch;
    if (!light.name.empty()) record.flags |= OtmLight::kNamed;
    record.name = light.name;
    record.position = toVector4(light.position);
    record.innerRadius = static_cast<float>(light.inner);
    record.outerRadius = static_cast<float>(light.outer);
    record.thirdParameter = static_cast<float>(light.parameter);
    for (int c = 0; c < 3; ++c) record.colour[c] = static_cast<float>(light.colour[c]);

    std::vector<int> touched;
    if (light.isStatic) {
        // Every face of the level may hide another from the light.
        std::vector<const Face*> occluders;
        for (const auto& faces : out.sectorFaces) {
            for (const Face& face : faces) occluders.push_back(&face);
        }
        // The light's own sector first: it becomes the light's home.
        std::vector<int> order{home};
        for (int s = 0; s < static_cast<int>(out.sectorFaces.size()); ++s) {
            if (s != home) order.push_back(s);
        }
        for (int s : order) {
            const std::vector<Face> lit = litFaces(
                light.position, light.outer, out.sectorFaces[static_cast<size_t>(s)], occluders);
            if (lit.empty()) continue;
            auto& mesh = out.map.sectors[static_cast<size_t>(s)].mesh;
            record.pieces.push_back({s, static_cast<int32_t>(mesh.children.size())});
            mesh.children.push_back(buildBody(lit, level));
            touched.push_back(s);
        }
    } else {
        record.flags |= OtmLight::kNoPieces;
        touched = sectorsInReach(out, home, light.position, light.outer);
    }
    if (std::find(touched.begin(), touched.end(), home) == touched.end()) touched.push_back(home);
    std::sort(touched.begin(), touched.end());
    for (int s : touched) out.map.sectors[static_cast<size_t>(s)].lights.push_back(index);
    out.map.lights.push_back(std::move(record));
}

}  // namespace

int sectorOfPoint(const LevelSource& level, const Vec3& p) {
    for (size_t s = 0; s < level.sectors.size(); ++s) {
        for (const SourceBrush& brush : level.sectors[s].brushes) {
            if (brush.kind != BrushKind::kRoom) continue;
            Box box{brush.min, brush.max};
            if (box.contains(p, -kEpsilon)) return static_cast<int>(s);
        }
    }
    return -1;
}

std::vector<int> sectorsInReach(const CompiledLevel& compiled, int home, const Vec3& light,
                                double radius) {
    std::vector<int> reached{home};
    std::vector<bool> crossed(compiled.map.portals.size(), false);
    for (size_t next = 0; next < reached.size(); ++next) {
        const auto& sector = compiled.map.sectors[static_cast<size_t>(reached[next])];
        for (int32_t p : sector.portals) {
            if (crossed[static_cast<size_t>(p)]) continue;
            const OtmPortal& portal = compiled.map.portals[static_cast<size_t>(p)];
            Points polygon;
            for (const Vector4& corner : portal.positions) polygon.push_back(toVec3(corner));
            if (distanceToPolygon(light, polygon) >= radius) continue;
            crossed[static_cast<size_t>(p)] = true;
            const int other = portal.first == reached[next] ? portal.second : portal.first;
            if (std::find(reached.begin(), reached.end(), other) == reached.end()) {
                reached.push_back(other);
            }
        }
    }
    return reached;
}

CompiledLevel compileLevel(const LevelSource& level) {
    CompiledLevel out;
    out.map.sectors.resize(level.sectors.size());
    addPortals(level, out);
    for (size_t s = 0; s < level.sectors.size(); ++s) {
        // Only its own portals cut a sector's walls; a neighbour's may share the plane.
        std::vector<Opening> openings;
        for (int32_t p : out.map.sectors[s].portals) {
            openings.push_back(out.openings[static_cast<size_t>(p)]);
        }
        out.sectorFaces.push_back(sectorFaces(level, level.sectors[s], openings));
        auto& mesh = out.map.sectors[s].mesh;
        mesh.body = buildBody(out.sectorFaces.back(), level);
        buildOctree(mesh);
    }
    for (const SourceLight& light : level.lights) addLight(level, light, out);
    return out;
}

}  // namespace arvel::level
