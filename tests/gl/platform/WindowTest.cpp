// Windows and their procedure: create, show and activate, posted and system messages.
#include "WindowFixture.h"
#include "platform/sdl/Backend.h"

#include <SDL2/SDL.h>

namespace arvel::platform::test {
namespace {

TEST_F(WindowTest, CreateSendsCreateToTheProcedureBeforeReturning) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(received().size(), 1u);
    EXPECT_EQ(received()[0].message, unsigned(kMsgCreate));
    EXPECT_EQ(received()[0].window, window);
}

TEST_F(WindowTest, CreateFailsForAnUnknownClass) {
    EXPECT_EQ(createWindow("NoSuchClass", "x", kWindowPopup, 0, 0, 64, 64), nullptr);
    EXPECT_EQ(createWindow(nullptr, "x", kWindowPopup, 0, 0, 64, 64), nullptr);
    EXPECT_FALSE(registerClass(kClass, recordingProcedure));
}

intptr_t refusingProcedure(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    recordingProcedure(window, message, wParam, lParam);
    return message == kMsgCreate ? -1 : 0;
}

TEST_F(WindowTest, AProcedureThatRefusesCreateGetsNoWindowButIsToldOfTheDestroy) {
    static const bool registered = registerClass("ArvelRefusing", refusingProcedure);
    ASSERT_TRUE(registered);
    EXPECT_EQ(createWindow("ArvelRefusing", "x", kWindowNormal, 0, 0, 64, 64), nullptr);
    ASSERT_EQ(received().size(), 2u);
    EXPECT_EQ(received()[0].message, unsigned(kMsgCreate));
    EXPECT_EQ(received()[1].message, unsigned(kMsgDestroy));
}

TEST_F(WindowTest, PopupIsBorderlessAtItsPlaceAndNormalIsFramed) {
    Window* popup = makeWindow(kWindowPopup, 100, 80);
    Window* normal = makeWindow(kWindowNormal, 100, 80);
    ASSERT_NE(popup, nullptr);
    ASSERT_NE(normal, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(popup->sdl) & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_EQ(SDL_GetWindowFlags(normal->sdl) & SDL_WINDOW_BORDERLESS, 0u);
    int width = 0, height = 0;
    SDL_GetWindowSize(popup->sdl, &width, &height);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 80);
}

TEST_F(WindowTest, ShowingActivatesTheWindowExactlyOnce) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    showWindow(window);
    updateWindow(window);
    // Let the display's own focus report arrive too: it must not activate again.
    pumpFor(300);
    EXPECT_EQ(count(kMsgActivate, 1), 1);
    EXPECT_EQ(count(kMsgActivate, 0), 0);
}

TEST_F(WindowTest, PostedCloseReachesTheProcedureWithItsParameters) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    postMessage(window, kMsgClose, 5, 6);
    ASSERT_TRUE(pumpUntil([] { return count(kMsgClose, 5) == 1; }));
    const Received& close = received().back();
    EXPECT_EQ(close.window, window);
    EXPECT_EQ(close.lParam, 6);
}

TEST_F(WindowTest, SystemCloseRequestBecomesACloseMessage) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    event.window.windowID = SDL_GetWindowID(window->sdl);
    SDL_PushEvent(&event);
    ASSERT_TRUE(pumpUntil([] { return count(kMsgClose, 0) == 1; }));
    EXPECT_EQ(received().back().window, window);
}

void pushWindowEvent(Window* window, Uint8 kind, int data1 = 0, int data2 = 0) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    event.window.windowID = SDL_GetWindowID(window->sdl);
    event.window.data1 = data1;
    event.window.data2 = data2;
    SDL_PushEvent(&event);
}

TEST_F(WindowTest, FocusChangesActivateAndDeactivateOncePerChange) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    showWindow(window);
    pumpFor(100);
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_LOST);
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED);
    pushWindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED);
    pumpFor(100);
    std::vector<uintptr_t> activations;
    for (const Received& r : received()) {
        if (r.message == kMsgActivate) activations.push_back(r.wParam);
    }
    EXPECT_EQ(activations, (std::vector<uintptr_t>{1, 0, 1}));
}

TEST_F(WindowTest, ResizeBecomesASizeMessageWithWidthAndHeightPacked) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    pushWindowEvent(window, SDL_WINDOWEVENT_SIZE_CHANGED, 640, 480);
    ASSERT_TRUE(pumpUntil([] { return count(kMsgSize, 0) == 1; }));
    EXPECT_EQ(received().back().lParam, (480 << 16) | 640);
}

TEST_F(WindowTest, QuitRequestFromTheSystemClosesTheFirstWindow) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
    ASSERT_TRUE(pumpUntil([] { return count(kMsgClose, 0) == 1; }));
    EXPECT_EQ(received().back().window, window);
}

TEST_F(WindowTest, KeyDownArrivesAsItsVirtualKeyCode) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = SDL_GetWindowID(window->sdl);
    event.key.state = SDL_PRESSED;
    event.key.keysym.scancode = SDL_SCANCODE_C;
    event.key.keysym.sym = SDLK_c;
    SDL_PushEvent(&event);
    event.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    event.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&event);
    ASSERT_TRUE(pumpUntil([] { return receivedKey(kVkEscape); }));
    EXPECT_EQ(count(kMsgKeyDown, 'C'), 1);
    EXPECT_EQ(received().back().window, window);
}

TEST_F(WindowTest, DestroySendsDestroyAndDropsTheWindowsPendingMessages) {
    Window* window = createWindow(kClass, "gone", kWindowPopup, 0, 0, 64, 64);
    ASSERT_NE(window, nullptr);
    postMessage(window, kMsgClose, 0, 0);
    destroyWindow(window);
    EXPECT_EQ(count(kMsgDestroy, 0), 1);
    pumpFor(100);
    EXPECT_EQ(count(kMsgClose, 0), 0);
}

TEST_F(WindowTest, DefaultProcedureDestroysAWindowOnClose) {
    Window* window = createWindow(kClass, "closing", kWindowPopup, 0, 0, 64, 64);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(defWindowProc(window, kMsgClose, 0, 0), 0);
    EXPECT_EQ(count(kMsgDestroy, 0), 1);
    EXPECT_EQ(defWindowProc(nullptr, kMsgKeyDown, 'A', 0), 0);
}

}  // namespace
}  // namespace arvel::platform::test
