#include "level/Geometry.h"

#include <algorithm>

namespace arvel::level {

void Box::grow(const Vec3& p) {
    for (int axis = 0; axis < 3; ++axis) {
        min[axis] = std::min(min[axis], p[axis]);
        max[axis] = std::max(max[axis], p[axis]);
    }
}

bool Box::contains(const Vec3& p, double slack) const {
    for (int axis = 0; axis < 3; ++axis) {
        if (p[axis] < min[axis] - slack || p[axis] > max[axis] + slack) return false;
    }
    return true;
}

Vec3 newellNormal(const Points& polygon) {
    Vec3 n;
    const size_t count = polygon.size();
    if (count < 3) return n;
    for (size_t i = 0; i < count; ++i) {
        const Vec3& a = polygon[i];
        const Vec3& b = polygon[(i + 1) % count];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}

double area(const Points& polygon) { return 0.5 * length(newellNormal(polygon)); }

Plane planeOf(const Points& polygon) {
    const Vec3 n = normalized(newellNormal(polygon));
    return Plane::through(n, polygon.empty() ? Vec3{} : centroid(polygon));
}

Box boxOf(const Points& polygon) {
    Box box;
    for (const Vec3& p : polygon) box.grow(p);
    return box;
}

Vec3 centroid(const Points& polygon) {
    Vec3 sum;
    for (const Vec3& p : polygon) sum = sum + p;
    return polygon.empty() ? sum : sum * (1.0 / static_cast<double>(polygon.size()));
}

Split split(const Points& polygon, const Plane& plane) {
    Split result;
    const size_t count = polygon.size();
    std::vector<double> d(count);
    bool anyFront = false, anyBack = false;
    for (size_t i = 0; i < count; ++i) {
        d[i] = plane.distance(polygon[i]);
        anyFront |= d[i] > kEpsilon;
        anyBack |= d[i] < -kEpsilon;
    }
    // Lying in the plane counts as in front, so that nothing is ever lost.
    if (!anyBack) {
        if (count >= 3) result.front = polygon;
        return result;
    }
    if (!anyFront) {
        if (count >= 3) result.back = polygon;
        return result;
    }
    for (size_t i = 0; i < count; ++i) {
        const size_t j = (i + 1) % count;
        const Vec3& a = polygon[i];
        if (d[i] >= -kEpsilon) result.front.push_back(a);
        if (d[i] <= kEpsilon) result.back.push_back(a);
        const bool crosses =
            (d[i] > kEpsilon && d[j] < -kEpsilon) || (d[i] < -kEpsilon && d[j] > kEpsilon);
        if (crosses) {
            const Vec3 cut = a + (polygon[j] - a) * (d[i] / (d[i] - d[j]));
            result.front.push_back(cut);
            result.back.push_back(cut);
        }
    }
    if (result.front.size() < 3) result.front.clear();
    if (result.back.size() < 3) result.back.clear();
    return result;
}

Points clipFront(const Points& polygon, const Plane& plane) { return split(polygon, plane).front; }

double distanceToSegment(const Vec3& p, const Vec3& a, const Vec3& b) {
    const Vec3 ab = b - a;
    const double l2 = dot(ab, ab);
    const double t = l2 > 0.0 ? std::clamp(dot(p - a, ab) / l2, 0.0, 1.0) : 0.0;
    return length(p - (a + ab * t));
}

double distanceToPolygon(const Vec3& p, const Points& polygon) {
    if (polygon.empty()) return 1e300;
    const Vec3 n = normalized(newellNormal(polygon));
    const size_t count = polygon.size();
    if (dot(n, n) > 0.0) {
        const double height = dot(n, p - polygon[0]);
        const Vec3 q = p - n * height;
        bool inside = true;
        for (size_t i = 0; i < count && inside; ++i) {
            const Vec3& a = polygon[i];
            const Vec3& b = polygon[(i + 1) % count];
            inside = dot(cross(b - a, q - a), n) >= 0.0;
        }
        if (inside) return std::abs(height);
    }
    double best = 1e300;
    for (size_t i = 0; i < count; ++i) {
        best = std::min(best, distanceToSegment(p, polygon[i], polygon[(i + 1) % count]));
    }
    return best;
}

bool overlapsBox(const Points& polygon, const Box& box) {
    Points rest = polygon;
    for (int axis = 0; axis < 3 && !rest.empty(); ++axis) {
        Vec3 n;
        n[axis] = 1.0;
        // Keep what lies within the slab, grown by the tolerance.
        rest = clipFront(rest, Plane{n, -(box.min[axis] - kEpsilon)});
        if (!rest.empty()) rest = clipFront(rest, Plane{-n, box.max[axis] + kEpsilon});
    }
    return !rest.empty();
}

}  // namespace arvel::level
