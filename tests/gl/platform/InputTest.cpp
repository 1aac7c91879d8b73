// Keyboard and mouse as a user drives them: keys typed with xdotool reach the shown
// window, held keys show in the keyboard state, and the mouse queue keeps its order.
#include "WindowFixture.h"
#include "platform/sdl/Backend.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <string>

namespace arvel::platform::test {
namespace {

class InputTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (IsSkipped()) return;
        MouseEvent stale[64];
        while (readMouseEvents(stale, 64) > 0) {
        }
    }
    void TearDown() override {
        if (sdl::videoReady()) setRelativeMouse(nullptr, false);
        WindowTest::TearDown();
    }

    static bool xdotool(const std::string& arguments) {
        const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }

    Window* shownWindow() {
        Window* window = makeWindow(kWindowPopup, 200, 150);
        if (window != nullptr) {
            showWindow(window);
            pumpFor(100);
        }
        return window;
    }

    static void pushMotion(int dx, int dy) {
        SDL_Event event{};
        event.type = SDL_MOUSEMOTION;
        event.motion.xrel = dx;
        event.motion.yrel = dy;
        SDL_PushEvent(&event);
    }
    static void pushButton(Uint8 button, bool down) {
        SDL_Event event{};
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.button = button;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&event);
    }
};

TEST_F(InputTest, EscapeTypedOnTheDisplayReachesTheShownWindow) {
    if (!xdotool("version")) GTEST_SKIP() << "no xdotool";
    // Away from the window: keys must follow the focus the window was given, not the
    // pointer.
    ASSERT_TRUE(xdotool("mousemove 1000 900"));
    Window* window = shownWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(xdotool("key Escape"));
    ASSERT_TRUE(pumpUntil([] { return receivedKey(kVkEscape); }));
    for (const Received& r : received()) {
        if (r.message == kMsgKeyDown) {
            EXPECT_EQ(r.window, window);
        }
    }
}

TEST_F(InputTest, HeldKeysShowInTheKeyboardStateByVirtualKey) {
    if (!xdotool("version")) GTEST_SKIP() << "no xdotool";
    Window* window = shownWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(xdotool("keydown c keydown shift"));
    uint8_t state[256] = {};
    const bool down = pumpUntil([&state] {
        getKeyboardState(state);
        return (state['C'] & 0x80) != 0 && (state[kVkShift] & 0x80) != 0;
    });
    xdotool("keyup shift keyup c");
    EXPECT_TRUE(down);
    EXPECT_EQ(state['D'] & 0x80, 0);
    EXPECT_EQ(state[kVkEscape] & 0x80, 0);
    ASSERT_TRUE(pumpUntil([&state] {
        getKeyboardState(state);
        return (state['C'] & 0x80) == 0;
    }));
}

TEST_F(InputTest, MouseEventsComeOldestFirstAndWhatDoesNotFitStays) {
    pushMotion(5, -3);
    pushButton(SDL_BUTTON_RIGHT, true);
    pushMotion(0, 2);
    pushButton(SDL_BUTTON_RIGHT, false);
    MouseEvent events[3];
    ASSERT_EQ(readMouseEvents(events, 3), 3);
    EXPECT_EQ(events[0].kind, MouseEvent::kMotionX);
    EXPECT_EQ(events[0].value, 5);
    EXPECT_EQ(events[1].kind, MouseEvent::kMotionY);
    EXPECT_EQ(events[1].value, -3);
    EXPECT_EQ(events[2].kind, MouseEvent::kButton);
    EXPECT_EQ(events[2].value, 1);
    EXPECT_EQ(events[2].button, 1);
    ASSERT_EQ(readMouseEvents(events, 3), 2);
    EXPECT_EQ(events[0].kind, MouseEvent::kMotionY);
    EXPECT_EQ(events[0].value, 2);
    EXPECT_EQ(events[1].kind, MouseEvent::kButton);
    EXPECT_EQ(events[1].value, 0);
    EXPECT_EQ(readMouseEvents(events, 3), 0);
}

TEST_F(InputTest, TheMessagePumpKeepsMouseEventsForTheMouse) {
    pushButton(SDL_BUTTON_MIDDLE, true);
    pushMotion(7, 0);
    EXPECT_FALSE(peekMessage());
    MouseEvent events[4];
    ASSERT_EQ(readMouseEvents(events, 4), 2);
    EXPECT_EQ(events[0].kind, MouseEvent::kButton);
    EXPECT_EQ(events[0].button, 2);
    EXPECT_EQ(events[1].kind, MouseEvent::kMotionX);
    EXPECT_EQ(events[1].value, 7);
}

TEST_F(InputTest, RelativeMotionFromTheDisplayArrivesAsCounts) {
    if (!xdotool("version")) GTEST_SKIP() << "no xdotool";
    Window* window = shownWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(setRelativeMouse(window, true));
    pumpFor(100);
    MouseEvent events[64];
    while (readMouseEvents(events, 64) > 0) {
    }
    ASSERT_TRUE(xdotool("mousemove_relative -- 12 -7"));
    int dx = 0, dy = 0;
    const bool moved = pumpUntil([&] {
        const int n = readMouseEvents(events, 64);
        for (int i = 0; i < n; ++i) {
            if (events[i].kind == MouseEvent::kMotionX) dx += events[i].value;
            if (events[i].kind == MouseEvent::kMotionY) dy += events[i].value;
        }
        return dx == 12 && dy == -7;
    });
    EXPECT_TRUE(moved) << "saw " << dx << ", " << dy;
    EXPECT_TRUE(setRelativeMouse(window, false));
}

}  // namespace
}  // namespace arvel::platform::test
