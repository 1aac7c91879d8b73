// The greedy vertex-cache ordering written out step by step, with a full scan for
// every emitted triangle: the reference the fast ordering must match exactly.
#pragma once

#include <cstdint>
#include <vector>

namespace arvel::test {

std::vector<uint32_t> directVertexCacheOrder(const std::vector<uint32_t>& indices);

}  // namespace arvel::test
