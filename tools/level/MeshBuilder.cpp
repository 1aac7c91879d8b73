#include "level/MeshBuilder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>
#include <unordered_map>

namespace arvel::level {

using content::OtmMeshBody;
using content::OtmOctreeNode;
using content::OtmStaticMesh;

namespace {

// Joins points closer than kEpsilon through a hash grid of cells twice that size.
class Welder {
public:
    Vec3 weld(const Vec3& p) {
        const auto key = cellOf(p);
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dz = -1; dz <= 1; ++dz) {
                    auto it = cells_.find(pack(key[0] + dx, key[1] + dy, key[2] + dz));
                    if (it == cells_.end()) continue;
                    for (const Vec3& q : it->second) {
                        if (length(q - p) <= kEpsilon) return q;
                    }
                }
            }
        }
        cells_[pack(key[0], key[1], key[2])].push_back(p);
        points_.push_back(p);
        return p;
    }
    const std::vector<Vec3>& points() const { return points_; }

private:
    static constexpr double kCell = 2.0 * kEpsilon;
    static std::array<int64_t, 3> cellOf(const Vec3& p) {
        return {static_cast<int64_t>(std::floor(p.x / kCell)),
                static_cast<int64_t>(std::floor(p.y / kCell)),
                static_cast<int64_t>(std::floor(p.z / kCell))};
    }
    static uint64_t pack(int64_t x, int64_t y, int64_t z) {
        return (static_cast<uint64_t>(x) * 73856093u) ^ (static_cast<uint64_t>(y) * 19349663u) ^
               (static_cast<uint64_t>(z) * 83492791u);
    }
    std::unordered_map<uint64_t, std::vector<Vec3>> cells_;
    std::vector<Vec3> points_;
};

// The points sorted along each axis; an edge looks only at the points in the thinnest
// of the three slabs around it (axis-aligned levels put many points on one plane).
class EdgeSplitter {
public:
    explicit EdgeSplitter(const std::vector<Vec3>& points) {
        for (int axis = 0; axis < 3; ++axis) {
            sorted_[axis] = points;
            std::sort(sorted_[axis].begin(), sorted_[axis].end(),
                      [axis](const Vec3& a, const Vec3& b) { return a[axis] < b[axis]; });
        }
    }

    // The points strictly inside the segment a-b, from a towards b.
    std::vector<Vec3> inside(const Vec3& a, const Vec3& b) const {
        using Range =
            std::pair<std::vector<Vec3>::const_iterator, std::vector<Vec3>::const_iterator>;
        Range best;
        for (int axis = 0; axis < 3; ++axis) {
            const std::vector<Vec3>& list = sorted_[axis];
            const double lo = std::min(a[axis], b[axis]) - kEpsilon;
            const double hi = std::max(a[axis], b[axis]) + kEpsilon;
            const Range range{
                std::lower_bound(list.begin(), list.end(), lo,
                                 [axis](const Vec3& p, double v) { return p[axis] < v; }),
                std::upper_bound(list.begin(), list.end(), hi,
                                 [axis](double v, const Vec3& p) { return v < p[axis]; })};
            if (axis == 0 || range.second - range.first < best.second - best.first) best = range;
        }
        const Vec3 ab = b - a;
        const double l2 = dot(ab, ab);
        std::vector<std::pair<double, Vec3>> found;
        for (auto it = best.first; it != best.second; ++it) {
            const double t = dot(*it - a, ab) / l2;
            if (t <= 0.0 || t >= 1.0) continue;
            if (length(*it - (a + ab * t)) > kEpsilon) continue;
            if (length(*it - a) <= kEpsilon || length(*it - b) <= kEpsilon) continue;
            found.push_back({t, *it});
        }
        std::sort(found.begin(), found.end(),
                  [](const auto& x, const auto& y) { return x.first < y.first; });
        std::vector<Vec3> out;
        for (const auto& f : found) out.push_back(f.second);
        return out;
    }

private:
    std::vector<Vec3> sorted_[3];
};

Points withoutRepeats(const Points& points) {
    Points out;
    for (const Vec3& p : points) {
        if (out.empty() || !(out.back() == p)) out.push_back(p);
    }
    while (out.size() > 1 && out.front() == out.back()) out.pop_back();
    return out;
}

// Distance from p to the line through a and b.
double distanceToLine(const Vec3& p, const Vec3& a, const Vec3& b) {
    const double l = length(b - a);
    return l > 0.0 ? length(cross(b - a, p - a)) / l : length(p - a);
}

// How far the corner at apex stays from the lines of the edges its fan triangles stand
// on (all but its own two edges).
double fanClearance(const Points& polygon, size_t apex) {
    const size_t n = polygon.size();
    double nearest = 1e300;
    for (size_t k = 1; k + 1 < n; ++k) {
        nearest = std::min(nearest, distanceToLine(polygon[apex], polygon[(apex + k) % n],
                                                   polygon[(apex + k + 1) % n]));
    }
    return nearest;
}

