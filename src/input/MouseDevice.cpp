#include "input/MouseDevice.h"

namespace arvel {

bool PlatformMouseDevice::open(platform::Window* window) {
    window_ = window;
    return window != nullptr;
}

bool PlatformMouseDevice::setBufferSize(int events) {
    if (events <= 0) return false;
    capacity_ = events;
    return true;
}

void PlatformMouseDevice::fill() {
    platform::MouseEvent events[64];
    for (;;) {
        int count = platform::readMouseEvents(events, 64);
        for (int i = 0; i < count; ++i) {
            buffer_.push_back(events[i]);
            if (static_cast<int>(buffer_.size()) > capacity_) buffer_.pop_front();
        }
        if (count < 64) break;
    }
}

MouseDevice::Result PlatformMouseDevice::next(platform::MouseEvent& event) {
    if (!acquired_) return kNotAcquired;
    fill();
    if (buffer_.empty()) return kEmpty;
    event = buffer_.front();
    buffer_.pop_front();
    return kEvent;
}

bool PlatformMouseDevice::acquire() {
    if (!window_) return false;
    if (!acquired_) {
        if (!platform::setRelativeMouse(window_, true)) return false;
        // Motion from before the acquisition belongs to somebody else.
        platform::MouseEvent discard[64];
        while (platform::readMouseEvents(discard, 64) == 64) {
        }
        buffer_.clear();
        acquired_ = true;
    }
    return true;
}

void PlatformMouseDevice::unacquire() {
    if (acquired_ && window_) platform::setRelativeMouse(window_, false);
    acquired_ = false;
    buffer_.clear();
}

}  // namespace arvel
