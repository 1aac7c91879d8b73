// A mesh is drawn batch by batch: the faces of one material (and, for skinned meshes,
// of at most 16 bones, the bone matrices one pass can bind) as one cache-ordered list
// of 32-bit triangle indices into the mesh's vertex array, drawn with one dVARender.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace arvel {

class Material;
struct DVertexArray;

// One face as batching sees it; the arrays belong to the caller.
struct BatchFace {
    const Material* material = nullptr;
    const uint32_t* corners = nullptr;  // vertex indices, winding order
    int cornerCount = 0;
    const int* bones = nullptr;  // the distinct bones moving its corners (none when static)
    int boneCount = 0;
};

// The bones influencing each vertex: those of vertex v are bones[start[v]] up to
// bones[start[v + 1] - 1]. Precondition: start has vertexCount + 1 ascending entries.
struct VertexBoneSets {
    const int* start = nullptr;
    const int* bones = nullptr;
    int vertexCount = 0;
};

// A face's bone list: the distinct bones of its corners' vertices, in corner order.
// Corners outside the sets contribute nothing.
std::vector<int> collectFaceBones(const uint32_t* corners, int cornerCount,
                                  const VertexBoneSets& sets);

class RenderBatch {
public:
    static constexpr int kMaxBones = 16;

    const Material* material = nullptr;  // of all its faces; the render queue sorts by it
    int keyCount = -1;                   // bone-list length its faces share; -1 while fresh
    std::vector<int> keySet;             // distinct bones of its faces
    int faceCount = 0;
    std::vector<uint32_t> indices;  // three per triangle, cache-ordered

    RenderBatch() { keySet.reserve(kMaxBones); }

    int indexCount() const { return static_cast<int>(indices.size()); }

    // A fresh batch takes any face; otherwise the face needs the batch's material, a
    // bone list of the same length, and at most 16 distinct bones once added.
    bool accepts(const BatchFace& face) const;
    void addFace(const BatchFace& face);

    // Fan-triangulates the faces, (c0, ck, ck+1) for k = 1 .. corners - 2, in order, and
    // orders the triangles for the vertex cache; faces of fewer than three corners add
    // nothing. The list is sized from the faces themselves. Returns false when the zone
    // refused scratch memory: the triangles then stay in face order.
    bool buildIndices(const BatchFace* const* faces, int faceCount);

    // One triangle list of 32-bit indices from the bound vertex array.
    void draw(DVertexArray* array) const;
};

// Groups faces into batches appended to out: faces are taken in order of material
// (face order within one material); each face goes to the last batch of its material
// that accepts it, or to a new one, so every face belongs to exactly one batch.
// Returns false when some batch could not be cache-ordered (see buildIndices); its
// triangles are still all there.
bool buildRenderBatches(const BatchFace* faces, int faceCount,
                        std::vector<std::unique_ptr<RenderBatch>>& out);

}  // namespace arvel
