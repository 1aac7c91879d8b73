// Shadow volumes of static geometry under dynamic lights, built on the CPU once per
// (mesh, light) and kept across frames together with the faces the light reaches,
// grouped by material for its light stage.
#pragma once

#include <list>
#include <memory>
#include <vector>

#include "core/math/BoundingBox.h"
#include "core/math/Vector4.h"
#include "render/RenderBatch.h"
#include "world/VertexArray.h"

namespace arvel {

class Light;
class Mesh;
struct MeshFace;

struct LightCacheEntry {
    // key
    const Mesh* mesh = nullptr;
    const Light* light = nullptr;

    // The faces the light reaches and faces (plane value 0 or more), by material, as
    // indices into the mesh's own vertex array.
    std::vector<std::unique_ptr<RenderBatch>> litGroups;
    std::vector<const MeshFace*> litFaces;  // the same faces, in face order
    // For a mesh whose sector the light stands outside of: the lit faces it can reach
    // through the sector's openings, batched the same way; made on first use.
    std::vector<std::unique_ptr<RenderBatch>> throughGroups;
    bool throughReady = false;
    bool throughAll = false;  // the openings could not narrow anything: use litGroups
    // The closed volume behind the faces turned away from the light: positions only,
    // the nearCount near positions followed by the same pushed away from the light.
    VertexArray vertexArray;
    int nearCount = 0;
    RenderBatch volume;      // its triangles, wound outwards
    RenderBatch openVolume;  // the same without far caps
    BoundingBox bounds;      // every position of the volume, near and far
};

// What the CPU volume build reads; the mesh needs its face planes and edges.
struct CpuVolumeInput {
    const Mesh* mesh = nullptr;
    Vector4 light;
    float radius = 0.0f;  // faces this far away or farther take no part
};

// The volume positions and triangles without the driver: near positions in order of
// first use by a back face, then the far ones; caps of every back face and a side
// quad on each edge that only one back face uses.
struct CpuVolumeGeometry {
    std::vector<Vector4> positions;
    std::vector<uint32_t> indices;
    // Near caps and sides alone. Far caps lie at least radius from the light, where
    // nothing is lit, so a count taken in front of the surfaces from inside the light's
    // sphere never needs them.
    std::vector<uint32_t> openIndices;
    int nearCount = 0;
    std::vector<const MeshFace*> litFaces;  // in face order
    bool complete = true;  // false when the zone refused scratch memory: no volume then
};
CpuVolumeGeometry buildCpuVolumeGeometry(const CpuVolumeInput& input);

// The geometry above as a cache entry: the vertex array in static memory and the lit
// faces batched by material. Never null; without scratch memory it has lit groups
// and an empty volume.
std::unique_ptr<LightCacheEntry> buildCpuShadowVolume(const Mesh& mesh, const Light& light);

// Faces as batches per material over the mesh's own vertices, appended to out.
void buildLitGroups(const std::vector<const MeshFace*>& faces,
                    std::vector<std::unique_ptr<RenderBatch>>& out);

class LightCache {
public:
    LightCache() = default;
    LightCache(const LightCache&) = delete;
    LightCache& operator=(const LightCache&) = delete;

    // Newest first, no reordering; null when absent.
    LightCacheEntry* find(const Mesh* mesh, const Light* light) const;
    // An entry with the same key is replaced where it stands; otherwise, holding
    // capacity entries or more, the oldest goes, and the new one comes first.
    // Entries that leave are only retired: queued draws may still use them until the
    // queue is flushed, so they live until releaseRetired().
    LightCacheEntry& insert(std::unique_ptr<LightCacheEntry> entry, int capacity);
    // find, or build and insert.
    LightCacheEntry& fetch(const Mesh& mesh, const Light& light, int capacity);
    // Call when nothing queued refers to retired entries any more.
    void releaseRetired() { retired_.clear(); }

    int size() const { return static_cast<int>(entries_.size()); }
    int retiredCount() const { return static_cast<int>(retired_.size()); }
    // Entry i counting from the newest; null past the end.
    const LightCacheEntry* at(int i) const;
    // Frees every vertex array; call while the driver is still there.
    void clear();

private:
    std::list<std::unique_ptr<LightCacheEntry>> entries_;  // newest first
    std::vector<std::unique_ptr<LightCacheEntry>> retired_;
};

// The process-wide cache; its capacity is gfx_light_cache, truncated. Entries are keyed
// by address, so whoever destroys meshes or lights (the World, with its maps) must
// clear the cache first; it is never destroyed by itself.
LightCache& lightCache();
int lightCacheCapacity();

}  // namespace arvel
