// Index lists for vertex-cache work: a regular grid and the same triangles in a
// shuffled order.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace arvel::test {

// A grid of columns x rows quads, two triangles each, in row order.
inline std::vector<uint32_t> gridTriangles(int columns, int rows) {
    std::vector<uint32_t> indices;
    indices.reserve(6 * static_cast<size_t>(columns) * static_cast<size_t>(rows));
    const uint32_t stride = static_cast<uint32_t>(columns) + 1;
    for (uint32_t y = 0; y < static_cast<uint32_t>(rows); ++y) {
        for (uint32_t x = 0; x < static_cast<uint32_t>(columns); ++x) {
            const uint32_t a = y * stride + x, b = a + 1, c = a + stride, d = c + 1;
            indices.insert(indices.end(), {a, b, d, a, d, c});
        }
    }
    return indices;
}

// The same triangles, each kept whole, in an order fixed by seed.
inline std::vector<uint32_t> shuffledTriangles(std::vector<uint32_t> indices, unsigned seed = 7) {
    std::vector<std::array<uint32_t, 3>> triangles(indices.size() / 3);
    for (size_t t = 0; t < triangles.size(); ++t)
        std::copy_n(&indices[3 * t], 3, triangles[t].begin());
    std::shuffle(triangles.begin(), triangles.end(), std::mt19937(seed));
    for (size_t t = 0; t < triangles.size(); ++t)
        std::copy_n(triangles[t].begin(), 3, &indices[3 * t]);
    return indices;
}

}  // namespace arvel::test
