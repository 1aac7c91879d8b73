// Plane n . p + d = 0; the normal's w stays 0. Points with n . p + d > 0 lie on the
// positive side.
#pragma once

#include "core/math/Matrix4.h"
#include "core/math/Vector4.h"

namespace arvel {

struct Plane {
    Vector4 normal;
    float d = 0.0f;

    float distance(const Vector4& p) const { return dot3(normal, p) + d; }
    Plane negated() const { return {{-normal.x, -normal.y, -normal.z, 0.0f}, -d}; }

    // Normal (b - a) x (c - a), so a counter-clockwise triangle faces its viewer.
    // Collinear points give a zero normal, a plane that every point lies on.
    static Plane fromPoints(const Vector4& a, const Vector4& b, const Vector4& c) {
        Vector4 n = normalized3(cross3(b - a, c - a));
        n.w = 0.0f;
        return {n, -dot3(n, a)};
    }

    // The image of the plane under the map A. The normal goes through the inverse
    // transpose, so scaled and sheared maps keep points on the plane; for a rigid map
    // this is simply the rotated normal.
    Plane transformed(const Matrix4& a) const {
        Vector4 c0{a[0], a[1], a[2], 0.0f}, c1{a[4], a[5], a[6], 0.0f}, c2{a[8], a[9], a[10], 0.0f};
        Vector4 r0 = cross3(c1, c2), r1 = cross3(c2, c0), r2 = cross3(c0, c1);
        float det = dot3(c0, r0);
        Vector4 t = r0 * normal.x + r1 * normal.y + r2 * normal.z;
        if (det < 0.0f) t = -t;
        float s = dot3(t, t);
        if (det == 0.0f || s == 0.0f) {
            // A flattening map has no image plane; keep the rotated normal if any.
            t = a.transformDirection(normal);
            s = dot3(t, t);
            if (s == 0.0f) return {{0.0f, 0.0f, 0.0f, 0.0f}, d};
        }
        float length = std::sqrt(s);
        Vector4 n{t.x / length, t.y / length, t.z / length, 0.0f};
        // Carry one point of the plane across and make it lie on the result.
        float nn = dot3(normal, normal);
        Vector4 onPlane = nn > 0.0f ? normal * (-d / nn) : Vector4{};
        return {n, -dot3(n, a.transformPoint(onPlane))};
    }

    friend bool operator==(const Plane&, const Plane&) = default;
};

}  // namespace arvel
