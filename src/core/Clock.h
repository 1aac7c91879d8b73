// The frame clock: the tick count taken once per frame, read by whatever animates.
#pragma once

#include <cstdint>

namespace arvel {

struct FrameClock {
    uint32_t tickMs = 0;       // the tick count of the current frame
    float timeSeconds = 0.0f;  // tickMs * 0.001

    void set(uint32_t ms) {
        tickMs = ms;
        timeSeconds = static_cast<float>(static_cast<double>(ms) * 0.001);
    }
};

FrameClock& frameClock();

}  // namespace arvel
