// The shape of the frame. The projection keeps the 4:3 frame's vertical field of view
// (0.75 units up for every unit ahead) and widens or narrows the horizontal one with
// the window's width / height. Everything that projects (the projection matrix, the
// camera's volume, the volumes of shadow casters, the reference renderer) takes its
// slopes from here, so that they agree at any window size.
#pragma once

#include <cmath>

namespace arvel {

struct FrameShape {
    // Tangents of half the field of view: across and up. The defaults are the 4:3 frame.
    float slopeX = 1.0f;
    float slopeY = 0.75f;

    // The frame of a window of width x height pixels. 0.75 * width / height is exact for
    // whole pixel counts, so a 4:3 window gets slopeX 1 exactly and draws what it always
    // drew. A size that is no window (zero, negative, not a number) keeps 4:3.
    static FrameShape ofWindow(double width, double height) {
        FrameShape shape;
        if (std::isfinite(width) && std::isfinite(height) && width > 0.0 && height > 0.0) {
            const double slope = 0.75 * width / height;
            if (slope > 0.0 && slope < 1e6) shape.slopeX = static_cast<float>(slope);
        }
        return shape;
    }
};

}  // namespace arvel
