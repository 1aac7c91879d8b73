// Axis-aligned box. An empty box has min above max on every axis, so extending it by
// a point makes it exactly that point.
#pragma once

#include "core/math/BoundingVolume.h"

namespace arvel {

class BoundingBox : public BoundingVolume {
public:
    Vector4 min{kNoHit, kNoHit, kNoHit, 0.0f};
    Vector4 max{-kNoHit, -kNoHit, -kNoHit, 0.0f};

    BoundingBox() = default;
    BoundingBox(const Vector4& minimum, const Vector4& maximum) : min(minimum), max(maximum) {}

    void makeEmpty() { *this = BoundingBox(); }
    void set(const Vector4& minimum, const Vector4& maximum) {
        min = minimum;
        max = maximum;
    }
    bool isEmpty() const { return min.x > max.x || min.y > max.y || min.z > max.z; }

    void extend(const Vector4& p);
    // Encloses the other volume's eight corners.
    void grow(const BoundingVolume& other);
    // An empty overlap becomes a flat box at the larger minimum.
    void intersect(const BoundingBox& other);

    // The box projected to normalized device coordinates (x, y in -1 .. 1, z = -1),
    // for scissor rectangles. The box is in eye space (eye at the origin) and the
    // matrix is the projection. Only what lies beyond the near plane counts, so a box
    // wholly behind it comes out empty; a box around the eye covers the screen.
    BoundingBox screenRect(const Matrix4& projection) const;

    // The matrix that maps the unit cube [-1, 1]^3 onto this box.
    Matrix4 matrix() const;

    std::array<Vector4, 8> corners() const override;
    std::unique_ptr<OrientedBox> transformed(const Matrix4& a) const override;
    // Allows kTolerance outside on every axis.
    bool contains(const Vector4& p) const override;
    Vector4 closestPoint(const Vector4& p) const override;
    int classify(const Plane& plane) const override;
};

}  // namespace arvel