// The engine draws a face as the fan (0, k, k + 1). An apex in line with one of the
// fan's far edges (a corner inserted for a neighbour, or one next to it) makes a
// triangle of no area, so the edge is drawn only as part of a longer one, and pixels
// on it can fall to neither face. The face starts at a corner clear of every far
// edge; one without such a corner becomes triangles round its centroid.
std::vector<Points> drawnFans(const Points& polygon) {
    const size_t n = polygon.size();
    if (n <= 3 || fanClearance(polygon, 0) > kEpsilon) return {polygon};
    size_t best = 0;
    double clearance = 0.0;
    for (size_t apex = 1; apex < n; ++apex) {
        const double c = fanClearance(polygon, apex);
        if (c > clearance) {
            best = apex;
            clearance = c;
        }
    }
    if (clearance > kEpsilon) {
        Points turned(polygon.begin() + static_cast<std::ptrdiff_t>(best), polygon.end());
        turned.insert(turned.end(), polygon.begin(),
                      polygon.begin() + static_cast<std::ptrdiff_t>(best));
        return {turned};
    }
    const Vec3 middle = centroid(polygon);
    std::vector<Points> triangles;
    for (size_t k = 0; k < n; ++k) triangles.push_back({middle, polygon[k], polygon[(k + 1) % n]});
    return triangles;
}

// Normals of one plane computed from different polygons differ in the last bits.
double rounded(double value) { return std::round(value * 1e6) * 1e-6; }

Vector4 direction(const Vec3& v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z), 0.0f};
}

void buildNode(OtmOctreeNode& node, const Box& box, const std::vector<int32_t>& faces,
               const std::vector<Points>& polygons, int maxLeafFaces, int depth) {
    if (static_cast<int>(faces.size()) <= maxLeafFaces || depth <= 0) {
        node.faces = faces;
        return;
    }
    const Vec3 mid = box.centre();
    node.children.resize(8);
    for (int child = 0; child < 8; ++child) {
        Box part;
        for (int axis = 0; axis < 3; ++axis) {
            const bool upper = (child >> axis) & 1;
            part.min[axis] = upper ? mid[axis] : box.min[axis];
            part.max[axis] = upper ? box.max[axis] : mid[axis];
        }
        std::vector<int32_t> inside;
        for (int32_t f : faces) {
            if (overlapsBox(polygons[static_cast<size_t>(f)], part)) inside.push_back(f);
        }
        buildNode(node.children[static_cast<size_t>(child)], part, inside, polygons, maxLeafFaces,
                  depth - 1);
    }
}

}  // namespace

Vec3 toVec3(const Vector4& v) { return {v.x, v.y, v.z}; }
Vector4 toVector4(const Vec3& v) { return direction(v); }

TextureFrame textureFrame(const Vec3& normal) {
    const Vec3 up{0.0, 1.0, 0.0};
    Vec3 tangent;
    if (std::abs(normal.y) < 0.7) {
        // A wall: u runs horizontally so that v = n x t points up.
        tangent = normalized(cross(up, normal));
    } else {
        const Vec3 x{1.0, 0.0, 0.0};
        tangent = normalized(x - normal * dot(normal, x));
    }
    return {tangent, cross(normal, tangent)};
}

Vec3 mappedTangent(const TextureMapping& mapping, const Vec3& normal) {
    const Vec3 along = mapping.uGradient - normal * dot(normal, mapping.uGradient);
    // A mapping whose u does not change over the face has no direction of its own.
    if (length(along) < 1e-9) return textureFrame(normal).tangent;
    return normalized(along);
}

std::vector<Face> joinEdges(const std::vector<Face>& faces) {
    // One welder for all shells: where a block meets a wall, or one sector's floor
    // another's at a doorway, both must take the very same corners.
    Welder welder;
    std::vector<Face> welded = faces;
    for (Face& face : welded) {
        for (Vec3& p : face.points) p = welder.weld(p);
        face.points = withoutRepeats(face.points);
    }
    const EdgeSplitter splitter(welder.points());
    std::vector<Face> out;
    for (const Face& face : welded) {
        Face joined{{}, face.material, face.shell, face.mapping};
        if (face.points.size() < 3) {
            out.push_back(std::move(joined));
            continue;
        }
        const size_t n = face.points.size();
        for (size_t i = 0; i < n; ++i) {
            const Vec3& a = face.points[i];
            joined.points.push_back(a);
            for (const Vec3& p : splitter.inside(a, face.points[(i + 1) % n])) {
                joined.points.push_back(p);
            }
        }
        out.push_back(std::move(joined));
    }
    return out;
}

