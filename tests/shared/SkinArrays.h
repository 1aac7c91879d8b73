// The arrays a skinning job reads and writes, owned together, and the job over them.
#pragma once

#include <cstdint>
#include <vector>

#include "world/Skinning.h"

namespace arvel::test {

struct SkinArrays {
    std::vector<RenderPosition> bind;
    std::vector<int32_t> influenceStart;
    std::vector<SkinInfluence> influences;
    std::vector<Matrix4> skin;
    std::vector<int32_t> vertexStart;
    std::vector<SkinVertexSource> sources;
    std::vector<RenderPosition> positions;  // the output
    std::vector<RenderVertex> vertices;

    SkinJob job() {
        SkinJob j;
        j.positionCount = static_cast<int>(bind.size());
        j.bindPositions = bind.data();
        j.influenceStart = influenceStart.data();
        j.influences = influences.data();
        j.skinMatrices = skin.data();
        j.vertexStart = vertexStart.data();
        j.vertexSources = sources.data();
        j.positions = positions.data();
        j.vertices = vertices.data();
        return j;
    }
};

}  // namespace arvel::test
