#include "core/math/BoundingBox.h"

#include <algorithm>

#include "core/math/OrientedBox.h"

namespace arvel {

void BoundingBox::extend(const Vector4& p) {
    for (int axis = 0; axis < 3; ++axis) {
        min[axis] = std::min(min[axis], p[axis]);
        max[axis] = std::max(max[axis], p[axis]);
    }
}

void BoundingBox::grow(const BoundingVolume& other) {
    for (const Vector4& corner : other.corners()) extend(corner);
}

void BoundingBox::intersect(const BoundingBox& other) {
    for (int axis = 0; axis < 3; ++axis) {
        min[axis] = std::max(min[axis], other.min[axis]);
        max[axis] = std::min(max[axis], other.max[axis]);
        max[axis] = std::max(max[axis], min[axis]);
    }
}

std::array<Vector4, 8> BoundingBox::corners() const {
    std::array<Vector4, 8> points;
    for (int i = 0; i < 8; ++i)
        points[i] = {(i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z,
                     0.0f};
    return points;
}

Matrix4 BoundingBox::matrix() const {
    Matrix4 b;
    for (int axis = 0; axis < 3; ++axis) {
        float half = (max[axis] - min[axis]) * 0.5f;
        b.m[5 * axis] = half;
        b.m[12 + axis] = min[axis] + half;
    }
    return b;
}

std::unique_ptr<OrientedBox> BoundingBox::transformed(const Matrix4& a) const {
    return std::make_unique<OrientedBox>(multiply(a, matrix()));
}

bool BoundingBox::contains(const Vector4& p) const {
    for (int axis = 0; axis < 3; ++axis)
        if (p[axis] - min[axis] < -kTolerance || max[axis] - p[axis] < -kTolerance) return false;
    return true;
}

Vector4 BoundingBox::closestPoint(const Vector4& p) const {
    Vector4 q = p;
    for (int axis = 0; axis < 3; ++axis)
        q[axis] = std::clamp(p[axis], min[axis], std::max(min[axis], max[axis]));
    return q;
}

int BoundingBox::classify(const Plane& plane) const {
    Vector4 positive, negative;
    for (int axis = 0; axis < 3; ++axis) {
        bool up = plane.normal[axis] > 0.0f;
        positive[axis] = up ? max[axis] : min[axis];
        negative[axis] = up ? min[axis] : max[axis];
    }
    int sides = 0;
    if (plane.distance(negative) < 0.0f) sides |= kNegativeSide;
    if (plane.distance(positive) > 0.0f) sides |= kPositiveSide;
    return sides;
}

namespace {

// Projected x, y of a clip-space point; false when it sits on or behind the eye.
bool project(const Vector4& clip, Vector4& out) {
    if (clip.w <= 1e-6f) return false;
    out = {clip.x / clip.w, clip.y / clip.w, 0.0f, 0.0f};
    return true;
}

}  // namespace

BoundingBox BoundingBox::screenRect(const Matrix4& projection) const {
    if (isEmpty()) return BoundingBox();
    if (contains(Vector4{}))
        return BoundingBox({-1.0f, -1.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 0.0f, 0.0f});

    std::array<Vector4, 8> clip = corners();
    float nearSide[8];  // >= 0 on the visible side of the near plane (z >= -w)
    for (int i = 0; i < 8; ++i) {
        clip[i] = projection.transformProjective(clip[i]);
        nearSide[i] = clip[i].z + clip[i].w;
    }

    // Corners in front of the near plane, and where edges cross it: anything nearer is
    // never drawn, and dividing by a w near zero or below would throw the point across
    // the screen.
    BoundingBox rect;
    Vector4 point;
    for (int i = 0; i < 8; ++i)
        if (nearSide[i] >= 0.0f && project(clip[i], point)) rect.extend(point);
    for (const auto& edge : kEdges) {
        float fa = nearSide[edge[0]], fb = nearSide[edge[1]];
        if ((fa < 0.0f) == (fb < 0.0f)) continue;
        float t = fa / (fa - fb);
        Vector4 crossing = clip[edge[0]] + (clip[edge[1]] - clip[edge[0]]) * t;
        if (project(crossing, point)) rect.extend(point);
    }

    rect.min.x = std::max(rect.min.x, -1.0f);
    rect.min.y = std::max(rect.min.y, -1.0f);
    rect.max.x = std::min(rect.max.x, 1.0f);
    rect.max.y = std::min(rect.max.y, 1.0f);
    rect.min.z = -1.0f;
    rect.max.z = -1.0f;
    return rect;
}

}  // namespace arvel
