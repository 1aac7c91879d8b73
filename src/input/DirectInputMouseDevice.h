// The system mouse through DirectInput 8: exclusive while the window is in the
// foreground, buffered (16 events), with a notification event nobody waits on.
// Windows only.
#pragma once

#include <memory>

#include "input/MouseDevice.h"

namespace arvel {

class DirectInputMouseDevice : public MouseDevice {
public:
    DirectInputMouseDevice();
    ~DirectInputMouseDevice() override;

    // Throws an Exception naming the step that the system refused.
    bool open(platform::Window* window) override;
    bool setBufferSize(int events) override;
    Result next(platform::MouseEvent& event) override;
    bool acquire() override;
    void unacquire() override;

private:
    struct Interfaces;
    std::unique_ptr<Interfaces> system_;
};

}  // namespace arvel
