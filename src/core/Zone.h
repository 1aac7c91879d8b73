// Scratch memory for arrays that live during one computation: one 32 MB block, bump
// allocation, emptied as a whole when nobody holds it.
#pragma once

#include <cstdint>

namespace arvel {

struct Zone {
    static constexpr int32_t kBlockSize = 0x2000000;

    uint8_t* base = nullptr;
    int32_t capacity = 0;
    int32_t used = 0;
    int32_t holders = 0;

    // Null (and a fatal box) when the block would overflow; used is then unchanged.
    void* allocate(int bytes);
    // Arrays start at their type's alignment (pointers need 8 bytes on 64-bit
    // systems); the padding is handed out like any other allocation.
    template <typename T>
    T* allocateArray(int count) {
        const uintptr_t at = reinterpret_cast<uintptr_t>(base) + static_cast<uintptr_t>(used);
        const int padding = static_cast<int>((alignof(T) - at % alignof(T)) % alignof(T));
        if (padding > 0 && !allocate(padding)) return nullptr;
        return static_cast<T*>(allocate(count * static_cast<int>(sizeof(T))));
    }
    void resetIfFree() {
        if (holders == 0) used = 0;
    }
    void hold() { ++holders; }
    void release() {
        if (--holders == 0) used = 0;
    }

    // Start-up and shutdown: any old block is freed first.
    void create();
    void destroy();
};

Zone& zone();

}  // namespace arvel
