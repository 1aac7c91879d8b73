// A window of the test class whose procedure records every message it is given, and a
// message pump that dispatches until a condition holds or time runs out.
#pragma once

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>
#include <vector>

namespace arvel::platform::test {

struct Received {
    Window* window;
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
};

inline std::vector<Received>& received() {
    static std::vector<Received> messages;
    return messages;
}

inline intptr_t recordingProcedure(Window* window, unsigned message, uintptr_t wParam,
                                   intptr_t lParam) {
    received().push_back({window, message, wParam, lParam});
    return 0;
}

class WindowTest : public ::testing::Test {
protected:
    static constexpr const char* kClass = "ArvelPlatformTest";

    void SetUp() override {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        if (!initialise()) GTEST_SKIP() << "no display";
        static const bool registered = registerClass(kClass, recordingProcedure);
        ASSERT_TRUE(registered);
        drain();
        received().clear();
    }

    void TearDown() override {
        for (Window* window : windows_) destroyWindow(window);
        drain();
    }

    Window* makeWindow(WindowStyle style = kWindowPopup, int width = 128, int height = 96) {
        Window* window = createWindow(kClass, "platform test", style, 10, 20, width, height);
        if (window != nullptr) windows_.push_back(window);
        return window;
    }

    // Dispatches messages until done() holds; false when it never did.
    static bool pumpUntil(const std::function<bool()>& done, int milliseconds = 2000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        do {
            while (peekMessage()) {
                Message message;
                if (getMessage(&message) == 0) break;
                translateMessage(&message);
                dispatchMessage(&message);
            }
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (std::chrono::steady_clock::now() < end);
        return done();
    }

    static void pumpFor(int milliseconds) {
        pumpUntil([] { return false; }, milliseconds);
    }

    static void drain() {
        Message message;
        while (peekMessage()) getMessage(&message);
    }

    static int count(unsigned message, uintptr_t wParam) {
        int found = 0;
        for (const Received& r : received()) found += r.message == message && r.wParam == wParam;
        return found;
    }

    static bool receivedKey(uintptr_t key) { return count(kMsgKeyDown, key) > 0; }

private:
    std::vector<Window*> windows_;
};

}  // namespace arvel::platform::test
