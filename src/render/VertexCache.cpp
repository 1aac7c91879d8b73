#include "render/VertexCache.h"

#include <algorithm>
#include <cstring>

#include "core/ZoneScratch.h"

namespace arvel {

namespace {

// The greedy walk over one triangle list. Vertices are renumbered densely (0 ..
// vertexCount - 1) so scratch does not depend on how large the indices are.
struct CacheWalk {
    // input
    const uint32_t* indices = nullptr;
    int triangleCount = 0;
    // temp
    int* corners = nullptr;       // dense vertex number of every corner
    int* rowStart = nullptr;      // vertexCount + 1: where each vertex's triangles begin
    int* rowLength = nullptr;     // live entries; emitted triangles are dropped lazily
    int* rowTriangles = nullptr;  // triangles using each vertex, once per corner
    int* slotOf = nullptr;        // cache slot holding each vertex, or -1
    uint8_t* emitted = nullptr;
    int vertexCount = 0;
    int cache[kVertexCacheSize];  // dense vertex number per slot, or -1
    int head = 0;                 // the slot the next miss overwrites
    int lowestUnemitted = 0;
    // output
    uint32_t* order = nullptr;  // 3 * triangleCount
    int emittedCorners = 0;
};

bool allocate(CacheWalk& walk, ZoneScratch& scratch) {
    int64_t cornerCount = 3 * static_cast<int64_t>(walk.triangleCount);
    walk.order = scratch.array<uint32_t>(cornerCount);
    if (!walk.order) return false;
    walk.corners = scratch.array<int>(cornerCount);
    if (!walk.corners) return false;

    // Distinct vertices: sort a copy of the indices (in the output buffer, unused yet).
    std::memcpy(walk.order, walk.indices, cornerCount * sizeof(uint32_t));
    std::sort(walk.order, walk.order + cornerCount);
    walk.vertexCount =
        static_cast<int>(std::unique(walk.order, walk.order + cornerCount) - walk.order);
    for (int64_t i = 0; i < cornerCount; ++i) {
        const uint32_t* found =
            std::lower_bound(walk.order, walk.order + walk.vertexCount, walk.indices[i]);
        walk.corners[i] = static_cast<int>(found - walk.order);
    }

    walk.rowStart = scratch.array<int>(walk.vertexCount + 1);
    walk.rowLength = walk.rowStart ? scratch.array<int>(walk.vertexCount) : nullptr;
    walk.rowTriangles = walk.rowLength ? scratch.array<int>(cornerCount) : nullptr;
    walk.slotOf = walk.rowTriangles ? scratch.array<int>(walk.vertexCount) : nullptr;
    walk.emitted = walk.slotOf ? scratch.array<uint8_t>(walk.triangleCount) : nullptr;
    return walk.emitted != nullptr;
}

// Every vertex gets the list of triangles that use it, in triangle order; a vertex
// used by many triangles simply has a long row.
void buildRows(CacheWalk& walk) {
    int cornerCount = 3 * walk.triangleCount;
    std::fill(walk.rowStart, walk.rowStart + walk.vertexCount + 1, 0);
    for (int i = 0; i < cornerCount; ++i) ++walk.rowStart[walk.corners[i] + 1];
    for (int v = 0; v < walk.vertexCount; ++v) walk.rowStart[v + 1] += walk.rowStart[v];
    std::fill(walk.rowLength, walk.rowLength + walk.vertexCount, 0);
    for (int i = 0; i < cornerCount; ++i) {
        int v = walk.corners[i];
        walk.rowTriangles[walk.rowStart[v] + walk.rowLength[v]++] = i / 3;
    }
    std::fill(walk.slotOf, walk.slotOf + walk.vertexCount, -1);
    std::fill(walk.emitted, walk.emitted + walk.triangleCount, uint8_t{0});
    std::fill(walk.cache, walk.cache + kVertexCacheSize, -1);
}

// A triangle scores only through cached corners, so only the rows of the cached
// vertices can hold a triangle scoring above 0; when none does, every unemitted
// triangle scores 0 and the lowest-numbered one is next.
int chooseNext(CacheWalk& walk) {
    int slotScore[kVertexCacheSize];
    for (int s = 0; s < kVertexCacheSize; ++s) {
        int age = (walk.head - s + kVertexCacheSize) % kVertexCacheSize;
        slotScore[s] = kVertexCacheSize + (age == 0 ? kVertexCacheSize : age);
    }
    auto cornerScore = [&](int corner) {
        int slot = walk.slotOf[walk.corners[corner]];
        return slot < 0 ? 0 : slotScore[slot];
    };

    int best = -1;
    int bestScore = 0;
    for (int s = 0; s < kVertexCacheSize; ++s) {
        int v = walk.cache[s];
        if (v < 0) continue;
        int* row = walk.rowTriangles + walk.rowStart[v];
        int& length = walk.rowLength[v];
        for (int i = 0; i < length;) {
            int t = row[i];
            if (walk.emitted[t]) {
                row[i] = row[--length];
                continue;
            }
            int score = cornerScore(3 * t) + cornerScore(3 * t + 1) + cornerScore(3 * t + 2);
            if (score > bestScore || (score == bestScore && t < best)) {
                best = t;
                bestScore = score;
            }
            ++i;
        }
    }
    if (best >= 0) return best;
    while (walk.emitted[walk.lowestUnemitted]) ++walk.lowestUnemitted;
    return walk.lowestUnemitted;
}

void emit(CacheWalk& walk, int t) {
    for (int k = 0; k < 3; ++k) {
        int v = walk.corners[3 * t + k];
        if (walk.slotOf[v] < 0) {
            int evicted = walk.cache[walk.head];
            if (evicted >= 0) walk.slotOf[evicted] = -1;
            walk.cache[walk.head] = v;
            walk.slotOf[v] = walk.head;
            walk.head = (walk.head + 1) % kVertexCacheSize;
        }
        walk.order[walk.emittedCorners++] = walk.indices[3 * t + k];
    }
    walk.emitted[t] = 1;
}

}  // namespace

bool optimizeVertexCache(uint32_t* indices, int triangleCount) {
    if (triangleCount <= 0 || !indices) return true;
    ZoneScratch scratch;
    CacheWalk walk;
    walk.indices = indices;
    walk.triangleCount = triangleCount;
    if (!allocate(walk, scratch)) return false;
    buildRows(walk);
    for (int n = 0; n < triangleCount; ++n) emit(walk, chooseNext(walk));
    std::memcpy(indices, walk.order, 3 * static_cast<size_t>(triangleCount) * sizeof(uint32_t));
    return true;
}

int countVertexCacheMisses(const uint32_t* indices, int triangleCount) {
    int64_t cache[kVertexCacheSize];
    std::fill(cache, cache + kVertexCacheSize, int64_t{-1});
    int head = 0;
    int misses = 0;
    for (int64_t i = 0; i < 3 * static_cast<int64_t>(triangleCount); ++i) {
        int64_t v = indices[i];
        if (std::find(cache, cache + kVertexCacheSize, v) != cache + kVertexCacheSize) continue;
        cache[head] = v;
        head = (head + 1) % kVertexCacheSize;
        ++misses;
    }
    return misses;
}

}  // namespace arvel
