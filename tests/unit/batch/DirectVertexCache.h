// The greedy vertex-cache ordering written out step by step, with a full scan for
// every emitted triangle: the reference the fast ordering must match exactly.
#pragma once

#include <cstdint>
#include <vector>

namespace arvel::test {

std::vector<uint32_t> directVertexCacheOrder(const std::vector<uint32_t>& indices);

// A grid of columns x rows quads, two triangles each, in row order.
std::vector<uint32_t> gridTriangles(int columns, int rows);

}  // namespace arvel::test
