// Private to the SDL backend: the objects behind the opaque handles of platform.h and
// the helpers its files share.
#pragma once

#include "platform/platform.h"

#include <string>

struct SDL_Window;
union SDL_Event;

namespace arvel::platform {

// game and the driver plug-in each link their own copy of this backend, so everything
// both sides must agree on about a window lives here, not in backend globals.
struct Window {
    SDL_Window* sdl = nullptr;
    WindowProc procedure = nullptr;
    std::string title;
    WindowStyle style = kWindowNormal;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = false;
    bool active = false;  // activation last reported to the procedure
    bool opengl = false;  // made with a GL-capable visual
    int depthBits = 0, stencilBits = 0, samples = 0;
};

namespace sdl {

// Key of the SDL window data that leads from an SDL window back to its Window.
inline constexpr const char* kWindowDataKey = "arvel";

// True once SDL video runs (in this process, whichever copy started it).
bool videoReady();
// Finds the Window of an SDL window id; null for windows that are gone.
Window* windowFromId(unsigned id);
// Makes (or re-makes) the SDL window of an existing Window with its stored place, size,
// style and visibility; opengl asks for a GL-capable window with the current attributes.
bool createSdlWindow(Window* window, bool opengl);

// SDL window id of the window of the last GL context made here (0: none); full-screen
// switches act on it. An id, not a pointer: the other copy of the backend may destroy
// the window.
extern unsigned glWindowId;

// Moves every pending SDL event into the message and mouse queues.
void pumpEvents();
// Called for each SDL event by pumpEvents: true when the mouse took it.
bool captureMouseEvent(const SDL_Event& event);
// Posts kMsgActivate when the window's activation really changes.
void setActivation(Window* window, bool on);
void forgetWindowMessages(Window* window);
bool windowAlive(const Window* window);
void registerLiveWindow(Window* window);
void unregisterLiveWindow(Window* window);
Window* firstLiveWindow();

// Win32 virtual-key code of an SDL scancode; 0 for keys without one.
int virtualKeyFromScancode(int scancode);

// Where loadLibrary looks for a file name: "\\" becomes "/"; a name without a
// directory is taken from next to the executable, else from the working directory;
// "" when neither holds it.
std::string resolveLibraryPath(const char* fileName);

}  // namespace sdl
}  // namespace arvel::platform
