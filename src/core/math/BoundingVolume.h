// Common interface of the axis-aligned and the oriented box.
#pragma once

#include <array>
#include <memory>

#include "core/math/Matrix4.h"
#include "core/math/Plane.h"
#include "core/math/Vector4.h"

namespace arvel {

struct DriverTable;
class OrientedBox;

// Bits of classify().
inline constexpr int kPositiveSide = 1;
inline constexpr int kNegativeSide = 2;

class BoundingVolume {
public:
    // The 12 edges as pairs of corner numbers (x edges, then y, then z).
    static constexpr int kEdges[12][2] = {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {0, 2}, {1, 3},
                                          {4, 6}, {5, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

    virtual ~BoundingVolume() = default;

    // Debug display: white lines through the given driver table; nothing when the
    // driver lacks the line or colour function.
    virtual void drawEdges(const DriverTable& driver) const;
    // x varies fastest: (-,-,-), (+,-,-), (-,+,-), (+,+,-), (-,-,+), ... (+,+,+).
    virtual std::array<Vector4, 8> corners() const = 0;
    virtual std::unique_ptr<OrientedBox> transformed(const Matrix4& a) const = 0;
    virtual bool contains(const Vector4& p) const = 0;
    // 0 inside.
    virtual float distance(const Vector4& p) const;
    virtual Vector4 closestPoint(const Vector4& p) const = 0;
    // kPositiveSide | kNegativeSide as the volume reaches each side (3 = straddles).
    virtual int classify(const Plane& plane) const = 0;
};

}  // namespace arvel
