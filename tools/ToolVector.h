// The double-precision 3-vector the tools share: the level compiler's geometry, the
// reference renderer's rays and the skinned mesh builder's bones work in it.
#pragma once

#include <cmath>

namespace arvel::tools {

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;

    double& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    double operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
    Vec3& operator+=(const Vec3& o) { return *this = *this + o; }
    friend Vec3 operator+(const Vec3& a, const Vec3& b) {
        return {a.x + b.x, a.y + b.y, a.z + b.z};
    }
    friend Vec3 operator-(const Vec3& a, const Vec3& b) {
        return {a.x - b.x, a.y - b.y, a.z - b.z};
    }
    friend Vec3 operator-(const Vec3& a) { return {-a.x, -a.y, -a.z}; }
    friend Vec3 operator*(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
    friend Vec3 operator*(double s, const Vec3& a) { return a * s; }
    friend bool operator==(const Vec3&, const Vec3&) = default;
};

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& a) { return std::sqrt(dot(a, a)); }
// A zero vector stays zero.
inline Vec3 normalized(const Vec3& a) {
    const double l = length(a);
    return l > 0.0 ? a * (1.0 / l) : a;
}
inline Vec3 minimum(const Vec3& a, const Vec3& b) {
    return {std::fmin(a.x, b.x), std::fmin(a.y, b.y), std::fmin(a.z, b.z)};
}
inline Vec3 maximum(const Vec3& a, const Vec3& b) {
    return {std::fmax(a.x, b.x), std::fmax(a.y, b.y), std::fmax(a.z, b.z)};
}

}  // namespace arvel::tools
