// GL contexts on platform windows: the buffers asked for, the window's identity across
// the re-made visual, presenting, entry points and window-system extensions.
#include "WindowFixture.h"
#include "platform/sdl/Backend.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <cstring>
#include <string>

namespace arvel::platform::test {
namespace {

using GetIntegerv = void (*)(GLenum, GLint*);
using GetString = const GLubyte* (*)(GLenum);
using ClearColor = void (*)(GLfloat, GLfloat, GLfloat, GLfloat);
using Clear = void (*)(GLbitfield);
using ReadPixels = void (*)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);
using GetError = GLenum (*)();

class GLContextTest : public WindowTest {
protected:
    void TearDown() override {
        if (context_ != nullptr) deleteGLContext(context_);
        WindowTest::TearDown();
    }

    GLContext* makeContext(Window* window, int depth = 24, int stencil = 8) {
        PixelFormat format;
        format.depthBits = depth;
        format.stencilBits = stencil;
        context_ = createGLContext(window, format);
        return context_;
    }

    static GLint integer(GLenum name) {
        auto getIntegerv = reinterpret_cast<GetIntegerv>(glProcAddress("glGetIntegerv"));
        GLint value = -1;
        if (getIntegerv != nullptr) getIntegerv(name, &value);
        return value;
    }

    // Clears the back buffer to a colour and reads the pixel at the lower left back.
    static uint32_t clearAndRead(float r, float g, float b) {
        auto clearColor = reinterpret_cast<ClearColor>(glProcAddress("glClearColor"));
        auto clear = reinterpret_cast<Clear>(glProcAddress("glClear"));
        auto readPixels = reinterpret_cast<ReadPixels>(glProcAddress("glReadPixels"));
        clearColor(r, g, b, 1.0f);
        clear(GL_COLOR_BUFFER_BIT);
        uint8_t rgba[4] = {};
        readPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return uint32_t(rgba[0]) << 16 | uint32_t(rgba[1]) << 8 | rgba[2];
    }

    GLContext* context_ = nullptr;
};

TEST_F(GLContextTest, ContextHasTheRequestedStencilAndDepthBits) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(makeContext(window, 24, 8), nullptr);
    EXPECT_EQ(integer(GL_STENCIL_BITS), 8);
    EXPECT_EQ(integer(GL_DEPTH_BITS), 24);
    EXPECT_EQ(integer(GL_RED_BITS), 8);
    EXPECT_EQ(integer(GL_ALPHA_BITS), 8);
}

TEST_F(GLContextTest, ContextIsTheCompatibilityProfile) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(makeContext(window), nullptr);
    auto getString = reinterpret_cast<GetString>(glProcAddress("glGetString"));
    ASSERT_NE(getString, nullptr);
    const auto* version = reinterpret_cast<const char*>(getString(GL_VERSION));
    ASSERT_NE(version, nullptr);
    // Fixed-function entry points must work; a core profile would refuse glBegin.
    EXPECT_EQ(std::string(version).find("Core"), std::string::npos) << version;
    EXPECT_NE(glProcAddress("glBegin"), nullptr);
}

TEST_F(GLContextTest, WindowKeepsItsIdentityAndProcedureAfterTheVisualIsRemade) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    showWindow(window);
    ASSERT_NE(makeContext(window), nullptr);
    EXPECT_NE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_OPENGL, 0u);
    EXPECT_NE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN, 0u);
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(window->sdl, &x, &y);
    SDL_GetWindowSize(window->sdl, &width, &height);
    EXPECT_EQ(width, 128);
    EXPECT_EQ(height, 96);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);

    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = SDL_GetWindowID(window->sdl);
    event.key.keysym.scancode = SDL_SCANCODE_SPACE;
    SDL_PushEvent(&event);
    postMessage(window, kMsgClose, 0, 0);
    ASSERT_TRUE(pumpUntil([] { return count(kMsgClose, 0) == 1; }));
    EXPECT_EQ(count(kMsgKeyDown, kVkSpace), 1);
    for (const Received& r : received()) EXPECT_EQ(r.window, window);
    // Re-making the window is no new activation.
    EXPECT_EQ(count(kMsgActivate, 1), 1);
    EXPECT_EQ(count(kMsgActivate, 0), 0);
}

