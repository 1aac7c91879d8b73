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

OtmLight lightRecord(const SourceLight& light) {
    OtmLight record;
    record.flags = light.isStatic ? 0 : OtmLight::kNoPieces;
    if (light.lightSwitch) record.flags |= OtmLight::kSwitch;
    if (!light.name.empty()) record.flags |= OtmLight::kNamed;
    record.name = light.name;
    record.position = toVector4(light.position);
    record.innerRadius = static_cast<float>(light.inner);
    record.outerRadius = static_cast<float>(light.outer);
    record.thirdParameter = static_cast<float>(light.parameter);
    for (int c = 0; c < 3; ++c) record.colour[c] = static_cast<float>(light.colour[c]);
    return record;
}

// The sectors' meshes, cut along the static lights' shadows, and for each static light
// the lit piece of every sector it reaches, its own sector first.
void addSectorsAndPieces(const LevelSource& level, const std::vector<int>& homes,
                         CompiledLevel& out) {
    std::vector<const Face*> occluders;
    for (const auto& faces : out.sectorFaces) {
        for (const Face& face : faces) occluders.push_back(&face);
    }
    std::vector<size_t> staticLights;
    std::vector<ShadowingLight> shadowing;
    for (size_t i = 0; i < level.lights.size(); ++i) {
        if (!level.lights[i].isStatic) continue;
        staticLights.push_back(i);
        shadowing.emplace_back(level.lights[i].position, level.lights[i].outer, occluders);
        if (shadowing.back().enclosed())
            out.warnings.push_back(level.lights[i].path +
                                   ": the light lies inside solid geometry and lights nothing");
    }
    // Per sector and static light, the sector mesh's faces that light reaches.
    std::vector<std::vector<std::vector<int>>> litFaces(out.sectorFaces.size());
    for (size_t s = 0; s < out.sectorFaces.size(); ++s) {
        const std::vector<LitFragment> fragments = cutFaces(out.sectorFaces[s], shadowing);
        std::vector<Face> faces;
        for (const LitFragment& fragment : fragments) faces.push_back(fragment.face);
        std::vector<int> sources;
        auto& mesh = out.map.sectors[s].mesh;
        mesh.body = buildBody(faces, level, &sources);
        buildOctree(mesh);
        litFaces[s].resize(staticLights.size());
        for (size_t f = 0; f < sources.size(); ++f) {
            const LitFragment& fragment = fragments[static_cast<size_t>(sources[f])];
            for (size_t l = 0; l < staticLights.size(); ++l) {
                if (fragment.lit[l]) litFaces[s][l].push_back(static_cast<int>(f));
            }
        }
    }
    for (size_t l = 0; l < staticLights.size(); ++l) {
        const int home = homes[staticLights[l]];
        std::vector<int> order{home};
        for (int s = 0; s < static_cast<int>(out.sectorFaces.size()); ++s) {
            if (s != home) order.push_back(s);
        }
        OtmLight& record = out.map.lights[staticLights[l]];
        for (int s : order) {
            const std::vector<int>& faces = litFaces[static_cast<size_t>(s)][l];
            if (faces.empty()) continue;
            auto& mesh = out.map.sectors[static_cast<size_t>(s)].mesh;
            record.pieces.push_back({s, static_cast<int32_t>(mesh.children.size())});
            mesh.children.push_back(subsetBody(mesh.body, faces));
        }
    }
}

// Each sector lists the lights that reach it: static ones where they have a piece (a
// static light shut inside solid geometry has none and is listed nowhere), dynamic ones
// as far as a walk through portals nearer than their radius goes.
void listLights(const LevelSource& level, const std::vector<int>& homes, CompiledLevel& out) {
    for (size_t i = 0; i < level.lights.size(); ++i) {
        const SourceLight& light = level.lights[i];
        std::vector<int> touched;
        if (light.isStatic) {
            for (const auto& piece : out.map.lights[i].pieces) touched.push_back(piece.first);
        } else {
            touched = sectorsInReach(out, homes[i], light.position, light.outer);
        }
        std::sort(touched.begin(), touched.end());
        touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
        for (int s : touched) {
            out.map.sectors[static_cast<size_t>(s)].lights.push_back(static_cast<int32_t>(i));
        }
    }
}

}  // namespace

int sectorOfPoint(const LevelSource& level, const Vec3& p, double slack) {
    for (size_t s = 0; s < level.sectors.size(); ++s) {
        for (const SourceBrush& brush : level.sectors[s].brushes) {
            if (brush.kind != BrushKind::kRoom) continue;
            Box box{brush.min, brush.max};
            if (box.contains(p, slack)) return static_cast<int>(s);
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
    }
    std::vector<int> homes;
    for (const SourceLight& light : level.lights) {
        homes.push_back(sectorOfPoint(level, light.position));
        if (homes.back() < 0)
            throw level.error(light.path + "/position", "lies in no room of any sector");
        out.map.lights.push_back(lightRecord(light));
    }
    // The game finds their sectors from these points; a point outside every room
    // would leave a mesh unplaced or the camera seeing nothing. A mesh's origin
    // usually stands on a floor.
    for (const SourceMesh& mesh : level.meshes) {
        if (sectorOfPoint(level, mesh.position, kEpsilon) < 0)
            throw level.error(mesh.path + "/position", "the mesh lies in no sector");
    }
    if (level.camera && sectorOfPoint(level, level.camera->position) < 0)
        throw level.error(level.camera->path + "/position", "the camera lies in no sector");
    addSectorsAndPieces(level, homes, out);
    listLights(level, homes, out);
    return out;
}

}  // namespace arvel::level
