// Box given by the matrix that maps the unit cube [-1, 1]^3 onto it. The inverse is
// worked out on first need and kept.
#pragma once

#include "core/math/BoundingVolume.h"

namespace arvel {

class OrientedBox : public BoundingVolume {
public:
    OrientedBox() = default;
    explicit OrientedBox(const Matrix4& matrix) : matrix_(matrix) {}

    const Matrix4& matrix() const { return matrix_; }
    void setMatrix(const Matrix4& matrix) {
        matrix_ = matrix;
        inverseValid_ = false;
    }
    // Maps the box back onto the unit cube. A flat or collapsed box (a portal's box,
    // a single point) is treated as kTolerance thick along its missing axes.
    const Matrix4& inverse() const;

    std::array<Vector4, 8> corners() const override;
    std::unique_ptr<OrientedBox> transformed(const Matrix4& a) const override;
    // No tolerance: exactly the unit cube after the inverse.
    bool contains(const Vector4& p) const override;
    Vector4 closestPoint(const Vector4& p) const override;
    int classify(const Plane& plane) const override;

private:
    mutable bool inverseValid_ = false;
    mutable Matrix4 inverse_;
    Matrix4 matrix_;
};

}  // namespace arvel
