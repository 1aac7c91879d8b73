// Small double-precision vector and matrix types for the reference renderer. Matrices
// are column-major like the engine's (element m[4c + r] in row r and column c,
// translation at m[12], m[13], m[14]).
#pragma once

#include <array>
#include <cmath>

namespace arvel::reference {

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;

    Vec3() = default;
    constexpr Vec3(double x_, double y_, double z_) : x(x_), y(y_), z(z_) {}

    Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec3 operator*(double s) const { return {x * s, y * s, z * s}; }
    Vec3 operator-() const { return {-x, -y, -z}; }
    Vec3& operator+=(const Vec3& o) { return *this = *this + o; }
    double operator[](int axis) const { return axis == 0 ? x : axis == 1 ? y : z; }
};

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& v) { return std::sqrt(dot(v, v)); }
// A zero vector stays zero instead of turning into NaN.
inline Vec3 normalize(const Vec3& v) {
    const double l = length(v);
    return l > 1e-12 ? v * (1.0 / l) : Vec3{};
}
inline Vec3 minimum(const Vec3& a, const Vec3& b) {
    return {std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z)};
}
inline Vec3 maximum(const Vec3& a, const Vec3& b) {
    return {std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z)};
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