OtmMeshBody buildBody(const std::vector<Face>& faces, const LevelSource& level,
                      std::vector<int>* sources) {
    OtmMeshBody body;
    int source = -1;
    std::map<int, int32_t> materials;
    std::map<std::tuple<int, double, double, double>, int32_t> positions;
    // Modelled faces also key on their u, v and tangent, so that UV seams stay apart;
    // mapped from the material's scale, u, v and tangent follow from the normal.
    using VertexKey =
        std::tuple<int32_t, int32_t, double, double, double, bool, std::array<double, 5>>;
    std::map<VertexKey, int32_t> vertices;
    for (const Face& face : joinEdges(faces)) {
        ++source;
        const Vec3 normal = normalized(newellNormal(face.points));
        if (face.points.size() < 3 || area(face.points) < 1e-6) continue;
        if (!materials.count(face.material)) {
            const SourceMaterial& m = level.materials.at(static_cast<size_t>(face.material));
            materials[face.material] = static_cast<int32_t>(body.materials.size());
            body.materials.push_back({m.flags, m.opacity, m.technique, m.textures});
        }
        const int32_t material = materials[face.material];
        const double scale = level.materials[static_cast<size_t>(face.material)].scale;
        const TextureFrame frame = textureFrame(normal);
        const Vec3 tangent = face.mapping ? mappedTangent(*face.mapping, normal) : frame.tangent;
        for (const Points& fan : drawnFans(face.points)) {
            if (sources) sources->push_back(source);
            content::OtmFace out;
            out.material = material;
            for (const Vec3& p : fan) {
                auto [pos, newPosition] = positions.try_emplace(
                    {face.shell, p.x, p.y, p.z}, static_cast<int32_t>(body.positions.size()));
                if (newPosition) body.positions.push_back(direction(p));
                double u = 0.0, v = 0.0;
                if (face.mapping) {
                    u = dot(face.mapping->uGradient, p) + face.mapping->uOffset;
                    v = dot(face.mapping->vGradient, p) + face.mapping->vOffset;
                }
                const std::array<double, 5> mapped =
                    face.mapping ? std::array<double, 5>{rounded(u), rounded(v), rounded(tangent.x),
                                                         rounded(tangent.y), rounded(tangent.z)}
                                 : std::array<double, 5>{};
                auto [vertex, newVertex] = vertices.try_emplace(
                    {pos->second, material, rounded(normal.x), rounded(normal.y), rounded(normal.z),
                     face.mapping.has_value(), mapped},
                    static_cast<int32_t>(body.vertices.size()));
                if (newVertex) {
                    content::OtmVertex vertexRecord;
                    vertexRecord.position = pos->second;
                    if (face.mapping) {
                        vertexRecord.u = static_cast<float>(u);
                        vertexRecord.v = static_cast<float>(v);
                    } else {
                        vertexRecord.u = static_cast<float>(dot(p, frame.tangent) / scale);
                        vertexRecord.v = static_cast<float>(dot(p, frame.bitangent) / scale);
                    }
                    vertexRecord.normal = direction(normal);
                    vertexRecord.tangent = direction(tangent);
                    body.vertices.push_back(vertexRecord);
                }
                out.corners.push_back(vertex->second);
            }
            body.faces.push_back(std::move(out));
        }
    }
    return body;
}

OtmMeshBody subsetBody(const OtmMeshBody& body, const std::vector<int>& faces) {
    OtmMeshBody out;
    out.materials = body.materials;
    std::map<int32_t, int32_t> positions, vertices;
    for (int f : faces) {
        content::OtmFace face = body.faces.at(static_cast<size_t>(f));
        for (int32_t& corner : face.corners) {
            auto [vertex, newVertex] =
                vertices.try_emplace(corner, static_cast<int32_t>(out.vertices.size()));
            if (newVertex) {
                content::OtmVertex v = body.vertices.at(static_cast<size_t>(corner));
                auto [position, newPosition] =
                    positions.try_emplace(v.position, static_cast<int32_t>(out.positions.size()));
                if (newPosition)
                    out.positions.push_back(body.positions.at(static_cast<size_t>(v.position)));
                v.position = position->second;
                out.vertices.push_back(v);
            }
            corner = vertex->second;
        }
        out.faces.push_back(std::move(face));
    }
    return out;
}

void buildOctree(OtmStaticMesh& mesh, int maxLeafFaces, int maxDepth) {
    Box box;
    for (const Vector4& p : mesh.body.positions) box.grow(toVec3(p));
    if (box.empty()) box = Box{{0, 0, 0}, {0, 0, 0}};
    mesh.octreeMin = direction(box.min);
    mesh.octreeMax = direction(box.max);
    std::vector<Points> polygons;
    std::vector<int32_t> all;
    for (const content::OtmFace& face : mesh.body.faces) {
        Points polygon;
        for (int32_t corner : face.corners) {
            const auto& vertex = mesh.body.vertices[static_cast<size_t>(corner)];
            polygon.push_back(toVec3(mesh.body.positions[static_cast<size_t>(vertex.position)]));
        }
        all.push_back(static_cast<int32_t>(polygons.size()));
        polygons.push_back(std::move(polygon));
    }
    mesh.octree = {};
    buildNode(mesh.octree, box, all, polygons, maxLeafFaces, maxDepth);
}

}  // namespace arvel::level
