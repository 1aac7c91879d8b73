#include "level/NodeTransform.h"

#include <tiny_gltf.h>

#include <algorithm>

namespace arvel::level {

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k) m[4 * c + r] += a[4 * k + r] * b[4 * c + k];
    return m;
}

Vec3 transformPoint(const Matrix& m, const Vec3& p) {
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
            m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

Vec3 transformDirection(const Matrix& m, const Vec3& d) {
    return {m[0] * d.x + m[4] * d.y + m[8] * d.z, m[1] * d.x + m[5] * d.y + m[9] * d.z,
            m[2] * d.x + m[6] * d.y + m[10] * d.z};
}

double determinant3(const Matrix& m) {
    return dot(Vec3{m[0], m[1], m[2]}, cross(Vec3{m[4], m[5], m[6]}, Vec3{m[8], m[9], m[10]}));
}

Matrix localMatrix(const tinygltf::Node& node) {
    if (node.matrix.size() == 16) {
        Matrix m;
        std::copy(node.matrix.begin(), node.matrix.end(), m.begin());
        return m;
    }
    Matrix m = kIdentity;
    if (node.rotation.size() == 4) {
        const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2],
                     w = node.rotation[3];
        m = {1 - 2 * (y * y + z * z),
             2 * (x * y + z * w),
             2 * (x * z - y * w),
             0,
             2 * (x * y - z * w),
             1 - 2 * (x * x + z * z),
             2 * (y * z + x * w),
             0,
             2 * (x * z + y * w),
             2 * (y * z - x * w),
             1 - 2 * (x * x + y * y),
             0,
             0,
             0,
             0,
             1};
    }
    if (node.scale.size() == 3) {
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r) m[4 * c + r] *= node.scale[static_cast<size_t>(c)];
    }
    if (node.translation.size() == 3) {
        for (int r = 0; r < 3; ++r) m[12 + r] = node.translation[static_cast<size_t>(r)];
    }
    return m;
}

}  // namespace arvel::level
