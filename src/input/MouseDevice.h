// Where the mouse's events come from: a device with a 16-event buffer that must be
// acquired (while the window is active) before it delivers anything.
#pragma once

#include <deque>

#include "platform/platform.h"

namespace arvel {

class MouseDevice {
public:
    enum Result { kEvent, kEmpty, kNotAcquired, kFailed };
    static constexpr int kBufferSize = 16;

    virtual ~MouseDevice() = default;
    // The initialisation steps; each returns false when the system refuses.
    virtual bool open(platform::Window* window) = 0;
    virtual bool setBufferSize(int events) = 0;
    // The next buffered event, oldest first.
    virtual Result next(platform::MouseEvent& event) = 0;
    virtual bool acquire() = 0;
    virtual void unacquire() = 0;
};

// The platform's relative mouse. Events arriving while the device is not acquired are
// dropped; of more than the buffer holds between reads, the oldest are lost.
class PlatformMouseDevice : public MouseDevice {
public:
    bool open(platform::Window* window) override;
    bool setBufferSize(int events) override;
    Result next(platform::MouseEvent& event) override;
    bool acquire() override;
    void unacquire() override;

private:
    void fill();

    platform::Window* window_ = nullptr;
    bool acquired_ = false;
    int capacity_ = kBufferSize;
    std::deque<platform::MouseEvent> buffer_;
};

}  // namespace arvel
