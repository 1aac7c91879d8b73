// Pseudo-random numbers that are the same on every platform. The C library's rand()
// is not (glibc and the Windows runtime use different generators and ranges), and a
// frame replayed with dbg_frame_ms must draw the same picture on Linux and Windows.
// This is the classic linear congruential generator with 15-bit results; unseeded it
// gives the sequence of a C runtime nobody called srand() on.
#pragma once

#include <cstdint>

namespace arvel {

inline constexpr int kRandomMax = 32767;

class Random {
public:
    explicit Random(uint32_t seed = 1) : state_(seed) {}
    // 0 to kRandomMax.
    int next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    uint32_t state_;
};

}  // namespace arvel
