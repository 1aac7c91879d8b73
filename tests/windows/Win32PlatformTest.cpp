// The Win32 backend of the platform seam, run under Windows or Wine with a display:
// windows and their procedure, the message loop, semaphores, libraries, display modes,
// and an OpenGL context with the buffers asked for. Needs Varnet.drv beside it and a
// writable working folder. Prints one line per check and "N passed, N failed".
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace arvel::platform {
namespace {

int passed = 0, failed = 0;

void check(bool ok, const char* what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    ok ? ++passed : ++failed;
}

// What the test window's procedure saw.
std::vector<unsigned> seen;
bool refuseCreation = false;

intptr_t procedure(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    if (message == kMsgCreate || message == kMsgClose || message == kMsgKeyDown ||
        message == kMsgDestroy)
        seen.push_back(message);
    if (message == kMsgCreate && refuseCreation) return -1;
    if (message == kMsgKeyDown) return 42;
    return defWindowProc(window, message, wParam, lParam);
}

bool saw(unsigned message) {
    for (unsigned m : seen)
        if (m == message) return true;
    return false;
}

void drain() {
    Message message;
    while (peekMessage()) {
        if (!getMessage(&message)) break;
        translateMessage(&message);
        dispatchMessage(&message);
    }
}

void windowsAndMessages() {
    check(registerClass("ArvelTest", procedure), "a new class registers");
    check(!registerClass("ArvelTest", procedure), "a class name registers only once");
    check(createWindow("NoSuchClass", "x", kWindowPopup, 0, 0, 64, 64) == nullptr,
          "a window of an unknown class is refused");

    refuseCreation = true;
    check(createWindow("ArvelTest", "x", kWindowPopup, 0, 0, 64, 64) == nullptr,
          "a procedure answering -1 to the create message refuses the window");
    refuseCreation = false;

    seen.clear();
    Window* window = createWindow("ArvelTest", "Test", kWindowPopup, 0, 0, 160, 120);
    check(window != nullptr && saw(kMsgCreate), "the create message arrives before creation ends");
    showWindow(window);
    updateWindow(window);
    drain();

    postMessage(window, kMsgKeyDown, kVkEscape, 0);
    check(peekMessage(), "peek sees a posted message");
    Message message;
    check(getMessage(&message) == 1 && message.window == window && message.message == kMsgKeyDown &&
              message.wParam == uintptr_t(kVkEscape),
          "get returns the posted message with its window and parameters");
    check(dispatchMessage(&message) == 42, "dispatch returns the procedure's result");
    drain();

    postMessage(nullptr, kMsgClose, 0, 0);
    seen.clear();
    check(getMessage(&message) == 1 && message.window == nullptr, "a thread message has no window");
    check(dispatchMessage(&message) == 0 && !saw(kMsgClose),
          "a thread message reaches no procedure");

    seen.clear();
    postMessage(window, kMsgClose, 0, 0);
    drain();
    check(saw(kMsgClose) && saw(kMsgDestroy),
          "the default treatment of the close message destroys the window");

    postQuitMessage(5);
    while (getMessage(&message) != 0) dispatchMessage(&message);
    check(message.message == kMsgQuit && message.wParam == 5,
          "get returns 0 for the quit message, which carries the exit code");
}

void semaphores() {
    check(createSemaphore(2, 1) == nullptr && createSemaphore(0, 0) == nullptr,
          "impossible counts make no semaphore");
    Semaphore* semaphore = createSemaphore(1, 1);
    check(semaphore != nullptr, "a (1, 1) semaphore is made");
    waitSemaphore(semaphore);
    bool taken = false;
    std::thread other([&] {
        waitSemaphore(semaphore);
        taken = true;
        releaseSemaphore(semaphore);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    check(!taken, "a second waiter blocks while the count is taken");
    check(releaseSemaphore(semaphore), "release gives the count back");
    other.join();
    check(taken, "the waiter goes on after the release");
    check(!releaseSemaphore(semaphore), "release beyond the maximum fails");
    closeSemaphore(semaphore);
    closeSemaphore(nullptr);
    check(!releaseSemaphore(nullptr), "null semaphores are harmless");
}

void ticks() {
    const uint32_t first = tickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    const uint32_t elapsed = tickCount() - first;
    check(elapsed >= 40 && elapsed < 2000, "ticks count milliseconds forward");
}

void libraries() {
    namespace fs = std::filesystem;
    const std::string beside = executableDirectory();
    check(!beside.empty() && beside.back() == '\\', "the executable's folder ends in a separator");
    check(fs::exists(beside + "Varnet.drv"), "Varnet.drv lies beside the test");

    // The working folder holds a broken file of the same name: the one beside wins.
    { std::ofstream("Varnet.drv") << "not a library"; }
    Library* varnet = loadLibrary("Varnet.drv");
    using Identify = int (*)();
    auto identify = reinterpret_cast<Identify>(getProcAddress(varnet, "dIdentifyDriver"));
    check(identify != nullptr && static_cast<unsigned>(identify()) == 0xBADC0FFEu,
          "a bare name is loaded from beside the executable first");
    check(getProcAddress(varnet, "dNoSuchFunction") == nullptr, "an unknown export is null");

    fs::copy_file(beside + "Varnet.drv", "Copy.drv", fs::copy_options::overwrite_existing);
    check(loadLibrary("Copy.drv") != nullptr, "a bare name is found in the working folder");
    check(loadLibrary("missing.drv") == nullptr && loadLibrary("") == nullptr &&
              loadLibrary(nullptr) == nullptr,
          "missing and empty names load nothing");
    { std::ofstream("Broken.drv") << "not a library either"; }
    check(loadLibrary("Broken.drv") == nullptr, "a file that is no library loads nothing");
    check(loadLibrary("kernel32.dll") == nullptr, "the system's search path is not used");
}

void keysAndBoxes() {
    uint8_t state[256];
    std::memset(state, 0xAB, sizeof state);
    getKeyboardState(state);
    bool plain = true;
    for (uint8_t byte : state) plain = plain && (byte & 0x7E) == 0;
    check(plain, "keyboard state holds only down and toggle bits");
    // The caller checks standard error for "Box caption: box text".
    check(messageBox("box text", "Box caption", kBoxOk) == 1,
          "with ARVEL_NO_DIALOGS a box confirms at once");
}

void displayModes() {
    DisplayMode mode;
    check(enumDisplayMode(0, &mode) && mode.width > 0 && mode.height > 0 && mode.bits > 0,
          "the first display mode is listed");
    check(!enumDisplayMode(-1, &mode) && !enumDisplayMode(100000, &mode),
          "indexes outside the list give no mode");
    check(enumDisplayMode(0, &mode) && testDisplayMode(mode), "a listed mode passes the test");
    DisplayMode absurd{1, 1, 7, 0};
    check(!testDisplayMode(absurd) && !testDisplayMode(DisplayMode{}), "an absurd mode fails");
}

void openGL() {
    Window* window = createWindow("ArvelTest", "GL", kWindowPopup, 0, 0, 64, 48);
    showWindow(window);
    drain();
    GLContext* context = createGLContext(window, PixelFormat{32, 24, 8});
    check(context != nullptr && makeCurrent(window, context), "a context is made current");
    GLint stencil = 0, depth = 0;
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    check(stencil == 8, "the pixel format has 8 stencil bits");
    check(depth >= 24, "the pixel format has 24 depth bits");

    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    check(pixel[0] == 0 && pixel[1] == 255 && pixel[2] == 0, "clearing draws into the window");
    swapBuffers(window);

    check(glProcAddress("glClear") != nullptr, "OpenGL 1.1 functions come from opengl32");
    check(glProcAddress("glGenFramebuffers") != nullptr, "later functions come from the driver");
    check(glProcAddress("glNoSuchFunction") == nullptr && glProcAddress(nullptr) == nullptr,
          "unknown names give null");
    const std::string wgl = windowSystemExtensions();
    check(wgl.find("WGL_ARB_pixel_format") != std::string::npos,
          "the WGL extension string is read");

    check(makeCurrent(nullptr, nullptr), "no context can be made current");
    deleteGLContext(context);
    deleteGLContext(nullptr);
    destroyWindow(window);
    drain();
}

}  // namespace
}  // namespace arvel::platform

int main() {
    using namespace arvel::platform;
    check(initialise(), "the platform starts");
    windowsAndMessages();
    semaphores();
    ticks();
    libraries();
    keysAndBoxes();
    displayModes();
    openGL();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
