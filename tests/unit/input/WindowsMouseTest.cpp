#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "core/Exception.h"
#include "input/WindowsMouse.h"
#include "support/ExceptionText.h"

namespace arvel {
namespace {

using platform::MouseEvent;

// A device whose events and failures the test scripts.
struct ScriptedDevice : MouseDevice {
    struct Shared {
        std::deque<MouseEvent> events;
        bool acquired = false;
        bool acquirable = true;
        bool openFails = false;
        int acquireCalls = 0;
    };
    explicit ScriptedDevice(Shared& shared) : s(shared) {}
    bool open(platform::Window*) override { return !s.openFails; }
    bool setBufferSize(int events) override { return events == kBufferSize; }
    Result next(MouseEvent& event) override {
        if (!s.acquired) return kNotAcquired;
        if (s.events.empty()) return kEmpty;
        event = s.events.front();
        s.events.pop_front();
        return kEvent;
    }
    bool acquire() override {
        ++s.acquireCalls;
        s.acquired = s.acquirable;
        return s.acquirable;
    }
    void unacquire() override { s.acquired = false; }
    Shared& s;
};

MouseEvent motion(MouseEvent::Kind kind, int value) { return {kind, value, 0}; }
MouseEvent button(int which, bool down) { return {MouseEvent::kButton, down ? 1 : 0, which}; }

class MousePolls : public ::testing::Test {
protected:
    void SetUp() override {
        mouse_.initialise(nullptr, std::make_unique<ScriptedDevice>(shared_));
        shared_.acquired = true;
    }
    ScriptedDevice::Shared shared_;
    WindowsMouse mouse_;
};

TEST_F(MousePolls, MotionAccumulatesPerPollAndResetsOnTheNext) {
    shared_.events = {motion(MouseEvent::kMotionX, 3), motion(MouseEvent::kMotionY, -2),
                      motion(MouseEvent::kMotionX, 4)};
    mouse_.poll();
    EXPECT_EQ(mouse_.dx(), 7);
    EXPECT_EQ(mouse_.dy(), -2);
    mouse_.poll();
    EXPECT_EQ(mouse_.dx(), 0);
    EXPECT_EQ(mouse_.dy(), 0);
}

TEST_F(MousePolls, ButtonsFollowTheirLastEvent) {
    shared_.events = {button(1, true), button(0, true), button(0, false), button(2, true)};
    mouse_.poll();
    EXPECT_EQ(mouse_.buttons(), WindowsMouse::kRight | WindowsMouse::kMiddle);
    shared_.events = {button(1, false), button(7, true)};
    mouse_.poll();
    EXPECT_EQ(mouse_.buttons(), WindowsMouse::kMiddle);
}

TEST_F(MousePolls, ALostDeviceIsReacquiredAndItsButtonsCountAsReleased) {
    shared_.events = {button(1, true)};
    mouse_.poll();
    ASSERT_EQ(mouse_.buttons(), WindowsMouse::kRight);
    shared_.acquired = false;  // focus lost behind our back
    shared_.events = {motion(MouseEvent::kMotionX, 5)};
    mouse_.poll();
    EXPECT_EQ(shared_.acquireCalls, 1);
    EXPECT_EQ(mouse_.buttons(), 0);
    EXPECT_EQ(mouse_.dx(), 5);
}

TEST_F(MousePolls, ADeviceThatCannotBeReacquiredEndsThePoll) {
    shared_.acquired = false;
    shared_.acquirable = false;
    shared_.events = {motion(MouseEvent::kMotionX, 5)};
    mouse_.poll();  // must return
    EXPECT_EQ(mouse_.dx(), 0);
    EXPECT_EQ(shared_.acquireCalls, 1);
}

TEST_F(MousePolls, AcquireAndUnacquireClearTheButtons) {
    shared_.events = {button(0, true)};
    mouse_.poll();
    mouse_.unacquire();
    EXPECT_EQ(mouse_.buttons(), 0);
    EXPECT_FALSE(shared_.acquired);
    shared_.events = {button(0, true)};
    mouse_.acquire();
    mouse_.poll();
    EXPECT_EQ(mouse_.buttons(), WindowsMouse::kLeft);
    mouse_.acquire();
    EXPECT_EQ(mouse_.buttons(), 0);
}

TEST(MouseInitialise, ReportsAMissingMouse) {
    ScriptedDevice::Shared shared;
    shared.openFails = true;
    WindowsMouse mouse;
    EXPECT_EQ(test::exceptionText(
                  [&] { mouse.initialise(nullptr, std::make_unique<ScriptedDevice>(shared)); }),
              "(Input\\WindowsMouse:33): No mouse detected");
    mouse.poll();  // a mouse that never initialised reads nothing
    EXPECT_EQ(mouse.buttons(), 0);
}

}  // namespace
}  // namespace arvel
