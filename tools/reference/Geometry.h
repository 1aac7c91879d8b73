// The matrix type of the reference renderer, and its vector (the tools' own). Matrices
// are column-major like the engine's (element m[4c + r] in row r and column c,
// translation at m[12], m[13], m[14]).
#pragma once

#include <array>
#include <cmath>

#include "ToolVector.h"

namespace arvel::reference {

using tools::cross;
using tools::dot;
using tools::length;
using tools::maximum;
using tools::minimum;
using tools::Vec3;

// Unlike normalized, a vector shorter than 1e-12 becomes zero instead of huge.
inline Vec3 normalize(const Vec3& v) {
    const double l = length(v);
    return l > 1e-12 ? v * (1.0 / l) : Vec3{};
}

struct Mat4 {
    std::array<double, 16> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    double at(int row, int column) const { return m[static_cast<size_t>(4 * column + row)]; }
    double& at(int row, int column) { return m[static_cast<size_t>(4 * column + row)]; }

    Mat4 operator*(const Mat4& b) const {
        Mat4 r;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column) {
                double sum = 0.0;
                for (int k = 0; k < 4; ++k) sum += at(row, k) * b.at(k, column);
                r.at(row, column) = sum;
            }
        return r;
    }
    Vec3 point(const Vec3& p) const {
        return {at(0, 0) * p.x + at(0, 1) * p.y + at(0, 2) * p.z + at(0, 3),
                at(1, 0) * p.x + at(1, 1) * p.y + at(1, 2) * p.z + at(1, 3),
                at(2, 0) * p.x + at(2, 1) * p.y + at(2, 2) * p.z + at(2, 3)};
    }
    Vec3 direction(const Vec3& d) const {
        return {at(0, 0) * d.x + at(0, 1) * d.y + at(0, 2) * d.z,
                at(1, 0) * d.x + at(1, 1) * d.y + at(1, 2) * d.z,
                at(2, 0) * d.x + at(2, 1) * d.y + at(2, 2) * d.z};
    }
    static Mat4 translation(const Vec3& t) {
        Mat4 r;
        r.m[12] = t.x, r.m[13] = t.y, r.m[14] = t.z;
        return r;
    }
};

// The inverse of an affine matrix (last row 0, 0, 0, 1); identity when it is singular.
Mat4 inverseAffine(const Mat4& a);

}  // namespace arvel::reference
