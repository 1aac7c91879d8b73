// Double-precision geometry of the level compiler: planes and convex polygons with the
// splits and distances that openings, shadows and octrees need.
// Precision matters here because lit pieces are cut by many shadow planes in turn.
#pragma once

#include <cmath>
#include <vector>

#include "ToolVector.h"

namespace arvel::level {

// Points closer than this are one point; planes are thick by this much.
inline constexpr double kEpsilon = 1.0e-3;

using tools::cross;
using tools::dot;
using tools::length;
using tools::normalized;
using tools::Vec3;

// Points p with dot(normal, p) + d > 0 lie in front.
struct Plane {
    Vec3 normal;
    double d = 0.0;

    double distance(const Vec3& p) const { return dot(normal, p) + d; }
    Plane flipped() const { return {-normal, -d}; }
    static Plane through(const Vec3& normal, const Vec3& point) {
        return {normal, -dot(normal, point)};
    }
};

// An axis-aligned box; empty (min above max) when default-constructed.
struct Box {
    Vec3 min{1e300, 1e300, 1e300};
    Vec3 max{-1e300, -1e300, -1e300};

    bool empty() const { return min.x > max.x || min.y > max.y || min.z > max.z; }
    void grow(const Vec3& p);
    bool contains(const Vec3& p, double slack = 0.0) const;
    Vec3 centre() const { return (min + max) * 0.5; }
};

// A convex polygon, corners counter-clockwise seen from its front.
using Points = std::vector<Vec3>;

// Texture coordinates that vary linearly over a face's plane, as a modelled triangle's
// do: u = dot(uGradient, p) + uOffset, v likewise. Pieces cut from the face keep them.
struct TextureMapping {
    Vec3 uGradient;
    double uOffset = 0.0;
    Vec3 vGradient;
    double vOffset = 0.0;
};

// Newell's normal (not normalised); zero for fewer than three corners or no area.
Vec3 newellNormal(const Points& polygon);
double area(const Points& polygon);
Plane planeOf(const Points& polygon);
Box boxOf(const Points& polygon);
Vec3 centroid(const Points& polygon);

// The parts of a convex polygon in front of and behind a plane; corners within
// kEpsilon of the plane belong to both. A part with fewer than three corners is empty.
struct Split {
    Points front;
    Points back;
};
Split split(const Points& polygon, const Plane& plane);
// The part in front of the plane (kept corners within kEpsilon of it).
Points clipFront(const Points& polygon, const Plane& plane);

// Distance from p to the polygon: to its projection when that falls inside, else to
// its outline.
double distanceToPolygon(const Vec3& p, const Points& polygon);
double distanceToSegment(const Vec3& p, const Vec3& a, const Vec3& b);

// Whether the convex polygon and the box share more than a touch of kEpsilon.
bool overlapsBox(const Points& polygon, const Box& box);

}  // namespace arvel::level
