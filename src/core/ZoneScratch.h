// Zone memory for one computation. Holds the zone while it lives and, on the way out,
// gives back everything allocated through it even when an outer computation still
// holds the zone, so that many computations under one hold do not pile up.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>

#include "core/Zone.h"

namespace arvel {

class ZoneScratch {
public:
    ZoneScratch() {
        zone().hold();
        mark_ = zone().used;
    }
    ~ZoneScratch() {
        if (zone().used > mark_) zone().used = mark_;
        zone().release();
    }
    ZoneScratch(const ZoneScratch&) = delete;
    ZoneScratch& operator=(const ZoneScratch&) = delete;

    // count items (at least one, so an empty array is not null) aligned for T. Null
    // when the zone refuses, which it reports itself; a size past any zone's is
    // refused the same way. After one refusal every later array is refused without
    // another report, so a computation may check its arrays together.
    template <typename T>
    T* array(int64_t count) {
        if (refused_ || count < 0) {
            refused_ = true;
            return nullptr;
        }
        const int64_t items = std::max<int64_t>(count, 1);
        T* result = items > Zone::kBlockSize / static_cast<int64_t>(sizeof(T))
                        ? static_cast<T*>(zone().allocate(INT_MAX))
                        : zone().allocateArray<T>(static_cast<int>(items));
        if (!result) refused_ = true;
        return result;
    }
    // The same, every item set to value.
    template <typename T>
    T* array(int64_t count, const T& value) {
        T* result = array<T>(count);
        if (result) std::fill(result, result + std::max<int64_t>(count, 1), value);
        return result;
    }

    bool refused() const { return refused_; }

private:
    int32_t mark_ = 0;
    bool refused_ = false;
};

}  // namespace arvel
