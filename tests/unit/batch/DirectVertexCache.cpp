#include "DirectVertexCache.h"

#include <algorithm>

namespace arvel::test {

namespace {

constexpr int kSlots = 12;

int ageOf(int head, int slot) {
    int age = ((head - slot) % kSlots + kSlots) % kSlots;
    return age == 0 ? kSlots : age;
}

}  // namespace

std::vector<uint32_t> directVertexCacheOrder(const std::vector<uint32_t>& indices) {
    int n = static_cast<int>(indices.size() / 3);
    if (n == 0) return indices;
    uint32_t vertexCount = 1 + *std::max_element(indices.begin(), indices.end());

    // Score per triangle, and per vertex the triangles using it (a row per vertex that
    // grows past 100 entries when it must).
    std::vector<int> score(n, 0);
    std::vector<std::vector<int>> table(vertexCount);
    for (int t = 0; t < n; ++t) {
        for (int k = 0; k < 3; ++k) table[indices[3 * t + k]].push_back(t);
    }

    int64_t cache[kSlots];
    std::fill(cache, cache + kSlots, int64_t{-1});
    int head = 0;
    std::vector<bool> emitted(n, false);
    std::vector<uint32_t> out;

    for (int step = 0; step < n; ++step) {
        int best = -1;
        for (int t = 0; t < n; ++t) {
            if (!emitted[t] && (best < 0 || score[t] > score[best])) best = t;
        }
        for (int k = 0; k < 3; ++k) {
            uint32_t v = indices[3 * best + k];
            bool hit = std::find(cache, cache + kSlots, int64_t{v}) != cache + kSlots;
            if (!hit) {
                for (int c = 0; c < kSlots; ++c) {
                    if (cache[c] < 0) continue;
                    for (int t : table[cache[c]]) score[t] -= kSlots + ageOf(head, c);
                }
                cache[head] = v;
                head = (head + 1) % kSlots;
                for (int c = 0; c < kSlots; ++c) {
                    if (cache[c] < 0) continue;
                    for (int t : table[cache[c]]) score[t] += kSlots + ageOf(head, c);
                }
            }
            out.push_back(v);
        }
        emitted[best] = true;
    }
    return out;
}

}  // namespace arvel::test
