// Four-component vector. Positions keep w = 0 unless they come out of a matrix
// transform; the geometric helpers (dot, cross, length) look at x, y, z only.
#pragma once

#include <cmath>

namespace arvel {

// Largest float: the distance every ray test returns for "no hit", and the bounds of
// an empty box.
inline constexpr float kNoHit = 3.4028235e38f;
// Geometric slack for containment and for rays starting on a plane.
inline constexpr float kTolerance = 0.00125f;

struct Vector4 {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;

    float& operator[](int i) { return (&x)[i]; }
    float operator[](int i) const { return (&x)[i]; }

    friend Vector4 operator+(const Vector4& a, const Vector4& b) {
        return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
    }
    friend Vector4 operator-(const Vector4& a, const Vector4& b) {
        return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
    }
    friend Vector4 operator-(const Vector4& a) { return {-a.x, -a.y, -a.z, -a.w}; }
    friend Vector4 operator*(const Vector4& a, float s) {
        return {a.x * s, a.y * s, a.z * s, a.w * s};
    }
    friend Vector4 operator*(float s, const Vector4& a) { return a * s; }
    friend bool operator==(const Vector4&, const Vector4&) = default;
};

inline float dot3(const Vector4& a, const Vector4& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vector4 cross3(const Vector4& a, const Vector4& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x, 0.0f};
}

inline float length3(const Vector4& a) { return std::sqrt(dot3(a, a)); }

// x, y, z scaled to unit length, w scaled by the same factor; a zero vector stays zero.
inline Vector4 normalized3(const Vector4& a) {
    float length = length3(a);
    if (length <= 0.0f) return a;
    return {a.x / length, a.y / length, a.z / length, a.w / length};
}

}  // namespace arvel
