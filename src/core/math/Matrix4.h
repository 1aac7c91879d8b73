// 4 x 4 matrix in the graphics API's column-major order: the element of row r and
// column c is m[4c + r], the translation sits at m[12..14]. Handed to the driver as is.
#pragma once

#include "core/math/Vector4.h"

namespace arvel {

struct Matrix4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static Matrix4 identity() { return {}; }
    static Matrix4 translation(float x, float y, float z);
    static Matrix4 scaling(float x, float y, float z);

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
    float at(int row, int column) const { return m[4 * column + row]; }

    // M x (x, y, z, 1) with w forced to 1: affine use.
    Vector4 transformPoint(const Vector4& p) const;
    // Upper 3 x 3 only, w = 0.
    Vector4 transformDirection(const Vector4& v) const;
    // M x (x, y, z, 1) with all four results, for projections.
    Vector4 transformProjective(const Vector4& p) const;

    // General inverse; false (and out untouched) when the matrix is singular or the
    // result would not be finite.
    bool invert(Matrix4& out) const;

    friend bool operator==(const Matrix4&, const Matrix4&) = default;
};

// A x B: B is applied first.
Matrix4 multiply(const Matrix4& a, const Matrix4& b);
inline Matrix4 operator*(const Matrix4& a, const Matrix4& b) { return multiply(a, b); }

}  // namespace arvel
