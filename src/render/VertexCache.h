// Triangle order for the post-transform vertex cache: a greedy walk that simulates a
// 12-entry first-in first-out cache and always emits the triangle whose corners sit in
// the cache (the older the entry, the more urgent), so shared vertices are transformed
// once while they are still cached.
#pragma once

#include <cstdint>

namespace arvel {

inline constexpr int kVertexCacheSize = 12;

// Reorders the triangles of a list of 3 * triangleCount vertex indices, in place.
//
// Greedy rule: a triangle scores, for each corner whose vertex is in the simulated
// cache, 12 plus the age of its entry (1 newest .. 12 oldest); the unemitted triangle
// with the highest score goes next, ties to the lowest triangle number (so triangle 0
// is first). Emitting a corner that misses pushes it into the cache, evicting the
// oldest entry.
//
// Cost: proportional to the triangles times the triangles using the cached vertices
// (small for ordinary meshes; a vertex shared by very many triangles makes it slow).
// Scratch memory comes from the zone and grows with the triangle count only, not with
// the index values.
//
// Preconditions: indices holds 3 * triangleCount entries (null with a count of 0).
// Returns false, leaving the list as it was, when the zone refuses the scratch memory
// (the zone reports that itself); a count of 0 or less is a successful no-op.
bool optimizeVertexCache(uint32_t* indices, int triangleCount);

// Misses of a 12-entry FIFO cache replaying the list from empty: the vertices the
// hardware would transform. Preconditions as above; allocates nothing.
int countVertexCacheMisses(const uint32_t* indices, int triangleCount);

}  // namespace arvel
