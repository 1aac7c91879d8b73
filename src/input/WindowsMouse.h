// The mouse as the frame loop reads it: motion counts since the last poll and the held
// buttons, from a buffered relative device.
#pragma once

#include <cstdint>
#include <memory>

#include "input/MouseDevice.h"

namespace arvel {

class WindowsMouse {
public:
    enum : int32_t { kLeft = 1, kRight = 2, kMiddle = 4 };

    // Throws an Exception when the device cannot be set up. Without a device the
    // platform's relative mouse is used.
    void initialise(platform::Window* window, std::unique_ptr<MouseDevice> device = nullptr);
    void poll();
    void acquire();
    void unacquire();

    int32_t dx() const { return dx_; }
    int32_t dy() const { return dy_; }
    int32_t dz() const { return dz_; }
    int32_t buttons() const { return buttons_; }

private:
    std::unique_ptr<MouseDevice> device_;
    int32_t dx_ = 0, dy_ = 0, dz_ = 0;
    int32_t buttons_ = 0;
};

WindowsMouse& mouse();

}  // namespace arvel
