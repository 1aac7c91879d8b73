#include "level/LitPieces.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace arvel::level {

namespace {

// Pieces thinner than this are cutting noise, not surface.
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

double farthest(const Vec3& light, const Points& polygon) {
    double best = 0.0;
    for (const Vec3& p : polygon) best = std::max(best, length(p - light));
    return best;
}

// Distance along the ray (origin, unit dir) to the convex polygon in plane, or a
// negative value when the ray misses it; back tells which side the ray meets.
double rayHit(const Vec3& origin, const Vec3& dir, const Points& polygon, const Plane& plane,
              bool& back) {
    const double along = dot(plane.normal, dir);
    if (std::abs(along) < 1e-9) return -1.0;
    const double t = -plane.distance(origin) / along;
    if (t <= kEpsilon) return -1.0;
    const Vec3 q = origin + dir * t;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Vec3& a = polygon[i];
        const Vec3& b = polygon[(i + 1) % polygon.size()];
        if (dot(cross(b - a, q - a), plane.normal) < 0.0) return -1.0;
    }
    back = along > 0.0;
    return t;
}

}  // namespace

bool insideSolid(const Vec3& p, const std::vector<const Face*>& faces) {
    // Skewed directions, so that rays seldom run along the edges of axis-aligned faces.
    static const Vec3 kDirections[] = {
        {0.31, 0.83, 0.47},  {-0.62, 0.27, 0.74},  {0.58, -0.71, 0.39}, {-0.44, -0.52, -0.73},
        {0.87, 0.12, -0.48}, {-0.23, 0.91, -0.35}, {0.05, -0.36, 0.93}, {-0.95, -0.18, 0.25},
    };
    constexpr size_t kRays = std::size(kDirections);
    Vec3 dirs[kRays];
    for (size_t r = 0; r < kRays; ++r) dirs[r] = normalized(kDirections[r]);
    // Per ray, the nearest face met so far (distance, negative for none) and its side.
    double nearest[kRays];
    bool nearestBack[kRays] = {};
    std::fill(std::begin(nearest), std::end(nearest), -1.0);
    for (const Face* face : faces) {
        if (face->points.size() < 3) continue;
        const Plane plane = planeOf(face->points);
        for (size_t r = 0; r < kRays; ++r) {
            bool back = false;
            const double t = rayHit(p, dirs[r], face->points, plane, back);
            if (t > 0.0 && (nearest[r] < 0.0 || t < nearest[r])) {
                nearest[r] = t;
                nearestBack[r] = back;
            }
        }
    }
    int backFirst = 0, frontFirst = 0;
    for (size_t r = 0; r < kRays; ++r)
        if (nearest[r] > 0.0) ++(nearestBack[r] ? backFirst : frontFirst);
    return backFirst > frontFirst;
}

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

RegionSplit splitByRegion(const Points& polygon, const std::vector<Plane>& region) {
    RegionSplit result;
    if (!reaches(polygon, region)) {
        result.outside.push_back(polygon);
        return result;
    }
    Points rest = polygon;
    for (const Plane& plane : region) {
        // Every part is kept, however thin: the sector mesh is built from them and must
        // stay closed. Corners closer than the tolerance are joined later.
        Split parts = split(rest, plane);
        if (!parts.back.empty()) result.outside.push_back(std::move(parts.back));
        rest = std::move(parts.front);
        if (rest.empty()) break;
    }
    result.inside = std::move(rest);
    return result;
}

bool facesLight(const Vec3& light, double radius, const Points& polygon) {
    if (polygon.size() < 3 || planeOf(polygon).distance(light) <= kEpsilon) return false;
    return distanceToPolygon(light, polygon) < radius;
}

ShadowingLight::ShadowingLight(const Vec3& position, double radius,
                               const std::vector<const Face*>& occluders)
    : position_(position), radius_(radius), enclosed_(insideSolid(position, occluders)) {
    if (enclosed_) return;
    for (const Face* face : occluders) {
        if (!facesLight(position, radius, face->points)) continue;
        casters_.push_back({face, planeOf(face->points), distanceToPolygon(position, face->points),
                            shadowPlanes(position, face->points)});
    }
}

void ShadowingLight::cut(const Face& face, const Points& polygon, std::vector<Points>& lit,
                         std::vector<Points>& shadowed) const {
    if (enclosed_ || !facesLight(position_, radius_, face.points)) {
        shadowed.push_back(polygon);
        return;
    }
    const double far = farthest(position_, polygon);
    std::vector<Points> open{polygon};
    for (const Caster& caster : casters_) {
        if (caster.face == &face || caster.nearest >= far) continue;
        // Nothing of the polygon lies behind the caster: no shadow of it here.
        if (std::none_of(polygon.begin(), polygon.end(),
                         [&](const Vec3& p) { return caster.plane.distance(p) < -kEpsilon; }))
            continue;
        std::vector<Points> next;
        for (const Points& piece : open) {
            RegionSplit parts = splitByRegion(piece, caster.shadow);
            for (Points& part : parts.outside) next.push_back(std::move(part));
            if (!parts.inside.empty()) shadowed.push_back(std::move(parts.inside));
        }
        open = std::move(next);
        if (open.empty()) break;
    }
    for (Points& piece : open) lit.push_back(std::move(piece));
}

std::vector<LitFragment> cutFaces(const std::vector<Face>& faces,
                                  const std::vector<ShadowingLight>& lights) {
    std::vector<LitFragment> out;
    for (const Face& face : faces) {
        std::vector<LitFragment> fragments{{face, {}}};
        for (const ShadowingLight& light : lights) {
            std::vector<LitFragment> next;
            for (const LitFragment& fragment : fragments) {
                std::vector<Points> lit, shadowed;
                light.cut(face, fragment.face.points, lit, shadowed);
                for (auto* parts : {&lit, &shadowed}) {
                    for (Points& points : *parts) {
                        LitFragment piece{
                            {std::move(points), face.material, face.shell, face.mapping},
                            fragment.lit};
                        piece.lit.push_back(parts == &lit);
                        next.push_back(std::move(piece));
                    }
                }
            }
            fragments = std::move(next);
        }
        out.insert(out.end(), fragments.begin(), fragments.end());
    }
    return out;
}

}  // namespace arvel::level
