#include "level/LitPieces.h"

#include <algorithm>

namespace arvel::level {

namespace {

// Pieces thinner than this are cutting noise, not light.
constexpr double kMinArea = 1e-4;

// Whether the region reaches into the polygon by more than the tolerance.
bool reaches(const Points& polygon, const std::vector<Plane>& region) {
    Points rest = polygon;
    for (const Plane& plane : region) {
        // Shifted inwards, so that touching along an outline does not count.
        rest = clipFront(rest, Plane{plane.normal, plane.d - 2.0 * kEpsilon});
        if (rest.empty()) return false;
    }
    return area(rest) > kMinArea;
}

struct Occluder {
    const Points* polygon;
    Plane plane;
    double nearest;  // distance from the light
};

// Whether the occluder's shadow may touch the receiver: some of it lies behind the
// occluder's plane, farther from the light than the occluder's nearest point.
bool mayShadow(const Occluder& o, const Points& receiver, double receiverFarthest) {
    if (o.nearest >= receiverFarthest) return false;
    return std::any_of(receiver.begin(), receiver.end(),
                       [&](const Vec3& p) { return o.plane.distance(p) < -kEpsilon; });
}

double farthest(const Vec3& light, const Points& polygon) {
    double best = 0.0;
    for (const Vec3& p : polygon) best = std::max(best, length(p - light));
    return best;
}

}  // namespace

std::vector<Plane> shadowPlanes(const Vec3& light, const Points& occluder) {
    std::vector<Plane> planes;
    planes.push_back(planeOf(occluder).flipped());
    const Vec3 inside = centroid(occluder);
    const size_t n = occluder.size();
    for (size_t i = 0; i < n; ++i) {
        const Vec3& a = occluder[i];
        const Vec3& b = occluder[(i + 1) % n];
        Vec3 normal = cross(a - light, b - light);
        if (length(normal) < 1e-9) continue;  // an edge in line with the light
        normal = normalized(normal);
        Plane side = Plane::through(normal, light);
        if (side.distance(inside) < 0.0) side = side.flipped();
        planes.push_back(side);
    }
    return planes;
}

std::vector<Points> subtractRegion(const Points& polygon, const std::vector<Plane>& region) {
    if (!reaches(polygon, region)) return {polygon};
    std::vector<Points> outside;
    Points rest = polygon;
    for (const Plane& plane : region) {
        Split parts = split(rest, plane);
        if (!parts.back.empty() && area(parts.back) > kMinArea) {
            outside.push_back(std::move(parts.back));
        }
        rest = std::move(parts.front);
        if (rest.empty()) break;
    }
    return outside;
}

bool facesLight(const Vec3& light, double radius, const Points& polygon) {
    if (polygon.size() < 3 || planeOf(polygon).distance(light) <= kEpsilon) return false;
    return distanceToPolygon(light, polygon) < radius;
}

std::vector<Face> litFaces(const Vec3& light, double radius, const std::vector<Face>& receivers,
                           const std::vector<const Face*>& occluders) {
    std::vector<Occluder> casting;
    std::vector<std::vector<Plane>> shadows;
    for (const Face* face : occluders) {
        if (!facesLight(light, radius, face->points)) continue;
        casting.push_back(
            {&face->points, planeOf(face->points), distanceToPolygon(light, face->points)});
        shadows.push_back(shadowPlanes(light, face->points));
    }
    std::vector<Face> lit;
    for (const Face& receiver : receivers) {
        if (!facesLight(light, radius, receiver.points)) continue;
        const double far = farthest(light, receiver.points);
        std::vector<Points> pieces{receiver.points};
        for (size_t o = 0; o < casting.size() && !pieces.empty(); ++o) {
            if (casting[o].polygon == &receiver.points) continue;
            if (!mayShadow(casting[o], receiver.points, far)) continue;
            std::vector<Points> next;
            for (const Points& piece : pieces) {
                for (Points& part : subtractRegion(piece, shadows[o]))
                    next.push_back(std::move(part));
            }
            pieces = std::move(next);
        }
        for (Points& piece : pieces)
            lit.push_back({std::move(piece), receiver.material, receiver.shell});
    }
    return lit;
}

}  // namespace arvel::level
