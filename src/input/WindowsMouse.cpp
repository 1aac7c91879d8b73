#include "input/WindowsMouse.h"

#include "core/Exception.h"
#ifdef _WIN32
#include "input/DirectInputMouseDevice.h"
#endif

namespace arvel {

namespace {
constexpr const char* kLocation = "Input\\WindowsMouse";
}

void WindowsMouse::initialise(platform::Window* window, std::unique_ptr<MouseDevice> device) {
#ifdef _WIN32
    using SystemMouseDevice = DirectInputMouseDevice;
#else
    using SystemMouseDevice = PlatformMouseDevice;
#endif
    device_ = device ? std::move(device) : std::make_unique<SystemMouseDevice>();
    if (!device_->open(window)) {
        device_.reset();
        throw new Exception(33, kLocation, "No mouse detected");
    }
    if (!device_->setBufferSize(MouseDevice::kBufferSize)) {
        device_.reset();
        throw new Exception(79, kLocation, "Could not set mouse cooperative level");
    }
    dx_ = dy_ = dz_ = 0;
    buttons_ = 0;
}

void WindowsMouse::poll() {
    dx_ = dy_ = dz_ = 0;
    if (!device_) return;
    platform::MouseEvent event{};
    // One re-acquisition per poll: a device that stays unavailable (the window is in
    // the background) ends the poll instead of spinning forever.
    bool reacquired = false;
    for (;;) {
        MouseDevice::Result result = device_->next(event);
        if (result == MouseDevice::kNotAcquired) {
            buttons_ = 0;
            if (reacquired || !device_->acquire()) return;
            reacquired = true;
            continue;
        }
        if (result != MouseDevice::kEvent) return;
        switch (event.kind) {
            case platform::MouseEvent::kMotionX:
                dx_ += event.value;
                break;
            case platform::MouseEvent::kMotionY:
                dy_ += event.value;
                break;
            case platform::MouseEvent::kWheel:
                dz_ += event.value;
                break;
            case platform::MouseEvent::kButton:
                if (event.button >= 0 && event.button <= 2) {
                    const int32_t bit = 1 << event.button;
                    buttons_ = event.value ? (buttons_ | bit) : (buttons_ & ~bit);
                }
                break;
        }
    }
}

void WindowsMouse::acquire() {
    buttons_ = 0;
    if (device_) device_->acquire();
}

void WindowsMouse::unacquire() {
    buttons_ = 0;
    if (device_) device_->unacquire();
}

WindowsMouse& mouse() {
    static WindowsMouse instance;
    return instance;
}

}  // namespace arvel
