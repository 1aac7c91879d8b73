#include "world/SceneNode.h"

#include <cmath>

namespace arvel {

Quaternion Quaternion::normalized() const {
    const float length = std::sqrt(w * w + x * x + y * y + z * z);
    if (!(length > 0.0f) || !std::isfinite(length)) return {};
    return {w / length, x / length, y / length, z / length};
}

Quaternion Quaternion::fromAngleAxis(float angle, const Vector4& axis) {
    const float length = length3(axis);
    if (!(length > kTolerance)) return {};
    const float half = -angle * 0.5f;
    const float s = std::sin(half) / length;
    return Quaternion{std::cos(half), axis.x * s, axis.y * s, axis.z * s}.normalized();
}

void SceneNode::updateLocalMatrix() {
    const float w = orientation.w, x = orientation.x, y = orientation.y, z = orientation.z;
    const float sx = scale.x, sy = scale.y, sz = scale.z;
    float* m = localMatrix.m;
    m[0] = (1.0f - 2.0f * y * y - 2.0f * z * z) * sx;
    m[1] = 2.0f * (x * y + z * w) * sy;
    m[2] = 2.0f * (x * z - y * w) * sz;
    m[3] = 0.0f;
    m[4] = 2.0f * (x * y - z * w) * sx;
    m[5] = (1.0f - 2.0f * x * x - 2.0f * z * z) * sy;
    m[6] = 2.0f * (y * z + x * w) * sz;
    m[7] = 0.0f;
    m[8] = 2.0f * (x * z + y * w) * sx;
    m[9] = 2.0f * (y * z - x * w) * sy;
    m[10] = (1.0f - 2.0f * x * x - 2.0f * y * y) * sz;
    m[11] = 0.0f;
    m[12] = position.x;
    m[13] = position.y;
    m[14] = position.z;
    m[15] = 1.0f;
}

void SceneNode::updateWorldMatrix() {
    worldMatrix = parent ? multiply(parent->worldMatrix, localMatrix) : localMatrix;
}

}  // namespace arvel