TEST_F(GLContextTest, SwapPresentsAndDrawingGoesOnAfterIt) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(makeContext(window), nullptr);
    auto getError = reinterpret_cast<GetError>(glProcAddress("glGetError"));
    EXPECT_EQ(clearAndRead(1, 0, 0), 0xFF0000u);
    swapBuffers(window);
    EXPECT_EQ(clearAndRead(0, 1, 0), 0x00FF00u);
    swapBuffers(window);
    EXPECT_EQ(getError(), GLenum(GL_NO_ERROR));
}

TEST_F(GLContextTest, MakeCurrentSwitchesBetweenNoContextAndTheWindowsContext) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    GLContext* context = makeContext(window);
    ASSERT_NE(context, nullptr);
    EXPECT_TRUE(makeCurrent(nullptr, nullptr));
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_TRUE(makeCurrent(window, context));
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_FALSE(makeCurrent(nullptr, context));
}

TEST_F(GLContextTest, WindowSystemExtensionsNameGlxExtensions) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_NE(makeContext(window), nullptr);
    const std::string names = windowSystemExtensions();
    EXPECT_NE(names.find("GLX_"), std::string::npos) << names;
}

TEST_F(GLContextTest, UnknownEntryPointsAndMissingWindowsGiveNull) {
    EXPECT_EQ(createGLContext(nullptr, PixelFormat{}), nullptr);
    EXPECT_EQ(glProcAddress(nullptr), nullptr);
    deleteGLContext(nullptr);
    swapBuffers(nullptr);
}

class DisplayModeTest : public GLContextTest {};

TEST_F(DisplayModeTest, EnumerationListsTheDisplaysModesAndStopsPastTheLast) {
    DisplayMode first;
    ASSERT_TRUE(enumDisplayMode(0, &first));
    EXPECT_GT(first.width, 0);
    EXPECT_GT(first.height, 0);
    EXPECT_GE(first.bits, 15);
    int modes = 0;
    DisplayMode mode;
    while (modes < 10000 && enumDisplayMode(modes, &mode)) ++modes;
    EXPECT_LT(modes, 10000);
    EXPECT_FALSE(enumDisplayMode(modes, &mode));
    EXPECT_FALSE(enumDisplayMode(-1, &mode));
}

TEST_F(DisplayModeTest, TestAcceptsAnEnumeratedModeAndRefusesAnUnknownOne) {
    DisplayMode first;
    ASSERT_TRUE(enumDisplayMode(0, &first));
    first.frequency = 0;
    EXPECT_TRUE(testDisplayMode(first));
    DisplayMode odd{first.width + 1, first.height, first.bits, 0};
    EXPECT_FALSE(testDisplayMode(odd));
    DisplayMode bits{first.width, first.height, 8, 0};
    EXPECT_FALSE(testDisplayMode(bits));
}

TEST_F(DisplayModeTest, FullScreenNeedsTheGLWindowAndRestoreReturnsToWindowed) {
    Window* window = makeWindow();
    ASSERT_NE(window, nullptr);
    showWindow(window);
    ASSERT_NE(makeContext(window), nullptr);
    DisplayMode first;
    ASSERT_TRUE(enumDisplayMode(0, &first));
    first.frequency = 0;
    ASSERT_TRUE(changeDisplayMode(first));
    EXPECT_NE(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_TRUE(changeDisplayMode(first));
    EXPECT_TRUE(restoreDisplayMode());
    EXPECT_EQ(SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_FALSE(changeDisplayMode(DisplayMode{0, 0, 32, 0}));
}

TEST_F(DisplayModeTest, FullScreenFailsOnceTheGLWindowIsGone) {
    Window* window = createWindow(kClass, "short-lived", kWindowPopup, 0, 0, 64, 64);
    ASSERT_NE(window, nullptr);
    GLContext* context = createGLContext(window, PixelFormat{});
    ASSERT_NE(context, nullptr);
    deleteGLContext(context);
    destroyWindow(window);
    DisplayMode first;
    ASSERT_TRUE(enumDisplayMode(0, &first));
    EXPECT_FALSE(changeDisplayMode(first));
    EXPECT_TRUE(restoreDisplayMode());
}

}  // namespace
}  // namespace arvel::platform::test
