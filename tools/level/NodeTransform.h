// Node transforms of a glTF scene: glTF's column-major 4 x 4 matrices, built from a
// node's matrix or its translation, rotation and scale, and applied to points.
#pragma once

#include <array>

#include "level/Geometry.h"

namespace tinygltf {
struct Node;
}

namespace arvel::level {

// Column-major, as glTF stores matrices.
using Matrix = std::array<double, 16>;

constexpr Matrix kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

Matrix multiply(const Matrix& a, const Matrix& b);
Vec3 transformPoint(const Matrix& m, const Vec3& p);
Vec3 transformDirection(const Matrix& m, const Vec3& d);
// Of the upper 3 x 3: below 0 for a mirroring transform.
double determinant3(const Matrix& m);
// The node's own transform: its matrix, or translation x rotation x scale.
Matrix localMatrix(const tinygltf::Node& node);

}  // namespace arvel::level
