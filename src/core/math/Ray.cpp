#include "core/math/Ray.h"

#include <cmath>

#include "core/math/BoundingBox.h"

namespace arvel {

Ray Ray::fromPoints(const Vector4& a, const Vector4& b, int twoSided, int mask) {
    Ray ray;
    ray.origin = a;
    Vector4 delta = b - a;
    ray.length = length3(delta);
    ray.direction = normalized3(delta);
    if (ray.length == 0.0f) ray.direction = Vector4{};
    ray.twoSided = twoSided;
    ray.mask = mask;
    return ray;
}

Ray Ray::fromDirection(const Vector4& origin, const Vector4& direction) {
    Ray ray;
    ray.origin = origin;
    ray.direction = normalized3(direction);
    ray.length = kNoHit;
    return ray;
}

float Ray::hitPlane(const Plane& plane) const {
    float s = plane.distance(origin);
    float a = dot3(plane.normal, direction);
    if (!twoSided && a > 0.0f) return kNoHit;
    float t;
    if (std::fabs(s) < kTolerance)
        t = 0.0f;
    else if (a == 0.0f)
        return kNoHit;  // parallel and off the plane
    else
        t = -s / a;
    return t >= 0.0f && t <= length ? t : kNoHit;
}

float Ray::hitBox(const BoundingBox& box) const {
    if (box.distance(origin) == 0.0f) return 0.0f;
    float best = kNoHit;
    for (int axis = 0; axis < 3; ++axis) {
        float bound;
        if (origin[axis] < box.min[axis])
            bound = box.min[axis];
        else if (origin[axis] > box.max[axis])
            bound = box.max[axis];
        else
            continue;
        if (direction[axis] == 0.0f) continue;
        float t = (bound - origin[axis]) / direction[axis];
        if (t < 0.0f || t > length || t >= best) continue;
        Vector4 hit = pointAt(t);
        bool onFace = true;
        for (int other = 0; other < 3; ++other) {
            if (other == axis) continue;
            // Half-open, so neighbouring boxes never both take a hit on their seam.
            if (hit[other] < box.min[other] || hit[other] >= box.max[other]) onFace = false;
        }
        if (onFace) best = t;
    }
    return best;
}

float Ray::facePlaneDistance(const Plane& plane, int faceFlags) const {
    float e = dot3(plane.normal, direction);
    if (!twoSided && e > 0.0f) return kNoHit;
    if ((faceFlags & mask) != mask) return kNoHit;
    if (e == 0.0f) return kNoHit;  // runs along the face's plane
    float t = -plane.distance(origin) / e;
    if (t < 0.0f || t > length) return kNoHit;
    return t;
}

}  // namespace arvel
