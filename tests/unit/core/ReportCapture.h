// Runs reporting code headless and collects what the boxes wrote to standard error,
// and whether a close was posted to the thread's queue.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/platform.h"

namespace arvel::test {

// Removes every waiting message; returns how many were close messages to no window.
inline int drainPostedCloses() {
    int closes = 0;
    platform::Message message;
    while (platform::peekMessage() && platform::getMessage(&message) != 0) {
        if (message.message == platform::kMsgClose && message.window == nullptr) ++closes;
    }
    return closes;
}

class ReportingTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        drainPostedCloses();
    }
    void TearDown() override { drainPostedCloses(); }

    template <typename F>
    static std::string stderrOf(F&& body) {
        testing::internal::CaptureStderr();
        body();
        return testing::internal::GetCapturedStderr();
    }
};

}  // namespace arvel::test
