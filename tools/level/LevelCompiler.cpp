#include "level/LevelCompiler.h"

#include <algorithm>
#include <optional>

#include "level/LitPieces.h"
#include "level/MeshBuilder.h"
#include "level/ModelledSector.h"

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

// The polygon, facing into the first sector, as a portal record.
OtmPortal portalRecord(const SourcePortal& portal, const Points& corners) {
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

// The rectangle as a portal polygon facing into the first sector.
OtmPortal portalRecord(const SourcePortal& portal, const Opening& opening,
                       const SourceBrush& firstRoom) {
    const int axis = opening.axis;
    const double c = opening.min[axis];
    const bool roomAbove = std::abs(c - firstRoom.min[axis]) <= kEpsilon;
    return portalRecord(portal, axisRectangle(axis, c, opening.min, opening.max, roomAbove));
}

bool modelled(const SourceSector& sector) { return !sector.faces.empty(); }

// JSON paths name values, so a position is a field of its object; glTF paths name the
// editor's object, which is all there is to name.
std::string fieldPath(const LevelSource& level, const std::string& path, const char* field) {
    return level.text.empty() ? path : path + field;
}

// Finds the sectors whose rooms hold points: for sectors built from brushes the first
// whose room holds it, as ever; modelled sectors by their closed surfaces, each built
// (and checked) once.
class SectorLocator {
public:
    explicit SectorLocator(const LevelSource& level) : level_(level) {
        surfaces_.resize(level.sectors.size());
        for (size_t s = 0; s < level.sectors.size(); ++s) {
            if (modelled(level.sectors[s])) surfaces_[s].emplace(level, static_cast<int>(s));
        }
    }

    const SectorSurface& surface(int sector) const {
        return *surfaces_[static_cast<size_t>(sector)];
    }

    // The sectors holding p, of all or of the one given.
    std::vector<int> holders(const Vec3& p, double slack, int only = -1) const {
        std::vector<int> found;
        bool inBrushRoom = false;
        for (size_t s = 0; s < level_.sectors.size(); ++s) {
            if (only >= 0 && static_cast<int>(s) != only) continue;
            if (surfaces_[s]) {
                if (surfaces_[s]->holds(p, slack)) found.push_back(static_cast<int>(s));
                continue;
            }
            for (const SourceBrush& brush : level_.sectors[s].brushes) {
                if (inBrushRoom || brush.kind != BrushKind::kRoom) continue;
                if (Box{brush.min, brush.max}.contains(p, slack)) {
                    found.push_back(static_cast<int>(s));
                    inBrushRoom = true;
                }
            }
        }
        return found;
    }

    // The one sector holding the point of the object at path; throws when there is none
    // (saying nowhere) or more than one.
    int place(const Vec3& p, double slack, const std::string& path,
              const std::string& nowhere) const {
        std::vector<int> found = holders(p, slack);
        if (found.empty()) throw level_.error(path, nowhere);
        if (found.size() > 1 && slack > 0.0) {
            // On a boundary rooms share, such as a doorway's floor, only rooms holding
            // the point itself overlap; when none does, the first takes it.
            std::vector<int> inside;
            for (int s : found) {
                if (!holders(p, 0.0, s).empty()) inside.push_back(s);
            }
            if (inside.size() < 2) return inside.empty() ? found[0] : inside[0];
            found = std::move(inside);
        }
        if (found.size() > 1) {
            throw level_.error(path, "lies in sectors \"" + name(found[0]) + "\" and \"" +
                                         name(found[1]) + "\": their rooms overlap");
        }
        return found[0];
    }

private:
    const std::string& name(int s) const { return level_.sectors[static_cast<size_t>(s)].name; }

    const LevelSource& level_;
    std::vector<std::optional<SectorSurface>> surfaces_;
};

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

// Rectangle portals get their records here; polygon ones are checked and get theirs
// once their sectors' surfaces have told which way they face.
void addPortals(const LevelSource& level, CompiledLevel& out) {
    for (size_t i = 0; i < level.portals.size(); ++i) {
        const SourcePortal& portal = level.portals[i];
        const int sectors[2] = {portal.first, portal.second};
        for (int s : sectors) {
            if (s < 0 || static_cast<size_t>(s) >= level.sectors.size())
                throw level.error(portal.path, "joins sector " + std::to_string(s) +
                                                   ", and there is no such sector");
        }
        if (!portal.polygon.empty()) {
            checkPortalPolygon(level, portal);
            for (int s : sectors) {
                const SourceSector& sector = level.sectors[static_cast<size_t>(s)];
                if (!modelled(sector))
                    throw level.error(portal.path, "sector \"" + sector.name +
                                                       "\" is built from brushes; portal "
                                                       "polygons join modelled sectors only");
            }
            // Only rectangles cut brush rooms; this keeps the openings indexed by portal.
            const Box bounds = boxOf(portal.polygon);
            const Vec3 extent = bounds.max - bounds.min;
            const int axis = extent.x <= extent.y && extent.x <= extent.z ? 0
                             : extent.y <= extent.z                       ? 1
                                                                          : 2;
            out.openings.push_back({axis, bounds.min, bounds.max});
            out.map.portals.emplace_back();
        } else {
            Opening opening{flatAxis(portal), portal.min, portal.max};
            const SourceBrush* rooms[2] = {nullptr, nullptr};
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
        }
        for (int side = 0; side < 2; ++side) {
            out.map.sectors[static_cast<size_t>(sectors[side])].portals.push_back(
                static_cast<int32_t>(i));
        }
    }
}

// Each polygon portal faces into its first sector; the second must lie behind it.
void turnPolygonPortals(const LevelSource& level, const SectorLocator& locator,
                        CompiledLevel& out) {
    for (size_t i = 0; i < level.portals.size(); ++i) {
        const SourcePortal& portal = level.portals[i];
        if (portal.polygon.empty()) continue;
        const int p = static_cast<int>(i);
        const bool intoFirst = locator.surface(portal.first).facesIn(p);
        if (intoFirst == locator.surface(portal.second).facesIn(p)) {
            throw level.error(portal.path,
                              "sectors \"" + level.sectors[static_cast<size_t>(portal.first)].name +
                                  "\" and \"" +
                                  level.sectors[static_cast<size_t>(portal.second)].name +
                                  "\" lie on the same side of the portal");
        }
        Points corners = portal.polygon;
        if (!intoFirst) std::reverse(corners.begin(), corners.end());
        out.map.portals[i] = portalRecord(portal, corners);
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
    // The cut faces of all sectors are joined together: a doorway's floor, or a wall
    // around an opening, is cut along other shadows on each side of it.
    std::vector<std::vector<LitFragment>> fragments;
    std::vector<Face> all;
    for (const auto& faces : out.sectorFaces) {
        fragments.push_back(cutFaces(faces, shadowing));
        for (const LitFragment& fragment : fragments.back()) all.push_back(fragment.face);
    }
    all = joinEdges(all);
    // Per sector and static light, the sector mesh's faces that light reaches.
    std::vector<std::vector<std::vector<int>>> litFaces(out.sectorFaces.size());
    auto next = all.begin();
    for (size_t s = 0; s < out.sectorFaces.size(); ++s) {
        const std::vector<Face> faces(next,
                                      next + static_cast<std::ptrdiff_t>(fragments[s].size()));
        next += static_cast<std::ptrdiff_t>(fragments[s].size());
        std::vector<int> sources;
        auto& mesh = out.map.sectors[s].mesh;
        mesh.body = buildBody(faces, level, &sources);
        buildOctree(mesh);
        litFaces[s].resize(staticLights.size());
        for (size_t f = 0; f < sources.size(); ++f) {
            const LitFragment& fragment = fragments[s][static_cast<size_t>(sources[f])];
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
    const std::vector<int> found = SectorLocator(level).holders(p, slack);
    return found.empty() ? -1 : found[0];
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
    const SectorLocator locator(level);
    turnPolygonPortals(level, locator, out);
    for (size_t s = 0; s < level.sectors.size(); ++s) {
        if (modelled(level.sectors[s])) {
            out.sectorFaces.push_back(mergedFaces(level.sectors[s]));
            continue;
        }
        // Only its own portals cut a sector's walls; a neighbour's may share the plane.
        std::vector<Opening> openings;
        for (int32_t p : out.map.sectors[s].portals) {
            openings.push_back(out.openings[static_cast<size_t>(p)]);
        }
        out.sectorFaces.push_back(sectorFaces(level, level.sectors[s], openings));
    }
    const bool json = !level.text.empty();
    std::vector<int> homes;
    for (const SourceLight& light : level.lights) {
        homes.push_back(
            locator.place(light.position, -kEpsilon, fieldPath(level, light.path, "/position"),
                          json ? "lies in no room of any sector" : "lies in no sector"));
        out.map.lights.push_back(lightRecord(light));
    }
    // The game finds their sectors from these points; a point outside every room
    // would leave a mesh unplaced or the camera seeing nothing. A mesh's origin
    // usually stands on a floor.
    for (const SourceMesh& mesh : level.meshes) {
        locator.place(mesh.position, kEpsilon, fieldPath(level, mesh.path, "/position"),
                      "the mesh lies in no sector");
    }
    if (level.camera)
        locator.place(level.camera->position, -kEpsilon,
                      fieldPath(level, level.camera->path, "/position"),
                      "the camera lies in no sector");
    addSectorsAndPieces(level, homes, out);
    listLights(level, homes, out);
    return out;
}

}  // namespace arvel::level
