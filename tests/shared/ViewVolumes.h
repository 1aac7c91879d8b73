// View volumes for portal walks without a camera.
#pragma once

#include <cmath>

#include "world/ViewVolume.h"

namespace arvel::test {

// A 90-degree view from eye looking down +x: four side planes through the eye.
inline ViewVolume lookAlongX(const Vector4& eye) {
    ViewVolume volume;
    volume.viewpoint = eye;
    const float s = std::sqrt(0.5f);
    for (Vector4 n :
         {Vector4{s, 0, s, 0}, Vector4{s, 0, -s, 0}, Vector4{s, s, 0, 0}, Vector4{s, -s, 0, 0}})
        volume.sidePlanes.push_back({n, -dot3(n, eye)});
    volume.finish();
    return volume;
}

}  // namespace arvel::test
