#include "level/ModelledSector.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "level/MeshBuilder.h"

namespace arvel::level {

namespace {

// Faces below this area are slivers an exporter left; they cover nothing.
constexpr double kMinArea = 1e-9;

using EdgeKey = std::array<double, 6>;

EdgeKey edgeKey(const Vec3& a, const Vec3& b) { return {a.x, a.y, a.z, b.x, b.y, b.z}; }

std::string pointText(const Vec3& p) {
    char text[96];
    std::snprintf(text, sizeof text, "(%g, %g, %g)", p.x, p.y, p.z);
    return text;
}

double mappedU(const TextureMapping& m, const Vec3& p) { return dot(m.uGradient, p) + m.uOffset; }
double mappedV(const TextureMapping& m, const Vec3& p) { return dot(m.vGradient, p) + m.vOffset; }

// Whether the mappings give the same u, v at every given point.
bool sameMapping(const std::optional<TextureMapping>& a, const std::optional<TextureMapping>& b,
                 const Points& where) {
    if (a.has_value() != b.has_value()) return false;
    if (!a) return true;
    constexpr double kTolerance = 1e-4;
    return std::all_of(where.begin(), where.end(), [&](const Vec3& p) {
        return std::abs(mappedU(*a, p) - mappedU(*b, p)) <= kTolerance &&
               std::abs(mappedV(*a, p) - mappedV(*b, p)) <= kTolerance;
    });
}

// The turn at corner k: positive for convex, zero for straight, scaled to unit edges.
double turn(const Points& polygon, size_t k, const Vec3& normal) {
    const size_t n = polygon.size();
    const Vec3 in = normalized(polygon[k] - polygon[(k + n - 1) % n]);
    const Vec3 out = normalized(polygon[(k + 1) % n] - polygon[k]);
    return dot(cross(in, out), normal);
}

bool convex(const Points& polygon, const Vec3& normal) {
    for (size_t k = 0; k < polygon.size(); ++k) {
        if (turn(polygon, k, normal) < -1e-6) return false;
    }
    return true;
}

// a and b joined along the edge a[i] -> a[i + 1], which b has reversed at b[j] -> b[j + 1];
// empty when the result is not a convex polygon.
Points joined(const Points& a, size_t i, const Points& b, size_t j, const Vec3& normal) {
    Points out;
    for (size_t k = 0; k < a.size(); ++k) out.push_back(a[(i + 1 + k) % a.size()]);
    for (size_t k = 2; k < b.size(); ++k) out.push_back(b[(j + k) % b.size()]);
    for (size_t k = 0; k < out.size(); ++k) {
        // Faces sharing more than one edge would wrap round a corner twice.
        if (std::count(out.begin(), out.end(), out[k]) > 1) return {};
    }
    return convex(out, normal) ? out : Points{};
}

bool coplanar(const Points& a, const Points& b) {
    const Plane plane = planeOf(a);
    if (dot(plane.normal, newellNormal(b)) <= 0.0) return false;
    return std::all_of(b.begin(), b.end(),
                       [&](const Vec3& p) { return std::abs(plane.distance(p)) <= kEpsilon; });
}

// Corners on a straight line between their neighbours add nothing to the outline; the
// mesh builder puts back those a neighbour needs.
Points withoutStraightCorners(Points polygon) {
    const Vec3 normal = normalized(newellNormal(polygon));
    for (size_t k = 0; k < polygon.size() && polygon.size() > 3;) {
        if (std::abs(turn(polygon, k, normal)) < 1e-9) {
            polygon.erase(polygon.begin() + static_cast<std::ptrdiff_t>(k));
        } else {
            ++k;
        }
    }
    return polygon;
}

// Merges each face with one compatible neighbour per pass until none is left.
void mergeNeighbours(std::vector<Face>& faces) {
    std::vector<bool> alive(faces.size(), true);
    for (bool merged = true; merged;) {
        merged = false;
        std::map<EdgeKey, size_t> owner;
        for (size_t f = 0; f < faces.size(); ++f) {
            const Points& p = faces[f].points;
            for (size_t k = 0; alive[f] && k < p.size(); ++k)
                owner.emplace(edgeKey(p[k], p[(k + 1) % p.size()]), f);
        }
        std::vector<bool> touched(faces.size(), false);
        for (size_t f = 0; f < faces.size(); ++f) {
            if (!alive[f] || touched[f]) continue;
            Face& face = faces[f];
            const Vec3 normal = normalized(newellNormal(face.points));
            for (size_t k = 0; k < face.points.size(); ++k) {
                const Vec3& a = face.points[k];
                const Vec3& b = face.points[(k + 1) % face.points.size()];
                auto it = owner.find(edgeKey(b, a));
                if (it == owner.end() || it->second == f) continue;
                Face& other = faces[it->second];
                if (!alive[it->second] || touched[it->second] || other.material != face.material ||
                    !coplanar(face.points, other.points))
                    continue;
                Points both = face.points;
                both.insert(both.end(), other.points.begin(), other.points.end());
                if (!sameMapping(face.mapping, other.mapping, both)) continue;
                const auto j = static_cast<size_t>(
                    std::find(other.points.begin(), other.points.end(), b) - other.points.begin());
                Points result = joined(face.points, k, other.points, j, normal);
                if (result.empty()) continue;
                face.points = std::move(result);
                alive[it->second] = false;
                touched[f] = touched[it->second] = true;
                merged = true;
                break;
            }
        }
    }
    std::vector<Face> kept;
    for (size_t f = 0; f < faces.size(); ++f) {
        if (!alive[f]) continue;
        faces[f].points = withoutStraightCorners(std::move(faces[f].points));
        kept.push_back(std::move(faces[f]));
    }
    faces = std::move(kept);
}

// Fan triangles' signed volume under the surface: positive for faces facing out.
double signedVolume(const std::vector<Points>& polygons) {
    double sum = 0.0;
    for (const Points& p : polygons) {
        for (size_t k = 1; k + 1 < p.size(); ++k) sum += dot(p[0], cross(p[k], p[k + 1]));
    }
    return sum / 6.0;
}

}  // namespace

std::vector<Face> mergedFaces(const SourceSector& sector) {
    std::vector<Face> faces;
    for (const SourceFace& source : sector.faces) {
        if (source.points.size() >= 3 && area(source.points) >= kMinArea)
            faces.push_back({source.points, source.material, 0, source.mapping});
    }
    // Welded and split at every corner on an edge, so that neighbours share whole edges.
    faces = joinEdges(faces);
    std::erase_if(faces, [](const Face& f) { return f.points.size() < 3; });
    mergeNeighbours(faces);
    return faces;
}

void checkPortalPolygon(const LevelSource& level, const SourcePortal& portal) {
    const Points& polygon = portal.polygon;
    if (polygon.size() < 3)
        throw level.error(portal.path, "the portal has " + std::to_string(polygon.size()) +
                                           " corners; it needs at least 3");
    if (area(polygon) < kMinArea) throw level.error(portal.path, "the portal has no area");
    const Plane plane = planeOf(polygon);
    for (const Vec3& p : polygon) {
        if (std::abs(plane.distance(p)) > kEpsilon)
            throw level.error(portal.path,
                              "the portal is not planar: its corner " + pointText(p) + " lies " +
                                  std::to_string(std::abs(plane.distance(p))) + " off its plane");
    }
    if (!convex(polygon, plane.normal)) throw level.error(portal.path, "the portal is not convex");
}

SectorSurface::SectorSurface(const LevelSource& level, int index) {
    const SourceSector& sector = level.sectors[static_cast<size_t>(index)];
    // The faces and then the portals, welded and split together so that a portal's
    // edges meet the edges of the opening it covers.
    std::vector<Face> parts;
    std::vector<std::string> objects;
    for (const SourceFace& face : sector.faces) {
        if (face.material < 0 || static_cast<size_t>(face.material) >= level.materials.size())
            throw level.error("object \"" + face.object + "\"",
                              "a face has material " + std::to_string(face.material) +
                                  ", and there is no such material");
        if (face.points.size() < 3 || area(face.points) < kMinArea) continue;
        parts.push_back({face.points, face.material, 0, {}});
        objects.push_back(face.object);
    }
    const size_t faceCount = parts.size();
    std::vector<int> portals;
    for (size_t p = 0; p < level.portals.size(); ++p) {
        const SourcePortal& portal = level.portals[p];
        if (portal.polygon.empty() || (portal.first != index && portal.second != index)) continue;
        parts.push_back({portal.polygon, 0, 0, {}});
        objects.push_back(portal.path);
        portals.push_back(static_cast<int>(p));
    }
    parts = joinEdges(parts);

    std::map<EdgeKey, int> count;
    auto edges = [](const Points& p, auto&& visit) {
        for (size_t k = 0; k < p.size(); ++k) visit(p[k], p[(k + 1) % p.size()]);
    };
    auto net = [&](const Vec3& a, const Vec3& b) {
        auto there = count.find(edgeKey(a, b)), back = count.find(edgeKey(b, a));
        return (there == count.end() ? 0 : there->second) -
               (back == count.end() ? 0 : back->second);
    };
    for (size_t f = 0; f < faceCount; ++f)
        edges(parts[f].points, [&](const Vec3& a, const Vec3& b) { ++count[edgeKey(a, b)]; });

    // A portal closes the room when each of its edges runs against an open edge of the
    // faces: the reverse of that edge has no partner among them.
    for (size_t i = 0; i < portals.size(); ++i) {
        Points& polygon = parts[faceCount + i].points;
        bool asGiven = polygon.size() >= 3, reversed = polygon.size() >= 3;
        edges(polygon, [&](const Vec3& a, const Vec3& b) {
            asGiven = asGiven && net(b, a) >= 1;
            reversed = reversed && net(a, b) >= 1;
        });
        if (!asGiven && !reversed)
            throw level.error(objects[faceCount + i],
                              "covers no opening of sector \"" + sector.name + "\"");
        facesIn_[portals[i]] = asGiven;
        if (!asGiven) std::reverse(polygon.begin(), polygon.end());
    }
    for (size_t i = 0; i < portals.size(); ++i)
        edges(parts[faceCount + i].points,
              [&](const Vec3& a, const Vec3& b) { ++count[edgeKey(a, b)]; });

    for (size_t f = 0; f < parts.size(); ++f) {
        edges(parts[f].points, [&](const Vec3& a, const Vec3& b) {
            if (net(a, b) <= 0) return;
            throw level.error(sector.path, "the sector is not closed: the edge from " +
                                               pointText(a) + " to " + pointText(b) +
                                               " of object \"" + objects[f] +
                                               "\" meets no other face, so the view "
                                               "would see out of the world there");
        });
        if (parts[f].points.size() >= 3) polygons_.push_back(parts[f].points);
    }
    // The room's faces face in; as a whole the surface then faces in too.
    if (signedVolume(polygons_) > 0.0)
        throw level.error(sector.path, "its faces face out of the room: flip the normals");
    for (const Points& p : polygons_) {
        for (const Vec3& corner : p) box_.grow(corner);
    }
}

double SectorSurface::winding(const Vec3& p) const {
    // Van Oosterom and Strackee's solid angle of each fan triangle.
    double sum = 0.0;
    for (const Points& polygon : polygons_) {
        const Vec3 a = polygon[0] - p;
        const double la = length(a);
        for (size_t k = 1; k + 1 < polygon.size(); ++k) {
            const Vec3 b = polygon[k] - p, c = polygon[k + 1] - p;
            const double lb = length(b), lc = length(c);
            const double above = dot(a, cross(b, c));
            const double below = la * lb * lc + dot(a, b) * lc + dot(a, c) * lb + dot(b, c) * la;
            sum += 2.0 * std::atan2(above, below);
        }
    }
    // Faces facing in give a negative solid angle from inside.
    return -sum / (4.0 * std::numbers::pi);
}

bool SectorSurface::holds(const Vec3& p, double slack) const {
    if (!box_.contains(p, std::max(slack, 0.0) + kEpsilon)) return false;
    if (slack > 0.0) {
        if (winding(p) > 0.5) return true;
        // A point on the floor, or where the floor meets a wall or a doorway, is a step
        // away from the room along an axis or a diagonal.
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dz = -1; dz <= 1; ++dz) {
                    const Vec3 q = p + Vec3{double(dx), double(dy), double(dz)} * slack;
                    if ((dx || dy || dz) && winding(q) > 0.5) return true;
                }
            }
        }
        return false;
    }
    if (winding(p) <= 0.5) return false;
    return std::all_of(polygons_.begin(), polygons_.end(), [&](const Points& polygon) {
        return distanceToPolygon(p, polygon) >= -slack;
    });
}

}  // namespace arvel::level
