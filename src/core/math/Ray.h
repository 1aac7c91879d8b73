// Ray with a length limit. Every test returns the distance along the ray to the hit,
// or kNoHit.
#pragma once

#include "core/math/Plane.h"
#include "core/math/Vector4.h"

namespace arvel {

class BoundingBox;

struct Ray {
    Vector4 origin;
    Vector4 direction;  // unit length over x, y, z (zero for a ray of length 0)
    float length = kNoHit;
    int twoSided = 0;  // non-zero: planes facing away are hit too
    int mask = 0;      // flags a face must carry to be hit

    // From a to b: length |b - a|.
    static Ray fromPoints(const Vector4& a, const Vector4& b, int twoSided, int mask);
    // Unbounded; the caller sets twoSided and mask.
    static Ray fromDirection(const Vector4& origin, const Vector4& direction);

    Vector4 pointAt(float t) const { return origin + direction * t; }

    float hitPlane(const Plane& plane) const;
    // 0 when the origin is inside the box.
    float hitBox(const BoundingBox& box) const;

    // A polygon in plane with the given flag word; inFace(point) says whether a
    // point of that plane lies in the polygon.
    template <typename InFace>
    float hitFace(const Plane& plane, int faceFlags, InFace&& inFace) const {
        float t = facePlaneDistance(plane, faceFlags);
        if (t == kNoHit || !inFace(pointAt(t))) return kNoHit;
        return t;
    }
    // The face test up to the point-in-face check.
    float facePlaneDistance(const Plane& plane, int faceFlags) const;
};

}  // namespace arvel
