#include "render/RenderBatch.h"

#include <algorithm>
#include <functional>
#include <numeric>

#include "driver/Driver.h"
#include "render/VertexCache.h"

namespace arvel {

namespace {

bool contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

int64_t fanIndexCount(const BatchFace* const* faces, int faceCount) {
    int64_t count = 0;
    for (int f = 0; f < faceCount; ++f) count += 3 * std::max(0, faces[f]->cornerCount - 2);
    return count;
}

}  // namespace

std::vector<int> collectFaceBones(const uint32_t* corners, int cornerCount,
                                  const VertexBoneSets& sets) {
    std::vector<int> bones;
    for (int c = 0; c < cornerCount; ++c) {
        uint32_t v = corners[c];
        if (v >= static_cast<uint32_t>(std::max(sets.vertexCount, 0))) continue;
        for (int i = sets.start[v]; i < sets.start[v + 1]; ++i) {
            if (!contains(bones, sets.bones[i])) bones.push_back(sets.bones[i]);
        }
    }
    return bones;
}

bool RenderBatch::accepts(const BatchFace& face) const {
    if (!material && keyCount == -1) return true;
    if (face.material != material || face.boneCount != keyCount) return false;
    int distinct = static_cast<int>(keySet.size());
    for (int i = 0; i < face.boneCount; ++i) {
        if (!contains(keySet, face.bones[i])) ++distinct;
    }
    return distinct <= kMaxBones;
}

void RenderBatch::addFace(const BatchFace& face) {
    if (!material) material = face.material;
    keyCount = face.boneCount;
    for (int i = 0; i < face.boneCount; ++i) {
        if (!contains(keySet, face.bones[i])) keySet.push_back(face.bones[i]);
    }
    ++faceCount;
}

bool RenderBatch::buildIndices(const BatchFace* const* faces, int faceCount) {
    indices.clear();
    indices.reserve(static_cast<size_t>(fanIndexCount(faces, faceCount)));
    for (int f = 0; f < faceCount; ++f) {
        const BatchFace& face = *faces[f];
        for (int k = 1; k + 1 < face.cornerCount; ++k) {
            indices.push_back(face.corners[0]);
            indices.push_back(face.corners[k]);
            indices.push_back(face.corners[k + 1]);
        }
    }
    return optimizeVertexCache(indices.data(), static_cast<int>(indices.size() / 3));
}

void RenderBatch::draw(DVertexArray* array) const {
    if (!gDriver.dVARender) return;  // a plug-in may lack any drawing function
    gDriver.dVARender(array, indices.data(), static_cast<unsigned>(indices.size()),
                      dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
}

bool buildRenderBatches(const BatchFace* faces, int faceCount,
                        std::vector<std::unique_ptr<RenderBatch>>& out) {
    std::vector<int> order(static_cast<size_t>(std::max(faceCount, 0)));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [faces](int a, int b) {
        return std::less<const Material*>()(faces[a].material, faces[b].material);
    });

    // The faces of each batch, in face order within their material.
    std::vector<std::vector<const BatchFace*>> members;
    size_t firstNew = out.size();
    size_t runStart = out.size();
    for (size_t i = 0; i < order.size(); ++i) {
        const BatchFace& face = faces[order[i]];
        if (i > 0 && face.material != faces[order[i - 1]].material) runStart = out.size();

        // Only batches of this material's run are offered the face; the last that
        // accepts it takes it (only that one, so its bones and count are its own).
        size_t taker = out.size();
        for (size_t b = runStart; b < out.size(); ++b) {
            if (out[b]->accepts(face)) taker = b;
        }
        if (taker == out.size()) {
            out.push_back(std::make_unique<RenderBatch>());
            members.emplace_back();
        }
        out[taker]->addFace(face);
        members[taker - firstNew].push_back(&face);
    }

    bool ordered = true;
    for (size_t b = 0; b < members.size(); ++b) {
        const auto& faceList = members[b];
        if (!out[firstNew + b]->buildIndices(faceList.data(), static_cast<int>(faceList.size()))) {
            ordered = false;
        }
    }
    return ordered;
}

}  // namespace arvel
