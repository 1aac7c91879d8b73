// The platform seam: exactly the operating-system services the engine uses, shaped
// after the Win32 calls the program was designed around (window procedure, posted
// messages, virtual-key codes, message boxes). game and Varnet both link a backend;
// nothing above this header names SDL, X11 or Win32.
#pragma once

#include <cstdint>

namespace arvel::platform {

struct Window;     // a top-level window
struct Library;    // a loaded dynamic library
struct GLContext;  // an OpenGL rendering context
struct Semaphore;  // an operating-system counting semaphore

// Message codes, with the Win32 values.
enum : unsigned {
    kMsgCreate = 0x0001,
    kMsgDestroy = 0x0002,
    kMsgSize = 0x0005,
    kMsgActivate = 0x0006,
    kMsgClose = 0x0010,
    kMsgQuit = 0x0012,
    kMsgKeyDown = 0x0100,
    kMsgChar = 0x0102,        // a typed character: wParam its code (ASCII)
    kMsgSysKeyDown = 0x0104,  // a key pressed with Alt held (lParam bit 29 set)
    kMsgSysChar = 0x0106,     // the character of such a key
};

// Virtual-key codes used by the engine (letters and digits are their ASCII codes).
enum : int {
    kVkLButton = 0x01,
    kVkRButton = 0x02,
    kVkMButton = 0x04,
    kVkBack = 0x08,
    kVkTab = 0x09,
    kVkReturn = 0x0D,
    kVkShift = 0x10,
    kVkControl = 0x11,
    kVkMenu = 0x12,
    kVkEscape = 0x1B,
    kVkSpace = 0x20,
    kVkPrior = 0x21,  // page up
    kVkNext = 0x22,   // page down
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkDelete = 0x2E,
    kVkF12 = 0x7B,
    kVkOem3 = 0xC0,  // the key left of 1: grave and tilde on US layouts
};

struct Message {
    Window* window = nullptr;  // null for a message posted to the thread
    unsigned message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

using WindowProc = intptr_t (*)(Window* window, unsigned message, uintptr_t wParam,
                                intptr_t lParam);

// Start-up of the platform (video, timers). Idempotent; false when no display exists.
bool initialise();

// Window class and window.
bool registerClass(const char* className, WindowProc procedure);
// Window styles:
// - kWindowPopup: borderless at the given place (full screen after a display-mode switch);
// - kWindowNormal: a framed window of a fixed size;
// - kWindowResizable: a framed window whose edges drag and which maximises;
// - kWindowDesktop: borderless over the whole primary display in its current mode, with
//   no mode switch; the place and size given are not used.
// Sizes are those of the drawing area; a size change reaches the window procedure as
// kMsgSize, lParam holding the new width in its low word and the height in its high word.
enum WindowStyle { kWindowPopup, kWindowNormal, kWindowResizable, kWindowDesktop };
Window* createWindow(const char* className, const char* title, WindowStyle style, int x, int y,
                     int width, int height);
// Gives a window another style, place and size, as for switching between full screen
// and a window while it runs.
bool setWindowStyle(Window* window, WindowStyle style, int x, int y, int width, int height);
// The size of the window's drawing area in pixels.
bool windowClientSize(Window* window, int* width, int* height);
// Shows the window and, as a shown top-level window is on Win32, activates it.
void showWindow(Window* window);
void updateWindow(Window* window);
void destroyWindow(Window* window);
intptr_t defWindowProc(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam);

// Message loop.
bool peekMessage();                // a message is waiting (not removed)
int getMessage(Message* message);  // waits; 0 once the quit message is taken
void translateMessage(const Message* message);
intptr_t dispatchMessage(const Message* message);
void postMessage(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam);
void postQuitMessage(int exitCode);

// Cursor: the standard arrow, or none.
void setCursorVisible(bool visible);

// Milliseconds since an arbitrary start.
uint32_t tickCount();

// A modal message box. Its caption and text are also written to standard error; with
// ARVEL_NO_DIALOGS set no dialog appears and the box returns as if confirmed.
enum : unsigned { kBoxOk = 0x0, kBoxIconError = 0x10 };
int messageBox(const char* text, const char* caption, unsigned flags);

// One byte per virtual key, high bit set while the key is down.
void getKeyboardState(uint8_t state[256]);

// Relative mouse: motion counts and button transitions since the last read.
struct MouseEvent {
    enum Kind { kMotionX, kMotionY, kButton, kWheel } kind;
    int value;       // motion counts, 1 pressed / 0 released, or wheel steps x 120
    int button = 0;  // 0 left, 1 right, 2 middle
};
bool setRelativeMouse(Window* window, bool on);
// Fills up to capacity events, oldest first; returns how many. Events beyond the
// capacity stay for the next read.
int readMouseEvents(MouseEvent* events, int capacity);

// Dynamic libraries. A name without a directory separator is looked for next to the
// executable, then in the working directory.
Library* loadLibrary(const char* fileName);
void* getProcAddress(Library* library, const char* name);

// Semaphores.
Semaphore* createSemaphore(int initialCount, int maximumCount);
void waitSemaphore(Semaphore* semaphore);
bool releaseSemaphore(Semaphore* semaphore);
void closeSemaphore(Semaphore* semaphore);

// Display modes of the primary display.
struct DisplayMode {
    int width = 0, height = 0, bits = 0, frequency = 0;
};
bool enumDisplayMode(int index, DisplayMode* mode);  // false past the last mode
// The desktop's mode: the display's own before any switch this program made.
bool desktopDisplayMode(DisplayMode* mode);
bool testDisplayMode(const DisplayMode& mode);  // could the display switch to it?
// Full screen in that mode on the window that holds the GL context.
bool changeDisplayMode(const DisplayMode& mode);
bool restoreDisplayMode();

// OpenGL on a window.
struct PixelFormat {
    int colourBits = 32, depthBits = 24, stencilBits = 8;
    // Multisampling: 0 for none, else the least number of samples a pixel must have.
    int samples = 0;
};
// Null when the window system has no format that meets format; the window is then
// left as it was, so another format can be tried.
GLContext* createGLContext(Window* window, const PixelFormat& format);
bool makeCurrent(Window* window, GLContext* context);  // null context: none current
void deleteGLContext(GLContext* context);
void swapBuffers(Window* window);
void* glProcAddress(const char* name);
// Window-system extension names, blank separated ("" when there are none).
const char* windowSystemExtensions();

// The path of the running executable's directory, with a trailing separator.
const char* executableDirectory();

}  // namespace arvel::platform
