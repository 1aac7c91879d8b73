#include "reference/Bvh.h"

#include <algorithm>
#include <limits>

namespace arvel::reference {

namespace {

constexpr int kLeafSize = 4;

// Moeller-Trumbore; t along direction as given (not normalised).
bool intersect(const Triangle& tri, const Vec3& origin, const Vec3& direction, double& t, double& u,
               double& v, double& facing) {
    const Vec3 e1 = tri.corner[1] - tri.corner[0];
    const Vec3 e2 = tri.corner[2] - tri.corner[0];
    const Vec3 p = cross(direction, e2);
    const double det = dot(e1, p);
    if (std::fabs(det) < 1e-18) return false;
    const double inverse = 1.0 / det;
    const Vec3 s = origin - tri.corner[0];
    u = dot(s, p) * inverse;
    if (u < 0.0 || u > 1.0) return false;
    const Vec3 q = cross(s, e1);
    v = dot(direction, q) * inverse;
    if (v < 0.0 || u + v > 1.0) return false;
    t = dot(e2, q) * inverse;
    facing = det;  // positive: the ray meets the side (b - a) x (c - a) points to
    return true;
}

bool boxHit(const Vec3& lower, const Vec3& upper, const Vec3& origin, const Vec3& inverse,
            double tMin, double tMax) {
    for (int axis = 0; axis < 3; ++axis) {
        double t0 = (lower[axis] - origin[axis]) * inverse[axis];
        double t1 = (upper[axis] - origin[axis]) * inverse[axis];
        if (t0 > t1) std::swap(t0, t1);
        // NaN from 0 * infinity (a ray in the box's plane) keeps the box.
        if (t0 > tMin) tMin = t0;
        if (t1 < tMax) tMax = t1;
        if (tMin > tMax) return false;
    }
    return true;
}

}  // namespace

Bvh::Bvh(const std::vector<Triangle>& triangles) : triangles_(triangles) {
    order_.resize(triangles.size());
    std::vector<Vec3> centres(triangles.size());
    for (size_t i = 0; i < triangles.size(); ++i) {
        order_[i] = static_cast<int>(i);
        const Triangle& t = triangles[i];
        centres[i] = (t.corner[0] + t.corner[1] + t.corner[2]) * (1.0 / 3.0);
    }
    nodes_.reserve(2 * triangles.size() / kLeafSize + 2);
    build(0, static_cast<int>(triangles.size()), centres);
}

int Bvh::build(int first, int count, std::vector<Vec3>& centres) {
    const int index = static_cast<int>(nodes_.size());
    nodes_.emplace_back();
    constexpr double kBig = std::numeric_limits<double>::max();
    Vec3 lower{kBig, kBig, kBig}, upper{-kBig, -kBig, -kBig};
    Vec3 centreLower = lower, centreUpper = upper;
    for (int i = first; i < first + count; ++i) {
        const Triangle& t = triangles_[static_cast<size_t>(order_[static_cast<size_t>(i)])];
        for (const Vec3& c : t.corner) {
            lower = minimum(lower, c);
            upper = maximum(upper, c);
        }
        const Vec3& centre = centres[static_cast<size_t>(order_[static_cast<size_t>(i)])];
        centreLower = minimum(centreLower, centre);
        centreUpper = maximum(centreUpper, centre);
    }
    nodes_[static_cast<size_t>(index)].lower = lower;
    nodes_[static_cast<size_t>(index)].upper = upper;
    const Vec3 extent = centreUpper - centreLower;
    if (count <= kLeafSize || (extent.x <= 0 && extent.y <= 0 && extent.z <= 0)) {
        nodes_[static_cast<size_t>(index)].first = first;
        nodes_[static_cast<size_t>(index)].count = count;
        return index;
    }
    const int axis = extent.x >= extent.y && extent.x >= extent.z ? 0
                     : extent.y >= extent.z                       ? 1
                                                                  : 2;
    const int half = count / 2;
    std::nth_element(order_.begin() + first, order_.begin() + first + half,
                     order_.begin() + first + count, [&](int a, int b) {
                         return centres[static_cast<size_t>(a)][axis] <
                                centres[static_cast<size_t>(b)][axis];
                     });
    build(first, half, centres);
    const int right = build(first + half, count - half, centres);
    nodes_[static_cast<size_t>(index)].right = right;
    return index;
}

template <typename Visit>
void Bvh::traverse(const Vec3& origin, const Vec3& direction, double tMin, double& tMax,
                   Visit visit) const {
    if (nodes_.empty() || triangles_.empty()) return;
    const Vec3 inverse{1.0 / direction.x, 1.0 / direction.y, 1.0 / direction.z};
    int stack[128];
    int depth = 0;
    stack[depth++] = 0;
    while (depth > 0) {
        const Node& node = nodes_[static_cast<size_t>(stack[--depth])];
        if (!boxHit(node.lower, node.upper, origin, inverse, tMin, tMax)) continue;
        if (node.count > 0) {
            for (int i = node.first; i < node.first + node.count; ++i)
                if (!visit(order_[static_cast<size_t>(i)])) return;
            continue;
        }
        if (depth + 2 > 128) continue;  // deeper than a median split of any scene goes
        const int self = static_cast<int>(&node - nodes_.data());
        stack[depth++] = node.right;
        stack[depth++] = self + 1;
    }
}

bool Bvh::closestFront(const Vec3& origin, const Vec3& direction, double tMin, double tMax,
                       Hit& hit) const {
    bool found = false;
    traverse(origin, direction, tMin, tMax, [&](int index) {
        double t, u, v, facing;
        if (intersect(triangles_[static_cast<size_t>(index)], origin, direction, t, u, v, facing) &&
            facing > 0.0 && t > tMin && t < tMax) {
            tMax = t;
            hit = {index, t, u, v};
            found = true;
        }
        return true;
    });
    return found;
}

bool Bvh::occluded(const Vec3& origin, const Vec3& direction, double tMin, double tMax) const {
    bool blocked = false;
    traverse(origin, direction, tMin, tMax, [&](int index) {
        double t, u, v, facing;
        if (intersect(triangles_[static_cast<size_t>(index)], origin, direction, t, u, v, facing) &&
            t > tMin && t < tMax)
            blocked = true;
        return !blocked;
    });
    return blocked;
}

}  // namespace arvel::reference
