#include "core/Zone.h"

#include <cstdlib>

#include "core/ErrorReport.h"

namespace arvel {

void* Zone::allocate(int bytes) {
    // A negative request would hand back memory already given out.
    if (bytes < 0) {
        SetErrorLocation(24, "include\\Zone");
        FatalError("Zone cannot allocate %d bytes\n", bytes);
        return nullptr;
    }
    if (static_cast<int64_t>(used) + bytes > capacity) {
        SetErrorLocation(24, "include\\Zone");
        FatalError("Zone busted, more than %d bytes used\n", capacity);
        return nullptr;
    }
    void* block = base + used;
    used += bytes;
    return block;
}

void Zone::create() {
    destroy();
    base = static_cast<uint8_t*>(malloc(kBlockSize));
    // Without a block every allocation fails through the busted check.
    capacity = base ? kBlockSize : 0;
}

void Zone::destroy() {
    free(base);
    base = nullptr;
    capacity = 0;
    used = 0;
    holders = 0;
}

Zone& zone() {
    static Zone instance;
    return instance;
}

}  // namespace arvel
