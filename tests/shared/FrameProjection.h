// The projection the frame uses, written out independently of the engine's own.
#pragma once

#include "core/math/Matrix4.h"

namespace arvel::test {

// Near 1, 90 degrees across, 4:3, no far plane.
inline Matrix4 frameProjection() {
    Matrix4 p;
    p[0] = 1.0f;
    p[5] = 2.0f / 1.5f;
    p[10] = 0.001f - 1.0f;
    p[11] = -1.0f;
    p[14] = 0.001f - 2.0f;
    p[15] = 0.0f;
    return p;
}

}  // namespace arvel::test
