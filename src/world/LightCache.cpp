#include "world/LightCache.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "console/Settings.h"
#include "core/ZoneScratch.h"
#include "world/Light.h"
#include "world/Mesh.h"
#include "world/ShadowGeometry.h"

namespace arvel {

namespace {

constexpr int kPositionsOnly = 1;

uint32_t positionIndex(const MeshFace& face, int corner) {
    const MeshPosition* p = face.corners[static_cast<size_t>(corner)]->meshPosition();
    return p ? static_cast<uint32_t>(p->index) : 0u;
}

// Faces the light reaches, split by the side of their plane the light is on.
struct FaceSplit {
    std::vector<const MeshFace*> back;
    std::vector<const MeshFace*> lit;
    float extrusion = 0.0f;  // the largest radius / distance among back faces
};

FaceSplit splitFaces(const Mesh& mesh, const Vector4& light, float radius) {
    FaceSplit split;
    for (int i = 0; i < mesh.faceCount(); ++i) {
        const MeshFace& face = mesh.face(i);
        const float distance = distanceToFace(light, face);
        const float reach = distance > 0.0f ? radius / distance : kNoHit;
        if (!(reach > 1.0f)) continue;
        if (face.plane.distance(light) < 0.0f) {
            split.back.push_back(&face);
            split.extrusion = std::max(split.extrusion, reach);
        } else {
            split.lit.push_back(&face);
        }
    }
    return split;
}

// Near positions in order of first use; nearIndex maps a mesh position to its slot.
void collectNearPositions(const FaceSplit& split, const Vector4& light, int* nearIndex,
                          CpuVolumeGeometry& out) {
    std::vector<Vector4> near;
    for (const MeshFace* face : split.back) {
        for (int c = 0; c < face->cornerCount(); ++c) {
            const uint32_t p = positionIndex(*face, c);
            if (nearIndex[p] >= 0) continue;
            nearIndex[p] = static_cast<int>(near.size());
            near.push_back(face->cornerPoint(c));
        }
    }
    const float k = split.extrusion;
    out.nearCount = static_cast<int>(near.size());
    out.positions = near;
    for (const Vector4& p : near) out.positions.push_back(light + (p - light) * k);
}

// Both caps face out of the volume: the near cap (the back face itself) towards the
// light, the far cap away from it.
void addCaps(const FaceSplit& split, const int* nearIndex, CpuVolumeGeometry& out) {
    const uint32_t c = static_cast<uint32_t>(out.nearCount);
    for (const MeshFace* face : split.back) {
        const int n = face->cornerCount();
        if (n < 3) continue;
        const uint32_t a0 = static_cast<uint32_t>(nearIndex[positionIndex(*face, 0)]);
        for (int w = 1; w + 1 < n; ++w) {
            const uint32_t aw = static_cast<uint32_t>(nearIndex[positionIndex(*face, w)]);
            const uint32_t an = static_cast<uint32_t>(nearIndex[positionIndex(*face, w + 1)]);
            out.indices.insert(out.indices.end(), {a0, an, aw});
            out.indices.insert(out.indices.end(), {a0 + c, aw + c, an + c});
            out.openIndices.insert(out.openIndices.end(), {a0, an, aw});
        }
    }
}

// A side quad on every edge that exactly one back face uses, ends in that face's
// winding, which turns the quad out of the volume.
void addSides(const Mesh& mesh, const FaceSplit& split, const int* nearIndex, int* edgeUses,
              CpuVolumeGeometry& out) {
    for (const MeshFace* face : split.back)
        for (const MeshEdge* edge : face->edges)
            if (edge && edge->index >= 0 && edge->index < mesh.edgeCount()) ++edgeUses[edge->index];
    const uint32_t c = static_cast<uint32_t>(out.nearCount);
    for (const MeshFace* face : split.back) {
        const int n = face->cornerCount();
        if (static_cast<int>(face->edges.size()) != n) continue;
        for (int i = 0; i < n; ++i) {
            const MeshEdge* edge = face->edges[static_cast<size_t>(i)];
            if (!edge || edge->index < 0 || edge->index >= mesh.edgeCount()) continue;
            if (edgeUses[edge->index] != 1) continue;
            const uint32_t a = static_cast<uint32_t>(nearIndex[positionIndex(*face, i)]);
            const uint32_t b = static_cast<uint32_t>(nearIndex[positionIndex(*face, (i + 1) % n)]);
            for (auto* list : {&out.indices, &out.openIndices}) {
                list->insert(list->end(), {a, b, b + c});
                list->insert(list->end(), {a, b + c, a + c});
            }
        }
    }
}

}  // namespace

CpuVolumeGeometry buildCpuVolumeGeometry(const CpuVolumeInput& input) {
    CpuVolumeGeometry out;
    if (!input.mesh) return out;
    const Mesh& mesh = *input.mesh;
    FaceSplit split = splitFaces(mesh, input.light, input.radius);
    out.litFaces = split.lit;
    if (split.back.empty()) return out;

    ZoneScratch scratch;
    int* nearIndex = scratch.array(mesh.positionCount(), -1);
    int* edgeUses = scratch.array(mesh.edgeCount(), 0);
    if (!nearIndex || !edgeUses) {
        out.complete = false;
        return out;
    }
    collectNearPositions(split, input.light, nearIndex, out);
    addCaps(split, nearIndex, out);
    addSides(mesh, split, nearIndex, edgeUses, out);
    return out;
}

void buildLitGroups(const std::vector<const MeshFace*>& faces,
                    std::vector<std::unique_ptr<RenderBatch>>& out) {
    size_t cornerTotal = 0;
    for (const MeshFace* face : faces) cornerTotal += face->corners.size();
    std::vector<uint32_t> corners;
    corners.reserve(cornerTotal);
    std::vector<BatchFace> batchFaces;
    batchFaces.reserve(faces.size());
    for (const MeshFace* face : faces) {
        BatchFace batchFace;
        batchFace.material = face->material;
        batchFace.corners = corners.data() + corners.size();
        batchFace.cornerCount = face->cornerCount();
        for (const MeshVertex* vertex : face->corners)
            corners.push_back(static_cast<uint32_t>(vertex->index));
        batchFaces.push_back(batchFace);
    }
    buildRenderBatches(batchFaces.data(), static_cast<int>(batchFaces.size()), out);
}

namespace {

// The positions handed to the driver as position-only render vertices.
bool writeVolumeArray(const std::vector<Vector4>& positions, VertexArray& array) {
    const int count = static_cast<int>(positions.size());
    ZoneScratch scratch;
    auto* records = scratch.array<RenderPosition>(count);
    auto* vertices = scratch.array<RenderVertex>(count);
    if (!records || !vertices) return false;
    static const RenderTexCoord kNoTexCoord{0.0f, 0.0f};
    for (int i = 0; i < count; ++i) {
        const Vector4& p = positions[static_cast<size_t>(i)];
        records[i] = {p.x, p.y, p.z, 0.0f};
        std::memset(&vertices[i], 0, sizeof(RenderVertex));
        vertices[i].position = &records[i];
        vertices[i].texCoord = &kNoTexCoord;
    }
    return array.create(vertices, count, kPositionsOnly, dcode::kMemoryStatic);
}

}  // namespace

std::unique_ptr<LightCacheEntry> buildCpuShadowVolume(const Mesh& mesh, const Light& light) {
    auto entry = std::make_unique<LightCacheEntry>();
    entry->mesh = &mesh;
    entry->light = &light;
    CpuVolumeGeometry geometry = buildCpuVolumeGeometry({&mesh, light.position, light.outerRadius});
    buildLitGroups(geometry.litFaces, entry->litGroups);
    entry->litFaces = geometry.litFaces;
    if (geometry.nearCount > 0 && writeVolumeArray(geometry.positions, entry->vertexArray)) {
        entry->nearCount = geometry.nearCount;
        entry->volume.indices = std::move(geometry.indices);
        entry->volume.faceCount = entry->volume.indexCount() / 3;
        entry->openVolume.indices = std::move(geometry.openIndices);
        entry->openVolume.faceCount = entry->openVolume.indexCount() / 3;
        for (const Vector4& p : geometry.positions) entry->bounds.extend(p);
    }
    return entry;
}

// ---- the cache ------------------------------------------------------------------------

LightCacheEntry* LightCache::find(const Mesh* mesh, const Light* light) const {
    for (const auto& entry : entries_)
        if (entry->mesh == mesh && entry->light == light) return entry.get();
    return nullptr;
}

LightCacheEntry& LightCache::insert(std::unique_ptr<LightCacheEntry> entry, int capacity) {
    for (auto& held : entries_) {
        if (held->mesh == entry->mesh && held->light == entry->light) {
            retired_.push_back(std::move(held));
            held = std::move(entry);
            return *held;
        }
    }
    if (!entries_.empty() && size() >= capacity) {
        retired_.push_back(std::move(entries_.back()));
        entries_.pop_back();
    }
    entries_.push_front(std::move(entry));
    return *entries_.front();
}

LightCacheEntry& LightCache::fetch(const Mesh& mesh, const Light& light, int capacity) {
    if (LightCacheEntry* entry = find(&mesh, &light)) return *entry;
    return insert(buildCpuShadowVolume(mesh, light), capacity);
}

const LightCacheEntry* LightCache::at(int i) const {
    if (i < 0 || i >= size()) return nullptr;
    auto it = entries_.begin();
    std::advance(it, i);
    return it->get();
}

void LightCache::clear() {
    entries_.clear();
    retired_.clear();
}

LightCache& lightCache() {
    // Never destroyed at exit: by then the driver's context may be gone, so freeing
    // vertex arrays is the World's job (clear) while the driver is still there.
    static LightCache* cache = new LightCache();
    return *cache;
}

int lightCacheCapacity() {
    // The setting is a double: keep its truncation within int (NaN and negatives are 0).
    const double value = settings().gfxLightCache.number;
    if (!(value > 0.0)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

}  // namespace arvel
