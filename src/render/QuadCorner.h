// One corner of a screen-aligned quad drawn with dRenderQuad: the vertex record points
// at the corner's own position and texture coordinate. Not copyable, as the vertex
// points into itself.
#pragma once

#include "driver/DriverTypes.h"

namespace arvel {

struct QuadCorner {
    RenderPosition position{};
    RenderTexCoord texCoord{};
    RenderVertex vertex{};

    QuadCorner() {
        vertex.position = &position;
        vertex.texCoord = &texCoord;
        vertex.colour[0] = vertex.colour[1] = vertex.colour[2] = vertex.colour[3] = 255;
    }
    QuadCorner(const QuadCorner&) = delete;
    QuadCorner& operator=(const QuadCorner&) = delete;

    void set(float x, float y, float u = 0.0f, float v = 0.0f) {
        position = {x, y, 0.0f, 0.0f};
        texCoord = {u, v};
    }
};

}  // namespace arvel
