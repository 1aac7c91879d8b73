#include "core/math/OrientedBox.h"

#include <algorithm>
#include <cmath>

namespace arvel {

namespace {

Vector4 column(const Matrix4& m, int c) { return {m[4 * c], m[4 * c + 1], m[4 * c + 2], 0.0f}; }

// Gives every axis that adds no extent of its own (zero, or in the span of the
// axes before it) a kTolerance-long part along a new perpendicular direction, so the
// matrix can be inverted while the box keeps its shape.
Matrix4 thickened(const Matrix4& m) {
    Vector4 axes[3] = {column(m, 0), column(m, 1), column(m, 2)};
    float scale = 0.0f;
    for (const Vector4& axis : axes) scale = std::max(scale, length3(axis));
    float negligible = std::max(scale * 1e-5f, 1e-30f);

    Vector4 frame[3];
    int frameSize = 0;
    bool flat[3];
    for (int i = 0; i < 3; ++i) {
        Vector4 rest = axes[i];
        for (int k = 0; k < frameSize; ++k) rest = rest - frame[k] * dot3(rest, frame[k]);
        float length = length3(rest);
        flat[i] = length <= negligible;
        if (!flat[i]) frame[frameSize++] = rest * (1.0f / length);
    }
    // Complete the frame with whichever world axis is least covered.
    for (int k = frameSize; k < 3; ++k) {
        Vector4 best;
        float bestLength = -1.0f;
        for (int w = 0; w < 3; ++w) {
            Vector4 rest;
            rest[w] = 1.0f;
            for (int j = 0; j < k; ++j) rest = rest - frame[j] * dot3(rest, frame[j]);
            float length = length3(rest);
            if (length > bestLength) {
                bestLength = length;
                best = rest * (1.0f / length);
            }
        }
        frame[k] = best;
    }

    Matrix4 result = m;
    int spare = frameSize;
    for (int i = 0; i < 3; ++i) {
        if (!flat[i]) continue;
        Vector4 axis = axes[i] + frame[spare++] * kTolerance;
        for (int r = 0; r < 3; ++r) result.m[4 * i + r] = axis[r];
    }
    return result;
}

}  // namespace

const Matrix4& OrientedBox::inverse() const {
    if (!inverseValid_) {
        if (!matrix_.invert(inverse_) && !thickened(matrix_).invert(inverse_)) inverse_ = Matrix4();
        inverseValid_ = true;
    }
    return inverse_;
}

std::array<Vector4, 8> OrientedBox::corners() const {
    std::array<Vector4, 8> points;
    for (int i = 0; i < 8; ++i) {
        Vector4 unit{(i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f, 0.0f};
        points[i] = matrix_.transformPoint(unit);
    }
    return points;
}

std::unique_ptr<OrientedBox> OrientedBox::transformed(const Matrix4& a) const {
    return std::make_unique<OrientedBox>(multiply(a, matrix_));
}

bool OrientedBox::contains(const Vector4& p) const {
    Vector4 q = inverse().transformPoint(p);
    for (int axis = 0; axis < 3; ++axis)
        if (!(q[axis] >= -1.0f && q[axis] <= 1.0f)) return false;
    return true;
}

Vector4 OrientedBox::closestPoint(const Vector4& p) const {
    Vector4 q = inverse().transformPoint(p);
    for (int axis = 0; axis < 3; ++axis) q[axis] = std::clamp(q[axis], -1.0f, 1.0f);
    return matrix_.transformPoint(q);
}

int OrientedBox::classify(const Plane& plane) const {
    // The plane in the cube's own space, unnormalised: n' = M^T n, d' = n . centre + d.
    // Needs no inverse, so flat boxes classify too.
    Vector4 centre = column(matrix_, 3);
    float dLocal = plane.distance(centre);
    float reach = std::fabs(dot3(plane.normal, column(matrix_, 0))) +
                  std::fabs(dot3(plane.normal, column(matrix_, 1))) +
                  std::fabs(dot3(plane.normal, column(matrix_, 2)));
    int sides = 0;
    if (dLocal - reach < 0.0f) sides |= kNegativeSide;
    if (dLocal + reach > 0.0f) sides |= kPositiveSide;
    return sides;
}

}  // namespace arvel
